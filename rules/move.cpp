#include "rules/move.h"

#include <cstring>

#include "board/board.h"
#include "game/format.h"
#include "view/render.h"

namespace {

// stoneColour, inlined.  The scans below compare grid values directly: the
// ring stays 0 here and the board holds only 0, +1 and -1, for which
// stoneColour is the value itself.
inline int32 colourOf(int32 value) { return value % 2; }

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

int32 historyLength(const GameContext& g) { return static_cast<int32>(strnlen(g.moveHistory, sizeof g.moveHistory)); }

bool playMove(GameContext& g, int32 col, int32 row, bool redraw)
{
    // The history keeps kMaxMoves moves; a move beyond them is refused so that
    // the history always describes the position exactly.
    const int32 length = historyLength(g);
    if (length + 2 > 2 * kMaxMoves) return false;

    if (isPass(col, row)) {
        if (redraw) redrawPreviousLastMove(g);
        appendHistory(g, length, kPassLine, kPassLine);
        g.moveNumber += 1;
        g.lastMoveCol = kPassLine;
        g.lastMoveRow = kPassLine;
        g.lastCaptureCount = 0;
        g.sideToMove = -g.sideToMove;
        return true;
    }

    // Only points of the visible area can hold a stone; anything else (the
    // ring, lines beyond the view, the columns a damaged record can name) is
    // refused like an illegal move.
    if (!isOnBoard(g, col, row)) return false;
    if (colourOf(g.stoneGrid[col][row]) != 0) return false;

    const int32 side = g.sideToMove;
    const int32 cols = g.visibleCols;
    const int32 rows = g.visibleRows;

    g.stoneGrid[col][row] = side;
    int32 savedLabels[21][21];
    std::memcpy(savedLabels, g.chainGrid, sizeof savedLabels);
    assignChainLabel(g, side, col, row);

    // Which chains have a liberty: every empty real point marks the chains
    // of its four neighbours.  Stones stand only in the visible area, so the
    // empty points that can touch them lie within one line beyond it; the
    // ring is no point and never counts.  A chain is unmarked exactly when
    // none of its stones has an empty neighbour.
    const int32 ownLabel = g.chainGrid[col][row];
    alignas(8) uint8_t hasLiberty[368] = {};
    alignas(8) uint8_t opposing[368] = {};  // 1 for the labels of opposing chains
    const int32 lastCol = cols < 19 ? cols + 1 : 19;
    const int32 lastRow = rows < 19 ? rows + 1 : 19;
    for (int32 c = 1; c <= lastCol; ++c) {
        const int32* stones = g.stoneGrid[c];
        const int32* left = g.chainGrid[c - 1];
        const int32* here = g.chainGrid[c];
        const int32* right = g.chainGrid[c + 1];
        for (int32 r = 1; r <= lastRow; ++r) {
            if (stones[r] != 0) {
                opposing[here[r]] |= stones[r] == -side;
                continue;
            }
            hasLiberty[left[r]] = 1;
            hasLiberty[right[r]] = 1;
            hasLiberty[here[r - 1]] = 1;
            hasLiberty[here[r + 1]] = 1;
        }
    }

    // Most moves capture nothing: look for an opposing chain without a
    // liberty, eight labels at a time, before scanning the board for its
    // stones.  They are listed in scan order; the last is the captured point.
    int32 capturedCols[362], capturedRows[362];
    int32 captureCount = 0;
    uint64_t dead = 0;
    for (int32 i = 0; i < 368; i += 8) {
        uint64_t o, l;
        std::memcpy(&o, opposing + i, 8);
        std::memcpy(&l, hasLiberty + i, 8);
        dead |= o & ~l;
    }
    for (int32 c = 1; dead && c <= cols; ++c) {
        const int32* stones = g.stoneGrid[c];
        const int32* labels = g.chainGrid[c];
        for (int32 r = 1; r <= rows; ++r) {
            capturedCols[captureCount] = c;
            capturedRows[captureCount] = r;
            captureCount += (stones[r] == -side) & (hasLiberty[labels[r]] == 0);
        }
    }
    const int32 capturedCol = captureCount ? capturedCols[captureCount - 1] : 0;
    const int32 capturedRow = captureCount ? capturedRows[captureCount - 1] : 0;

    bool refused = false;
    if (captureCount == 0 && hasLiberty[ownLabel] == 0)
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

    for (int32 i = 0; i < captureCount; ++i) {
        const int32 c = capturedCols[i], r = capturedRows[i];
        g.stoneGrid[c][r] = 0;
        g.chainGrid[c][r] = 0;
        if (redraw) {
            HDC dc = GetDC(g.mainWindow);
            drawEmptyPoint(g, dc, c, r);
            if (c == g.highlightCol && r == g.highlightRow) drawHighlightBox(g, dc);
            ReleaseDC(g.mainWindow, dc);
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
