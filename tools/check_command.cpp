// vostra-problems check [FILE]: checks every record of a catalogue file.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/catalogue_file.h"
#include "tools/commands.h"
#include "tools/record_check.h"

int runCheck(int argc, char** argv)
{
    if (argc > 2) {
        std::fprintf(stderr, "usage: vostra-problems check [FILE]\n");
        return 2;
    }
    const std::string path = argc == 2 ? argv[1] : builtCatalogueFile();
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
    int failed = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        const CatalogueEntry& e = entries[i];
        RecordCheck check;
        const bool sound = checkRecord(e.record, check);
        const std::string source = e.source.empty() ? path + ":" + std::to_string(e.line) : e.source;
        std::printf("%zu %s: %dx%d, %zu nodes, %d successful line%s%s\n", i + 1, source.c_str(), check.problem.cols,
                    check.problem.rows, check.problem.nodes.size() + 1, check.successLines,
                    check.successLines == 1 ? "" : "s", sound ? "" : ", FAILED");
        for (const std::string& f : check.faults) std::printf("    %s\n", f.c_str());
        if (!sound) ++failed;
    }
    std::printf("%zu problem%s checked, %d failed\n", entries.size(), entries.size() == 1 ? "" : "s", failed);
    return failed ? 1 : 0;
}
