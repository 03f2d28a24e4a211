#include "rules/move.h"

#include <cstring>

#include "rules/board.h"
#include "view/render.h"

namespace {

inline char pointCode(int32 value) { return static_cast<char>(value + 64); }

int32 historyLength(const GameContext& g)
{
    return static_cast<int32>(strnlen(g.moveHistory, sizeof g.moveHistory));
}

// Redraws the previous last move, which removes its marker, and the highlight
// box when it stands there.
void redrawPreviousLastMove(const GameContext& g)
{
    if (!isOnBoard(g, g.lastMoveCol, g.lastMoveRow)) return;
    HDC dc = GetDC(g.mainWindow);
    drawPoint(g, dc, g.lastMoveCol, g.lastMoveRow);
    if (g.lastMoveCol == g.highlightCol && g.lastMoveRow == g.highlightRow) drawHighlightBox(g, dc);
    ReleaseDC(g.mainWindow, dc);
}

void appendHistory(GameContext& g, int32 length, int32 col, int32 row)
{
    g.moveHistory[length] = pointCode(col);
    g.moveHistory[length + 1] = pointCode(row);
    g.moveHistory[length + 2] = '\0';
}

}  // namespace

bool playMove(GameContext& g, int32 col, int32 row, bool redraw)
{
    // The history keeps kMaxMoves moves; a move beyond them is refused so that
    // the history always describes the position exactly.
    const int32 length = historyLength(g);
    if (length + 2 > 2 * kMaxMoves) return false;

    if (isPass(col, row)) {
        if (redraw) redrawPreviousLastMove(g);
        appendHistory(g, length, 20, 20);
        g.moveNumber += 1;
        g.lastMoveCol = 20;
        g.lastMoveRow = 20;
        g.lastCaptureCount = 0;
        g.sideToMove = -g.sideToMove;
        return true;
    }

    // Only points of the visible area can hold a stone; anything else (the
    // ring, lines beyond the view, the columns a damaged record can name) is
    // refused like an illegal move.
    if (!isOnBoard(g, col, row)) return false;
    if (stoneColour(g.stoneGrid[col][row]) != 0) return false;

    const int32 side = g.sideToMove;
    const int32 cols = g.visibleCols;
    const int32 rows = g.visibleRows;

    g.stoneGrid[col][row] = side;
    int32 savedLabels[21][21];
    std::memcpy(savedLabels, g.chainGrid, sizeof savedLabels);
    assignChainLabel(g, side, col, row);

    // Count the empty neighbours of every chain, with the ring reading as
    // occupied.  Only zero versus non-zero matters.
    int32 libertyTally[362] = {};
    setBorderRing(g, 9);
    for (int32 c = 1; c <= cols; ++c) {
        for (int32 r = 1; r <= rows; ++r) {
            if (stoneColour(g.stoneGrid[c][r]) == 0) continue;
            int32 free = (stoneColour(g.stoneGrid[c - 1][r]) == 0) +
                         (stoneColour(g.stoneGrid[c + 1][r]) == 0) +
                         (stoneColour(g.stoneGrid[c][r - 1]) == 0) +
                         (stoneColour(g.stoneGrid[c][r + 1]) == 0);
            libertyTally[g.chainGrid[c][r]] += free;
        }
    }
    setBorderRing(g, 0);

    int32 captureCount = 0;
    int32 capturedCol = 0, capturedRow = 0;
    for (int32 c = 1; c <= cols; ++c) {
        for (int32 r = 1; r <= rows; ++r) {
            if (stoneColour(g.stoneGrid[c][r]) == -side && libertyTally[g.chainGrid[c][r]] == 0) {
                ++captureCount;
                capturedCol = c;
                capturedRow = r;
            }
        }
    }

    bool refused = false;
    if (captureCount == 0 && libertyTally[g.chainGrid[col][row]] == 0)
        refused = true;  // suicide
    else if (captureCount == 1 && g.lastCaptureCount == 1 && capturedCol == g.lastMoveCol &&
             capturedRow == g.lastMoveRow)
        refused = true;  // immediate retake of a ko
    if (refused) {
        g.stoneGrid[col][row] = 0;
        std::memcpy(g.chainGrid, savedLabels, sizeof savedLabels);
        return false;
    }

    if (redraw) redrawPreviousLastMove(g);
    appendHistory(g, length, col, row);
    g.lastMoveCol = col;
    g.lastMoveRow = row;
    g.moveNumber += 1;
    g.lastCaptureCount = captureCount;

    if (captureCount > 0) {
        for (int32 c = 1; c <= cols; ++c) {
            for (int32 r = 1; r <= rows; ++r) {
                if (stoneColour(g.stoneGrid[c][r]) != -side || libertyTally[g.chainGrid[c][r]] != 0)
                    continue;
                g.stoneGrid[c][r] = 0;
                g.chainGrid[c][r] = 0;
                if (redraw) {
                    HDC dc = GetDC(g.mainWindow);
                    drawEmptyPoint(g, dc, c, r);
                    if (c == g.highlightCol && r == g.highlightRow) drawHighlightBox(g, dc);
                    ReleaseDC(g.mainWindow, dc);
                }
            }
        }
    }

    if (redraw) {
        HDC dc = GetDC(g.mainWindow);
        drawPoint(g, dc, col, row);
        drawLastMoveDot(g, dc, col, row);
        ReleaseDC(g.mainWindow, dc);
    }
    g.sideToMove = -side;
    return true;
}
