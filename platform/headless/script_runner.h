// The headless front-end: feeds a script's lines to the program as input and
// writes the transcript of observable events on standard output.
#pragma once

#include <cstdint>
#include <functional>
#include <istream>
#include <string>
#include <vector>

#include "platform/frontend.h"

// The script lines that reach past the platform into the program, answered
// by the executable that runs it.
struct ScriptCommands {
    // `open PATH...`: true when the program got something to do.
    std::function<bool(const std::vector<std::string>& paths)> open;
    // `builtin`: back to the built-in problems.
    std::function<void()> openBuiltIn;
    // `dump`: the text it prints.
    std::function<std::string()> dump;
    // Called whenever the program is idle, before the next line is read.
    std::function<void()> idle;
};

class ScriptRunner : public FrontEnd {
public:
    ScriptRunner(std::istream& script, std::string fileName, bool realtime, ScriptCommands commands);

    void waitForInput() override;
    void sleep(DWORD milliseconds) override;
    DWORD tickCount() override;
    void transcript(std::string_view line) override;

private:
    // Runs one script line; true when it gave the program something to do.
    bool runLine(const std::string& line);
    [[noreturn]] void fail(const std::string& message);
    int number(const std::string& word);
    void endOfScript();

    ScriptCommands commands_;
    std::istream& script_;
    std::string fileName_;
    bool realtime_;
    int lineNumber_ = 0;
    int idleAfterEnd_ = 0;
    bool ended_ = false;
    uint64_t virtualClock_ = 0;
    int64_t realStart_ = 0;
};
