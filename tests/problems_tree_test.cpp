// The problem tree index: building the node table, its terminator and limits,
// the tree queries, and restarting a problem.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "problems/record.h"
#include "problems/tree.h"
#include "rules/move.h"
#include "tests/rules_support.h"

using namespace rules_test;

namespace {

// A context with the given decoded texts, started.
std::unique_ptr<GameContext> started(const std::string& setup, const std::string& nodes)
{
    auto g = std::make_unique<GameContext>();
    std::memcpy(g->SetupText, setup.c_str(), setup.size() + 1);
    std::memcpy(g->NodeText, nodes.c_str(), nodes.size() + 1);
    g->problemCols = g->problemRows = 9;
    startProblem(*g);
    return g;
}

std::string entry(int depth, const char* point = "AA", char flag = '0')
{
    return std::string(1, static_cast<char>('0' + depth)) + point + flag + " ~";
}

}  // namespace

TEST(Tree, IndexOfTheWorkedExample)
{
    auto g = started("CCDC CD|", "00000~1DD0 ~2ED0 ~3EE1 ~2DE0 ~3ED1 ~");
    EXPECT_EQ(g->setupText, g->SetupText);
    EXPECT_EQ(g->setupLength, 7);
    ASSERT_EQ(g->nodeCount, 6);
    const int32 depths[] = {0, 1, 2, 3, 2, 3};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(g->nodeOffset[i], 6 * i);
        EXPECT_EQ(g->nodeDepth[i], depths[i]);
        EXPECT_EQ(g->nodeLength[i], 5);
    }
    EXPECT_EQ(g->nodeOffset[6], 36);
    EXPECT_EQ(g->nodeDepth[6], 0);
    EXPECT_EQ(g->nodeOffset[7], -1);
    EXPECT_EQ(childCount(*g, 1), 2);
    EXPECT_EQ(parentNode(*g, 4), 1);
    EXPECT_EQ(parentNode(*g, 5), 4);
    EXPECT_TRUE(isLeaf(*g, 5));  // reads the terminator
    EXPECT_EQ(nodeCol(*g, 2), 5);
    EXPECT_EQ(nodeRow(*g, 2), 4);
    EXPECT_EQ(nodeFlag(*g, 3), '1');
    EXPECT_EQ(nodeCol(*g, 6), 0);  // not a node
    // The setup stones stand on the board, Black to move at the root.
    EXPECT_EQ(g->stoneGrid[3][3], 1);
    EXPECT_EQ(g->stoneGrid[4][3], 1);
    EXPECT_EQ(g->stoneGrid[3][4], -1);
    EXPECT_EQ(g->currentNode, 0);
    EXPECT_EQ(g->problemLoaded, 1);
}

TEST(Tree, QueriesFollowDepthFirstOrder)
{
    auto g = started(" |", "00000~" + entry(1) + entry(2) + entry(2) + entry(1));
    EXPECT_EQ(g->setupLength, 1);
    EXPECT_EQ(parentNode(*g, 0), -1);
    EXPECT_EQ(parentNode(*g, 2), 1);
    EXPECT_EQ(parentNode(*g, 3), 1);
    EXPECT_EQ(parentNode(*g, 4), 0);
    EXPECT_EQ(childCount(*g, 0), 2);
    EXPECT_EQ(childCount(*g, 1), 2);
    EXPECT_EQ(childCount(*g, 2), 0);
    EXPECT_TRUE(hasChildren(*g, 1));
    for (int n : {2, 3, 4}) EXPECT_TRUE(isLeaf(*g, n)) << n;
    EXPECT_TRUE(isBlackDepth(1));
    EXPECT_FALSE(isBlackDepth(2));
    EXPECT_FALSE(isBlackDepth(0));

    // A depth that jumps: the parent is the nearest earlier node one shallower.
    g = started(" |", "00000~" + entry(1) + entry(3) + entry(2) + entry(4));
    EXPECT_EQ(parentNode(*g, 2), -1);
    EXPECT_EQ(parentNode(*g, 3), 1);
    EXPECT_EQ(parentNode(*g, 4), 2);

    // The root alone.
    g = started(" |", "00000~");
    EXPECT_EQ(g->nodeCount, 1);
    EXPECT_TRUE(isLeaf(*g, 0));
    EXPECT_EQ(childCount(*g, 0), 0);
    EXPECT_EQ(g->nodeOffset[1], 6);
    // Out-of-range node numbers answer without touching the table.
    EXPECT_EQ(parentNode(*g, 9999), -1);
    EXPECT_EQ(childCount(*g, -3), 0);
    EXPECT_FALSE(hasChildren(*g, 500));
}

TEST(Tree, IndexStopsAt499NodesAndAtShortEntries)
{
    std::string nodes = "00000~";
    for (int i = 1; i < 511; ++i) nodes += entry(1 + i % 5);
    auto g = started(" |", nodes);
    EXPECT_EQ(g->nodeCount, 499);
    EXPECT_EQ(g->nodeOffset[499], 2994);
    EXPECT_EQ(g->nodeDepth[499], 0);

    g = started(" |", "00000~1AA0 ~2AB~3AC0 ~");
    EXPECT_EQ(g->nodeCount, 2);
    g = started(" |", "");
    EXPECT_EQ(g->nodeCount, 0);
    EXPECT_EQ(g->nodeOffset[0], 0);
    // A text filling the whole buffer without a terminator is not read past.
    g = std::make_unique<GameContext>();
    std::memset(g->NodeText, '7', sizeof g->NodeText);
    std::memset(g->SetupText, 'A', sizeof g->SetupText);
    startProblem(*g);
    EXPECT_EQ(g->nodeCount, 0);
    EXPECT_EQ(g->setupLength, 767);
}

TEST(Tree, RestartClearsPlayAndKeepsTheIndex)
{
    auto g = started("CCDC CD|", "00000~1DD0 ~2ED0 ~3EE1 ~2DE0 ~3ED1 ~");
    auto fresh = std::make_unique<GameContext>(*g);
    ASSERT_TRUE(playMove(*g, 4, 4, false));
    ASSERT_TRUE(playMove(*g, 5, 4, false));
    g->currentNode = g->currentDepth = 2;
    g->visitedFlags[4] = 1;
    g->solvedFlag = g->failedFlag = g->offTree = 1;
    startProblem(*g);
    EXPECT_EQ(0, std::memcmp(g->nodeOffset, fresh->nodeOffset, sizeof g->nodeOffset));
    EXPECT_EQ(0, std::memcmp(g->nodeDepth, fresh->nodeDepth, sizeof g->nodeDepth));
    EXPECT_EQ(0, std::memcmp(g->visitedFlags, fresh->visitedFlags, sizeof g->visitedFlags));
    EXPECT_EQ(0, std::memcmp(g->stoneGrid, fresh->stoneGrid, sizeof g->stoneGrid));
    EXPECT_EQ(0, std::memcmp(g->chainGrid, fresh->chainGrid, sizeof g->chainGrid));
    EXPECT_STREQ(g->moveHistory, "");
    EXPECT_EQ(g->currentNode + g->currentDepth + g->solvedFlag + g->failedFlag + g->offTree, 0);
    EXPECT_EQ(g->moveNumber, 1);
}
