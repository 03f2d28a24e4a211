#include "tools/proof_check.h"

#include <algorithm>
#include <map>

#include "tools/problem_statement.h"
#include "tools/solver_answers.h"

namespace sv = vostra::solver;

namespace {

void forward(int32_t sym, int32_t w, int32_t h, int32_t& c, int32_t& r)
{
    if (sym & 1) c = w + 1 - c;
    if (sym & 2) r = h + 1 - r;
    if (sym & 4) std::swap(c, r);
}

void backward(int32_t sym, int32_t w, int32_t h, int32_t& c, int32_t& r)
{
    if (sym & 4) std::swap(c, r);
    if (sym & 2) r = h + 1 - r;
    if (sym & 1) c = w + 1 - c;
}

// The symmetry that turns the statement's position into the record's setup,
// colours swapped when White solves; -1 when none does.
int32_t matchingSymmetry(const ProblemStatement& s, const Problem& record)
{
    std::map<int32_t, int32_t> setup;  // record point -> +1 Black, -1 White
    for (int32_t p : record.black) setup[p] = 1;
    for (int32_t p : record.white) setup[p] = -1;
    for (int32_t sym = 0; sym < 8; ++sym) {
        size_t matched = 0;
        bool ok = true;
        for (int32_t y = 0; y < s.height && ok; ++y)
            for (int32_t x = 0; x < s.width && ok; ++x) {
                const int8_t colour = s.stones[y * s.width + x];
                if (!colour) continue;
                int32_t c = x + 1, r = y + 1;
                forward(sym, s.width, s.height, c, r);
                if (c > 19 || r > 19) {
                    ok = false;
                    break;
                }
                auto it = setup.find(pointIndexOf(c, r));
                ok = it != setup.end() && it->second == colour * s.toPlay;
                ++matched;
            }
        if (ok && matched == setup.size()) return sym;
    }
    return -1;
}

std::string key(const std::vector<sv::Point>& moves)
{
    std::string k;
    for (const sv::Point& p : moves) {
        k += static_cast<char>('a' + (p.isPass() ? 25 : p.x));
        k += static_cast<char>('a' + (p.isPass() ? 25 : p.y));
    }
    return k;
}

// The file's points of every line prefix of a record, node by node.
std::vector<std::vector<sv::Point>> filePaths(const Problem& p, int32_t sym, int32_t w, int32_t h)
{
    std::vector<std::vector<sv::Point>> paths(p.nodes.size());
    std::vector<sv::Point> path;
    for (size_t i = 0; i < p.nodes.size(); ++i) {
        path.resize(static_cast<size_t>(std::max(0, p.nodes[i].depth - 1)));
        sv::Point q = sv::kPass;
        if (p.nodes[i].point != kPassPoint) {
            int32_t c = pointCol(p.nodes[i].point), r = pointRow(p.nodes[i].point);
            backward(sym, w, h, c, r);
            q = {static_cast<int8_t>(c - 1), static_cast<int8_t>(r - 1)};
        }
        path.push_back(q);
        paths[i] = path;
    }
    return paths;
}

std::string moveName(int32_t colour, sv::Point p)
{
    return std::string(colour > 0 ? "B" : "W") + "[" + (p.isPass() ? "" : sgfPoint(p.x, p.y)) + "]";
}

}  // namespace

ProofCheck proveRecord(const Problem& record, const SgfTree& source, const CompileOptions& options)
{
    ProofCheck out;
    ProblemStatement s;
    std::string error;
    int32_t errorLine = 0;
    if (!readStatement(source, options.statement, s, error, errorLine)) {
        out.skipped = true;
        out.skipReason = error;
        return out;
    }
    if (!s.expressible) {
        out.skipped = true;
        out.skipReason = s.whyNot;
        return out;
    }
    const int32_t sym = matchingSymmetry(s, record);
    if (sym < 0) {
        out.faults.push_back({source.line, "the record's position is not the position of its source"});
        return out;
    }
    const std::vector<std::vector<sv::Point>> paths = filePaths(record, sym, s.width, s.height);

    // The source's own lines, for file:line in the messages.
    std::map<std::string, int32_t> lineOf;
    {
        CompileOptions plain = options;
        plain.complete = false;
        plain.writeSgf = false;
        CompiledProblem c;
        CompileMessage e;
        bool ok = compileTree(source, plain, c, e);
        if (!ok) {
            plain.mainLineCorrect = true;
            ok = compileTree(source, plain, c, e);
        }
        if (ok) {
            const auto own = filePaths(c.problem, c.symmetry, c.boardWidth, c.boardHeight);
            for (size_t i = 0; i < own.size() && i < c.nodeLines.size(); ++i) lineOf[key(own[i])] = c.nodeLines[i];
        }
    }
    auto lineFor = [&](size_t node) {
        std::vector<sv::Point> p = paths[node];
        for (; !p.empty(); p.pop_back()) {
            auto it = lineOf.find(key(p));
            if (it != lineOf.end() && it->second > 0) return it->second;
        }
        return source.line;
    };

    sv::Problem problem = s.solverProblem();
    problem.goalFor = s.toPlay;
    std::unique_ptr<sv::Solver> solver;
    try {
        solver = std::make_unique<sv::Solver>(problem, options.budget);
    } catch (const std::exception& e) {
        out.skipped = true;
        out.skipReason = std::string("the solver refused the problem: ") + e.what();
        return out;
    }
    const sv::Answer root = solver->solve(false);
    if (root.result == sv::Outcome::Unproven) {
        out.rootUnproven = true;
        out.skipReason = std::string("the problem is not proven within the budget (") + sv::limitName(root.limit) + ")";
        return out;
    }
    if (root.result == sv::Outcome::Fails) {
        out.faults.push_back({source.line, "the solver proves that the goal cannot be reached at all"});
        return out;
    }
    const int need = sv::outcomeRank(root.result);
    auto good = [&](sv::Outcome o) { return sv::outcomeRank(o) >= need; };

    // Each node's result, asked once.
    std::vector<int> known(record.nodes.size(), -2);
    auto resultAt = [&](size_t node) {
        if (known[node] == -2) known[node] = static_cast<int>(solver->resultAfter(paths[node]));
        return static_cast<sv::Outcome>(known[node]);
    };

    std::vector<size_t> line;
    for (size_t i = 0; i < record.nodes.size(); ++i) {
        line.resize(static_cast<size_t>(std::max(0, record.nodes[i].depth - 1)));
        line.push_back(i);
        const bool leaf = i + 1 == record.nodes.size() || record.nodes[i + 1].depth <= record.nodes[i].depth;
        if (!leaf) continue;
        ++out.lines;
        const bool success = record.nodes[i].success;
        bool unproven = false, faulty = false;
        if (success) {
            // Every move of the solver keeps the goal, and so does the end.
            for (size_t k = 0; k < line.size() && !faulty; ++k) {
                const bool solverMove = k % 2 == 0;
                if (!solverMove && k + 1 != line.size()) continue;
                const sv::Outcome o = resultAt(line[k]);
                if (o == sv::Outcome::Unproven) {
                    unproven = true;
                    break;
                }
                if (!good(o)) {
                    const sv::Point m = paths[line[k]].back();
                    out.faults.push_back(
                        {lineFor(line[k]), "a successful line does not reach the goal against best defence: " +
                                               moveName(solverMove ? s.toPlay : -s.toPlay, m) + " (move " +
                                               std::to_string(k + 1) + ") leaves it " + sv::outcomeName(o)});
                    faulty = true;
                }
            }
        } else {
            const sv::Outcome o = resultAt(i);
            if (o == sv::Outcome::Unproven) {
                unproven = true;
            } else if (good(o)) {
                const sv::Point m = paths[i].back();
                out.faults.push_back({lineFor(i), "a failed line reaches the goal: after " +
                                                      moveName(line.size() % 2 == 1 ? s.toPlay : -s.toPlay, m) +
                                                      " (move " + std::to_string(line.size()) + ") it is still " +
                                                      sv::outcomeName(o)});
                faulty = true;
            }
        }
        if (unproven)
            ++out.unprovenLines;
        else if (!faulty)
            ++out.provenLines;
    }

    // Correct first moves the tree lacks.
    std::vector<sv::Point> present;
    for (size_t i = 0; i < record.nodes.size(); ++i)
        if (record.nodes[i].depth == 1) present.push_back(paths[i].back());
    for (const sv::MoveResult& m : root.firstMoves)
        if (!m.move.isPass() && good(m.outcome) && std::find(present.begin(), present.end(), m.move) == present.end())
            out.faults.push_back({source.line, "the correct first move " + moveName(s.toPlay, m.move) + " (" +
                                                   sv::outcomeName(m.outcome) + ") is not in the tree"});
    return out;
}
