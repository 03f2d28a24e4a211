// Helpers for the shell's tests: a front-end that records the transcript, and
// a configuration folder of the test's own.
#pragma once

#include <cstdlib>
#include <string>
#include <vector>

#include <unistd.h>

#include "platform/frontend.h"
#include "platform/settings_store.h"

struct RecordingFrontEnd : FrontEnd {
    std::vector<std::string> lines;
    void waitForInput() override {}
    void sleep(DWORD milliseconds) override { clock += milliseconds; }
    DWORD tickCount() override { return clock; }
    void transcript(std::string_view line) override { lines.emplace_back(line); }
    DWORD clock = 0;
};

// A fresh folder under /tmp, used as VOSTRA_CONFIG_DIR while the object lives.
class TempConfigDir {
public:
    TempConfigDir()
    {
        char pattern[] = "/tmp/vostra-test-XXXXXX";
        path_ = mkdtemp(pattern);
        const char* old = std::getenv("VOSTRA_CONFIG_DIR");
        hadOld_ = old != nullptr;
        if (old) old_ = old;
        setenv("VOSTRA_CONFIG_DIR", path_.c_str(), 1);
        setSettingsStore(nullptr);
    }
    ~TempConfigDir()
    {
        if (hadOld_) setenv("VOSTRA_CONFIG_DIR", old_.c_str(), 1);
        else unsetenv("VOSTRA_CONFIG_DIR");
        setSettingsStore(nullptr);
        std::string command = "rm -rf '" + path_ + "'";
        if (std::system(command.c_str()) != 0) {
        }
    }
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_, old_;
    bool hadOld_ = false;
};

// A front-end that runs one step each time the program waits for input; with
// no steps left it ends the message loop.
#include <deque>
#include <functional>

struct ScriptedFrontEnd : RecordingFrontEnd {
    std::deque<std::function<void()>> steps;
    void waitForInput() override
    {
        if (steps.empty()) {
            PostQuitMessage(0);
            return;
        }
        std::function<void()> step = std::move(steps.front());
        steps.pop_front();
        step();
    }
};

inline void runMessageLoop()
{
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

inline void tapScreen(int x, int y)
{
    feedPenDown(x, y);
    feedPenUp(x, y);
}
