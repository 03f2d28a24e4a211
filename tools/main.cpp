// vostra-problems: works on problem records.  The first argument names the
// subcommand; the rest go to it.
#include <cstdio>
#include <cstring>

#include "tools/commands.h"

namespace {

struct Subcommand {
    const char* name;
    const char* usage;  // shown after "vostra-problems "
    int (*run)(int argc, char** argv);
};

const Subcommand kSubcommands[] = {
    {"decode", "decode RECORD", runDecode},
    {"compile",
     "compile [-o FILE] [--texts FILE] [--main-line-correct] [--prune] [--complete [--goal GOAL] [--budget MS] "
     "[--sgf-out DIR]] [-q] PATH...",
     runCompile},
    {"check", "check [--prove [--goal GOAL] [--budget MS]] [FILE]", runCheck},
    {"solve", "solve [--goal GOAL] [--budget MS] [--memory MB] [--json] PATH...", runSolve},
    {"show", "show RECORD | --number N [FILE]", runShow},
};

void printUsage(FILE* out)
{
    std::fprintf(out, "usage:\n");
    for (const Subcommand& s : kSubcommands) std::fprintf(out, "  vostra-problems %s\n", s.usage);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        printUsage(stderr);
        return 2;
    }
    if (std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "help") == 0) {
        printUsage(stdout);
        return 0;
    }
    for (const Subcommand& s : kSubcommands)
        if (std::strcmp(argv[1], s.name) == 0) return s.run(argc - 1, argv + 1);
    std::fprintf(stderr, "vostra-problems: unknown command '%s'\n", argv[1]);
    printUsage(stderr);
    return 2;
}
