// A soak run: random taps (on and off the board), right taps, keys, pen moves
// and every menu command that needs no dialog, through the program's window
// procedure, over every catalogue problem; after each event the board and
// the move state must still be consistent.  VOSTRA_LONG=1 makes it long.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "board/board.h"
#include "control/operations.h"
#include "game/commands.h"
#include "game/layout.h"
#include "problems/tree.h"
#include "resources/resources.h"
#include "shell/window_proc.h"
#include "tests/board_check.h"
#include "tests/support.h"

namespace {

// Feeds one random event each time the program is idle, after checking it.
struct SoakFrontEnd : RecordingFrontEnd {
    std::mt19937 random{20261207};
    HWND main = nullptr;
    long eventsLeft = 0, eventsDone = 0, switchEvery = 1, successes = 0, goods = 0;
    std::string failure;
    std::vector<std::string> lastEvents;

    int below(int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); }

    void waitForInput() override
    {
        for (const std::string& l : lines) {
            if (l == "status Success") ++successes;
            if (l == "status Good") ++goods;
        }
        lines.clear();
        GameContext& g = theGame();
        if (eventsDone > 0) {
            const std::string problem = boardFault(g, true);
            if (!problem.empty() && failure.empty()) failure = problem;
        }
        if (eventsLeft-- <= 0 || !failure.empty()) {
            PostQuitMessage(0);
            return;
        }
        ++eventsDone;
        std::string event;
        const int kind = below(100);
        if (eventsDone % switchEvery == 0) {
            event = "command next";
            PostMessageW(main, WM_COMMAND, kCmdNextProblem, 0);
        } else if (kind < 55) {
            int x = below(320), y = below(400);
            if (kind < 40) {
                // Mostly near points, often an answer of the tree, to go deep.
                int32 c = 1 + below(g.visibleCols), r = 1 + below(g.visibleRows);
                if (kind < 25 && g.currentNode >= 0 && g.currentNode < g.nodeCount && hasChildren(g, g.currentNode)) {
                    int32 n = g.currentNode + 1;
                    for (int k = below(3); k > 0; --k) {
                        int32 next = n + 1;
                        while (next < g.nodeCount && g.nodeDepth[next] > g.nodeDepth[n]) ++next;
                        if (next < g.nodeCount && g.nodeDepth[next] == g.nodeDepth[n]) n = next;
                    }
                    c = nodeCol(g, n);
                    r = nodeRow(g, n);
                    if (isPass(c, r)) findPassSubstitute(g, c, r);
                }
                x = pointCenterX(g, c) + below(5) - 2;
                y = pointCenterY(g, r) + below(5) - 2;
                if (x < 0) x = 0;
                if (y < 0) y = 0;
            }
            event = "tap " + std::to_string(x) + " " + std::to_string(y);
            PostMessageW(main, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
        } else if (kind < 60) {
            event = "rtap";
            PostMessageW(main, WM_RBUTTONUP, 0, MAKELPARAM(below(240), below(268)));
        } else if (kind < 66) {
            event = "key";
            PostMessageW(main, WM_KEYDOWN, 32 + below(64), 0);
        } else if (kind < 69) {
            event = "move";
            PostMessageW(main, WM_MOUSEMOVE, 0, MAKELPARAM(below(320), below(400)));
        } else if (kind < 70) {
            const int32 n = below(g.problemCount + 3) - 1;
            event = "select " + std::to_string(n);
            navigate(g, Navigation::Select, n);
        } else {
            static const UINT commands[] = {kCmdPlay, kCmdNextProblem,  kCmdPrevProblem,  kCmdBack,         kCmdBack,
                                            kCmdBack, kCmdRightSoftKey, kCmdRightSoftKey, kCmdRightSoftKey, kCmdSound,
                                            kCmdMode, kCmdPass,         kCmdPass};
            const UINT id = commands[below(static_cast<int>(std::size(commands)))];
            event = "command " + std::to_string(id);
            PostMessageW(main, WM_COMMAND, id, 0);
        }
        lastEvents.push_back(event);
        if (lastEvents.size() > 30) lastEvents.erase(lastEvents.begin());
    }
};

}  // namespace

TEST(SolvingSoak, RandomEventsKeepTheBoardConsistent)
{
    TempConfigDir config;
    SoakFrontEnd fe;
    platformStart(240, 320, &fe);
    registerResources(&programResources());
    createTheGame();
    GameContext& g = theGame();
    g = GameContext();
    g.successText = L"Success";
    g.failureText = L"Failure";
    g.goodText = L"Good";
    rightKeyMode = 0;

    fe.main = openWindow(L"VOSTRA", mainWindowProc);
    ASSERT_NE(fe.main, nullptr);
    g.mainWindow = fe.main;
    g.currentProblem = 1;

    const char* longMode = std::getenv("VOSTRA_LONG");
    fe.eventsLeft = longMode && std::strcmp(longMode, "1") == 0 ? 200000 : 20000;
    fe.switchEvery = fe.eventsLeft / (3 * g.problemCount) + 1;
    PostMessageW(fe.main, WM_COMMAND, kCmdPlay, 0);
    pump();

    std::string recent;
    for (const std::string& e : fe.lastEvents) recent += e + "; ";
    EXPECT_EQ(fe.failure, "") << "problem " << g.currentProblem << " after " << fe.eventsDone
                              << " events, the last: " << recent;
    EXPECT_GE(fe.eventsDone, 20000);
    EXPECT_GT(fe.successes, 0);

    DestroyWindow(fe.main);
    pump();
    rightSoftKeyLabeller = writeSoftKeyLabel;
    platformStart(240, 320, nullptr);
}
