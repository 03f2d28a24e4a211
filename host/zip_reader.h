// Reading the files of a .zip archive (stored or deflated entries, no
// encryption, no ZIP64), for collections handed over as one archive.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct ZipEntry {
    std::string name;   // the path inside the archive, '/' separated
    std::string data;   // the uncompressed bytes; empty when error is set
    std::string error;  // why the entry could not be read, or ""
};

// The entries of the archive whose name `wanted` accepts (directories are
// never returned).  Entries larger than maxSize are reported, not inflated.
// False with error set when the text is not a readable archive at all.
bool readZip(std::string_view archive, bool (*wanted)(std::string_view name), uint64_t maxSize,
             std::vector<ZipEntry>& entries, std::string& error);

// True when the bytes begin like a zip archive.
bool looksLikeZip(std::string_view bytes);
