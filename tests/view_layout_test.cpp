// Board layout: grid size from the screen and the problem, point/pixel mappings.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "game/context.h"
#include "game/layout.h"

namespace {

struct Fit {
    int cell, radius, cols, rows;
};

Fit fitted(int width, int height, int problemCols, int problemRows)
{
    auto g = std::make_unique<GameContext>();
    g->boardAreaWidth = width;
    g->boardAreaHeight = g->statusBottom = height;
    g->problemCols = problemCols;
    g->problemRows = problemRows;
    fitBoardToProblem(*g);
    return {g->cellSize, g->stoneRadius, g->visibleCols, g->visibleRows};
}

void expectFit(Fit f, int cell, int radius, int cols, int rows)
{
    EXPECT_EQ(f.cell, cell);
    EXPECT_EQ(f.radius, radius);
    EXPECT_EQ(f.cols, cols);
    EXPECT_EQ(f.rows, rows);
}

}  // namespace

// A new context has the 240 x 320 screen's construction layout; a problem
// gets the largest even cell that fits it, grown until one direction shows
// 19 lines or fewer.
TEST(Layout, ConstructionAndProblemSizes)
{
    auto g = std::make_unique<GameContext>();
    EXPECT_EQ(
        (std::vector<int>{g->boardAreaWidth, g->boardAreaHeight, g->statusBottom, g->problemCols, g->problemRows}),
        (std::vector<int>{240, 268, 268, 12, 12}));
    expectFit({g->cellSize, g->stoneRadius, g->visibleCols, g->visibleRows}, 16, 7, 15, 17);
    expectFit(fitted(240, 268, 19, 19), 13, 5, 19, 19);  // grows from 12 to 13
    expectFit(fitted(240, 268, 18, 18), 13, 5, 19, 19);  // 13 made even, then grows
    expectFit(fitted(240, 268, 17, 17), 14, 6, 18, 19);
    expectFit(fitted(240, 268, 13, 13), 18, 8, 14, 15);
    expectFit(fitted(240, 268, 9, 9), 26, 12, 10, 11);
    expectFit(fitted(240, 268, 3, 3), 80, 39, 3, 4);
    expectFit(fitted(480, 588, 19, 19), 25, 11, 19, 19);  // a large screen: from 24 to 25
    // Grown step by step from the construction cell, the radius keeps up.
    g->boardAreaWidth = 480;
    g->boardAreaHeight = g->statusBottom = 588;
    computeVisibleLines(*g);
    expectFit({g->cellSize, g->stoneRadius, g->visibleCols, g->visibleRows}, 25, 11, 19, 19);
}

TEST(Layout, PixelMappings)
{
    auto g = std::make_unique<GameContext>();
    g->problemCols = g->problemRows = 13;
    fitBoardToProblem(*g);                 // cell 18, radius 8, 14 x 15 lines
    EXPECT_EQ(pointCenterX(*g, 14), 242);  // mostly beyond the right edge
    EXPECT_EQ(colAtX(*g, 239), 14);
    EXPECT_EQ(colAtX(*g, 0), 1);
    EXPECT_EQ(colAtX(*g, 17), 1);
    EXPECT_EQ(colAtX(*g, 18), 2);
    EXPECT_EQ(colAtX(*g, 252), 0);  // column 15 is not shown
    EXPECT_EQ(rowAtY(*g, 269), 15);
    EXPECT_EQ(rowAtY(*g, 270), 0);

    // A width that is a multiple of the cell size maps its last pixel + 1 to no column.
    auto c = std::make_unique<GameContext>();
    EXPECT_EQ(colAtX(*c, 239), 15);
    EXPECT_EQ(colAtX(*c, 240), 0);
}
