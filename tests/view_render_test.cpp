// Board rendering: the pixels of the board, grid, star points, stones, the
// last-move dot and the highlight box, computed from the layout rules and
// compared with what the drawing code puts into the framebuffer.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <tuple>

#include "game/context.h"
#include "game/layout.h"
#include "tests/support.h"
#include "view/render.h"

namespace {

constexpr uint32_t kYellow = 0xFFFF00, kBlack = 0x000000, kWhite = 0xFFFFFF, kRed = 0xFF0000, kBlue = 0x0000FF,
                   kGreen = 0x00FF00, kMagenta = 0xFF00FF;

class Render : public ::testing::Test {
protected:
    RecordingFrontEnd fe;
    std::unique_ptr<GameContext> g;

    void start(int width, int height)
    {
        platformStart(width, height, &fe);
        g = std::make_unique<GameContext>();
        g->mainWindow =
            openWindow(L"BOARD", DefWindowProcW, 0, kTitleBarHeight, width, height - kTitleBarHeight - kMenuBarHeight);
    }
    void TearDown() override
    {
        g.reset();
        platformStart(240, 320, nullptr);
    }

    void draw()
    {
        HDC dc = GetDC(g->mainWindow);
        drawBoard(*g, dc);
        ReleaseDC(g->mainWindow, dc);
    }
    // Client pixel.
    static uint32_t at(int x, int y) { return screenPixels()[(y + kTitleBarHeight) * screenWidth() + x]; }
    int cx(int col) const { return pointCenterX(*g, col); }
    int cy(int row) const { return pointCenterY(*g, row); }

    // Is any pixel of colour c inside the box, and none of it in the ring of
    // pixels just outside the box?
    bool colourOnlyInside(uint32_t c, int left, int top, int right, int bottom) const
    {
        bool inside = false;
        for (int y = top - 1; y <= bottom; ++y)
            for (int x = left - 1; x <= right; ++x) {
                bool in = x >= left && x < right && y >= top && y < bottom;
                if (at(x, y) == c) {
                    if (!in) return false;
                    inside = true;
                }
            }
        return inside;
    }
};

}  // namespace

TEST_F(Render, EmptyBoardInTheConstructionLayout)
{
    start(240, 320);
    draw();
    ASSERT_EQ(g->cellSize, 16);
    // Vertical lines run from row 1's centre to the bottom of the client area.
    for (int col = 2; col <= 15; ++col) {
        EXPECT_EQ(at(cx(col), cy(1) - 1), kYellow) << col;
        for (int y = cy(1); y < 268; ++y) {
            bool star = (col == 4 || col == 10) &&
                        (std::abs(y - cy(4)) <= 2 || std::abs(y - cy(10)) <= 2 || std::abs(y - cy(16)) <= 2);
            if (!star) {
                ASSERT_EQ(at(cx(col), y), kBlack) << col << "," << y;
            }
        }
    }
    // Horizontal lines: joined without gap at the even cell size, up to the
    // last pixel before the end point of column 15's segment.
    for (int row = 2; row <= 17; ++row) {
        EXPECT_EQ(at(cx(1) - 1, cy(row)), kYellow);
        for (int x = cx(1); x <= cx(15) + 7; ++x) {
            if (at(x, cy(row)) != kBlue) {
                ASSERT_EQ(at(x, cy(row)), kBlack) << x << "," << row;
            }
        }
        EXPECT_EQ(at(cx(15) + 8, cy(row)), kYellow);
    }
    // Cells between the lines are yellow; six star points are blue inside
    // black in their 4x4 boxes.
    EXPECT_EQ(at(cx(2) + 5, cy(2) + 5), kYellow);
    for (int col : {4, 10})
        for (int row : {4, 10, 16})
            EXPECT_TRUE(colourOnlyInside(kBlue, cx(col) - 2, cy(row) - 2, cx(col) + 2, cy(row) + 2));
    EXPECT_NE(at(cx(4) + 16, cy(4)), kBlue);
    // Highlight box at (1,1), no last-move dot (lastMove is (0,0)).
    EXPECT_EQ(at(0, 0), kRed);
    EXPECT_EQ(at(0, 13), kRed);
    EXPECT_EQ(at(13, 13), kRed);
    EXPECT_EQ(at(13, 1), kRed);
    EXPECT_EQ(at(14, 0), kYellow);
    EXPECT_FALSE(colourOnlyInside(kRed, cx(1) - 2, cy(1) - 2, cx(1) + 2, cy(1) + 2));
}

TEST_F(Render, NineteenLinePositionWithOddCellSize)
{
    start(240, 320);
    g->problemCols = g->problemRows = 19;
    fitBoardToProblem(*g);
    ASSERT_EQ(g->cellSize, 13);
    ASSERT_EQ(g->stoneRadius, 5);
    g->stoneGrid[3][3] = 1;
    g->stoneGrid[4][3] = -1;
    g->stoneGrid[19][19] = 1;
    g->lastMoveCol = 4;
    g->lastMoveRow = 3;
    g->highlightCol = 3;
    g->highlightRow = 3;
    draw();

    // The yellow board ends at 19 * 13 + 2 = 249 pixels.
    EXPECT_EQ(at(100, 248), kYellow);
    EXPECT_NE(at(100, 249), kYellow);
    // One background pixel between neighbouring segments at the odd size.
    for (int k = 1; k <= 18; ++k) {
        EXPECT_EQ(at(cx(k) + 5, cy(10)), kBlack) << k;
        EXPECT_EQ(at(cx(k) + 6, cy(10)), kYellow) << k;
        EXPECT_EQ(at(cx(k) + 7, cy(10)), kBlack) << k;
    }
    // Line 19 ends at its point on both axes; line 1 starts at its point.
    EXPECT_EQ(at(cx(19) + 1, cy(5)), kYellow);
    EXPECT_EQ(at(cx(5), cy(19) + 1), kYellow);
    EXPECT_EQ(at(cx(1) - 1, cy(5)), kYellow);
    // A black stone fills its box (right and bottom edges excluded); a white
    // stone has a black outline; nothing of either leaves its box.
    EXPECT_EQ(at(cx(3), cy(3) + 2), kBlack);
    EXPECT_EQ(at(cx(3) + 2, cy(3) - 2), kBlack);
    EXPECT_EQ(at(cx(19) + 5, cy(19) - 2), kYellow);
    EXPECT_EQ(at(cx(4) - 5, cy(3)), kBlack);
    EXPECT_EQ(at(cx(4) + 2, cy(3) + 2), kWhite);
    EXPECT_TRUE(colourOnlyInside(kWhite, cx(4) - 5, cy(3) - 5, cx(4) + 5, cy(3) + 5));
    // The last-move dot is red inside its 4x4 box on the white stone.
    EXPECT_TRUE(colourOnlyInside(kRed, cx(4) - 2, cy(3) - 2, cx(4) + 2, cy(3) + 2));
    // The highlight box frames the outermost pixels of (3,3)'s square.
    EXPECT_EQ(at(cx(3) - 5, cy(3) - 5), kRed);
    EXPECT_EQ(at(cx(3) + 4, cy(3) + 4), kRed);
    EXPECT_EQ(at(cx(3) - 5, cy(3) + 4), kRed);
    EXPECT_EQ(at(cx(3) + 4, cy(3) - 5), kRed);
    EXPECT_NE(at(cx(3) + 5, cy(3) - 5), kRed);
    // Star points at radius 5 use 4x4 boxes.
    EXPECT_TRUE(colourOnlyInside(kBlue, cx(16) - 2, cy(16) - 2, cx(16) + 2, cy(16) + 2));
}

TEST_F(Render, LargeScreenAndSinglePointRedraws)
{
    start(480, 640);
    g->problemCols = g->problemRows = 19;
    fitBoardToProblem(*g);
    ASSERT_EQ(g->cellSize, 25);
    ASSERT_EQ(g->stoneRadius, 11);
    g->stoneGrid[5][6] = -1;
    draw();
    EXPECT_EQ(at(cx(5) - 11, cy(6)), kBlack);
    EXPECT_EQ(at(cx(5) - 12, cy(6)), kBlack);  // the grid line runs on outside the stone
    EXPECT_EQ(at(cx(5) - 10, cy(6) - 3), kWhite);
    EXPECT_TRUE(colourOnlyInside(kWhite, cx(5) - 11, cy(6) - 11, cx(5) + 11, cy(6) + 11));
    // Segments join at cell 25 (odd): one pixel of background between them.
    EXPECT_EQ(at(cx(2) + 12, cy(2)), kYellow);

    // A hint marker: green inside its box, never over a stone; removed by
    // redrawing the empty point.
    HDC dc = GetDC(g->mainWindow);
    drawHintMarker(*g, dc, 7, 7);
    drawHintMarker(*g, dc, 5, 6);
    ReleaseDC(g->mainWindow, dc);
    EXPECT_TRUE(colourOnlyInside(kGreen, cx(7) - 10, cy(7) - 10, cx(7) + 10, cy(7) + 10));
    EXPECT_NE(at(cx(5), cy(6)), kGreen);
    dc = GetDC(g->mainWindow);
    drawEmptyPoint(*g, dc, 7, 7);
    ReleaseDC(g->mainWindow, dc);
    EXPECT_EQ(at(cx(7) + 3, cy(7) + 3), kYellow);
    EXPECT_EQ(at(cx(7), cy(7)), kBlack);

    // Moving the highlight box redraws the old point without its frame.
    moveHighlightBox(*g, 8, 8);
    EXPECT_EQ(at(0, 0), kYellow);
    EXPECT_EQ(at(cx(8) - 11, cy(8) - 11), kRed);
    eraseHighlightBox(*g);
    EXPECT_EQ(at(cx(8) - 11, cy(8) - 11), kYellow);
}

TEST_F(Render, FreeModeMarkAndStatusText)
{
    start(240, 320);
    g->freeMode = 1;
    draw();
    // Magenta grid lines; the mark is a small triangle at the bottom-right
    // corner of the board area.  Its edges along x = 240 and y = 268 lie
    // outside the client area and the points of column 15 and row 17 cover
    // most of its diagonal; the last two pixels stay red.
    EXPECT_EQ(at(cx(3), cy(5)), kMagenta);
    EXPECT_EQ(at(238, 264), kRed);
    EXPECT_EQ(at(239, 263), kRed);
    EXPECT_EQ(at(237, 265), kYellow);

    g->freeMode = 0;
    showStatusText(*g, L"Success");
    bool black = false;
    for (int y = 236; y < 268; ++y)
        for (int x = 0; x < 240; ++x) black |= at(x, y) == kBlack && at(x, y - 1) == kWhite;
    EXPECT_TRUE(black);
    // Text never spills above the status strip.
    EXPECT_NE(at(120, 235), kWhite);
}

// Star points grow with the stones: 2 pixels across below radius 4, 3 at
// radius 4 and 4 above it (their ink off the grid lines: 1, 4 and 5 pixels).
TEST_F(Render, StarPointSizeFollowsTheStoneRadius)
{
    for (const auto [width, radius, ink] : {std::tuple{160, 3, 1}, {200, 4, 4}, {240, 5, 5}}) {
        start(width, 320);
        g->problemCols = g->problemRows = 19;
        fitBoardToProblem(*g);
        ASSERT_EQ(g->stoneRadius, radius);
        draw();
        int n = 0;
        for (int y = cy(4) - 3; y <= cy(4) + 3; ++y)
            for (int x = cx(4) - 3; x <= cx(4) + 3; ++x) n += x != cx(4) && y != cy(4) && at(x, y) != kYellow;
        EXPECT_EQ(n, ink) << "radius " << radius;
    }
}
