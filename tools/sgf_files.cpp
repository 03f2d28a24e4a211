#include "tools/sgf_files.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "tools/catalogue_file.h"
#include "tools/collection_compiler.h"

std::string LoadedTree::source() const { return count > 1 ? file + ":" + std::to_string(index + 1) : file; }

bool loadSgfTrees(const std::vector<std::string>& paths, std::vector<LoadedTree>& out, FILE* report)
{
    CollectionResult collected;
    bool ok = true;
    const std::vector<std::string> files = collectSgfFiles(paths, collected, report);
    if (collected.unreadable) ok = false;
    std::string text;
    for (const std::string& file : files) {
        std::error_code ec;
        const uintmax_t size = std::filesystem::file_size(file, ec);
        if (!ec && size > kMaxSgfFileSize) {
            if (report)
                std::fprintf(report, "%s: skipped: %ju bytes is more than an SGF file may hold\n", file.c_str(), size);
            ok = false;
            continue;
        }
        if (!readWholeFile(file, text)) {
            if (report) std::fprintf(report, "%s: cannot read: %s\n", file.c_str(), std::strerror(errno));
            ok = false;
            continue;
        }
        std::vector<SgfTree> trees;
        SgfError error;
        if (!readSgf(text, trees, error)) {
            if (report)
                std::fprintf(report, "%s:%d: %s; the rest of the file is skipped\n", file.c_str(), error.line,
                             error.reason.c_str());
            ok = false;
        }
        const int32_t count = static_cast<int32_t>(trees.size());
        for (int32_t i = 0; i < count; ++i) {
            LoadedTree t;
            t.file = file;
            t.index = i;
            t.count = count;
            t.tree = std::move(trees[i]);
            out.push_back(std::move(t));
        }
    }
    return ok;
}
