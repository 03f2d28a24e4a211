// Takeback by replay: captures and passes taken back, the tree position
// following the history, the Back command, and what the replay draws.
#include <gtest/gtest.h>

#include "game/layout.h"
#include "game/notify.h"
#include "problems/tree.h"
#include "rules/move.h"
#include "rules/takeback.h"
#include "tests/rules_support.h"
#include "tests/support.h"

using namespace rules_test;

namespace {

using Diagram = std::vector<std::string>;

// The game as the rules see it: position, labels and move state.
void expectSameGame(const GameContext& a, const GameContext& b)
{
    EXPECT_EQ(0, std::memcmp(a.stoneGrid, b.stoneGrid, sizeof a.stoneGrid));
    EXPECT_EQ(0, std::memcmp(a.chainGrid, b.chainGrid, sizeof a.chainGrid));
    EXPECT_EQ(moveState(a), moveState(b));
}

// The worked-example problem, started: Black (4,4) is node 1, White's reply
// (5,4) node 2, then (5,5) node 3; a second line 4/5 below node 1.
std::unique_ptr<GameContext> workedProblem()
{
    auto g = std::make_unique<GameContext>();
    std::strcpy(g->SetupText, "CCDC CD|");
    std::strcpy(g->NodeText, "00000~1DD0 ~2ED0 ~3EE1 ~2DE0 ~3ED1 ~");
    g->problemCols = 9;
    g->problemRows = 7;
    startProblem(*g);
    return g;
}

}  // namespace

TEST(RulesTakeback, CapturesComeBackAndEveryFieldIsRestored)
{
    auto g = boardFrom({".XO....", "X.XO...", ".XO....", "......."});
    ASSERT_TRUE(playMove(*g, 6, 4, false));  // B
    ASSERT_TRUE(playMove(*g, 2, 2, false));  // W takes (3,2)
    auto beforeRetake = std::make_unique<GameContext>(*g);
    ASSERT_TRUE(playMove(*g, 7, 4, false));  // B elsewhere
    ASSERT_TRUE(playMove(*g, 6, 3, false));  // W
    ASSERT_TRUE(playMove(*g, 3, 2, false));  // B takes back the ko
    EXPECT_EQ(g->stoneGrid[2][2], 0);
    takeBackMove(*g);
    takeBackMove(*g);
    takeBackMove(*g);
    expectSameGame(*g, *beforeRetake);
    EXPECT_EQ(g->stoneGrid[2][2], -1);
    EXPECT_EQ(g->stoneGrid[3][2], 0);
    // The ko state comes back with it: the retake is refused again.
    EXPECT_FALSE(playMove(*g, 3, 2, false));

    takeBackMove(*g);
    EXPECT_EQ(g->stoneGrid[3][2], 1);
    takeBackMove(*g);  // one move left: back to the setup
    EXPECT_EQ(moveState(*g).substr(0, 22), "move 1 side 1 last 1,1");
    takeBackMove(*g);  // nothing left: unchanged
    EXPECT_EQ(g->moveNumber, 1);
}

TEST(RulesTakeback, PassesReplayOnTheSubstitutePoint)
{
    auto g = emptyBoard(9, 9);
    for (auto [c, r] : std::vector<std::pair<int, int>>{{20, 20}, {3, 3}, {4, 4}, {5, 5}})
        ASSERT_TRUE(playMove(*g, c, r, false));
    EXPECT_STREQ(g->moveHistory, "TTCCDDEE");
    takeBackMove(*g);
    takeBackMove(*g);
    EXPECT_EQ(moveState(*g), "move 3 side 1 last 3,3 captured 0 history IICC");
    EXPECT_EQ(g->stoneGrid[9][9], 1);

    // With the corner block full the pass stays a pass.
    g = boardFrom({".........", "......XXX", "......XXX", "......XXX"});
    ASSERT_TRUE(playMove(*g, 20, 20, false));
    ASSERT_TRUE(playMove(*g, 1, 1, false));
    ASSERT_TRUE(playMove(*g, 2, 2, false));
    takeBackMove(*g);
    EXPECT_STREQ(g->moveHistory, "TTAA");
    EXPECT_EQ(g->lastMoveCol, 1);

    // The longest history: its passes become stones in the corner (some of
    // them refused there, and so dropped), and the history stays in step.
    g = emptyBoard(19, 19);
    for (int i = 0; i < kMaxMoves; ++i) ASSERT_TRUE(playMove(*g, 20, 20, false));
    takeBackMove(*g);
    EXPECT_EQ(g->moveNumber, 1 + static_cast<int>(std::strlen(g->moveHistory)) / 2);
    EXPECT_EQ(g->sideToMove, g->moveNumber % 2 ? 1 : -1);
    EXPECT_EQ(std::string(g->moveHistory, 4), "SSSR");
}

TEST(RulesTakeback, TreePositionFollowsTheHistory)
{
    auto g = workedProblem();
    ASSERT_TRUE(playMove(*g, 4, 4, false));
    ASSERT_TRUE(playMove(*g, 5, 4, false));
    g->currentNode = 2;
    g->currentDepth = 2;
    takeBackMove(*g);
    stepTreeBack(*g);
    EXPECT_EQ(g->currentNode * 10 + g->currentDepth, 11);

    // A move off the tree: the tree stays put until the history is back in step.
    ASSERT_TRUE(playMove(*g, 8, 1, false));
    takeBackMove(*g);
    stepTreeBack(*g);
    EXPECT_EQ(g->currentNode, 1);
    takeBackMove(*g);
    stepTreeBack(*g);
    EXPECT_EQ(g->currentNode * 10 + g->currentDepth, 0);
    stepTreeBack(*g);
    EXPECT_EQ(g->currentNode, 0);
}

class RulesTakebackDrawn : public PlatformTest {
protected:
    // Screen pixel inside the stone's disc, away from the grid lines.
    uint32_t stonePixel(const GameContext& g, int col, int row)
    {
        return at(pointCenterX(g, col) + 2, pointCenterY(g, row) + 2 + 26);
    }
};

TEST_F(RulesTakebackDrawn, BackInSolvingModeTakesBackTheReplyAndRedraws)
{
    auto g = workedProblem();
    g->mainWindow = window();
    pump();
    // Black (4,4), White (5,4), then Black (5,5) against the tree's line.
    ASSERT_TRUE(playMove(*g, 4, 4, true));
    ASSERT_TRUE(playMove(*g, 5, 4, true));
    g->currentNode = 2;
    g->currentDepth = 2;
    EXPECT_EQ(stonePixel(*g, 5, 4), 0xFFFFFFu);
    g->solvedFlag = 1;
    g->offTree = 1;
    received().clear();
    goBack(*g);
    EXPECT_EQ(moveState(*g).substr(0, 13), "move 1 side 1");
    EXPECT_EQ(g->currentNode + g->solvedFlag + g->offTree, 0);
    EXPECT_EQ(g->highlightCol * 100 + g->highlightRow, 101);
    EXPECT_EQ(stonePixel(*g, 5, 4), 0xFFFF00u);  // both stones erased at once
    EXPECT_EQ(stonePixel(*g, 4, 4), 0xFFFF00u);
    pump();
    EXPECT_EQ(messagesTo(g->mainWindow).front(), kNotifyMovePlayed);

    // A black move with no reply is taken back alone; free mode takes one.
    ASSERT_TRUE(playMove(*g, 4, 4, true));
    ASSERT_TRUE(playMove(*g, 5, 4, true));
    ASSERT_TRUE(playMove(*g, 1, 7, true));
    goBack(*g);
    EXPECT_EQ(g->moveNumber, 3);
    g->freeMode = 1;
    goBack(*g);
    EXPECT_EQ(g->moveNumber, 2);
    EXPECT_EQ(g->sideToMove, -1);
    goBack(*g);
    goBack(*g);  // nothing left to take back
    EXPECT_EQ(g->moveNumber, 1);
}

TEST_F(RulesTakebackDrawn, RedrawChangesNothingButTheScreen)
{
    auto drawn = boardFrom({"O....", "X....", "....."});
    auto silent = std::make_unique<GameContext>(*drawn);
    drawn->mainWindow = window();
    pump();
    const std::vector<uint32_t> screen(screenPixels(), screenPixels() + 240 * 320);
    ASSERT_TRUE(playMove(*silent, 2, 1, false));
    ASSERT_TRUE(playMove(*silent, 20, 20, false));
    EXPECT_TRUE(std::equal(screen.begin(), screen.end(), screenPixels()));
    ASSERT_TRUE(playMove(*drawn, 2, 1, true));
    ASSERT_TRUE(playMove(*drawn, 20, 20, true));
    expectSameGame(*drawn, *silent);
    EXPECT_EQ(stonePixel(*drawn, 2, 1), 0x000000u);
    EXPECT_EQ(stonePixel(*drawn, 1, 1), 0xFFFF00u);  // the captured stone
    // The captured stone comes back on the screen with the takeback.
    takeBackMove(*drawn);
    takeBackMove(*drawn);
    EXPECT_EQ(stonePixel(*drawn, 1, 1), 0xFFFFFFu);
    EXPECT_EQ(stonePixel(*drawn, 2, 1), 0xFFFF00u);
}
