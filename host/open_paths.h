// Compiling the files and folders a user names: SGF files, folders searched
// for SGF files and zip archives, and zip archives of SGF files.
#pragma once

#include <string>
#include <vector>

#include "host/collection_compile.h"

// Compiles every SGF file the paths hold, in sorted order, into compiler;
// what cannot be read is added as a message.  The name the collection gets:
// the one path's name without its extension, or for several paths the name
// of the folder holding the first.
void compilePaths(const std::vector<std::string>& paths, CollectionCompiler& compiler);
std::string collectionNameFor(const std::vector<std::string>& paths);

// Orders names as people number files: "2.sgf" before "10.sgf".
bool naturalLess(const std::string& a, const std::string& b);
