#include "tools/tree_completer.h"

#include <algorithm>
#include <chrono>
#include <queue>

#include "tools/line_board.h"
#include "tools/solver_answers.h"

namespace sv = vostra::solver;

namespace {

// A position of the tree to work on.  Solver positions get every legal move;
// opponent positions (after a correct move) get defences.
struct Task {
    int32_t phase;  // 0: the moves every position needs; 1: further defences
    int32_t depth;
    int32_t seq;
    int32_t node;  // the node after which the position arises
    bool solverToPlay;
    bool operator<(const Task& o) const
    {
        // std::priority_queue gives the largest first.
        if (phase != o.phase) return phase > o.phase;
        if (depth != o.depth) return depth > o.depth;
        return seq > o.seq;
    }
};

class Completer {
public:
    Completer(const ProblemStatement& s, std::vector<DraftNode>& nodes, std::vector<bool>& success,
              const CompletionOptions& o)
        : s_(s), nodes_(nodes), success_(success), opt_(o)
    {}

    CompletionReport run()
    {
        sv::Problem problem = s_.solverProblem();
        problem.goalFor = s_.toPlay;
        try {
            solver_ = std::make_unique<sv::Solver>(problem, opt_.budget);
        } catch (const std::exception& e) {
            return leftAsWritten(std::string("the solver refused the problem: ") + e.what());
        }
        const sv::Answer root = solver_->solve(false);
        if (root.result == sv::Outcome::Unproven)
            return leftAsWritten(std::string("the solver could not prove the problem (") + sv::limitName(root.limit) +
                                 "); the tree is left as written");
        if (root.result == sv::Outcome::Fails)
            return leftAsWritten("the solver proves that the goal cannot be reached; the tree is left as written");
        need_ = sv::outcomeRank(root.result);
        report_.completed = true;
        success_.resize(nodes_.size(), false);
        if (opt_.judgeLeaves) judgeAuthorLeaves();
        // The author's failed lines stay as the author wrote them.
        authoredOnSuccess_.assign(nodes_.size(), false);
        for (size_t n = nodes_.size(); n-- > 1;)
            if (authoredOnSuccess_[n] || (nodes_[n].children.empty() && success_[n])) {
                authoredOnSuccess_[n] = true;
                authoredOnSuccess_[nodes_[n].parent] = true;
            }
        authoredOnSuccess_[0] = true;

        push(0, 0, 0, true);
        const auto start = std::chrono::steady_clock::now();
        while (!tasks_.empty()) {
            const double ms =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
            if (opt_.maxTotalMs > 0 && ms > opt_.maxTotalMs) {
                report_.messages.push_back(
                    {nodes_[0].line, "completion stopped after " + std::to_string(static_cast<int>(ms / 1000)) +
                                         " s; " + std::to_string(tasks_.size()) + " positions were not completed"});
                break;
            }
            const Task t = tasks_.top();
            tasks_.pop();
            if (t.solverToPlay)
                completeSolverPosition(t);
            else
                defendOpponentPosition(t);
        }
        if (report_.positionsLeftOut > 0)
            report_.messages.push_back(
                {nodes_[0].line, "left out for the trainer's " + std::to_string(opt_.maxEntries) +
                                     " entries: " + std::to_string(report_.movesLeftOut) + " moves at " +
                                     std::to_string(report_.positionsLeftOut) + " positions"});
        if (report_.unprovenPositions > 0)
            report_.messages.push_back({nodes_[0].line, std::to_string(report_.unprovenPositions) +
                                                            " positions were not proven within the budget and "
                                                            "are left as written"});
        return report_;
    }

private:
    const ProblemStatement& s_;
    std::vector<DraftNode>& nodes_;
    std::vector<bool>& success_;
    const CompletionOptions& opt_;
    std::unique_ptr<sv::Solver> solver_;
    std::priority_queue<Task> tasks_;
    int32_t seq_ = 0;
    int need_ = 3;
    CompletionReport report_;
    std::vector<bool> authoredOnSuccess_;

    // Positions the completer may add to: the author's successful lines and
    // everything it added itself.
    bool open(int32_t node) const
    {
        return static_cast<size_t>(node) >= authoredOnSuccess_.size() || authoredOnSuccess_[node];
    }

    CompletionReport leftAsWritten(std::string why)
    {
        report_.completed = false;
        report_.messages.push_back({nodes_[0].line, std::move(why)});
        return report_;
    }

    void push(int32_t phase, int32_t depth, int32_t node, bool solverToPlay)
    {
        tasks_.push({phase, depth, seq_++, node, solverToPlay});
    }

    bool full() const { return static_cast<int32_t>(nodes_.size()) >= opt_.maxEntries; }

    std::vector<sv::Point> path(int32_t node) const
    {
        std::vector<sv::Point> moves;
        for (int32_t n = node; n > 0; n = nodes_[n].parent)
            moves.push_back(nodes_[n].pass ? sv::kPass
                                           : sv::Point{static_cast<int8_t>(nodes_[n].col - 1),
                                                       static_cast<int8_t>(nodes_[n].row - 1)});
        std::reverse(moves.begin(), moves.end());
        return moves;
    }

    // The board after moves, by the trainer's rules; the side to move next
    // is toMove.
    LineBoard boardAfter(const std::vector<sv::Point>& moves, int32_t& toMove) const
    {
        LineBoard b(s_.width, s_.height, s_.stones);
        toMove = s_.toPlay;
        for (const sv::Point& m : moves) {
            b.play(m.x, m.y, toMove);
            toMove = -toMove;
        }
        return b;
    }

    int32_t childAt(int32_t node, sv::Point p) const
    {
        for (int32_t c : nodes_[node].children) {
            const DraftNode& d = nodes_[c];
            if (p.isPass() ? d.pass : (!d.pass && d.col == p.x + 1 && d.row == p.y + 1)) return c;
        }
        return -1;
    }

    int32_t add(int32_t parent, sv::Point p, bool solved)
    {
        DraftNode d;
        d.parent = parent;
        d.depth = nodes_[parent].depth + 1;
        d.pass = p.isPass();
        d.col = d.pass ? 0 : p.x + 1;
        d.row = d.pass ? 0 : p.y + 1;
        d.added = true;
        d.line = nodes_[parent].line;
        nodes_.push_back(d);
        const int32_t index = static_cast<int32_t>(nodes_.size()) - 1;
        nodes_[parent].children.push_back(index);
        success_.push_back(solved);
        success_[parent] = false;  // no longer a leaf
        return index;
    }

    bool good(sv::Outcome o) const { return sv::outcomeRank(o) >= need_; }

    // Without markers, a leaf of the author's tree ends solved when the
    // solver proves the goal still reachable there.
    void judgeAuthorLeaves()
    {
        const size_t authored = nodes_.size();
        for (size_t n = 1; n < authored; ++n) {
            if (!nodes_[n].children.empty()) continue;
            Limit limit;
            const sv::Outcome o = solver_->resultAfter(path(static_cast<int32_t>(n)), &limit);
            success_[n] = good(o);
        }
    }
    using Limit = sv::Limit;

    // Is the last move of the position a ko retake the proof needs a threat
    // for, or does the proof have nothing left to play?
    static bool settled(const sv::Answer& a) { return a.proof.children.empty(); }

    // The result no longer depends on the solver's next move: it holds even
    // if the solver passes here (the solver is to play after moves).
    bool solverMayPass(const std::vector<sv::Point>& moves)
    {
        if (!moves.empty() && moves.back().isPass()) return false;  // two passes would end the game
        std::vector<sv::Point> after = moves;
        after.push_back(sv::kPass);
        return good(solver_->resultAfter(after));
    }

    // The opponent is to play after moves: the result is certain when every
    // defence leaves the solver free to pass.
    bool certainAgainstAll(const std::vector<sv::Point>& moves, const sv::Answer& a)
    {
        for (const sv::MoveResult& m : a.firstMoves) {
            if (m.move.isPass()) continue;
            std::vector<sv::Point> after = moves;
            after.push_back(m.move);
            if (!solverMayPass(after)) return false;
        }
        return true;
    }

    static bool koReached(const sv::Answer& a)
    {
        if (a.result != sv::Outcome::Ko) return false;
        for (const sv::ProofNode& c : a.proof.children)
            if (c.koRetake) return true;
        return false;
    }

    // The solver is to play after node.
    void completeSolverPosition(const Task& t)
    {
        const int32_t node = t.node;
        if (nodes_[node].depth + 1 > opt_.maxDepth || !open(node)) return;
        const std::vector<sv::Point> moves = path(node);
        const sv::Answer a = solver_->solveAfter(moves, true);
        if (a.result == sv::Outcome::Unproven) {
            ++report_.unprovenPositions;
            for (int32_t c : nodes_[node].children) push(t.phase, t.depth + 1, c, false);
            return;
        }
        if (!good(a.result)) return;  // a lost position: the author's failed line stays as it is
        if (settled(a) || koReached(a) || (node > 0 && solverMayPass(moves))) {
            if (nodes_[node].children.empty()) success_[node] = true;
            return;
        }
        // The author's moves first, then the correct moves, then the wrong ones.
        std::vector<const sv::MoveResult*> correct, wrong;
        int32_t toMove = 0;
        const LineBoard board = boardAfter(moves, toMove);
        for (const sv::MoveResult& m : a.firstMoves) {
            // Ko retakes that would need a threat are not moves the trainer takes.
            if (m.outcome == sv::Outcome::Unproven || !board.legal(m.move.x, m.move.y, toMove)) continue;
            if (childAt(node, m.move) >= 0) continue;
            (good(m.outcome) ? correct : wrong).push_back(&m);
        }
        // A pass is offered only when it is the one way to reach the goal.
        const bool onlyPassCorrect =
            std::all_of(correct.begin(), correct.end(), [](const sv::MoveResult* m) { return m->move.isPass(); }) &&
            std::none_of(nodes_[node].children.begin(), nodes_[node].children.end(),
                         [&](int32_t c) { return !nodes_[c].pass; });
        auto dropPass = [&](std::vector<const sv::MoveResult*>& v, bool keep) {
            v.erase(
                std::remove_if(v.begin(), v.end(), [&](const sv::MoveResult* m) { return m->move.isPass() && !keep; }),
                v.end());
        };
        dropPass(correct, onlyPassCorrect && opt_.allowPass);
        dropPass(wrong, false);

        for (int32_t c : nodes_[node].children) push(t.phase, t.depth + 1, c, false);
        int32_t leftOut = 0;
        for (const sv::MoveResult* m : correct) {
            if (full()) {
                ++leftOut;
                continue;
            }
            const int32_t c = add(node, m->move, true);
            ++report_.addedCorrect;
            push(t.phase, t.depth + 1, c, false);
        }
        for (const sv::MoveResult* m : wrong) {
            if (static_cast<int32_t>(nodes_.size()) + 2 > opt_.maxEntries || nodes_[node].depth + 2 > opt_.maxDepth) {
                ++leftOut;
                continue;
            }
            std::vector<sv::Point> after = moves;
            after.push_back(m->move);
            const sv::Answer r = solver_->solveAfter(after, false);
            LineBoard afterBoard = board;
            afterBoard.play(m->move.x, m->move.y, toMove);
            // The quickest proven refutation.
            const sv::MoveResult* best = nullptr;
            for (const sv::MoveResult& w : r.firstMoves)
                if (w.outcome != sv::Outcome::Unproven && !good(w.outcome) && (opt_.allowPass || !w.move.isPass()) &&
                    afterBoard.legal(w.move.x, w.move.y, -toMove) && (!best || w.depth < best->depth))
                    best = &w;
            if (!best) {
                ++report_.unprovenPositions;
                continue;
            }
            const int32_t c = add(node, m->move, false);
            add(c, best->move, false);
            ++report_.addedWrong;
        }
        if (leftOut > 0) {
            ++report_.positionsLeftOut;
            report_.movesLeftOut += leftOut;
        }
    }

    // The opponent is to play after node, a correct move of the solver.
    void defendOpponentPosition(const Task& t)
    {
        const int32_t node = t.node;
        if (!open(node)) return;
        const std::vector<sv::Point> moves = path(node);
        const sv::Answer a = solver_->solveAfter(moves, true);
        const std::vector<int32_t> authored = nodes_[node].children;
        if (t.phase == 0 || a.result == sv::Outcome::Unproven)
            for (int32_t c : authored) push(t.phase, t.depth + 1, c, true);
        if (a.result == sv::Outcome::Unproven) {
            ++report_.unprovenPositions;
            return;
        }
        if (!good(a.result)) return;
        if (settled(a) || koReached(a) || nodes_[node].depth + 2 > opt_.maxDepth || certainAgainstAll(moves, a)) {
            if (nodes_[node].children.empty()) success_[node] = true;
            return;
        }
        const bool needFirst = nodes_[node].children.empty();
        if (t.phase == 0 && !needFirst) {
            // Further defences wait until every position has its moves.
            push(1, t.depth, node, false);
            return;
        }
        // The defences, strongest first: the worst outcome for the solver,
        // then the longest resistance.
        std::vector<const sv::MoveResult*> defences;
        int32_t toMove = 0;
        const LineBoard board = boardAfter(moves, toMove);
        for (const sv::MoveResult& m : a.firstMoves)
            if (m.outcome != sv::Outcome::Unproven && childAt(node, m.move) < 0 &&
                board.legal(m.move.x, m.move.y, toMove))
                defences.push_back(&m);
        // A pass is a defence only where nothing else is: it shows nothing.
        if (!opt_.allowPass ||
            std::any_of(defences.begin(), defences.end(), [](const sv::MoveResult* m) { return !m->move.isPass(); }))
            defences.erase(std::remove_if(defences.begin(), defences.end(),
                                          [](const sv::MoveResult* m) { return m->move.isPass(); }),
                           defences.end());
        std::stable_sort(defences.begin(), defences.end(), [](const sv::MoveResult* x, const sv::MoveResult* y) {
            if (sv::outcomeRank(x->outcome) != sv::outcomeRank(y->outcome))
                return sv::outcomeRank(x->outcome) < sv::outcomeRank(y->outcome);
            return x->depth > y->depth;
        });
        // The answers already in the tree here: a further defence must need
        // a different one to teach something.
        std::vector<sv::Point> answers;
        for (int32_t c : nodes_[node].children)
            for (int32_t g : nodes_[c].children) answers.push_back(path(g).back());
        for (const sv::MoveResult* d : defences) {
            if (static_cast<int32_t>(nodes_.size()) + 2 > opt_.maxEntries) {
                if (needFirst) {
                    ++report_.positionsLeftOut;
                    ++report_.movesLeftOut;
                    success_[node] = true;
                }
                return;
            }
            std::vector<sv::Point> after = moves;
            after.push_back(d->move);
            const sv::Answer b = solver_->solveAfter(after, true);
            if (b.result == sv::Outcome::Unproven || !good(b.result)) continue;
            const bool ends = settled(b) || koReached(b) || solverMayPass(after);
            const sv::Point answer = ends ? sv::kPass : b.proof.children[0].move;
            if (!ends && answer.isPass() && !opt_.allowPass) continue;
            if (!ends) {
                LineBoard next = board;
                next.play(d->move.x, d->move.y, toMove);
                if (!next.legal(answer.x, answer.y, -toMove)) continue;  // the answer needs a ko threat
            }
            if (!needFirst && (ends || std::find(answers.begin(), answers.end(), answer) != answers.end())) continue;
            const int32_t w = add(node, d->move, ends);
            ++report_.addedDefences;
            if (!ends) {
                const int32_t g = add(w, answer, true);
                push(t.phase, t.depth + 1, w, true);
                push(t.phase, t.depth + 2, g, false);
            }
            // Then the next defence, one per turn, so that every position
            // gets its share of the entries.
            push(1, t.depth + 1, node, false);
            return;
        }
        if (needFirst) success_[node] = true;
    }
};

}  // namespace

CompletionReport completeTree(const ProblemStatement& statement, std::vector<DraftNode>& nodes,
                              std::vector<bool>& success, const CompletionOptions& options)
{
    Completer c(statement, nodes, success, options);
    return c.run();
}
