// Solving, hints and the game operations on hand-made trees, in process: a
// context of the test's own, drawn into the platform's framebuffer, with the
// notifications handled by a window of the test.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "board/board.h"
#include "control/input.h"
#include "control/operations.h"
#include "game/layout.h"
#include "platform/frontend.h"
#include "problems/tree.h"
#include "resources/resources.h"
#include "rules/takeback.h"
#include "solving/hints.h"
#include "solving/solve.h"
#include "tests/support.h"
#include "view/render.h"

namespace {

GameContext* active = nullptr;

LRESULT CALLBACK testWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        drawBoard(*active, dc);
        EndPaint(hwnd, &ps);
        return 0;
    }
    if (msg >= WM_USER + 2 && msg <= WM_USER + 6) {
        onNotification(*active, msg);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

constexpr uint32_t kGreen = 0x00FF00, kYellow = 0xFFFF00, kRed = 0xFF0000;

// A 10 x 10 problem on a 240 x 292 screen: cells of 24 pixels, every line
// fully visible, the pass substitute point at (10,10) on the screen.
class Solving : public ::testing::Test {
protected:
    RecordingFrontEnd fe;
    std::unique_ptr<GameContext> g;

    void SetUp() override
    {
        fe.keepFrames = true;
        platformStart(240, 292, &fe);
        registerResources(&programResources());
        HWND hwnd = openWindow(L"SOLVING", testWindowProc);
        g = std::make_unique<GameContext>();
        active = g.get();
        g->mainWindow = hwnd;
        g->successText = L"Success";
        g->failureText = L"Failure";
        g->goodText = L"Good";
        rightKeyMode = 0;
        rightSoftKeyLabeller = writeSoftKeyLabel;
    }
    void TearDown() override
    {
        active = nullptr;
        g.reset();
        platformStart(240, 320, nullptr);
    }

    void load(const char* setup, const char* nodes)
    {
        g->problemCols = g->problemRows = 10;
        std::strcpy(g->SetupText, setup);
        std::strcpy(g->NodeText, nodes);
        startProblem(*g);
        pump();
        fe.lines.clear();
        ASSERT_EQ(g->visibleCols, 10);
        ASSERT_EQ(g->visibleRows, 10);
    }
    void tap(int32 col, int32 row)
    {
        handleTap(*g, pointCenterX(*g, col), pointCenterY(*g, row));
        pump();
    }
    // Transcript lines of the given kinds, taken out of the record.
    std::vector<std::string> take(std::initializer_list<const char*> kinds)
    {
        std::vector<std::string> out;
        for (const std::string& l : fe.lines)
            for (const char* k : kinds)
                if (l.rfind(k, 0) == 0) out.push_back(l);
        fe.lines.clear();
        return out;
    }
    std::string history() const { return g->moveHistory; }
    static uint32_t pixel(const uint32_t* frame, int x, int y) { return frame[(y + 26) * 240 + x]; }
    uint32_t pixelNow(int x, int y) const { return pixel(screenPixels(), x, y); }
};

// b1 has the White replies w1 and w2; after w1, b2 has w3 and w4; each of w2,
// w3, w4 is refuted by one move.
const char kNested[] = "00000~1CC0 ~2EE0 ~3GG0 ~4BG0 ~5GB1 ~4DH0 ~5HD1 ~2FC0 ~3CF1 ~";

}  // namespace

TEST_F(Solving, NestedDefencesAreToured)
{
    load(" |", kNested);
    tap(3, 3);
    tap(7, 7);
    tap(7, 2);
    EXPECT_EQ(history(), "CCEEGGBGGB");
    EXPECT_EQ(take({"status", "sound", "notify", "softkey", "sleep", "cursor"}),
              (std::vector<std::string>{"sound 1999", "cursor wait", "sleep 200", "cursor arrow", "notify 1026",
                                        "sound 1999", "cursor wait", "sleep 200", "cursor arrow", "notify 1026",
                                        "sound 1999", "status Good", "sound 2030", "notify 1026", "notify 1029",
                                        "softkey Next variation"}));
    EXPECT_EQ(rightKeyMode, 1);

    // A tap far off the board only replays the next variation: back to the
    // position after b2, then w4.
    handleTap(*g, 600, 900);
    pump();
    EXPECT_EQ(history(), "CCEEGGDH");
    EXPECT_EQ(g->variationPending, 0);
    EXPECT_EQ(take({"status", "sound", "softkey"}), (std::vector<std::string>{"softkey Hint"}));
    EXPECT_EQ(g->highlightCol * 100 + g->highlightRow, 408);

    tap(8, 4);
    EXPECT_EQ(take({"status"}), (std::vector<std::string>{"status Good"}));
    handleKeyPress(*g, VK_SPACE);
    pump();
    take({});
    EXPECT_EQ(history(), "CCFC");
    EXPECT_EQ(g->stoneGrid[7][7], 0);
    tap(3, 6);
    EXPECT_EQ(take({"status", "sound", "softkey"}),
              (std::vector<std::string>{"sound 1999", "status Success", "sound 2095", "softkey Next problem"}));
    EXPECT_EQ(g->solvedFlag, 1);

    // Solved: taps are ignored, a Pass is played and leaves the tree.
    tap(1, 1);
    EXPECT_EQ(history(), "CCFCCF");
    playPass(*g);
    pump();
    EXPECT_EQ(history(), "CCFCCFTT");
    EXPECT_EQ(g->offTree, 1);
    EXPECT_EQ(g->solvedFlag, 0);
    EXPECT_EQ(take({"status", "softkey"}), (std::vector<std::string>{"status Failure", "softkey Hint"}));

    // Back to before the last move: the solved walk cleared every exhausted
    // group, so refuting w2 again starts a new cycle.
    goBack(*g);
    EXPECT_EQ(history(), "CCFC");
    tap(3, 6);
    EXPECT_EQ(take({"status"}), (std::vector<std::string>{"status Good"}));

    // A restart forgets the tour: White answers b1 with w1 again.
    startProblem(*g);
    tap(3, 3);
    EXPECT_EQ(history(), "CCEE");
}

TEST_F(Solving, PassesAndRepeatedPoints)
{
    const char tree[] = "00000~1CC0 ~2TT0 ~3DD1 ~1TT0 ~2EE0 ~3FF1 ~1GG1 ~1GG0 ~2HH0 ~";
    load(" |", tree);
    playPass(*g);  // matches the pass child directly
    EXPECT_EQ(history(), "TTEE");
    tap(6, 6);
    EXPECT_EQ(g->solvedFlag, 1);

    startProblem(*g);
    tap(10, 10);  // the pass substitute point, found before the stone is placed
    EXPECT_EQ(history(), "JJEE");
    EXPECT_EQ(g->currentNode, 5);

    startProblem(*g);
    tap(3, 3);  // White's pass becomes a white stone on the substitute point
    EXPECT_EQ(history(), "CCJJ");
    EXPECT_EQ(g->stoneGrid[10][10], -1);

    startProblem(*g);
    tap(7, 7);  // two children on one point: the first is followed
    EXPECT_EQ(g->currentNode, 7);
    EXPECT_EQ(g->solvedFlag, 1);
}

TEST_F(Solving, TapGatingAndFreeMode)
{
    load("AA |", kNested);
    const uint32_t before = pixelNow(pointCenterX(*g, 5) + 3, pointCenterY(*g, 5) + 3);
    // Only strictly within stoneRadius - 1 of a point on both axes.
    const int32 cx = pointCenterX(*g, 5), cy = pointCenterY(*g, 5), near = g->stoneRadius - 2;
    handleTap(*g, cx + near + 1, cy);
    handleTap(*g, cx, cy - near - 1);
    handleTap(*g, cx - near, cy + near);
    pump();
    EXPECT_EQ(history(), "EE");
    EXPECT_EQ(g->offTree, 1);
    EXPECT_NE(pixelNow(cx + 3, cy + 3), before);
    tap(6, 6);  // White to move: ignored
    EXPECT_EQ(history(), "EE");

    startProblem(*g);
    pump();
    updateCursor(*g, 500, 500);
    take({});
    updateCursor(*g, pointCenterX(*g, 2), pointCenterY(*g, 2));
    updateCursor(*g, pointCenterX(*g, 1), pointCenterY(*g, 1));  // the setup stone's point counts too
    updateCursor(*g, pointCenterX(*g, 2) + g->stoneRadius - 1, pointCenterY(*g, 2));
    EXPECT_EQ(take({"cursor"}), (std::vector<std::string>{"cursor hand", "cursor arrow"}));

    // Free mode: both colours in turn, the tree untouched, no hint; leaving it
    // restarts the problem.
    toggleFreeMode(*g);
    pump();
    tap(5, 5);
    tap(6, 6);
    tap(7, 7);
    EXPECT_EQ(history(), "EEFFGG");
    EXPECT_EQ(g->currentNode, 0);
    EXPECT_EQ(g->stoneGrid[6][6], -1);
    pressRightSoftKey(*g);
    EXPECT_EQ(take({"status", "sleep", "sound"}), (std::vector<std::string>{"sound 1999", "sound 1999", "sound 1999"}));
    toggleFreeMode(*g);
    pump();
    EXPECT_EQ(history(), "");
    EXPECT_EQ(g->stoneGrid[5][5], 0);
    EXPECT_EQ(g->stoneGrid[1][1], 1);

    toggleSound(*g);
    tap(3, 3);
    EXPECT_EQ(take({"sound", "beep"}), (std::vector<std::string>{}));
}

TEST_F(Solving, HintsMarkCorrectAnswersForHalfASecond)
{
    // Answers: EE (occupied), CC, HC (two successful leaves), a pass, SA (off
    // the visible board); GG fails at once, JA fails after White's reply.
    const char tree[] =
        "00000~1EE1 ~1CC0 ~2DD0 ~3BB1 ~1GG0 ~1HC0 ~2HD0 ~3HE1 ~2HF0 ~3HG1 ~"
        "1TT0 ~2AA0 ~3AB1 ~1SA1 ~1JA0 ~2JB0 ~";
    load("EE |", tree);
    char list[256];
    EXPECT_EQ(collectHints(*g, list), 12);
    EXPECT_STREQ(list, "EECCHCHCTTSA");

    auto centre = [&](int32 c, int32 r) { return std::pair{pointCenterX(*g, c) + 3, pointCenterY(*g, r) + 3}; };
    auto expectMarks = [&](const char* when) {
        SCOPED_TRACE(when);
        ASSERT_EQ(fe.framesAtSleep.size(), 1u);
        const uint32_t* during = fe.framesAtSleep[0].data();
        for (auto [c, r] : {std::pair{3, 3}, {8, 3}, {10, 10}}) {
            auto [x, y] = centre(c, r);
            EXPECT_EQ(pixel(during, x, y), kGreen) << c << "," << r;
            EXPECT_EQ(pixelNow(x, y), kYellow) << c << "," << r;
        }
        for (auto [c, r] : {std::pair{5, 5}, {7, 7}, {10, 1}}) {
            auto [x, y] = centre(c, r);
            EXPECT_NE(pixel(during, x, y), kGreen) << c << "," << r;
        }
        EXPECT_EQ(g->highlightCol * 100 + g->highlightRow, 303);
        EXPECT_EQ(pixelNow(pointCenterX(*g, 3) - g->stoneRadius, pointCenterY(*g, 3)), kRed);
        fe.framesAtSleep.clear();
    };
    pressRightSoftKey(*g);
    expectMarks("at the start");
    EXPECT_EQ(history(), "");

    tap(9, 9);  // off the tree: taken back first
    showHint(*g);
    expectMarks("after an off-tree move");
    EXPECT_EQ(history(), "");
    EXPECT_EQ(g->offTree, 0);

    tap(7, 7);  // the user's own move failed: White to move, nothing to show
    showHint(*g);
    EXPECT_TRUE(fe.framesAtSleep.empty());
    EXPECT_EQ(history(), "GG");

    startProblem(*g);
    tap(10, 1);  // White's reply ended a failed line: both are taken back
    EXPECT_EQ(history(), "JAJB");
    fe.framesAtSleep.clear();
    showHint(*g);
    expectMarks("at the end of a failed line");
    EXPECT_EQ(history(), "");

    // More correct answers than the list holds: it stops at 100 of them.
    std::string wide = "00000~";
    for (int i = 0; i < 150; ++i) wide += "1CC1 ~";
    load(" |", wide.c_str());
    std::string big(400, 'x');
    EXPECT_EQ(collectHints(*g, big.data()), 200);
    EXPECT_EQ(big.find_first_not_of("C"), 200u);
    EXPECT_EQ(big.substr(201), std::string(199, 'x'));
}

TEST_F(Solving, ProblemNavigationAndKeys)
{
    const int32 count = g->problemCount;
    ASSERT_GE(count, 1);
    navigate(*g, Navigation::Play);
    EXPECT_EQ(g->currentProblem, 1);
    EXPECT_EQ(g->problemLoaded, 1);
    navigate(*g, Navigation::Prev);
    EXPECT_EQ(g->currentProblem, 1);
    navigate(*g, Navigation::Select, count);
    navigate(*g, Navigation::Next);
    EXPECT_EQ(g->currentProblem, 1);
    navigate(*g, Navigation::Select, count + 1);
    EXPECT_EQ(g->currentProblem, 1);
    navigate(*g, Navigation::Select, count);
    navigate(*g, Navigation::Select, 0);
    navigate(*g, Navigation::Select, -1);
    EXPECT_EQ(g->currentProblem, count);

    // A key press after success loads the next problem (wrapping); otherwise
    // it changes nothing on the board.
    const std::string setup = g->SetupText;
    handleKeyPress(*g, VK_SPACE);
    EXPECT_EQ(g->currentProblem, count);
    g->solvedFlag = 1;
    handleKeyPress(*g, 'A');
    EXPECT_EQ(g->currentProblem, 1);
    EXPECT_EQ(g->solvedFlag, 0);

    // Play restarts the decoded problem without decoding it again.
    std::strcpy(g->SetupText, "AA |");
    playCommand(*g);
    EXPECT_EQ(g->stoneGrid[1][1], 1);
    g->currentProblem = count + 5;
    loadProblem(*g);
    EXPECT_EQ(g->stoneGrid[1][1], 1);
}
