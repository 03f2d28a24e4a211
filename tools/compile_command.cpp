// vostra-problems compile [-o FILE] [--texts FILE] [--main-line-correct] [--prune]
//     [--complete [--goal GOAL] [--budget MS] [--sgf-out DIR]] [-q] PATH...
// With -o FILE the problems' texts table goes beside it (textTablePathFor),
// or where --texts says.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "captions/text_table.h"
#include "tools/catalogue_file.h"
#include "tools/collection_compiler.h"
#include "tools/commands.h"
#include "tools/solver_answers.h"

namespace {

const char kUsage[] =
    "usage: vostra-problems compile [-o FILE] [--texts FILE] [--main-line-correct] [--prune]\n"
    "                               [--complete [--goal GOAL] [--budget MS] [--sgf-out DIR]] [-q] PATH...\n";

// Writes the completed trees as SGF files into dir, named after their
// source files.
bool writeCompletedSgf(const std::string& dir, const CollectionResult& result)
{
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    std::set<std::string> used;
    for (const CollectionResult::Sgf& s : result.sgfs) {
        std::string name = std::filesystem::path(s.file).stem().string();
        if (s.several) name += "-" + std::to_string(s.index + 1);
        std::string unique = name;
        for (int n = 2; !used.insert(unique).second; ++n) unique = name + "-" + std::to_string(n);
        const std::string path = (std::filesystem::path(dir) / (unique + ".sgf")).string();
        FILE* f = std::fopen(path.c_str(), "wb");
        bool ok = f && std::fwrite(s.text.data(), 1, s.text.size(), f) == s.text.size();
        if (f) ok = std::fclose(f) == 0 && ok;
        if (!ok) {
            std::fprintf(stderr, "vostra-problems compile: cannot write %s\n", path.c_str());
            return false;
        }
    }
    return true;
}

// Writes text to path unless the file already holds it, so that a build that
// depends on the file is not redone for nothing.  Writes a new file beside it
// and renames it into place.
bool writeIfChanged(const std::string& path, const std::string& text)
{
    std::string old;
    if (readWholeFile(path, old) && old == text) return true;
    const std::string temporary = path + ".tmp";
    FILE* f = std::fopen(temporary.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    ok = std::fclose(f) == 0 && ok;
    if (ok) ok = std::rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok) std::remove(temporary.c_str());
    return ok;
}

}  // namespace

int runCompile(int argc, char** argv)
{
    CompileOptions options;
    std::string output, textsOutput, sgfOut;
    bool goalGiven = false;
    bool quiet = false, optionsEnd = false;
    std::vector<std::string> paths;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (optionsEnd || a[0] != '-' || a[1] == '\0') {
            paths.push_back(a);
        } else if (!std::strcmp(a, "--")) {
            optionsEnd = true;
        } else if (!std::strcmp(a, "-o")) {
            if (++i >= argc) {
                std::fputs(kUsage, stderr);
                return 2;
            }
            output = argv[i];
        } else if (!std::strcmp(a, "--texts")) {
            if (++i >= argc) {
                std::fputs(kUsage, stderr);
                return 2;
            }
            textsOutput = argv[i];
        } else if (!std::strcmp(a, "--main-line-correct")) {
            options.mainLineCorrect = true;
        } else if (!std::strcmp(a, "--prune")) {
            options.prune = true;
        } else if (!std::strcmp(a, "--complete")) {
            options.complete = true;
        } else if (!std::strcmp(a, "--goal")) {
            if (++i >= argc || !parseGoalOption(argv[i], options.statement)) {
                std::fprintf(stderr,
                             "vostra-problems compile: --goal needs live, live-clean, kill, capture, escape, "
                             "connect, cut, race or ko\n%s",
                             kUsage);
                return 2;
            }
            goalGiven = true;
        } else if (!std::strcmp(a, "--budget")) {
            if (++i >= argc || !parseBudgetValue(argv[i], options.budget.maxMs)) {
                std::fprintf(stderr, "vostra-problems compile: --budget needs milliseconds\n%s", kUsage);
                return 2;
            }
        } else if (!std::strcmp(a, "--sgf-out")) {
            if (++i >= argc) {
                std::fputs(kUsage, stderr);
                return 2;
            }
            sgfOut = argv[i];
            options.writeSgf = true;
        } else if (!std::strcmp(a, "-q") || !std::strcmp(a, "--quiet")) {
            quiet = true;
        } else {
            std::fprintf(stderr, "vostra-problems compile: unknown option %s\n%s", a, kUsage);
            return 2;
        }
    }
    if (paths.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if ((goalGiven || !sgfOut.empty()) && !options.complete) {
        std::fprintf(stderr, "vostra-problems compile: --goal and --sgf-out go with --complete\n%s", kUsage);
        return 2;
    }

    CollectionResult result = compileCollection(paths, options, stderr, quiet);
    std::fprintf(stderr, "%d problem%s compiled from %d file%s, %d skipped\n", result.problems,
                 result.problems == 1 ? "" : "s", result.files, result.files == 1 ? "" : "s", result.skipped);
    if (options.complete)
        std::fprintf(
            stderr, "%d completed by the solver (%d moves added, %d left out for the limits), %d compiled as written\n",
            result.problems - result.notCompleted, result.addedMoves, result.leftOut, result.notCompleted);
    if (!sgfOut.empty() && !writeCompletedSgf(sgfOut, result)) return 1;
    if (result.unreadable) {
        std::fprintf(stderr, "vostra-problems compile: some input could not be read; nothing written\n");
        return 1;
    }
    if (result.problems == 0) {
        std::fprintf(stderr, "vostra-problems compile: nothing compiled; nothing written\n");
        return 1;
    }
    std::string text;
    for (const std::string& line : result.lines) text += line + "\n";
    if (textsOutput.empty() && !output.empty()) textsOutput = textTablePathFor(output);
    if (!textsOutput.empty()) {
        TextTable table;
        for (size_t i = 0; i < result.texts.size(); ++i) table.set(int32_t(i + 1), result.texts[i]);
        if (!writeIfChanged(textsOutput, table.write())) {
            std::fprintf(stderr, "vostra-problems compile: cannot write %s\n", textsOutput.c_str());
            return 1;
        }
    }
    if (output.empty()) {
        std::fwrite(text.data(), 1, text.size(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    if (!writeIfChanged(output, text)) {
        std::fprintf(stderr, "vostra-problems compile: cannot write %s\n", output.c_str());
        return 1;
    }
    return 0;
}
