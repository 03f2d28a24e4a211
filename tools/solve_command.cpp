// vostra-problems solve [--goal GOAL] [--budget MS] [--memory MB] [--json] [--area] PATH...
// Solves every problem of the files and folders named and prints, per
// problem, the goal, the result, the correct first moves, the proof's size
// and the time; with --area, a drawing of the area of play too.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include <unistd.h>

#include "tools/commands.h"
#include "tools/json_text.h"
#include "tools/problem_statement.h"
#include "tools/sgf_files.h"
#include "tools/solver_answers.h"
#include "tools/work_pool.h"

namespace sv = vostra::solver;

namespace {

const char kUsage[] =
    "usage: vostra-problems solve [--goal GOAL] [--budget MS] [--memory MB] [--json] [--area] PATH...\n"
    "  GOAL: live, live-clean, kill, capture, escape, connect, cut, race or ko\n"
    "  --area: draw the area the solver plays in (X/O stones in it, x/o outside it, * the stones\n"
    "          the goal is about, . its empty points, - empty points outside it)\n";

std::string pointText(sv::Point p) { return p.isPass() ? "" : sgfPoint(p.x, p.y); }

// Whether the node's move carries a triangle on its own point: these
// transcriptions mark a wrong try that way.
bool marksItselfWrong(const SgfTree& t, int32_t node, std::string_view point)
{
    const SgfProperty* tr = t.find(node, "TR");
    if (!tr || point.empty()) return false;
    for (int32_t k = 0; k < tr->valueCount; ++k)
        if (t.value(*tr, k) == point) return true;
    return false;
}

// The book's first move: that of the main line, or of the first variation
// that does not mark itself as a wrong try.
bool bookMove(const SgfTree& t, int32_t& colour, std::string& point)
{
    auto moveOf = [&](int32_t node, int32_t& c, std::string& v) {
        for (const char* id : {"B", "W"})
            if (const SgfProperty* p = t.find(node, id)) {
                c = id[0] == 'B' ? 1 : -1;
                v = std::string(t.value(*p, 0));
                return true;
            }
        return false;
    };
    for (int32_t node = 0; node >= 0; node = t.nodes[node].firstChild) {
        if (!moveOf(node, colour, point)) continue;
        // node is the main line's first move; its siblings are the other first moves.
        for (int32_t c = node; c >= 0; c = t.nodes[c].nextSibling) {
            int32_t cc = 0;
            std::string v;
            if (moveOf(c, cc, v) && !marksItselfWrong(t, c, v)) {
                colour = cc;
                point = v;
                break;
            }
        }
        if (point == "tt") point.clear();
        return true;
    }
    return false;
}

struct Job {
    const LoadedTree* tree;
    std::string output;
    bool unproven = false;
};

std::string describeGoal(const ProblemStatement& s)
{
    std::string g = goalKindName(s.goal.kind);
    if (s.koExpected) g += " (a ko is the aim)";
    if (s.goalRead)
        g += ", read from " + s.goalWords;
    else
        g += s.goal.kind == sv::GoalKind::Live ? ", inferred: your own enclosed group must live"
                                               : ", inferred: the opponent's enclosed group must die";
    if (s.targetsMarked) g += ", marked stones";
    return g;
}

// The area of play over the box that holds it, one line wider on each side,
// row by row as the file has it (top row first), with the column letters.
std::string drawArea(const ProblemStatement& s)
{
    int32_t x0 = s.width, y0 = s.height, x1 = -1, y1 = -1;
    for (int32_t y = 0; y < s.height; ++y)
        for (int32_t x = 0; x < s.width; ++x)
            if (s.region[y * s.width + x]) {
                x0 = std::min(x0, x), x1 = std::max(x1, x);
                y0 = std::min(y0, y), y1 = std::max(y1, y);
            }
    if (x1 < 0) return "    (no area)\n";
    x0 = std::max(0, x0 - 1), y0 = std::max(0, y0 - 1);
    x1 = std::min(s.width - 1, x1 + 1), y1 = std::min(s.height - 1, y1 + 1);
    std::vector<uint8_t> target(s.stones.size(), 0);
    for (const sv::Point& t : s.goal.targets) target[t.y * s.width + t.x] = 1;
    std::string o = "      ";
    for (int32_t x = x0; x <= x1; ++x) o += sgfPoint(x, 0).substr(0, 1) + " ";
    o += "\n";
    for (int32_t y = y0; y <= y1; ++y) {
        o += "    " + sgfPoint(0, y).substr(1, 1) + " ";
        for (int32_t x = x0; x <= x1; ++x) {
            const int32_t i = y * s.width + x;
            const int8_t c = s.stones[i];
            const bool in = s.region[i] != 0;
            o += target[i] ? '*' : c > 0 ? (in ? 'X' : 'x') : c < 0 ? (in ? 'O' : 'o') : in ? '.' : '-';
            o += ' ';
        }
        o += "\n";
    }
    return o;
}

void solveOne(Job& job, const StatementOptions& options, const sv::Budget& budget, bool json, bool area)
{
    const LoadedTree& lt = *job.tree;
    ProblemStatement s;
    std::string error;
    int32_t errorLine = 0;
    const std::string where = lt.file + ":" + std::to_string(lt.tree.line);
    if (!readStatement(lt.tree, options, s, error, errorLine)) {
        job.unproven = true;
        if (json)
            job.output = "{\"file\":" + jsonString(lt.file) + ",\"line\":" + std::to_string(errorLine) +
                         ",\"result\":\"unproven\",\"limit\":\"model\",\"reason\":" + jsonString(error) + "}\n";
        else
            job.output = lt.file + ":" + std::to_string(errorLine) + ": not solved: " + error + "\n";
        return;
    }
    int32_t bookColour = 0;
    std::string book;
    const bool hasBook = bookMove(lt.tree, bookColour, book);

    sv::Answer a;
    std::string reason;
    if (!s.expressible) {
        a.result = sv::Outcome::Unproven;
        a.limit = sv::Limit::Model;
        reason = s.whyNot;
    } else {
        try {
            sv::Problem p = s.solverProblem();
            // The book's move is settled first: where it works, it proves the result too.
            int32_t bx = 0, by = 0;
            if (hasBook && bookColour == s.toPlay) {
                if (book.empty())
                    p.tryFirst.push_back(sv::kPass);
                else if (parseSgfPoint(book, s.width, s.height, bx, by))
                    p.tryFirst.push_back({static_cast<int8_t>(bx), static_cast<int8_t>(by)});
            }
            a = sv::solve(p, budget);
        } catch (const std::exception& e) {
            a = sv::Answer();
            a.limit = sv::Limit::Model;
            reason = std::string("the solver refused the problem: ") + e.what();
        }
        if (a.result == sv::Outcome::Unproven && reason.empty())
            reason = a.limit == sv::Limit::Time     ? "the time budget ran out"
                     : a.limit == sv::Limit::Nodes  ? "the node budget ran out"
                     : a.limit == sv::Limit::Memory ? "the memory bound was reached"
                                                    : "the solver cannot express this goal";
    }
    job.unproven = a.result == sv::Outcome::Unproven;
    const std::vector<sv::Point> correct = correctMoves(a);
    std::string bookResult;
    // When the verdict on the book's move was known: its result and the position's.
    double bookMs = a.ms;
    uint64_t bookNodes = a.nodes;
    if (hasBook && bookColour == s.toPlay)
        for (const sv::MoveResult& m : a.firstMoves)
            if (pointText(m.move) == book) {
                bookResult = sv::outcomeName(m.outcome);
                if (m.outcome != sv::Outcome::Unproven && a.result != sv::Outcome::Unproven) {
                    bookMs = std::max(a.resultMs, m.ms);
                    bookNodes = std::max(a.resultNodes, m.nodes);
                }
            }
    char ms[32];
    std::snprintf(ms, sizeof ms, "%.1f", a.ms);

    if (json) {
        std::string o = "{\"file\":" + jsonString(lt.file) + ",\"line\":" + std::to_string(lt.tree.line);
        if (lt.count > 1) o += ",\"tree\":" + std::to_string(lt.index + 1);
        o += ",\"toPlay\":\"" + std::string(s.toPlay > 0 ? "B" : "W") + "\"";
        o += ",\"goal\":{\"kind\":\"" + std::string(goalKindName(s.goal.kind)) +
             "\",\"read\":" + (s.goalRead ? "true" : "false") + ",\"inferred\":" + (s.goalRead ? "false" : "true") +
             ",\"ko\":" + (s.koExpected ? "true" : "false") + ",\"targets\":[";
        for (size_t i = 0; i < s.goal.targets.size(); ++i)
            o += (i ? ",\"" : "\"") + sgfPoint(s.goal.targets[i].x, s.goal.targets[i].y) + "\"";
        o += "],\"marked\":" + std::string(s.targetsMarked ? "true" : "false") + "}";
        o += ",\"result\":\"" + std::string(sv::outcomeName(a.result)) + "\"";
        o += ",\"limit\":\"" + std::string(sv::limitName(a.limit)) + "\"";
        if (!reason.empty()) o += ",\"reason\":" + jsonString(reason);
        o += ",\"correct\":[";
        for (size_t i = 0; i < correct.size(); ++i) o += (i ? ",\"" : "\"") + pointText(correct[i]) + "\"";
        o += "],\"moves\":{";
        bool first = true;
        for (const sv::MoveResult& m : a.firstMoves) {
            o += (first ? "\"" : ",\"") + (m.move.isPass() ? std::string("pass") : pointText(m.move)) + "\":\"" +
                 sv::outcomeName(m.outcome) + "\"";
            first = false;
        }
        o += "}";
        if (hasBook)
            o += ",\"book\":\"" + book + "\",\"bookColour\":\"" + (bookColour > 0 ? "B" : "W") +
                 "\",\"bookResult\":\"" + (bookResult.empty() ? "none" : bookResult) + "\"";
        o += ",\"regionEmpty\":" + std::to_string(s.regionEmpty);
        o += ",\"proof\":" + std::to_string(proofSize(a.proof) - 1);
        char times[64];
        std::snprintf(times, sizeof times, ",\"resultMs\":%.1f,\"bookMs\":%.1f", a.resultMs, bookMs);
        o += times;
        o += ",\"bookNodes\":" + std::to_string(bookNodes);
        o += ",\"nodes\":" + std::to_string(a.nodes) + ",\"ms\":" + ms +
             ",\"peakBytes\":" + std::to_string(a.peakBytes) + "}\n";
        job.output = std::move(o);
        return;
    }
    std::string o = where + ": " + (s.toPlay > 0 ? "Black" : "White") + " to play, goal " + describeGoal(s) + "\n";
    o += "    result " + std::string(sv::outcomeName(a.result));
    if (!reason.empty()) o += " (" + reason + ")";
    if (!correct.empty()) {
        o += "; correct";
        for (const sv::Point& p : correct) o += " " + (p.isPass() ? std::string("pass") : pointText(p));
    }
    if (hasBook && !bookResult.empty()) o += "; book move " + book + " " + bookResult;
    o += "; proof " + std::to_string(proofSize(a.proof) - 1) + " moves, " + std::to_string(a.nodes) + " nodes, " + ms +
         " ms\n";
    if (area && s.expressible) o += drawArea(s);
    job.output = std::move(o);
}

}  // namespace

int runSolve(int argc, char** argv)
{
    StatementOptions options;
    sv::Budget budget;
    bool json = false, area = false;
    std::vector<std::string> paths;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        auto value = [&](int& out) {
            if (i + 1 >= argc || !parseBudgetValue(argv[i + 1], out)) return false;
            ++i;
            return true;
        };
        int v = 0;
        if (a[0] != '-' || a[1] == '\0') {
            paths.push_back(a);
        } else if (!std::strcmp(a, "--goal")) {
            if (i + 1 >= argc || !parseGoalOption(argv[i + 1], options)) {
                std::fprintf(stderr, "vostra-problems solve: --goal needs a goal\n%s", kUsage);
                return 2;
            }
            ++i;
        } else if (!std::strcmp(a, "--budget")) {
            if (!value(v)) {
                std::fprintf(stderr, "vostra-problems solve: --budget needs milliseconds\n%s", kUsage);
                return 2;
            }
            budget.maxMs = v;
        } else if (!std::strcmp(a, "--memory")) {
            if (!value(v) || v < 1) {
                std::fprintf(stderr, "vostra-problems solve: --memory needs megabytes\n%s", kUsage);
                return 2;
            }
            budget.memoryBytes = static_cast<size_t>(v) << 20;
        } else if (!std::strcmp(a, "--json")) {
            json = true;
        } else if (!std::strcmp(a, "--area")) {
            area = true;
        } else {
            std::fprintf(stderr, "vostra-problems solve: unknown option %s\n%s", a, kUsage);
            return 2;
        }
    }
    if (paths.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    std::vector<LoadedTree> trees;
    const bool readAll = loadSgfTrees(paths, trees, stderr);
    std::vector<Job> jobs(trees.size());
    for (size_t i = 0; i < trees.size(); ++i) jobs[i].tree = &trees[i];

    // Results are printed in the order of the files, as soon as every one
    // before them is done.
    std::mutex printing;
    std::vector<bool> finished(jobs.size(), false);
    size_t printed = 0, unproven = 0;
    // A progress line when the results go elsewhere than the terminal.
    Progress progress;
    if (!isatty(fileno(stdout))) progress.out = progressTerminal();
    runJobs(
        jobs.size(),
        [&](size_t i) {
            solveOne(jobs[i], options, budget, json, area);
            std::lock_guard<std::mutex> lock(printing);
            finished[i] = true;
            while (printed < jobs.size() && finished[printed]) {
                std::fputs(jobs[printed].output.c_str(), stdout);
                jobs[printed].output.clear();
                if (jobs[printed].unproven) ++unproven;
                ++printed;
            }
            std::fflush(stdout);
            return jobs[i].unproven;
        },
        progress);
    if (!json)
        std::fprintf(stderr, "%zu problem%s, %zu unproven\n", jobs.size(), jobs.size() == 1 ? "" : "s", unproven);
    return readAll ? 0 : 1;
}
