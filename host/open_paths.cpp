#include "host/open_paths.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "host/collection_store.h"
#include "host/zip_reader.h"
#include "tools/collection_compiler.h"

namespace fs = std::filesystem;

namespace {

bool isZipName(const fs::path& p)
{
    std::string ext = p.extension().string();
    for (char& c : ext) c = char(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return ext == ".zip";
}

void compileZip(const std::string& path, const std::string& bytes, CollectionCompiler& compiler)
{
    std::vector<ZipEntry> entries;
    std::string error;
    if (!readZip(bytes, isSgfName, kMaxSgfFileSize, entries, error)) {
        compiler.addProblem(path + ": " + error);
        return;
    }
    std::sort(entries.begin(), entries.end(),
              [](const ZipEntry& a, const ZipEntry& b) { return naturalLess(a.name, b.name); });
    if (entries.empty()) compiler.addProblem(path + ": no SGF files in the archive");
    for (const ZipEntry& e : entries) {
        const std::string name = path + "/" + e.name;
        if (!e.error.empty())
            compiler.addProblem(name + ": skipped: " + e.error);
        else
            compiler.addFile(name, e.data);
    }
}

void compileFile(const std::string& path, CollectionCompiler& compiler)
{
    std::error_code ec;
    const uintmax_t size = fs::file_size(path, ec);
    if (!ec && size > kMaxSgfFileSize && !isZipName(path)) {
        compiler.addProblem(path + ": skipped: " + std::to_string(size) + " bytes; SGF files of more than " +
                            std::to_string(kMaxSgfFileSize) + " bytes are not read");
        return;
    }
    std::string text;
    if (!readFileText(path, text)) {
        compiler.addProblem(path + ": cannot read: " + std::strerror(errno));
        return;
    }
    if (isZipName(path) || looksLikeZip(text))
        compileZip(path, text, compiler);
    else
        compiler.addFile(path, text);
}

}  // namespace

bool naturalLess(const std::string& a, const std::string& b)
{
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const bool da = a[i] >= '0' && a[i] <= '9', db = b[j] >= '0' && b[j] <= '9';
        if (da && db) {
            size_t ei = i, ej = j;
            while (ei < a.size() && a[ei] >= '0' && a[ei] <= '9') ++ei;
            while (ej < b.size() && b[ej] >= '0' && b[ej] <= '9') ++ej;
            // Compare the numbers by value: leading zeros aside, the longer is larger.
            size_t zi = i, zj = j;
            while (zi + 1 < ei && a[zi] == '0') ++zi;
            while (zj + 1 < ej && b[zj] == '0') ++zj;
            if (ei - zi != ej - zj) return ei - zi < ej - zj;
            const int c = a.compare(zi, ei - zi, b, zj, ej - zj);
            if (c != 0) return c < 0;
            i = ei;
            j = ej;
        } else {
            if (a[i] != b[j]) return a[i] < b[j];
            ++i;
            ++j;
        }
    }
    if ((a.size() - i) != (b.size() - j)) return a.size() - i < b.size() - j;
    return a < b;
}

void compilePaths(const std::vector<std::string>& paths, CollectionCompiler& compiler)
{
    std::vector<std::string> files;
    for (const std::string& path : paths) {
        std::error_code ec;
        const fs::file_status st = fs::status(path, ec);
        if (ec || !fs::exists(st)) {
            compiler.addProblem(path + ": cannot read: no such file or folder");
            continue;
        }
        if (!fs::is_directory(st)) {
            files.push_back(fs::path(path).generic_string());
            continue;
        }
        fs::recursive_directory_iterator it(path, fs::directory_options::skip_permission_denied, ec), end;
        for (; !ec && it != end; it.increment(ec)) {
            std::error_code fileEc;
            if (it->is_regular_file(fileEc) && (isSgfName(it->path().string()) || isZipName(it->path())))
                files.push_back(it->path().generic_string());
        }
        if (ec) compiler.addProblem(path + ": cannot read the folder: " + ec.message());
    }
    std::sort(files.begin(), files.end(), naturalLess);
    files.erase(std::unique(files.begin(), files.end()), files.end());
    for (const std::string& f : files) compileFile(f, compiler);
}

std::string collectionNameFor(const std::vector<std::string>& paths)
{
    if (paths.empty()) return displayName("");
    fs::path first = fs::absolute(paths[0]).lexically_normal();
    if (first.filename().empty()) first = first.parent_path();  // "folder/"
    if (paths.size() > 1) return displayName(first.parent_path().filename().string());
    std::error_code ec;
    if (fs::is_directory(first, ec)) return displayName(first.filename().string());
    return displayName(first.stem().string());
}
