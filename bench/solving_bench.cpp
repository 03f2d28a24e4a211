// Latency of a tap: from the pen release to the user's stone on the screen,
// and from the end of the pause before White's reply to White's stone on the
// screen.  The pause itself costs nothing here (a virtual clock), so the
// figures are the program's own work.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <string>

#include "control/input.h"
#include "game/context.h"
#include "game/layout.h"
#include "platform/frontend.h"
#include "problems/tree.h"
#include "resources/resources.h"

namespace {

using Clock = std::chrono::steady_clock;

// Notes when the pause before White's reply begins and ends.
struct TimingFrontEnd : FrontEnd {
    Clock::time_point pauseStart, pauseEnd;
    void waitForInput() override { PostQuitMessage(0); }
    void sleep(DWORD) override
    {
        pauseStart = Clock::now();
        pauseEnd = Clock::now();
    }
    DWORD tickCount() override { return 0; }
};

LRESULT CALLBACK plainProc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcW(h, m, w, l); }

// A 19 x 19 problem with a busy board: Black plays at the centre, White
// answers next to it and the line goes on.
struct Problem {
    TimingFrontEnd fe;
    std::unique_ptr<GameContext> g;
    int32 x = 0, y = 0;
    Problem()
    {
        platformStart(240, 320, &fe);
        registerResources(&programResources());
        WNDCLASSW wc{};
        wc.lpfnWndProc = plainProc;
        wc.lpszClassName = L"BENCH";
        RegisterClassW(&wc);
        g = std::make_unique<GameContext>();
        g->mainWindow =
            CreateWindowExW(0, L"BENCH", L"bench", WS_VISIBLE, 0, 26, 240, 268, nullptr, nullptr, nullptr, nullptr);
        g->successText = L"Success";
        g->failureText = L"Failure";
        g->goodText = L"Good";
        std::string black, white;
        for (int c = 1; c <= 19; c += 2)
            for (int r = 1; r <= 7; r += 2) {
                black += {char(64 + c), char(64 + r)};
                white += {char(64 + c), char(64 + 20 - r)};
            }
        const std::string setup = black + " " + white + "|";
        std::strcpy(g->SetupText, setup.c_str());
        std::strcpy(g->NodeText, "00000~1JJ0 ~2KK0 ~3LL1 ~");
        g->problemCols = g->problemRows = 19;
        startProblem(*g);
        drain();
        x = pointCenterX(*g, 10);
        y = pointCenterY(*g, 10);
    }
    void drain()
    {
        MSG m;
        while (GetMessageW(&m, nullptr, 0, 0)) DispatchMessageW(&m);
    }
};

// phase 0: tap to the user's stone; phase 1: White's reply to its stone.
void TapLatency(benchmark::State& state, int phase)
{
    Problem p;
    for (auto _ : state) {
        state.PauseTiming();
        startProblem(*p.g);
        p.drain();
        state.ResumeTiming();
        const Clock::time_point start = Clock::now();
        handleTap(*p.g, p.x, p.y);
        const Clock::time_point end = Clock::now();
        const auto span = phase == 0 ? p.fe.pauseStart - start : end - p.fe.pauseEnd;
        state.SetIterationTime(std::chrono::duration<double>(span).count());
        if (p.g->currentNode != 2) state.SkipWithError("White did not answer");
    }
}

void TapToUserStone(benchmark::State& state) { TapLatency(state, 0); }
void WhiteReplyToStone(benchmark::State& state) { TapLatency(state, 1); }
BENCHMARK(TapToUserStone)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(WhiteReplyToStone)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
