// The game trees of SGF files and folders, read for commands that look at
// each problem on its own (solve, check --prove).
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "tools/sgf_reader.h"

struct LoadedTree {
    std::string file;
    int32_t index = 0;  // 0-based among the file's trees
    int32_t count = 1;  // trees in the file
    SgfTree tree;

    // "file" or "file:N" (the Nth tree) as catalogue sources name problems.
    std::string source() const;
};

// Reads every tree of the files named by paths (folders are searched for
// *.sgf).  Unreadable paths and syntax errors are reported as "path:line:
// reason"; the result is false when anything could not be read.
bool loadSgfTrees(const std::vector<std::string>& paths, std::vector<LoadedTree>& trees, FILE* report);
