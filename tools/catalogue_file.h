// Catalogue files: one problem per line, the record, a space and its source.
// Blank lines and lines starting with '#' are not problems.
#pragma once

#include <string>
#include <vector>

struct CatalogueEntry {
    std::string record;
    std::string source;
    int32_t line = 0;  // line in the catalogue file
};

bool readCatalogueFile(const std::string& path, std::vector<CatalogueEntry>& entries, std::string& error);

// Reads a whole file into text; false when it cannot be read.
bool readWholeFile(const std::string& path, std::string& text);

// The catalogue the program is built with: the copy installed beside the
// tool when there is one, else the build's; "" when the tool was built
// without one.
const char* builtCatalogueFile();
