#include "solver/solver.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <string>

#include "solver/search.h"

namespace vostra::solver {

namespace {

uint8_t cellOf(int side) { return side > 0 ? kBlack : kWhite; }

bool onBoard(const Problem& p, Point q) { return q.x >= 0 && q.y >= 0 && q.x < p.cols && q.y < p.rows; }

}  // namespace

class Engine {
public:
    Engine(const Problem& problem, const Budget& budget);
    Answer answer(const std::vector<Point>& moves, bool withProof, bool firstMoves);

private:
    struct Decided {
        Outcome outcome = Outcome::Unproven;
        Mode mode = 0;  // the mode whose proof shows the outcome
        bool ownerWins = false;
        int depth = 0;
    };
    // The outcome of the search's current position (its line already set).
    Decided decide(bool doublePass);
    void buildProof(Mode mode, bool ownerWins, Outcome outcome, ProofNode& node, size_t& count);
    // The mode where the owner has most: it wins every ko, and seki where the goal allows it.
    Mode widestMode() const { return kOwnerWinsKo | (sekiGoal_ ? kSekiWins : 0); }
    int toIndex(Point q) const { return Board::at(q.x, q.y); }
    // Whether m (a pass included) may be played in pos, in the region; q: its point.
    bool playable(const Position& pos, Point m, int& q) const
    {
        q = kNoPoint;
        if (m.isPass()) return true;
        if (!onBoard(problem_, m)) return false;
        q = toIndex(m);
        return pos.board.inRegion(q) && pos.board.isLegal(q, pos.toPlay);
    }
    Point toPoint(int p) const
    {
        if (p == kNoPoint) return kPass;
        return {static_cast<int8_t>(Board::xOf(p)), static_cast<int8_t>(Board::yOf(p))};
    }

    Problem problem_;
    Budget budget_;
    Rules rules_;
    bool sekiGoal_ = false;
    bool expressible_ = true;
    Position root_;
    Table table_;
    Search search_;
};

Engine::Engine(const Problem& p, const Budget& budget)
    : problem_(p),
      budget_(budget),
      root_{Board(p.cols < 1          ? 1
                  : p.cols > kMaxSide ? 1
                                      : p.cols,
                  p.rows < 1          ? 1
                  : p.rows > kMaxSide ? 1
                                      : p.rows),
            kBlack},
      table_(budget.memoryBytes),
      search_(rules_, table_)
{
    if (p.cols < 1 || p.rows < 1 || p.cols > kMaxSide || p.rows > kMaxSide)
        throw std::invalid_argument("board size " + std::to_string(p.cols) + "x" + std::to_string(p.rows) +
                                    " is not between 1x1 and 19x19");
    const size_t n = static_cast<size_t>(p.cols) * p.rows;
    if (p.stones.size() != n) throw std::invalid_argument("stones: expected cols*rows values");
    if (!p.region.empty() && p.region.size() != n) throw std::invalid_argument("region: expected cols*rows values");
    if (p.toPlay != 1 && p.toPlay != -1) throw std::invalid_argument("toPlay must be +1 or -1");
    if (p.goalFor != 0 && p.goalFor != 1 && p.goalFor != -1) throw std::invalid_argument("goalFor must be 0, +1 or -1");
    for (int8_t s : p.stones)
        if (s < -1 || s > 1) throw std::invalid_argument("stones: values must be -1, 0 or +1");

    const int ownerSide = p.goalFor ? p.goalFor : p.toPlay;
    const GoalKind kind = p.goal.kind;
    expressible_ = kind != GoalKind::Connect && kind != GoalKind::Cut;
    rules_.owner = cellOf(ownerSide);
    rules_.liveType = kind == GoalKind::Live || kind == GoalKind::Escape;
    sekiGoal_ = rules_.liveType && p.goal.sekiCounts;
    const uint8_t targetColour = rules_.liveType ? rules_.owner : opposite(rules_.owner);

    Board& b = root_.board;
    for (int y = 0; y < p.rows; ++y)
        for (int x = 0; x < p.cols; ++x) {
            const int8_t s = p.stones[static_cast<size_t>(y) * p.cols + x];
            b.setStone(Board::at(x, y), s > 0 ? kBlack : s < 0 ? kWhite : kEmpty);
            b.setRegion(Board::at(x, y), p.region.empty() || p.region[static_cast<size_t>(y) * p.cols + x]);
        }
    if (p.goal.targets.empty()) {
        for (int y = 0; y < p.rows; ++y)
            for (int x = 0; x < p.cols; ++x) {
                const int q = Board::at(x, y);
                if (b.cell(q) == targetColour && b.inRegion(q)) b.markTarget(q);
            }
    } else {
        for (Point t : p.goal.targets) {
            if (!onBoard(p, t)) throw std::invalid_argument("a target is off the board");
            if (b.cell(toIndex(t)) != targetColour)
                throw std::invalid_argument("target (" + std::to_string(t.x) + "," + std::to_string(t.y) +
                                            ") is not a stone of the side the goal is about");
            b.markTarget(toIndex(t));
        }
    }
    for (Point k : p.goal.keep) {
        if (!onBoard(p, k)) throw std::invalid_argument("a stone to keep is off the board");
        if (rules_.liveType || b.cell(toIndex(k)) != rules_.owner)
            throw std::invalid_argument("a stone to keep is not a stone of the goal's owner");
        b.markKeep(toIndex(k));
    }
    if (!p.koBan.isPass()) {
        if (!onBoard(p, p.koBan)) throw std::invalid_argument("the ko point is off the board");
        b.setKoPoint(toIndex(p.koBan));
    }
    b.closeRegion(opposite(targetColour));
    for (int y = 0; y < p.rows; ++y)
        for (int x = 0; x < p.cols; ++x)
            if (b.cell(Board::at(x, y)) != kEmpty && b.liberties(Board::at(x, y)) == 0 &&
                !b.permanentlySafe(Board::at(x, y)))
                throw std::invalid_argument("the position has a chain without liberties");
    if (b.targetsLeft() == 0) expressible_ = false;
    root_.toPlay = cellOf(p.toPlay);
}

Engine::Decided Engine::decide(bool doublePass)
{
    Decided d;
    const Position& here = search_.current();
    Eval e = search_.evaluate(here, doublePass);
    if (e == Eval::Loss && doublePass && sekiGoal_ && here.board.targetsLeft() > 0) {
        d.outcome = Outcome::Seki;
        d.mode = kSekiWins;
        d.ownerWins = true;
        return d;
    }
    if (e != Eval::Open) {
        d.outcome = e == Eval::Win ? Outcome::Unconditional : Outcome::Fails;
        d.ownerWins = e == Eval::Win;
        return d;
    }
    // The widest mode first: a move that fails even when the owner wins
    // every ko (most moves) is settled by one search.
    const Mode widest = widestMode();
    Search::Result r = search_.solve(widest);
    if (!r.known) return d;
    if (!r.ownerWins) return {Outcome::Fails, widest, false, r.depth};
    const int koDepth = r.depth;
    int sekiDepth = -1;  // the seki proof's depth, where seki holds
    if (sekiGoal_) {
        // Seki before unconditional life: where even seki fails, so does
        // life without it, and the table says so at once.
        r = search_.solve(kSekiWins);
        if (!r.known) return d;
        if (!r.ownerWins) return {Outcome::Ko, widest, true, koDepth};
        sekiDepth = r.depth;
    }
    r = search_.solve(0);
    if (!r.known) return d;
    if (r.ownerWins) return {Outcome::Unconditional, 0, true, r.depth};
    if (sekiDepth >= 0) return {Outcome::Seki, kSekiWins, true, sekiDepth};
    return {Outcome::Ko, widest, true, koDepth};
}

void Engine::buildProof(Mode mode, bool ownerWins, Outcome outcome, ProofNode& node, size_t& count)
{
    if (search_.aborted() || count >= budget_.maxProofNodes || search_.ply() > 300) {
        node.cut = true;
        return;
    }
    const Position here = search_.current();
    const bool proverToMove = (here.toPlay == rules_.owner) == ownerWins;
    std::vector<int> moves;
    search_.generate(here, mode, moves);
    auto proves = [&](const Search::ChildValue& v) {
        return v.known && v.ownerWins == ownerWins && !(ownerWins && v.pathDependent);
    };
    auto addChild = [&](int move) -> ProofNode& {
        ProofNode& c = node.children.emplace_back();
        c.move = toPoint(move);
        c.colour = here.toPlay == kBlack ? 1 : -1;
        c.outcome = outcome;
        c.koRetake = move != kNoPoint && move == here.board.koPoint();
        ++count;
        return c;
    };
    // Expands a child whose value is known: terminal positions and
    // repetitions end the line.
    auto descend = [&](int move, ProofNode& c) {
        Position next;
        Search::playInto(here, move, next);
        const bool doublePass = move == kNoPoint && here.lastPass;
        Search::ChildValue v = search_.childValue(mode, move);
        if (search_.evaluate(next, doublePass) != Eval::Open || doublePass || v.pathDependent) return;
        search_.push(move);
        buildProof(mode, ownerWins, outcome, c, count);
        search_.pop();
    };
    if (proverToMove) {
        int chosen = -1, chosenDepth = 1 << 30;
        for (int attempt = 0; attempt < 2 && chosen < 0; ++attempt) {
            for (int m : moves) {
                Search::ChildValue v = search_.childValue(mode, m);
                if (proves(v) && v.depth < chosenDepth) {
                    chosen = m;
                    chosenDepth = v.depth;
                }
            }
            if (chosen < 0 && attempt == 0) search_.solve(mode);  // the table lost it: search again
        }
        if (chosen < 0) {
            node.cut = true;
            return;
        }
        descend(chosen, addChild(chosen));
        return;
    }
    for (int m : moves) {
        Search::ChildValue v = search_.childValue(mode, m);
        if (!proves(v)) {
            search_.push(m);
            search_.solve(mode);
            search_.pop();
            v = search_.childValue(mode, m);
        }
        ProofNode& c = addChild(m);
        if (!proves(v)) {
            c.cut = true;
            continue;
        }
        if (count >= budget_.maxProofNodes) {
            c.cut = true;
            continue;
        }
        descend(m, c);
    }
}

Answer Engine::answer(const std::vector<Point>& moves, bool withProof, bool wantFirstMoves)
{
    const auto start = std::chrono::steady_clock::now();
    Answer a;
    if (!expressible_) {
        a.limit = Limit::Model;
        return a;
    }
    // Replay the line from the problem's position by the plain rules.
    std::vector<Position> history;
    Position pos = root_;
    for (Point m : moves) {
        int q = kNoPoint;
        if (!playable(pos, m, q)) {
            a.limit = Limit::Model;
            return a;
        }
        history.push_back(pos);
        Position next;
        Search::playInto(pos, q, next);
        pos = next;
    }
    const bool doublePass = moves.size() >= 2 && moves.back().isPass() && moves[moves.size() - 2].isPass();

    search_.begin(budget_.maxNodes, budget_.maxMs);
    auto elapsed = [&] {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    };
    const bool over = doublePass || search_.evaluate(pos, false) != Eval::Open;
    std::vector<Position> childHistory = history;
    childHistory.push_back(pos);

    // The moves to try first: one that reaches the goal unconditionally
    // proves the position's result as well.
    Decided d;
    int earlyMove = -1;
    Decided early;
    // When something was settled: the time and the nodes searched by then.
    struct Stamp {
        double ms = 0;
        uint64_t nodes = 0;
    };
    auto now = [&] { return Stamp{elapsed(), search_.nodes()}; };
    Stamp earlyAt;
    if (moves.empty() && !over && pos.toPlay == rules_.owner) {
        bool seeded = false;  // a move to try first wins where the owner wins every ko
        for (Point m : problem_.tryFirst) {
            int q = kNoPoint;
            if (search_.aborted() || !playable(pos, m, q)) continue;
            Position child;
            Search::playInto(pos, q, child);
            search_.setLine(childHistory, child);
            const Eval e = search_.leafEval(child, q == kNoPoint && pos.lastPass, 0);
            int depth = 0;
            if (e == Eval::Open) {
                const Search::Result r = search_.solve(0);
                if (r.known && !r.ownerWins && !seeded) {
                    // Short of that, a win where the owner wins every ko
                    // proves the position in that mode too: the table holds
                    // it for the search of the position, which is then
                    // spared a search among all the moves.
                    const Search::Result w = search_.solve(widestMode());
                    seeded = w.known && w.ownerWins;
                }
                if (!r.known || !r.ownerWins) continue;
                depth = r.depth;
            } else if (e != Eval::Win) {
                continue;
            }
            earlyMove = q;
            early = {Outcome::Unconditional, 0, true, depth};
            earlyAt = now();
            d = {Outcome::Unconditional, 0, true, depth + 1};
            break;
        }
    }
    if (earlyMove < 0 && !search_.aborted()) {
        search_.setLine(history, pos);
        d = decide(doublePass);
    }
    a.result = d.outcome;
    a.resultMs = elapsed();
    a.resultNodes = search_.nodes();
    a.limit = d.outcome == Outcome::Unproven ? search_.limit() : Limit::None;
    if (a.result == Outcome::Unproven && a.limit == Limit::None) a.limit = Limit::Memory;

    if (wantFirstMoves && !over) {
        std::vector<int> legal, authored;
        for (Point m : problem_.tryFirst) {
            int q = kNoPoint;
            if (moves.empty() && playable(pos, m, q)) authored.push_back(q);
        }
        for (int y = 0; y < problem_.rows; ++y)
            for (int x = 0; x < problem_.cols; ++x) {
                const int q = Board::at(x, y);
                if (pos.board.inRegion(q) && pos.board.isLegal(q, pos.toPlay)) legal.push_back(q);
            }
        legal.push_back(kNoPoint);
        std::vector<Decided> results(legal.size());
        std::vector<Stamp> settledAt(legal.size());
        std::vector<uint8_t> settled(legal.size(), 0);
        for (size_t i = 0; i < legal.size(); ++i)
            if (legal[i] == earlyMove) {
                results[i] = early;
                settled[i] = 1;
                settledAt[i] = earlyAt;
            }
        // Where the owner moves and has a result, the moves that keep it are
        // found first, each by one search in the mode of that result: no
        // move does better than the position, so those are exact.  The
        // others are then told apart as far as the budget goes.  The moves
        // to try first come first.
        const bool ownerMoves = pos.toPlay == rules_.owner;
        if (ownerMoves && d.ownerWins) {
            std::vector<size_t> order(legal.size());
            for (size_t i = 0; i < order.size(); ++i) order[i] = i;
            std::vector<int> preferred;
            search_.generate(pos, 0, preferred);
            auto rankOf = [&](size_t i) {
                for (size_t k = 0; k < authored.size(); ++k)
                    if (authored[k] == legal[i]) return static_cast<int>(k) - static_cast<int>(authored.size());
                for (size_t k = 0; k < preferred.size(); ++k)
                    if (preferred[k] == legal[i]) return static_cast<int>(k);
                return static_cast<int>(preferred.size());
            };
            std::stable_sort(order.begin(), order.end(), [&](size_t x, size_t y) { return rankOf(x) < rankOf(y); });
            for (size_t i : order) {
                if (search_.aborted()) break;
                if (settled[i]) continue;
                Position child;
                Search::playInto(pos, legal[i], child);
                search_.setLine(childHistory, child);
                const bool doublePass = legal[i] == kNoPoint && pos.lastPass;
                const Eval e = search_.leafEval(child, doublePass, d.mode);
                if (e != Eval::Open) {
                    if (e == Eval::Win) {
                        results[i] = decide(doublePass);
                        settled[i] = 1;
                        settledAt[i] = now();
                    }
                    continue;
                }
                const Search::Result r = search_.solve(d.mode);
                if (r.known && r.ownerWins) {
                    results[i] = {d.outcome, d.mode, true, r.depth};
                    settled[i] = 1;
                    settledAt[i] = now();
                }
            }
        }
        for (size_t i = 0; i < legal.size(); ++i) {
            if (settled[i] || search_.aborted()) continue;
            Position child;
            Search::playInto(pos, legal[i], child);
            search_.setLine(childHistory, child);
            results[i] = decide(legal[i] == kNoPoint && pos.lastPass);
            settledAt[i] = now();
        }
        for (size_t i = 0; i < legal.size(); ++i) {
            const Decided& c = results[i];
            a.firstMoves.push_back({toPoint(legal[i]), c.outcome, c.outcome == Outcome::Unproven ? 0 : c.depth + 1,
                                    c.outcome == Outcome::Unproven ? 0 : settledAt[i].ms,
                                    c.outcome == Outcome::Unproven ? 0 : settledAt[i].nodes});
        }
    }
    if (withProof && a.result != Outcome::Unproven && !search_.aborted()) {
        search_.setLine(history, pos);
        size_t count = 1;
        a.proof.outcome = a.result;
        if (!over) buildProof(d.mode, d.ownerWins, a.result, a.proof, count);
    } else {
        a.proof.outcome = a.result;
        // No proof was built: say so, so that nobody reads the root as settled.
        a.proof.cut = withProof && a.result != Outcome::Unproven && !over;
    }
    a.nodes = search_.nodes();
    a.peakBytes = table_.peakBytes();
    a.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    return a;
}

Solver::Solver(const Problem& problem, const Budget& budget) : engine_(std::make_unique<Engine>(problem, budget)) {}
Solver::~Solver() = default;

Answer Solver::solveAfter(const std::vector<Point>& moves, bool withProof)
{
    return engine_->answer(moves, withProof, true);
}

Outcome Solver::resultAfter(const std::vector<Point>& moves, Limit* limit)
{
    Answer a = engine_->answer(moves, false, false);
    if (limit) *limit = a.limit;
    return a.result;
}

Answer solve(const Problem& problem, const Budget& budget) { return Solver(problem, budget).solve(); }

int outcomeRank(Outcome o)
{
    switch (o) {
    case Outcome::Unconditional:
        return 3;
    case Outcome::Seki:
        return 2;
    case Outcome::Ko:
        return 1;
    case Outcome::Fails:
        return 0;
    case Outcome::Unproven:
        break;
    }
    return -1;
}

const char* outcomeName(Outcome o)
{
    switch (o) {
    case Outcome::Unconditional:
        return "unconditional";
    case Outcome::Ko:
        return "ko";
    case Outcome::Seki:
        return "seki";
    case Outcome::Fails:
        return "fails";
    case Outcome::Unproven:
        break;
    }
    return "unproven";
}

const char* limitName(Limit l)
{
    switch (l) {
    case Limit::None:
        return "none";
    case Limit::Nodes:
        return "nodes";
    case Limit::Time:
        return "time";
    case Limit::Memory:
        return "memory";
    case Limit::Model:
        break;
    }
    return "model";
}

}  // namespace vostra::solver
