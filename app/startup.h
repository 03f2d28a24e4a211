// The start-up every front-end shares: the platform with its front-end, the
// collection to start with, the game, the host, then the program's entry
// function and its message loop.
#pragma once

#include <functional>
#include <string>

#include "platform/frontend.h"

struct StartUp {
    int width = 240;
    int height = 320;
    std::string language;  // "en", "zh" or "" (the locale decides)
    // Kept for the life of the process: the platform may still speak to it
    // while static objects are destroyed at exit.
    FrontEnd* frontEnd = nullptr;
    // Before the game exists: puts the collection to start with in place;
    // false when the program must not start.
    std::function<bool()> prepareCollections;
};

// Runs the program to its end: the entry function's exit status, or 2 when
// prepareCollections refused to start.
int runProgram(const StartUp& startUp);
