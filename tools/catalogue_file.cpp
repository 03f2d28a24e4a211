#include "tools/catalogue_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

bool readWholeFile(const std::string& path, std::string& text)
{
    text.clear();
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
    const bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

bool readCatalogueFile(const std::string& path, std::vector<CatalogueEntry>& entries, std::string& error)
{
    std::string text;
    if (!readWholeFile(path, text)) {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    int32_t lineNumber = 0;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        at = end + 1;
        ++lineNumber;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.pop_back();
        size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#') continue;
        line.erase(0, start);
        CatalogueEntry e;
        e.line = lineNumber;
        size_t space = line.find(' ');
        e.record = line.substr(0, space);
        if (space != std::string::npos) e.source = line.substr(line.find_first_not_of(' ', space));
        entries.push_back(std::move(e));
    }
    return true;
}

namespace {

// A relative path is taken from the folder of the running program.
std::string fromToolFolder(const char* path)
{
    namespace fs = std::filesystem;
    if (fs::path(path).is_absolute()) return path;
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    if (error) return path;
    return (self.parent_path() / path).lexically_normal().string();
}

}  // namespace

const char* builtCatalogueFile()
{
    static const std::string path = [] {
#ifdef VOSTRA_INSTALLED_CATALOGUE
        // An installed tool reads the copy installed with it.
        const std::string installed = fromToolFolder(VOSTRA_INSTALLED_CATALOGUE);
        std::error_code error;
        if (std::filesystem::is_regular_file(installed, error)) return installed;
#endif
#ifdef VOSTRA_CATALOGUE_FILE
        return fromToolFolder(VOSTRA_CATALOGUE_FILE);
#else
        return std::string();
#endif
    }();
    return path.c_str();
}
