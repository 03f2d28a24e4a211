// The program's command line, shared by the front-ends built into `vostra`.
#pragma once

#include <string>
#include <vector>

struct LaunchOptions {
    bool headless = false;
    bool printCatalogue = false;
    std::string script;  // "-" reads standard input
    int width = 240;
    int height = 320;
    std::string language;  // "en", "zh" or "" (the locale decides)
    bool realtime = false;
    int scale = 2;  // the desktop window shows each screen pixel this many times over
    bool help = false;
    bool version = false;
    // Collections: files, folders and zips to open, a kept one by name, or
    // the built-in problems; the listings.
    std::vector<std::string> problems;
    std::string collection;
    bool builtIn = false;
    bool listCollections = false;
    bool progress = false;
    std::string removeCollection;
};

// Parses the arguments; on an error returns false with a message.
bool parseLaunchOptions(int argc, char** argv, LaunchOptions& options, std::string& error);

// Prepares the collection the program starts with (before the game is
// created); false when it must not start.
bool startCollections(const LaunchOptions& options);

// The desktop window's front-end, where SDL2 is available: runs the program
// and returns its exit status.
int runDesktop(const LaunchOptions& options);
