#include "rules/takeback.h"

#include <cstring>

#include "board/board.h"
#include "game/format.h"
#include "game/notify.h"
#include "problems/tree.h"
#include "rules/move.h"
#include "view/render.h"

namespace {

bool holdsStone(const GameContext& g, int32 col, int32 row)
{
    return isOnBoard(g, col, row) && stoneColour(g.stoneGrid[col][row]) != 0;
}

}  // namespace

void replayMoves(GameContext& g, int32 count)
{
    const int32 length = historyLength(g);
    if (length >= static_cast<int32>(sizeof g.moveHistory)) return;

    char history[sizeof g.moveHistory];
    std::memcpy(history, g.moveHistory, length + 1);
    int32 before[21][21];
    std::memcpy(before, g.stoneGrid, sizeof before);
    const int32 previousCol = g.lastMoveCol;
    const int32 previousRow = g.lastMoveRow;

    resetBoard(g, false);

    if (count > 0 && count <= length / 2) {
        for (int32 i = 0; i < count; ++i) {
            int32 col = pointCodeValue(history[2 * i]);
            int32 row = pointCodeValue(history[2 * i + 1]);
            if (isPass(col, row)) findPassSubstitute(g, col, row);
            playMove(g, col, row, false);
        }
    }

    // Without a window (before start-up, or when the rules run on their own)
    // there is nothing to draw on.
    if (!g.mainWindow) return;
    HDC dc = GetDC(g.mainWindow);
    for (int32 c = 1; c <= g.visibleCols; ++c)
        for (int32 r = 1; r <= g.visibleRows; ++r)
            if (g.stoneGrid[c][r] != before[c][r]) drawPoint(g, dc, c, r);
    if (holdsStone(g, previousCol, previousRow)) drawPoint(g, dc, previousCol, previousRow);
    if (holdsStone(g, g.lastMoveCol, g.lastMoveRow)) {
        drawPoint(g, dc, g.lastMoveCol, g.lastMoveRow);
        drawLastMoveDot(g, dc, g.lastMoveCol, g.lastMoveRow);
    }
    ReleaseDC(g.mainWindow, dc);
}

void takeBackMove(GameContext& g)
{
    if (g.moveNumber - 2 >= 0) replayMoves(g, g.moveNumber - 2);
}

void stepTreeBack(GameContext& g)
{
    if (g.currentNode <= 0 || g.currentDepth <= 0) return;
    if (g.currentDepth - historyLength(g) / 2 != 1) return;
    const int32 parent = parentNode(g, g.currentNode);
    // Every node reached in play has a parent; a damaged tree whose depths
    // jump leaves the tree position where it is rather than at no node.
    if (parent < 0) return;
    g.currentNode = parent;
    g.currentDepth = g.nodeDepth[parent];
}

void goBack(GameContext& g)
{
    PostMessageW(g.mainWindow, kNotifyMovePlayed, 0, 0);
    clearStatusStrip(g);
    if (historyLength(g) < 2 || g.moveNumber <= 1) return;

    eraseHighlightBox(g);
    takeBackMove(g);
    stepTreeBack(g);
    g.solvedFlag = 0;
    g.failedFlag = 0;
    if (g.freeMode == 0 && g.sideToMove != +1 && historyLength(g) >= 2 && g.moveNumber > 1) {
        takeBackMove(g);
        stepTreeBack(g);
    }

    g.highlightCol = g.lastMoveCol;
    g.highlightRow = g.lastMoveRow;
    HDC dc = GetDC(g.mainWindow);
    drawHighlightBox(g, dc);
    ReleaseDC(g.mainWindow, dc);
    g.offTree = 0;
}
