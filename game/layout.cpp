#include "game/layout.h"

void computeVisibleLines(GameContext& g)
{
    g.visibleRows = g.boardAreaHeight / g.cellSize;
    g.visibleCols = g.boardAreaWidth / g.cellSize;
    // On a large screen, grow the grid until one direction holds 19 lines or fewer.
    while (g.visibleRows > 19 && g.visibleCols > 19) {
        g.cellSize += 1;
        g.stoneRadius = (g.cellSize - 2) / 2;
        g.visibleRows = g.boardAreaHeight / g.cellSize;
        g.visibleCols = g.boardAreaWidth / g.cellSize;
    }
    if (g.visibleRows > 19) g.visibleRows = 19;
    if (g.visibleCols > 19) g.visibleCols = 19;
    // A line that fits only in part is still shown and playable.
    if (g.boardAreaHeight % g.cellSize > 0 && g.visibleRows < 19) g.visibleRows += 1;
    if (g.boardAreaWidth % g.cellSize > 0 && g.visibleCols < 19) g.visibleCols += 1;
}

void fitBoardToProblem(GameContext& g)
{
    g.cellSize = g.boardAreaWidth / g.problemCols;
    if (g.boardAreaHeight / g.problemRows < g.cellSize) g.cellSize = g.boardAreaHeight / g.problemRows;
    if (g.cellSize % 2 != 0) g.cellSize -= 1;
    if (g.cellSize < 6) g.cellSize = 6;
    g.stoneRadius = (g.cellSize - 2) / 2;
    computeVisibleLines(g);
}

int32 pointCenterX(const GameContext& g, int32 col) { return g.cellSize * (col - 1) + g.stoneRadius + g.boardOriginX; }

int32 pointCenterY(const GameContext& g, int32 row) { return g.cellSize * (row - 1) + g.stoneRadius + g.boardOriginY; }

int32 colAtX(const GameContext& g, int32 x)
{
    int32 k = (x - g.boardOriginX) / g.cellSize + 1;
    if (k > g.visibleCols) return 0;
    if (k < 1) return 0;
    return k;
}

int32 rowAtY(const GameContext& g, int32 y)
{
    int32 k = (y - g.boardOriginY) / g.cellSize + 1;
    if (k > g.visibleRows) return 0;
    if (k < 1) return 0;
    return k;
}
