// Drawing cost: a full board of a 19x19 position on the 240x320 screen and the
// redraw of one point after a move, beside a plain clear of the framebuffer.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>

#include "game/context.h"
#include "game/layout.h"
#include "platform/frontend.h"
#include "view/render.h"

namespace {

struct IdleFrontEnd : FrontEnd {
    DWORD clock = 0;
    void waitForInput() override { PostQuitMessage(0); }
    void sleep(DWORD ms) override { clock += ms; }
    DWORD tickCount() override { return clock; }
};

LRESULT CALLBACK plainProc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcW(h, m, w, l); }

struct Board {
    IdleFrontEnd fe;
    std::unique_ptr<GameContext> g;
    Board()
    {
        platformStart(240, 320, &fe);
        WNDCLASSW wc{};
        wc.lpfnWndProc = plainProc;
        wc.lpszClassName = L"BENCH";
        RegisterClassW(&wc);
        g = std::make_unique<GameContext>();
        g->mainWindow =
            CreateWindowExW(0, L"BENCH", L"bench", WS_VISIBLE, 0, 26, 240, 268, nullptr, nullptr, nullptr, nullptr);
        g->problemCols = g->problemRows = 19;
        fitBoardToProblem(*g);
        std::mt19937 rng(7);
        for (int c = 1; c <= 19; ++c)
            for (int r = 1; r <= 19; ++r) g->stoneGrid[c][r] = static_cast<int>(rng() % 3) - 1;
        g->lastMoveCol = g->lastMoveRow = 10;
    }
};

void FramebufferClear(benchmark::State& state)
{
    Board b;
    HDC dc = GetDC(b.g->mainWindow);
    RECT all = {0, -26, 240, 294};
    HBRUSH white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    for (auto _ : state) {
        FillRect(dc, &all, white);
        benchmark::DoNotOptimize(screenPixels()[1000]);
    }
    ReleaseDC(b.g->mainWindow, dc);
}
BENCHMARK(FramebufferClear);

void FullBoard19x19(benchmark::State& state)
{
    Board b;
    HDC dc = GetDC(b.g->mainWindow);
    for (auto _ : state) {
        drawBoard(*b.g, dc);
        benchmark::DoNotOptimize(screenPixels()[1000]);
    }
    ReleaseDC(b.g->mainWindow, dc);
}
BENCHMARK(FullBoard19x19);

// What a move redraws: the point with its stone and the last-move dot, each
// on a device context taken and released around the step.
void PointRedrawAfterMove(benchmark::State& state)
{
    Board b;
    for (auto _ : state) {
        HDC dc = GetDC(b.g->mainWindow);
        drawPoint(*b.g, dc, 10, 10);
        drawLastMoveDot(*b.g, dc, 10, 10);
        ReleaseDC(b.g->mainWindow, dc);
        benchmark::DoNotOptimize(screenPixels()[1000]);
    }
}
BENCHMARK(PointRedrawAfterMove);

}  // namespace
