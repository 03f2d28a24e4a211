#include "tools/collection_compiler.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "tools/catalogue_file.h"
#include "tools/problem_texts.h"
#include "tools/work_pool.h"

namespace fs = std::filesystem;

namespace {

bool hasSgfExtension(const fs::path& p)
{
    std::string ext = p.extension().string();
    for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return ext == ".sgf";
}

// A source must stay on its catalogue line.
std::string lineSafe(std::string s)
{
    for (char& c : s)
        if (static_cast<unsigned char>(c) < ' ') c = '?';
    return s;
}

}  // namespace

std::vector<std::string> collectSgfFiles(const std::vector<std::string>& paths, CollectionResult& result, FILE* report)
{
    std::vector<std::string> files;
    for (const std::string& path : paths) {
        std::error_code ec;
        fs::file_status st = fs::status(path, ec);
        if (ec || !fs::exists(st)) {
            if (report) std::fprintf(report, "%s: cannot read: no such file or folder\n", path.c_str());
            result.unreadable = true;
            continue;
        }
        if (!fs::is_directory(st)) {
            files.push_back(fs::path(path).generic_string());
            continue;
        }
        fs::recursive_directory_iterator it(path, fs::directory_options::skip_permission_denied, ec), end;
        for (; !ec && it != end; it.increment(ec)) {
            std::error_code fileEc;
            if (it->is_regular_file(fileEc) && hasSgfExtension(it->path()))
                files.push_back(it->path().generic_string());
        }
        if (ec) {
            if (report) std::fprintf(report, "%s: cannot read the folder: %s\n", path.c_str(), ec.message().c_str());
            result.unreadable = true;
        }
    }
    std::sort(files.begin(), files.end());
    files.erase(std::unique(files.begin(), files.end()), files.end());
    return files;
}

void compileSgfText(std::string_view text, const std::string& path, const CompileOptions& options,
                    CollectionResult& result, FILE* report, bool quiet)
{
    ++result.files;
    std::vector<SgfTree> trees;
    SgfError parseError;
    const bool parsed = readSgf(text, trees, parseError);
    const bool several = trees.size() > 1 || (!parsed && !trees.empty());
    int32_t compiled = 0, skipped = 0;
    for (size_t i = 0; i < trees.size(); ++i) {
        CompiledProblem problem;
        CompileMessage error;
        const std::string tree = several ? " (game tree " + std::to_string(i + 1) + ")" : "";
        if (!compileTree(trees[i], options, problem, error)) {
            ++skipped;
            if (report)
                std::fprintf(report, "%s:%d: skipped%s: %s\n", path.c_str(), error.line, tree.c_str(),
                             error.text.c_str());
            continue;
        }
        ProblemTexts texts = problemTexts(trees[i], problem, problem.warnings);
        for (const CompileMessage& w : problem.warnings)
            if (report)
                std::fprintf(report, "%s:%d: warning%s: %s\n", path.c_str(), w.line, tree.c_str(), w.text.c_str());
        std::string source = lineSafe(several ? path + ":" + std::to_string(i + 1) : path);
        result.lines.push_back(problem.record + " " + source);
        result.texts.push_back(std::move(texts));
        ++compiled;
    }
    if (!parsed) {
        ++skipped;
        if (report)
            std::fprintf(report, "%s:%d: %s; the game tree there and the rest of the file are skipped\n", path.c_str(),
                         parseError.line, parseError.reason.c_str());
    } else if (trees.empty()) {
        if (report) std::fprintf(report, "%s: no game tree in the file\n", path.c_str());
    }
    result.problems += compiled;
    result.skipped += skipped;
    if (report && !quiet)
        std::fprintf(report, "%s: %d problem%s compiled%s\n", path.c_str(), compiled, compiled == 1 ? "" : "s",
                     skipped ? (", " + std::to_string(skipped) + " skipped").c_str() : "");
}

namespace {

// One game tree of the collection and what became of it.
struct TreeJob {
    size_t file;
    int32_t index;
    SgfTree tree;
    bool ok = false;
    CompiledProblem problem;
    ProblemTexts texts;
    CompileMessage error;
};

struct FileEntry {
    std::string path;
    bool read = false;  // false: reported already, nothing to compile
    bool parsed = true;
    SgfError parseError;
    int32_t trees = 0;
};

}  // namespace

CollectionResult compileCollection(const std::vector<std::string>& paths, const CompileOptions& options, FILE* report,
                                   bool quiet)
{
    CollectionResult result;
    std::vector<FileEntry> files;
    std::vector<TreeJob> jobs;
    std::string text;
    for (const std::string& file : collectSgfFiles(paths, result, report)) {
        FileEntry f;
        f.path = file;
        std::error_code ec;
        const uintmax_t size = fs::file_size(file, ec);
        if (!ec && size > kMaxSgfFileSize) {
            ++result.files;
            ++result.skipped;
            if (report)
                std::fprintf(report, "%s: skipped: %ju bytes; SGF files of more than %ju bytes are not read\n",
                             file.c_str(), size, static_cast<uintmax_t>(kMaxSgfFileSize));
            continue;
        }
        if (!readWholeFile(file, text)) {
            if (report) std::fprintf(report, "%s: cannot read: %s\n", file.c_str(), std::strerror(errno));
            result.unreadable = true;
            continue;
        }
        std::vector<SgfTree> trees;
        f.read = true;
        f.parsed = readSgf(text, trees, f.parseError);
        f.trees = static_cast<int32_t>(trees.size());
        for (size_t i = 0; i < trees.size(); ++i) {
            TreeJob j;
            j.file = files.size();
            j.index = static_cast<int32_t>(i);
            j.tree = std::move(trees[i]);
            jobs.push_back(std::move(j));
        }
        files.push_back(std::move(f));
    }

    // The trees on every core; a completing compile reports how many the
    // solver could not prove.
    Progress progress;
    progress.out = (options.complete || jobs.size() > 100) && report ? progressTerminal() : nullptr;
    runJobs(
        jobs.size(),
        [&](size_t i) {
            TreeJob& j = jobs[i];
            j.ok = compileTree(j.tree, options, j.problem, j.error);
            if (j.ok) j.texts = problemTexts(j.tree, j.problem, j.problem.warnings);
            j.tree = SgfTree();
            return options.complete && (!j.ok || !j.problem.completed);
        },
        progress);

    // Messages and lines in the order of the files.
    size_t next = 0;
    for (size_t fi = 0; fi < files.size(); ++fi) {
        const FileEntry& f = files[fi];
        ++result.files;
        const bool several = f.trees > 1 || (!f.parsed && f.trees > 0);
        int32_t compiled = 0, skipped = 0;
        for (; next < jobs.size() && jobs[next].file == fi; ++next) {
            TreeJob& j = jobs[next];
            const std::string tree = several ? " (game tree " + std::to_string(j.index + 1) + ")" : "";
            if (!j.ok) {
                ++skipped;
                if (report)
                    std::fprintf(report, "%s:%d: skipped%s: %s\n", f.path.c_str(), j.error.line, tree.c_str(),
                                 j.error.text.c_str());
                continue;
            }
            for (const CompileMessage& w : j.problem.warnings)
                if (report)
                    std::fprintf(report, "%s:%d: warning%s: %s\n", f.path.c_str(), w.line, tree.c_str(),
                                 w.text.c_str());
            const std::string source = lineSafe(several ? f.path + ":" + std::to_string(j.index + 1) : f.path);
            result.lines.push_back(j.problem.record + " " + source);
            result.texts.push_back(std::move(j.texts));
            if (!j.problem.sgf.empty()) result.sgfs.push_back({f.path, j.index, several, std::move(j.problem.sgf)});
            if (options.complete && !j.problem.completed) ++result.notCompleted;
            result.addedMoves += j.problem.addedCorrect + 2 * j.problem.addedWrong + j.problem.addedDefences;
            result.leftOut += j.problem.leftOut;
            ++compiled;
        }
        if (!f.parsed) {
            ++skipped;
            if (report)
                std::fprintf(report, "%s:%d: %s; the game tree there and the rest of the file are skipped\n",
                             f.path.c_str(), f.parseError.line, f.parseError.reason.c_str());
        } else if (f.trees == 0) {
            if (report) std::fprintf(report, "%s: no game tree in the file\n", f.path.c_str());
        }
        result.problems += compiled;
        result.skipped += skipped;
        if (report && !quiet)
            std::fprintf(report, "%s: %d problem%s compiled%s\n", f.path.c_str(), compiled, compiled == 1 ? "" : "s",
                         skipped ? (", " + std::to_string(skipped) + " skipped").c_str() : "");
    }
    return result;
}
