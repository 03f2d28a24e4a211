// vostra-problems check [--prove [--goal GOAL] [--budget MS]] [FILE]: checks
// every record of a catalogue file; with --prove, every line of every
// problem is also proven with the solver against its source SGF.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/catalogue_file.h"
#include "tools/commands.h"
#include "tools/proof_check.h"
#include "tools/record_check.h"
#include "tools/solver_answers.h"
#include "tools/work_pool.h"

namespace fs = std::filesystem;

namespace {

const char kUsage[] = "usage: vostra-problems check [--prove [--goal GOAL] [--budget MS]] [FILE]\n";

// The source SGF of a catalogue entry ("path" or "path:N" for the Nth game
// tree), found as given, beside the catalogue or in the folder above it.
bool loadSource(const std::string& catalogue, const std::string& source, SgfTree& tree, std::string& file,
                std::string& error)
{
    std::string path = source;
    size_t index = 0;
    const size_t colon = source.rfind(':');
    if (colon != std::string::npos && colon + 1 < source.size() &&
        source.find_first_not_of("0123456789", colon + 1) == std::string::npos && !fs::exists(source)) {
        path = source.substr(0, colon);
        index = std::stoul(source.substr(colon + 1)) - 1;
    }
    const fs::path base = fs::path(catalogue).parent_path();
    std::string text;
    for (const fs::path& candidate : {fs::path(path), base / path, base.parent_path() / path}) {
        if (!fs::is_regular_file(candidate) || !readWholeFile(candidate.string(), text)) continue;
        std::vector<SgfTree> trees;
        SgfError e;
        readSgf(text, trees, e);
        if (index >= trees.size()) {
            error = candidate.string() + " has no game tree " + std::to_string(index + 1);
            return false;
        }
        tree = std::move(trees[index]);
        file = candidate.string();
        return true;
    }
    error = "the source " + path + " cannot be found";
    return false;
}

struct ProofJob {
    std::string file, error;
    ProofCheck check;
};

}  // namespace

int runCheck(int argc, char** argv)
{
    bool prove = false;
    CompileOptions options;
    std::string path;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (!std::strcmp(a, "--prove")) {
            prove = true;
        } else if (!std::strcmp(a, "--goal")) {
            if (++i >= argc || !parseGoalOption(argv[i], options.statement)) {
                std::fputs(kUsage, stderr);
                return 2;
            }
        } else if (!std::strcmp(a, "--budget")) {
            if (++i >= argc || !parseBudgetValue(argv[i], options.budget.maxMs)) {
                std::fputs(kUsage, stderr);
                return 2;
            }
        } else if (a[0] == '-' && a[1] != '\0') {
            std::fprintf(stderr, "vostra-problems check: unknown option %s\n%s", a, kUsage);
            return 2;
        } else if (path.empty()) {
            path = a;
        } else {
            std::fputs(kUsage, stderr);
            return 2;
        }
    }
    if (path.empty()) path = builtCatalogueFile();
    if (path.empty()) {
        std::fprintf(stderr, "vostra-problems check: this build knows no catalogue; name a FILE\n");
        return 2;
    }
    std::vector<CatalogueEntry> entries;
    std::string error;
    if (!readCatalogueFile(path, entries, error)) {
        std::fprintf(stderr, "vostra-problems check: %s\n", error.c_str());
        return 1;
    }
    if (entries.empty()) {
        std::fprintf(stderr, "vostra-problems check: %s holds no problems\n", path.c_str());
        return 1;
    }
    std::vector<RecordCheck> checks(entries.size());
    std::vector<bool> sound(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) sound[i] = checkRecord(entries[i].record, checks[i]);

    std::vector<ProofJob> proofs(prove ? entries.size() : 0);
    if (prove) {
        Progress progress;
        progress.out = progressTerminal();
        runJobs(
            entries.size(),
            [&](size_t i) {
                ProofJob& j = proofs[i];
                SgfTree tree;
                if (!sound[i]) return false;
                if (!loadSource(path, entries[i].source, tree, j.file, j.error)) return false;
                j.check = proveRecord(checks[i].problem, tree, options);
                return j.check.rootUnproven || j.check.unprovenLines > 0;
            },
            progress);
    }

    int failed = 0, proven = 0, unproven = 0, notExpressible = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        const CatalogueEntry& e = entries[i];
        const RecordCheck& check = checks[i];
        const std::string source = e.source.empty() ? path + ":" + std::to_string(e.line) : e.source;
        bool bad = !sound[i];
        std::string proofText;
        if (prove && sound[i]) {
            const ProofJob& j = proofs[i];
            if (!j.error.empty()) {
                proofText = "    cannot prove: " + j.error + "\n";
                bad = true;
            } else if (j.check.skipped) {
                proofText = "    not proven: " + j.check.skipReason + "\n";
                ++notExpressible;
            } else if (j.check.rootUnproven) {
                proofText = "    unproven: " + j.check.skipReason + "\n";
                ++unproven;
            } else {
                for (const ProofFault& f : j.check.faults)
                    proofText += "    " + j.file + ":" + std::to_string(f.line) + ": " + f.text + "\n";
                proofText += "    proof: " + std::to_string(j.check.provenLines) + " of " +
                             std::to_string(j.check.lines) + " lines proven";
                if (j.check.unprovenLines) proofText += ", " + std::to_string(j.check.unprovenLines) + " unproven";
                proofText += "\n";
                if (!j.check.faults.empty())
                    bad = true;
                else if (j.check.unprovenLines)
                    ++unproven;
                else
                    ++proven;
            }
        }
        std::printf("%zu %s: %dx%d, %zu nodes, %d successful line%s%s\n", i + 1, source.c_str(), check.problem.cols,
                    check.problem.rows, check.problem.nodes.size() + 1, check.successLines,
                    check.successLines == 1 ? "" : "s", bad ? ", FAILED" : "");
        for (const std::string& f : check.faults) std::printf("    %s\n", f.c_str());
        std::fputs(proofText.c_str(), stdout);
        if (bad) ++failed;
    }
    std::printf("%zu problem%s checked, %d failed\n", entries.size(), entries.size() == 1 ? "" : "s", failed);
    if (prove)
        std::printf("proofs: %d proven in every line, %d with unproven lines, %d the solver cannot read\n", proven,
                    unproven, notExpressible);
    return failed ? 1 : 0;
}
