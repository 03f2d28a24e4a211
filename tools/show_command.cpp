// vostra-problems show RECORD | --number N [FILE]: the position as a diagram
// and the tree as an indented list.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tools/catalogue_file.h"
#include "tools/commands.h"
#include "tools/decoded_problem.h"
#include "tools/shown_area.h"

namespace {

const char kUsage[] = "usage: vostra-problems show RECORD | --number N [FILE]\n";

std::string pointName(int32_t point)
{
    if (point == kPassPoint) return "pass";
    return std::string{pointCode(pointCol(point)), pointCode(pointRow(point))};
}

void printProblem(const Problem& p)
{
    const ShownArea area = shownArea(p.cols, p.rows);
    int32_t successLines = 0;
    for (size_t i = 0; i < p.nodes.size(); ++i)
        if ((i + 1 == p.nodes.size() || p.nodes[i + 1].depth <= p.nodes[i].depth) && p.nodes[i].success) ++successLines;
    std::printf("size %dx%d (shown %dx%d), %zu black and %zu white stones, %zu nodes, %d successful line%s\n", p.cols,
                p.rows, area.cols, area.rows, p.black.size(), p.white.size(), p.nodes.size() + 1, successLines,
                successLines == 1 ? "" : "s");

    // Columns and rows are named by their point code letters, 'A' for line 1.
    char grid[21][21];
    std::memset(grid, '.', sizeof grid);
    std::vector<std::string> outside;
    for (int colour = 0; colour < 2; ++colour)
        for (int32_t s : colour == 0 ? p.black : p.white) {
            const int32_t c = pointCol(s), r = pointRow(s);
            if (c >= 1 && r >= 1 && c <= area.cols && r <= area.rows)
                grid[c][r] = colour == 0 ? 'X' : 'O';
            else
                outside.push_back(pointName(s));
        }
    std::printf("   ");
    for (int32_t c = 1; c <= area.cols; ++c) std::printf(" %c", pointCode(c));
    std::printf("\n");
    for (int32_t r = 1; r <= area.rows; ++r) {
        std::printf("  %c", pointCode(r));
        for (int32_t c = 1; c <= area.cols; ++c) std::printf(" %c", grid[c][r]);
        std::printf("\n");
    }
    for (const std::string& s : outside) std::printf("setup stone %s lies outside the shown area\n", s.c_str());

    for (size_t i = 0; i < p.nodes.size(); ++i) {
        const ProblemNode& n = p.nodes[i];
        const bool leaf = i + 1 == p.nodes.size() || p.nodes[i + 1].depth <= n.depth;
        const int32_t indent = n.depth < 1 ? 0 : n.depth > 80 ? 80 : n.depth;
        std::printf("%*s%s %s  flag %d%s\n", 2 * indent, "", n.depth % 2 ? "B" : "W", pointName(n.point).c_str(),
                    n.success ? 1 : 0, leaf ? (n.success ? "  solved" : "  failed") : "");
    }
}

}  // namespace

int runShow(int argc, char** argv)
{
    std::string record;
    if (argc >= 3 && !std::strcmp(argv[1], "--number") && argc <= 4) {
        char* end = nullptr;
        const long number = std::strtol(argv[2], &end, 10);
        const std::string path = argc == 4 ? argv[3] : builtCatalogueFile();
        std::vector<CatalogueEntry> entries;
        std::string error;
        if (*end || number < 1) {
            std::fputs(kUsage, stderr);
            return 2;
        }
        if (path.empty() || !readCatalogueFile(path, entries, error)) {
            std::fprintf(stderr, "vostra-problems show: %s\n", path.empty() ? "no catalogue known" : error.c_str());
            return 1;
        }
        if (static_cast<size_t>(number) > entries.size()) {
            std::fprintf(stderr, "vostra-problems show: %s holds %zu problems\n", path.c_str(), entries.size());
            return 1;
        }
        record = entries[static_cast<size_t>(number - 1)].record;
        std::printf("problem %ld: %s\n", number, entries[static_cast<size_t>(number - 1)].source.c_str());
    } else if (argc == 2 && argv[1][0] != '-') {
        record = argv[1];
    } else {
        std::fputs(kUsage, stderr);
        return 2;
    }
    static GameContext g;
    Problem p;
    std::string reason;
    if (!decodeRecordText(record, g, p, reason)) {
        std::fprintf(stderr, "vostra-problems show: %s\n", reason.c_str());
        return 1;
    }
    printProblem(p);
    return 0;
}
