#include "board/board.h"

#include <cstring>

#include "game/format.h"
#include "game/text_util.h"

bool isOnBoard(const GameContext& g, int32 col, int32 row)
{
    return col >= 1 && col <= g.visibleCols && row >= 1 && row <= g.visibleRows;
}

bool isPass(int32 col, int32 row) { return col == kPassLine && row == kPassLine; }

void findPassSubstitute(const GameContext& g, int32& col, int32& row)
{
    for (int32 c = g.visibleCols; c >= g.visibleCols - 2; --c) {
        for (int32 r = g.visibleRows; r >= g.visibleRows - 2; --r) {
            // On a view of fewer than three lines the block would reach the
            // ring or beyond; only points of the visible area are candidates.
            if (!isOnBoard(g, c, r)) continue;
            if ((g.stoneGrid[c][r] & 1) == 0) {
                col = c;
                row = r;
                return;
            }
        }
    }
}

int32 stoneColour(int32 value) { return value % 2; }

void setBorderRing(GameContext& g, int32 value)
{
    for (int32 k = 0; k <= 20; ++k) {
        g.stoneGrid[k][0] = value;
        g.stoneGrid[k][20] = value;
        g.stoneGrid[0][k] = value;
        g.stoneGrid[20][k] = value;
    }
}

void relabelChain(GameContext& g, int32 oldLabel, int32 newLabel)
{
    for (int32 c = 1; c <= g.visibleCols; ++c)
        for (int32 r = 1; r <= g.visibleRows; ++r)
            if (g.chainGrid[c][r] == oldLabel) g.chainGrid[c][r] = newLabel;
}

void assignChainLabel(GameContext& g, int32 colour, int32 col, int32 row)
{
    // Neighbours in the order above, below, left, right.
    const int32 nc[4] = {col, col, col - 1, col + 1};
    const int32 nr[4] = {row - 1, row + 1, row, row};

    int32 label = 0;
    bool joins = false;
    for (int32 i = 0; i < 4 && !joins; ++i) {
        if (stoneColour(g.stoneGrid[nc[i]][nr[i]]) == colour) {
            label = g.chainGrid[nc[i]][nr[i]];
            joins = true;
        }
    }

    if (!joins) {
        // The smallest label no point of the visible area carries; the new
        // point itself still counts under 0, so the result is never 0.
        const int32 n = g.visibleCols * g.visibleRows;
        uint8_t used[362] = {};
        for (int32 c = 1; c <= g.visibleCols; ++c)
            for (int32 r = 1; r <= g.visibleRows; ++r) {
                int32 l = g.chainGrid[c][r];
                if (l >= 0 && l <= n) used[l] = 1;
            }
        label = 0;
        while (label <= n && used[label] != 0) ++label;
    }

    g.chainGrid[col][row] = label;

    if (joins) {
        for (int32 i = 0; i < 4; ++i) {
            if (stoneColour(g.stoneGrid[nc[i]][nr[i]]) != colour) continue;
            int32 old = g.chainGrid[nc[i]][nr[i]];
            if (old != label) relabelChain(g, old, label);
        }
    }
}

namespace {

void placeSection(GameContext& g, const char* text, int32 length, int32 colour)
{
    if (length <= 0 || length % 2 != 0) return;
    for (int32 i = 0; i < length; i += 2) {
        int32 col = pointCodeValue(text[i]);
        int32 row = pointCodeValue(text[i + 1]);
        if (!isOnBoard(g, col, row)) continue;
        // A point named twice keeps its first stone: overwriting a stone of
        // the other colour could split its chain under one label.
        if (g.stoneGrid[col][row] != 0) continue;
        g.stoneGrid[col][row] = colour;
        assignChainLabel(g, colour, col, row);
    }
}

}  // namespace

void placeSetupStones(GameContext& g)
{
    if (g.setupLength <= 0 || g.setupText == nullptr) return;
    // The sections never reach past the end of the text, whatever setupLength
    // says.
    const int32 textLength = static_cast<int32>(strnlen(g.setupText, sizeof g.SetupText));
    const int32 setupLength = g.setupLength < textLength ? g.setupLength : textLength;
    const int32 space = charIndex(g.setupText, ' ');
    if (space < 0) {
        placeSection(g, g.setupText, setupLength, +1);
        return;
    }
    placeSection(g, g.setupText, space, +1);
    placeSection(g, g.setupText + space + 1, setupLength - space - 1, -1);
}

void resetBoard(GameContext& g, bool repaint)
{
    g.variationPending = 0;
    g.lastCaptureCount = 0;
    g.moveNumber = 1;
    g.lastMoveCol = 1;
    g.lastMoveRow = 1;
    std::memset(g.chainGrid, 0, sizeof g.chainGrid);
    std::memset(g.stoneGrid, 0, sizeof g.stoneGrid);
    g.moveHistory[0] = '\0';
    g.sideToMove = +1;
    placeSetupStones(g);
    if (repaint && g.mainWindow) InvalidateRect(g.mainWindow, nullptr, FALSE);
}
