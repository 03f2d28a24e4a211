#include "problems/tree.h"

#include <cstring>

#include "board/board.h"
#include "game/format.h"
#include "game/layout.h"
#include "game/notify.h"

namespace {

constexpr int32 kIndexSlots = 500;  // slots 0..499; slot 500 is never written
constexpr int32 kMaxIndexed = 499;  // leaves slot 499 for the terminator

// Position of the first c in s, searching no further than limit characters
// (NodeText is searched from an offset; the limit keeps the search inside it).
int32 boundedIndex(const char* s, int32 limit, char c)
{
    for (int32 i = 0; i < limit && s[i] != '\0'; ++i)
        if (s[i] == c) return i;
    return -1;
}

bool validNode(const GameContext& g, int32 n) { return n >= 0 && n < g.nodeCount && g.nodeOffset[n] >= 0; }

}  // namespace

void startProblem(GameContext& g)
{
    g.setupText = g.SetupText;
    const int32 setupSize = static_cast<int32>(sizeof g.SetupText);
    g.setupLength = boundedIndex(g.SetupText, setupSize, '|');
    if (g.setupLength <= 0) g.setupLength = static_cast<int32>(strnlen(g.SetupText, setupSize - 1));

    fitBoardToProblem(g);
    g.offTree = 0;

    g.nodeCount = 0;
    for (int32 i = 0; i < kIndexSlots; ++i) {
        g.visitedFlags[i] = 0;
        g.nodeDepth[i] = 0;
        g.nodeLength[i] = 0;
        g.nodeOffset[i] = -1;
    }

    const int32 textSize = static_cast<int32>(sizeof g.NodeText);
    int32 p = 0;
    int32 i = 0;
    for (;;) {
        int32 k = boundedIndex(g.NodeText + p, textSize - p, '~');
        if (k <= 4 || i == kMaxIndexed) break;
        g.nodeOffset[i] = p;
        g.nodeLength[i] = k;
        g.nodeDepth[i] = static_cast<signed char>(g.NodeText[p]) - '0';
        p += k + 1;
        ++i;
    }
    g.nodeCount = i;
    g.nodeOffset[i] = p;
    g.nodeDepth[i] = 0;
    g.nodeLength[i] = 0;

    g.solvedFlag = 0;
    g.failedFlag = 0;
    resetBoard(g, true);
    g.currentNode = 0;
    g.currentDepth = 0;
    if (g.mainWindow) PostMessageW(g.mainWindow, kNotifyProblemStarted, 0, 0);
    g.problemLoaded = 1;
}

int32 parentNode(const GameContext& g, int32 n)
{
    if (n <= 0 || n > kIndexSlots) return -1;
    const int32 want = g.nodeDepth[n] - 1;
    for (int32 j = n - 1; j >= 0; --j)
        if (g.nodeDepth[j] == want) return j;
    return -1;
}

int32 childCount(const GameContext& g, int32 n)
{
    if (n < 0 || n > kIndexSlots) return 0;
    const int32 depth = g.nodeDepth[n];
    int32 count = 0;
    for (int32 j = n + 1; j < g.nodeCount && g.nodeDepth[j] > depth; ++j)
        if (g.nodeDepth[j] == depth + 1) ++count;
    return count;
}

bool hasChildren(const GameContext& g, int32 n)
{
    if (n < 0 || n >= kIndexSlots) return false;
    return g.nodeDepth[n + 1] == g.nodeDepth[n] + 1;
}

bool isLeaf(const GameContext& g, int32 n) { return !hasChildren(g, n); }

bool isBlackDepth(int32 depth) { return depth % 2 != 0; }

int32 nodeCol(const GameContext& g, int32 n)
{
    if (!validNode(g, n)) return 0;
    return pointCodeValue(g.NodeText[g.nodeOffset[n] + 1]);
}

int32 nodeRow(const GameContext& g, int32 n)
{
    if (!validNode(g, n)) return 0;
    return pointCodeValue(g.NodeText[g.nodeOffset[n] + 2]);
}

char nodeFlag(const GameContext& g, int32 n)
{
    if (!validNode(g, n)) return '0';
    return g.NodeText[g.nodeOffset[n] + 3];
}
