// Helpers for the platform tests: a fresh 240x320 screen with a recording
// front-end, and a window class whose procedure logs what it receives.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/frontend.h"
#include "platform/win.h"

namespace platform_test {

// Records transcript lines and feeds nothing: once idle, the loop is told to
// quit (as a front-end without more input would).
struct RecordingFrontEnd : FrontEnd {
    std::vector<std::string> lines;
    int waits = 0;
    DWORD clock = 0;
    void waitForInput() override {
        ++waits;
        PostQuitMessage(7);
    }
    void sleep(DWORD ms) override { clock += ms; }
    DWORD tickCount() override { return clock; }
    void transcript(std::string_view line) override { lines.emplace_back(line); }
};

// Messages received by windows of the class "LOG".
struct Received {
    HWND hwnd;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    void* createParam = nullptr;  // WM_CREATE: CreateWindowExW's last argument
};
inline std::vector<Received>& received() {
    static std::vector<Received> log;
    return log;
}

inline LRESULT CALLBACK loggingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    received().push_back({hwnd, msg, wParam, lParam,
                          msg == WM_CREATE ? reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams : nullptr});
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

class PlatformTest : public ::testing::Test {
protected:
    RecordingFrontEnd fe;

    void SetUp() override {
        platformStart(240, 320, &fe);
        received().clear();
        WNDCLASSW wc{};
        wc.lpfnWndProc = loggingProc;
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        wc.lpszClassName = L"LOG";
        ASSERT_TRUE(RegisterClassW(&wc));
    }
    void TearDown() override { platformStart(240, 320, nullptr); }

    // A visible top-level window; the default placement puts its client
    // origin at screen (0, 26).
    HWND window(int x = CW_USEDEFAULT, int y = CW_USEDEFAULT, int w = CW_USEDEFAULT, int h = CW_USEDEFAULT,
                HWND parent = nullptr, DWORD style = WS_VISIBLE) {
        return CreateWindowExW(0, L"LOG", L"log", style, x, y, w, h, parent, nullptr, nullptr, nullptr);
    }

    static uint32_t at(int x, int y) { return screenPixels()[y * screenWidth() + x]; }

    // Handles everything queued and every paint, up to the idle point.
    void pump() {
        MSG m;
        while (GetMessageW(&m, nullptr, 0, 0)) DispatchMessageW(&m);
    }

    std::vector<UINT> messagesTo(HWND hwnd) const {
        std::vector<UINT> out;
        for (const Received& r : received())
            if (r.hwnd == hwnd) out.push_back(r.msg);
        return out;
    }
};

}  // namespace platform_test
