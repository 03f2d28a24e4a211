#include "solving/hints.h"

#include <cstring>

#include "board/board.h"
#include "game/format.h"
#include "problems/tree.h"
#include "rules/takeback.h"
#include "view/render.h"

namespace {

constexpr int32 kHintListMax = 200;
constexpr DWORD kHintDisplayMs = 500;

bool isEmptyVisiblePoint(const GameContext& g, int32 col, int32 row)
{
    return isOnBoard(g, col, row) && stoneColour(g.stoneGrid[col][row]) == 0;
}

}  // namespace

int32 collectHints(const GameContext& g, char* hintList)
{
    hintList[0] = '\0';
    if (!hasChildren(g, g.currentNode)) return 0;
    int32 length = 0;
    int32 child = g.currentNode + 1;  // the first child follows its parent
    for (int32 n = g.currentNode + 1; n < g.nodeCount && length < kHintListMax; ++n) {
        const int32 depth = g.nodeDepth[n];
        if (depth == g.currentDepth + 1)
            child = n;
        else if (depth <= g.currentDepth)
            break;
        // Each successful leaf of the child's subtree lists the child once more.
        if (isLeaf(g, n) && nodeFlag(g, n) == '1') {
            hintList[length++] = g.NodeText[g.nodeOffset[child] + 1];
            hintList[length++] = g.NodeText[g.nodeOffset[child] + 2];
        }
    }
    hintList[length] = '\0';
    return length;
}

void showHint(GameContext& g)
{
    if (g.freeMode) return;
    if (g.offTree) goBack(g);
    if (g.sideToMove != 1) return;

    char hintList[256];
    int32 count = collectHints(g, hintList);
    // At the end of a failed line there is nothing to suggest: go back until
    // a position with a correct answer is reached.
    while (count < 2 && std::strlen(g.moveHistory) >= 2 && g.moveNumber > 1) {
        const int32 moveBefore = g.moveNumber;
        goBack(g);
        if (g.moveNumber >= moveBefore) break;
        count = collectHints(g, hintList);
    }
    if (count < 2) return;

    // A pass answer is shown on the pass substitute point, found once for the
    // whole hint; later pass entries stay at the pass point.
    bool passConverted = false;
    int32 passCol = kPassLine, passRow = kPassLine;
    for (int32 i = 0; i + 1 < count; i += 2) {
        int32 col = pointCodeValue(hintList[i]), row = pointCodeValue(hintList[i + 1]);
        if (isPass(col, row) && !passConverted) {
            findPassSubstitute(g, col, row);
            passCol = col;
            passRow = row;
            passConverted = true;
        }
        if (isEmptyVisiblePoint(g, col, row)) {
            HDC dc = GetDC(g.mainWindow);
            drawHintMarker(g, dc, col, row);
            ReleaseDC(g.mainWindow, dc);
        }
    }

    Sleep(kHintDisplayMs);

    bool boxMoved = false;
    for (int32 i = 0; i + 1 < count; i += 2) {
        int32 col = pointCodeValue(hintList[i]), row = pointCodeValue(hintList[i + 1]);
        if (isPass(col, row)) {
            col = passCol;
            row = passRow;
        }
        if (!isEmptyVisiblePoint(g, col, row)) continue;
        HDC dc = GetDC(g.mainWindow);
        drawEmptyPoint(g, dc, col, row);
        ReleaseDC(g.mainWindow, dc);
        if (!boxMoved) {
            boxMoved = true;
            eraseHighlightBox(g);
            g.highlightCol = col;
            g.highlightRow = row;
            dc = GetDC(g.mainWindow);
            drawHighlightBox(g, dc);
            ReleaseDC(g.mainWindow, dc);
        }
    }
}
