// Compiling SGF files and folders into catalogue lines, in a stable order:
// sorted paths, then the game trees of each file in order.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "captions/text_table.h"
#include "tools/problem_compiler.h"

struct CollectionResult {
    std::vector<std::string> lines;   // "RECORD SOURCE"
    std::vector<ProblemTexts> texts;  // the words of each line's problem
    int32_t files = 0;
    int32_t problems = 0;
    int32_t skipped = 0;       // game trees that gave no problem
    bool unreadable = false;   // a path could not be read
    int32_t notCompleted = 0;  // with --complete: problems compiled as written
    int32_t addedMoves = 0;    // with --complete: moves the solver added
    int32_t leftOut = 0;       // with --complete: moves left out for the limits

    // With CompileOptions::writeSgf: the completed trees.
    struct Sgf {
        std::string file;
        int32_t index;  // game tree in the file
        bool several;   // the file holds several trees
        std::string text;
    };
    std::vector<Sgf> sgfs;
};

// The SGF files named by paths: files as given, folders searched recursively
// for names ending in ".sgf" (any case); sorted and without repeats.  Paths
// that do not exist are reported and set result.unreadable.
std::vector<std::string> collectSgfFiles(const std::vector<std::string>& paths, CollectionResult& result, FILE* report);

// Compiles the game trees of one file's text.  The source of a problem is the
// path, or "path:N" for the Nth tree of a file that holds several.  Messages
// go to report (may be null) as "path:line: text".
void compileSgfText(std::string_view text, const std::string& path, const CompileOptions& options,
                    CollectionResult& result, FILE* report, bool quiet);

// Files larger than this are skipped unread: no problem collection comes near
// it, and reading it whole would only cost memory.
constexpr uintmax_t kMaxSgfFileSize = 64u << 20;

// Reads and compiles every file of paths, the game trees spread over every
// core (see tools/work_pool.h); a completing compile shows its progress on a
// terminal.
CollectionResult compileCollection(const std::vector<std::string>& paths, const CompileOptions& options, FILE* report,
                                   bool quiet);
