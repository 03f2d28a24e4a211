// Move execution: captures, suicide, ko, passes, the history limit and moves
// that no stone can be played on.
#include <gtest/gtest.h>

#include "rules/move.h"
#include "tests/rules_support.h"

using namespace rules_test;

namespace {

using Diagram = std::vector<std::string>;

bool play(GameContext& g, int side, int col, int row)
{
    g.sideToMove = side;
    return playMove(g, col, row, false);
}

// A refused move leaves every field as it was.
void expectRefusedUnchanged(GameContext& g, int side, int col, int row)
{
    g.sideToMove = side;
    const std::string before = stateBytes(g);
    EXPECT_FALSE(playMove(g, col, row, false)) << col << "," << row;
    EXPECT_TRUE(stateBytes(g) == before) << "state changed by " << col << "," << row;
}

}  // namespace

TEST(RulesMove, SingleAndMultipleChainCaptures)
{
    auto g = boardFrom({"O....", "X....", "....."});
    ASSERT_TRUE(play(*g, 1, 2, 1));
    EXPECT_EQ(g->stoneGrid[1][1] | g->chainGrid[1][1], 0);
    EXPECT_EQ(moveState(*g), "move 2 side -1 last 2,1 captured 1 history BA");

    // One move takes four white chains; stones are counted, not chains.
    g = boardFrom({".XOX.", "XO.OX", ".XOX.", "..X..", "....."});
    ASSERT_TRUE(play(*g, 1, 3, 2));
    EXPECT_EQ(g->lastCaptureCount, 4);
    EXPECT_EQ(diagram(*g), (Diagram{".X.X.", "X.X.X", ".X.X.", "..X..", "....."}));

    // A two-stone chain, right after a single capture elsewhere.
    g = boardFrom({"O......", "X......", "....O..", "..OXXO.", "...OO.."});
    ASSERT_TRUE(play(*g, 1, 2, 1));
    ASSERT_TRUE(play(*g, -1, 4, 3));
    EXPECT_EQ(g->lastCaptureCount, 2);
    EXPECT_EQ(g->stoneGrid[4][4] | g->stoneGrid[5][4], 0);
}

TEST(RulesMove, EdgeOfAPartialViewGivesLiberties)
{
    // Black on the rightmost visible column of a 5-wide view keeps the
    // liberties beyond it; on a full board the ring closes it in.
    auto g = boardFrom({"...OX", "...OX", "....."});
    ASSERT_TRUE(play(*g, -1, 5, 3));
    EXPECT_EQ(g->lastCaptureCount, 0);
    EXPECT_EQ(g->stoneGrid[5][1] + g->stoneGrid[5][2], 2);

    g = emptyBoard(19, 19);
    for (int r : {1, 2}) ASSERT_TRUE(play(*g, 1, 19, r));
    for (int r : {1, 2}) ASSERT_TRUE(play(*g, -1, 18, r));
    ASSERT_TRUE(play(*g, -1, 19, 3));
    EXPECT_EQ(g->lastCaptureCount, 2);

    // The same below the bottom visible row.
    g = boardFrom({".....", ".....", "OO...", "XXO.."});
    ASSERT_TRUE(play(*g, -1, 5, 1));
    EXPECT_EQ(g->stoneGrid[1][4] + g->stoneGrid[2][4], 2);
    EXPECT_TRUE(g->visibleRows < 19);
}

TEST(RulesMove, SuicideIsRefusedWithEveryFieldUnchanged)
{
    auto g = boardFrom({".O...", "O....", "....."});
    ASSERT_TRUE(play(*g, 1, 5, 3));  // some history first
    expectRefusedUnchanged(*g, 1, 1, 1);

    // Filling the last liberty of one's own chain.
    g = boardFrom({"XXO..", ".XO..", "OO...", "....."});
    expectRefusedUnchanged(*g, 1, 1, 2);

    // Without a liberty of its own, a move that captures is accepted.
    g = boardFrom({".XO..", "XO.O.", ".XO..", "....."});
    ASSERT_TRUE(play(*g, 1, 3, 2));
    EXPECT_EQ(g->stoneGrid[2][2], 0);
    EXPECT_EQ(g->lastCaptureCount, 1);

    // Occupied points, either colour.
    expectRefusedUnchanged(*g, -1, 3, 2);
    expectRefusedUnchanged(*g, 1, 3, 1);
}

TEST(RulesMove, KoRefusesOnlyTheImmediateSingleRetake)
{
    const Diagram ko = {".XO....", "X.XO...", ".XO..X.", "....XOX", "......."};
    auto g = boardFrom(ko);
    ASSERT_TRUE(play(*g, -1, 2, 2));  // white takes the black stone at (3,2)
    ASSERT_EQ(g->lastCaptureCount, 1);
    expectRefusedUnchanged(*g, 1, 3, 2);

    // A single capture of another stone is fine right after.
    auto other = std::make_unique<GameContext>(*g);
    ASSERT_TRUE(play(*other, 1, 6, 5));
    EXPECT_EQ(other->lastCaptureCount, 1);

    // After moves elsewhere, or passes, the retake is allowed.
    auto later = std::make_unique<GameContext>(*g);
    ASSERT_TRUE(play(*later, 1, 7, 1));
    ASSERT_TRUE(play(*later, -1, 7, 2));
    ASSERT_TRUE(play(*later, 1, 3, 2));
    EXPECT_EQ(later->stoneGrid[2][2], 0);
    ASSERT_TRUE(playMove(*g, 20, 20, false));
    ASSERT_TRUE(playMove(*g, 20, 20, false));
    ASSERT_TRUE(play(*g, 1, 3, 2));
    // And now white may not take back at once.
    expectRefusedUnchanged(*g, -1, 2, 2);
}

TEST(RulesMove, PassAndTheHistoryLimit)
{
    auto g = emptyBoard(9, 9);
    ASSERT_TRUE(play(*g, 1, 3, 3));
    ASSERT_TRUE(playMove(*g, 20, 20, false));
    EXPECT_EQ(moveState(*g), "move 3 side 1 last 20,20 captured 0 history CCTT");

    // 511 moves fit; the 512th, stone or pass, is refused.
    for (int i = 2; i < kMaxMoves; ++i) ASSERT_TRUE(playMove(*g, 20, 20, false)) << i;
    EXPECT_EQ(std::strlen(g->moveHistory), 1022u);
    EXPECT_EQ(g->moveNumber, 512);
    expectRefusedUnchanged(*g, 1, 5, 5);
    expectRefusedUnchanged(*g, 1, 20, 20);
}

TEST(RulesMove, PointsWhereNoStoneCanStandAreRefused)
{
    auto g = boardFrom({"X....", ".....", "....."}, 5, 3);
    for (auto [c, r] : std::vector<std::pair<int, int>>{
             {0, 1}, {1, 0}, {20, 1}, {1, 20}, {6, 1}, {1, 4}, {19, 19}, {21, 3}, {26, 26}, {-4, 2}, {20, 19}})
        expectRefusedUnchanged(*g, -1, c, r);
}
