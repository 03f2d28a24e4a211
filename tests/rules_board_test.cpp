// The board model: chain labels, setup stones, the pass substitute point and
// the board reset.
#include <gtest/gtest.h>

#include "rules/move.h"
#include "tests/rules_support.h"

using namespace rules_test;

TEST(RulesBoard, LabelsAreSmallestFreeAndMergeIntoTheFirstNeighbour)
{
    auto g = emptyBoard(9, 9);
    ASSERT_TRUE(playMove(*g, 3, 3, false));  // B
    ASSERT_TRUE(playMove(*g, 7, 7, false));  // W
    EXPECT_EQ(g->chainGrid[3][3], 1);
    EXPECT_EQ(g->chainGrid[7][7], 2);
    ASSERT_TRUE(playMove(*g, 3, 5, false));  // B, label 3
    ASSERT_TRUE(playMove(*g, 9, 9, false));  // W, label 4
    EXPECT_EQ(g->chainGrid[3][5], 3);
    // Touching the chain above (1) and the chain below (3): takes 1, and the
    // chain below is relabelled.
    ASSERT_TRUE(playMove(*g, 3, 4, false));
    EXPECT_EQ(g->chainGrid[3][4], 1);
    EXPECT_EQ(g->chainGrid[3][5], 1);
    // Left neighbour only counts when nothing friendly is above or below.
    ASSERT_TRUE(playMove(*g, 8, 7, false));  // W: its one friendly neighbour is on the left
    EXPECT_EQ(g->chainGrid[8][7], 2);
    ASSERT_TRUE(playMove(*g, 5, 5, false));  // B: label 3 is free again
    EXPECT_EQ(g->chainGrid[5][5], 3);
}

TEST(RulesBoard, CapturedLabelIsReused)
{
    auto g = boardFrom({".X.......", "XO.......", ".........", "........."});
    ASSERT_EQ(g->chainGrid[2][2], 3);
    g->sideToMove = 1;
    ASSERT_TRUE(playMove(*g, 3, 2, false));
    ASSERT_TRUE(playMove(*g, 9, 4, false));  // W elsewhere
    ASSERT_TRUE(playMove(*g, 2, 3, false));  // captures the white stone
    EXPECT_EQ(g->stoneGrid[2][2], 0);
    EXPECT_EQ(g->chainGrid[2][2], 0);
    ASSERT_TRUE(playMove(*g, 7, 1, false));  // W: label 3 is free again
    EXPECT_EQ(g->chainGrid[7][1], 3);
}

TEST(RulesBoard, SetupSectionsAndVisibility)
{
    auto g = emptyBoard(5, 4);
    std::strcpy(g->SetupText, "AABB");  // no space: black stones only
    g->setupLength = 4;
    resetBoard(*g, false);
    EXPECT_EQ(g->stoneGrid[1][1], 1);
    EXPECT_EQ(g->stoneGrid[2][2], 1);

    std::strcpy(g->SetupText, "AA CCD|");  // odd white section: no white stones
    g->setupLength = 6;
    resetBoard(*g, false);
    EXPECT_EQ(g->stoneGrid[1][1], 1);
    EXPECT_EQ(g->stoneGrid[3][3], 0);

    std::strcpy(g->SetupText, "FAAE@A ZZCC|");  // outside the 5x4 view, or the ring
    g->setupLength = 11;
    resetBoard(*g, false);
    EXPECT_EQ(diagram(*g), (std::vector<std::string>{".....", ".....", "..O..", "....."}));
    EXPECT_EQ(g->stoneGrid[6][1] + g->stoneGrid[1][5] + g->stoneGrid[0][1], 0);

    // A point named twice (a damaged record) keeps its first stone: the black
    // chain stays whole and is captured whole.
    std::strcpy(g->SetupText, "AABACA BA|");
    g->setupLength = 9;
    resetBoard(*g, false);
    EXPECT_EQ(diagram(*g)[0], "XXX..");
    ASSERT_TRUE(playMove(*g, 5, 4, false));
    ASSERT_TRUE(playMove(*g, 1, 2, false));  // W
    ASSERT_TRUE(playMove(*g, 5, 3, false));
    ASSERT_TRUE(playMove(*g, 2, 2, false));  // W
    ASSERT_TRUE(playMove(*g, 4, 4, false));
    ASSERT_TRUE(playMove(*g, 3, 2, false));  // W
    ASSERT_TRUE(playMove(*g, 3, 4, false));
    ASSERT_TRUE(playMove(*g, 4, 1, false));  // W captures all three
    EXPECT_EQ(diagram(*g)[0], "...O.");

    std::strcpy(g->SetupText, "ABA |");  // odd black section
    g->setupLength = 4;
    resetBoard(*g, false);
    EXPECT_EQ(diagram(*g), (std::vector<std::string>{".....", ".....", ".....", "....."}));
}

TEST(RulesBoard, ResetRestoresTheStartOnly)
{
    auto g = boardFrom({"X..", "...", "..O"});
    g->highlightCol = 2;
    g->highlightRow = 3;
    g->variationPending = 1;
    ASSERT_TRUE(playMove(*g, 2, 2, false));
    ASSERT_TRUE(playMove(*g, 20, 20, false));
    resetBoard(*g, false);
    EXPECT_EQ(moveState(*g).substr(0, 22), "move 1 side 1 last 1,1");
    EXPECT_STREQ(g->moveHistory, "");
    EXPECT_EQ(g->variationPending, 0);
    EXPECT_EQ(g->highlightCol, 2);
    EXPECT_EQ(diagram(*g), (std::vector<std::string>{"X..", "...", "..O"}));
}

TEST(RulesBoard, PassSubstituteSearchesTheCornerBlock)
{
    auto g = emptyBoard(7, 6);
    auto substitute = [&] {
        int32 c = 20, r = 20;
        findPassSubstitute(*g, c, r);
        return std::make_pair(c, r);
    };
    EXPECT_EQ(substitute(), std::make_pair(7, 6));
    g->stoneGrid[7][6] = 1;
    EXPECT_EQ(substitute(), std::make_pair(7, 5));
    g->stoneGrid[7][5] = -1;
    g->stoneGrid[7][4] = -1;
    EXPECT_EQ(substitute(), std::make_pair(6, 6));
    for (int c = 5; c <= 7; ++c)
        for (int r = 4; r <= 6; ++r) g->stoneGrid[c][r] = 1;
    EXPECT_EQ(substitute(), std::make_pair(20, 20));
    // A view narrower than the block never yields the ring.
    g = emptyBoard(2, 1);
    g->stoneGrid[2][1] = g->stoneGrid[1][1] = 1;
    EXPECT_EQ(substitute(), std::make_pair(20, 20));
}
