// The collections of the desktop program and the headless runner: opening
// files and folders, the kept collections in the data folder, and the
// command-line listings.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

struct CollectionRequest {
    std::vector<std::string> paths;  // files, folders and zips to open
    std::string collection;          // a kept collection by name or id
    bool builtIn = false;            // the built-in catalogue
};

// Before the game is created: decides what the program starts with (what is
// asked for, else the last collection used) and reports on it.  False when
// the program must not start (no such collection).
bool prepareCollections(const CollectionRequest& request, FILE* report);

// While the program runs (files dropped on the window): compiles, keeps and
// switches to the collection; false when nothing in it could be used.
bool openPathsWhileRunning(const std::vector<std::string>& paths, FILE* report);

// vostra --collections, --progress [--collection NAME], --remove-collection
// NAME: exit statuses.
int listCollections(FILE* out);
int printProgress(const std::string& name, FILE* out, FILE* err);
int removeCollection(const std::string& name, FILE* out, FILE* err);
