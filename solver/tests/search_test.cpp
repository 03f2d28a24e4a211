// The solver's proof-number search against a plain exhaustive minimax of the
// same game on random small positions (at most 7 empty points), in every
// mode; and the public Answer on them: its result is the one its first moves
// give.
// The seed is printed; set VOSTRA_SEED to repeat a run.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "solver/search.h"
#include "solver/solver.h"

namespace sv = vostra::solver;

namespace {

struct Minimax {
    const sv::Search& search;
    sv::Mode mode;
    bool sekiWins;
    uint8_t owner;
    uint64_t nodes = 0, limit = 200000;
    std::vector<uint64_t> path;

    // Owner wins from p, reached by a move (doublePass when it was the second pass).
    bool wins(const sv::Position& p)
    {
        if (++nodes > limit) return false;
        // Every legal move, not the search's own list: moves it leaves out
        // must not change the result.
        std::vector<int> moves;
        const sv::Board& b = p.board;
        for (int m = b.spanBegin(); m < b.spanEnd(); ++m)
            if (b.inRegion(m) && b.isLegal(m, p.toPlay, search.ignoresKo(p.toPlay, mode))) moves.push_back(m);
        moves.push_back(sv::kNoPoint);
        const bool isOr = p.toPlay == owner;
        path.push_back(search.key(p, mode));
        bool result = !isOr;
        for (int m : moves) {
            sv::Position c;
            sv::Search::playInto(p, m, c);
            bool w;
            const uint64_t k = search.key(c, mode);
            bool repeated = false;
            for (uint64_t q : path) repeated |= q == k;
            const bool doublePass = m == sv::kNoPoint && p.lastPass;
            if (repeated) {
                w = false;
            } else {
                sv::Eval e = search.evaluate(c, doublePass);
                if (e == sv::Eval::Open)
                    w = wins(c);
                else
                    w = e == sv::Eval::Win || (doublePass && sekiWins && c.board.targetsLeft() > 0);
            }
            if (w == isOr) {
                result = isOr;
                break;
            }
        }
        path.pop_back();
        return result;
    }
};

struct Random {
    std::mt19937_64 rng;
    int below(int n) { return static_cast<int>(rng() % static_cast<uint64_t>(n)); }
};

// A random legal position on a board of at most 4x4 with few empty points;
// half of them get one more column, empty and outside the region, so that
// the frame closes the region on that side.
bool randomProblem(Random& r, sv::Problem& p)
{
    const int inner = 3 + r.below(2);
    const bool framed = r.below(2);
    p.cols = inner + framed;
    p.rows = 3 + r.below(2);
    const int n = p.cols * p.rows;
    p.stones.assign(n, 0);
    p.region.clear();
    if (framed)
        for (int q = 0; q < n; ++q) p.region.push_back(q % p.cols < inner);
    const int empties = 3 + r.below(5);
    for (int i = 0; i < inner * p.rows - empties; ++i) {
        int q;
        do q = r.below(n);
        while (p.stones[q] || q % p.cols >= inner);
        p.stones[q] = r.below(2) ? 1 : -1;
    }
    p.toPlay = r.below(2) ? 1 : -1;
    p.goalFor = r.below(3) == 0 ? -p.toPlay : 0;
    const int owner = p.goalFor ? p.goalFor : p.toPlay;
    const int kind = r.below(3);
    p.goal.kind = kind == 0 ? sv::GoalKind::Live : kind == 1 ? sv::GoalKind::Kill : sv::GoalKind::Capture;
    p.goal.sekiCounts = r.below(2);
    const int targetColour = p.goal.kind == sv::GoalKind::Live ? owner : -owner;
    std::vector<int> candidates;
    for (int q = 0; q < n; ++q)
        if (p.stones[q] == targetColour) candidates.push_back(q);
    if (candidates.empty()) return false;
    p.goal.targets.clear();
    const int q = candidates[r.below(static_cast<int>(candidates.size()))];
    p.goal.targets.push_back({static_cast<int8_t>(q % p.cols), static_cast<int8_t>(q / p.cols)});
    // Sometimes a stone of the owner's that must survive (a race).
    p.goal.keep.clear();
    if (p.goal.kind != sv::GoalKind::Live && r.below(3) == 0)
        for (int k = 0; k < n; ++k)
            if (p.stones[k] == owner) {
                p.goal.keep.push_back({static_cast<int8_t>(k % p.cols), static_cast<int8_t>(k / p.cols)});
                break;
            }
    try {
        sv::Solver check(p);
    } catch (const std::invalid_argument&) {
        return false;  // a chain without liberties
    }
    return true;
}

uint64_t seed()
{
    const char* s = std::getenv("VOSTRA_SEED");
    const uint64_t v = s ? std::strtoull(s, nullptr, 10) : std::random_device{}();
    std::printf("solver search test seed: %llu (VOSTRA_SEED to repeat)\n", static_cast<unsigned long long>(v));
    return v;
}

// The search's rules for a problem: its owner and whether the targets must live.
sv::Rules rulesOf(const sv::Problem& p)
{
    const int owner = p.goalFor ? p.goalFor : p.toPlay;
    return {owner > 0 ? sv::kBlack : sv::kWhite, p.goal.kind == sv::GoalKind::Live};
}

// The board of a problem, set up as the solver does.
sv::Position positionOf(const sv::Problem& p, const sv::Rules& rules)
{
    const uint8_t targetColour = rules.liveType ? rules.owner : sv::opposite(rules.owner);
    sv::Position pos{sv::Board(p.cols, p.rows), p.toPlay > 0 ? sv::kBlack : sv::kWhite};
    for (int y = 0; y < p.rows; ++y)
        for (int x = 0; x < p.cols; ++x) {
            const int8_t s = p.stones[y * p.cols + x];
            pos.board.setStone(sv::Board::at(x, y), s > 0 ? sv::kBlack : s < 0 ? sv::kWhite : sv::kEmpty);
        }
    for (sv::Point t : p.goal.targets) pos.board.markTarget(sv::Board::at(t.x, t.y));
    for (sv::Point k : p.goal.keep) pos.board.markKeep(sv::Board::at(k.x, k.y));
    for (size_t q = 0; q < p.region.size(); ++q)
        pos.board.setRegion(sv::Board::at(static_cast<int>(q) % p.cols, static_cast<int>(q) / p.cols), p.region[q]);
    pos.board.closeRegion(sv::opposite(targetColour));
    return pos;
}

std::string diagram(const sv::Problem& p)
{
    std::string out;
    for (int y = 0; y < p.rows; ++y) {
        for (int x = 0; x < p.cols; ++x) {
            bool target = false;
            for (sv::Point t : p.goal.targets) target |= t.x == x && t.y == y;
            const int8_t s = p.stones[y * p.cols + x];
            out += s > 0 ? (target ? 'B' : 'X') : s < 0 ? (target ? 'W' : 'O') : '.';
        }
        out += '\n';
    }
    out += "to play " + std::to_string(p.toPlay) + " goal for " + std::to_string(p.goalFor) + " kind " +
           std::to_string(static_cast<int>(p.goal.kind)) + "\n";
    return out;
}

// The board of a position in play: X/O stones, B/W targets, - outside the region.
std::string diagram(const sv::Position& pos)
{
    std::string out;
    const sv::Board& b = pos.board;
    for (int y = 0; y < b.rows(); ++y) {
        for (int x = 0; x < b.cols(); ++x) {
            const int q = sv::Board::at(x, y);
            const uint8_t c = b.cell(q);
            out += c == sv::kBlack ? (b.isTarget(q) ? 'B' : 'X')
                   : c == sv::kWhite ? (b.isTarget(q) ? 'W' : 'O')
                   : b.inRegion(q)   ? '.'
                                     : '-';
        }
        out += '\n';
    }
    out += std::string("to play ") + (pos.toPlay == sv::kBlack ? "Black" : "White") + (pos.lastPass ? ", after a pass" : "") +
           "\n";
    return out;
}

}  // namespace

TEST(SolverSearch, AgreesWithExhaustiveMinimaxInEveryMode)
{
    Random r{std::mt19937_64(seed())};
    int compared = 0;
#ifdef NDEBUG
    const int wanted = 200;
#else
    const int wanted = 50;  // the sanitizer build is many times slower
#endif
    for (int round = 0; round < 4000 && compared < wanted; ++round) {
        sv::Problem p;
        if (!randomProblem(r, p)) continue;
        const sv::Rules rules = rulesOf(p);
        const sv::Position pos = positionOf(p, rules);
        sv::Table scratch(1 << 16);
        if (sv::Search(rules, scratch).evaluate(pos, false) != sv::Eval::Open) continue;
        for (sv::Mode mode : {0, 1, 2, 3}) {
            if ((mode & sv::kSekiWins) && !rules.liveType) continue;
            sv::Table table(1 << 20);
            sv::Search search(rules, table);
            Minimax mm{search, mode, (mode & sv::kSekiWins) != 0, rules.owner, 0, 200000, {}};
            const bool expected = mm.wins(pos);
            if (mm.nodes > mm.limit) continue;
            search.begin(0, 0);
            search.setLine({}, pos);
            const sv::Search::Result got = search.solve(mode);
            ASSERT_TRUE(got.known);
            ASSERT_EQ(got.ownerWins, expected) << "round " << round << " mode " << mode << "\n" << diagram(p);
            ++compared;
        }
        // The public answer combines the modes; its result is the best first
        // move's for the side to play when it owns the goal, the worst otherwise.
        const sv::Answer a = sv::solve(p);
        ASSERT_NE(a.result, sv::Outcome::Unproven) << diagram(p);
        int best = -1, worst = 4;
        for (const sv::MoveResult& m : a.firstMoves) {
            best = std::max(best, sv::outcomeRank(m.outcome));
            worst = std::min(worst, sv::outcomeRank(m.outcome));
        }
        if (!a.firstMoves.empty()) {
            EXPECT_EQ(sv::outcomeRank(a.result), p.goalFor == 0 ? best : worst) << "round " << round << "\n"
                                                                                << diagram(p);
            // A move to try first (the author's) changes the order of the
            // work, never an answer: one that wins only by ko or seki where
            // there is one (its search in the widest mode is kept for the
            // position's), else now and then any move.
            int tried = -1;
            for (size_t i = 0; i < a.firstMoves.size(); ++i)
                if (a.firstMoves[i].outcome == sv::Outcome::Ko || a.firstMoves[i].outcome == sv::Outcome::Seki)
                    tried = static_cast<int>(i);
            if (tried < 0 && r.below(4) == 0) tried = r.below(static_cast<int>(a.firstMoves.size()));
            if (tried < 0) continue;
            p.tryFirst = {a.firstMoves[tried].move};
            const sv::Answer t = sv::solve(p);
            ASSERT_EQ(t.result, a.result) << "round " << round << "\n" << diagram(p);
            ASSERT_EQ(t.firstMoves.size(), a.firstMoves.size());
            for (size_t i = 0; i < t.firstMoves.size(); ++i)
                EXPECT_EQ(t.firstMoves[i].outcome, a.firstMoves[i].outcome) << "round " << round << "\n"
                                                                              << diagram(p);
        }
    }
    EXPECT_GE(compared, wanted / 2);
}

// Two kos beside Black's stones, where Black may retake kos at once: White
// takes one, then the other, and repeats a position, so Black fails even
// where seki would do.  White's ko captures must not be passed over as
// captures in vain.
TEST(SolverSearch, ADoubleKoFailsTheOwnerWhoWinsEveryKo)
{
    sv::Problem p;
    p.cols = 4;
    p.rows = 3;
    p.stones = {0, 1, 0, 0, 1, -1, 0, 0, 0, 0, -1, 0};
    for (int q = 0; q < 12; ++q) p.region.push_back(q % 4 < 3);
    p.goal.kind = sv::GoalKind::Live;
    p.goal.targets.push_back({0, 1});
    const sv::Rules rules = rulesOf(p);
    const sv::Position pos = positionOf(p, rules);
    const sv::Mode mode = sv::kSekiWins | sv::kOwnerWinsKo;
    sv::Table table(1 << 20);
    sv::Search search(rules, table);
    Minimax mm{search, mode, true, rules.owner, 0, 200000, {}};
    EXPECT_FALSE(mm.wins(pos));
    search.begin(0, 0);
    search.setLine({}, pos);
    const sv::Search::Result got = search.solve(mode);
    ASSERT_TRUE(got.known);
    EXPECT_FALSE(got.ownerWins);
}

TEST(SolverTable, StaysWithinItsBoundWhileItGrows)
{
    for (size_t bound : {size_t{1} << 20, size_t{3} << 20}) {
        sv::Table table(bound);
        for (uint64_t i = 1; i <= 400000; ++i) {
            sv::Entry e;
            e.key = i * 0x9E3779B97F4A7C15ull;
            e.work = static_cast<uint32_t>(i % 97);
            table.store(e);
        }
        EXPECT_LE(table.peakBytes(), bound);
        EXPECT_GT(table.entries(), 0u);
    }
    // Consecutive keys fill whole buckets and the table grows before any
    // overflows, so every entry must survive the growths (large enough to
    // grow in place where the system allows it).  The keys' high bits vary,
    // so each growth moves some buckets and keeps others.
    const size_t bound = size_t{8} << 20;
    sv::Table table(bound);
    const uint64_t n = 150000, base = 0x5555555555555555ull;
    for (uint64_t k = 1; k <= n; ++k) {
        sv::Entry e;
        e.key = base + k;
        e.pn = static_cast<uint32_t>(k % 1000 + 2);
        table.store(e);
    }
    uint64_t lost = 0;
    for (uint64_t k = 1; k <= n; ++k) {
        const sv::Entry* e = table.find(base + k);
        lost += !e || e->pn != k % 1000 + 2;
    }
    EXPECT_EQ(lost, 0u);
    EXPECT_EQ(table.entries(), n);
    EXPECT_LE(table.peakBytes(), bound);
}

// A straight three closed by a wall: dead with the attacker to move, not with
// the defender to move (it takes the middle point), and not where the wall
// itself could be captured before the eye space is filled.
TEST(SolverSearch, KnowsAClosedThreePointEyeSpaceIsDeadOnlyWithTheAttackerToMove)
{
    auto position = [](const char* rows[4], uint8_t toPlay) {
        sv::Position pos{sv::Board(6, 4), toPlay};
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 6; ++x)
                pos.board.setStone(sv::Board::at(x, y),
                                   rows[y][x] == 'X' ? sv::kBlack : rows[y][x] == 'O' ? sv::kWhite : sv::kEmpty);
        pos.board.markTarget(sv::Board::at(3, 0));
        pos.board.finishSetup();
        return pos;
    };
    const char* open[4] = {"...OX.", "OOOOX.", "XXXXX.", "......"};
    const char* pressed[4] = {"...OXO", "OOOOX.", "XXXXX.", "OOOOO."};
    sv::Rules kill{sv::kBlack, false};
    sv::Table table(1 << 20);
    sv::Search search(kill, table);
    EXPECT_TRUE(search.capturedForSure(position(open, sv::kBlack)));
    EXPECT_FALSE(search.capturedForSure(position(open, sv::kWhite)));
    EXPECT_FALSE(search.capturedForSure(position(pressed, sv::kBlack)));
    // The same for a live goal of White's: there it is White's failure.
    sv::Rules live{sv::kWhite, true};
    sv::Search liveSearch(live, table);
    EXPECT_EQ(liveSearch.leafEval(position(open, sv::kBlack), false, 0), sv::Eval::Loss);
}

// Where a line is cut short because the targets are lost for sure (a closed
// small eye space, no room for two eyes, a ladder), a plain minimax from that
// position must agree in every mode; positions along random games from
// random problems, the seed printed as above.
TEST(SolverSearch, TargetsCalledLostAreLostInEveryMode)
{
    Random r{std::mt19937_64(seed())};
    int checked = 0;
#ifdef NDEBUG
    const int wanted = 80;
#else
    const int wanted = 20;  // the sanitizer build is many times slower
#endif
    for (int round = 0; round < 6000 && checked < wanted; ++round) {
        sv::Problem p;
        if (!randomProblem(r, p)) continue;
        const sv::Rules rules = rulesOf(p);
        sv::Position pos = positionOf(p, rules);
        sv::Table table(1 << 16);
        sv::Search search(rules, table);
        for (int ply = 0; ply < 6; ++ply) {
            if (search.evaluate(pos, false) != sv::Eval::Open) break;
            for (sv::Mode mode : {0, 1, 2, 3}) {
                if ((mode & sv::kSekiWins) && !rules.liveType) continue;
                if (!search.capturedForSure(pos) && !search.capturedForLackOfRoom(pos) &&
                    !search.capturedByLadder(pos, mode))
                    continue;
                Minimax mm{search, mode, (mode & sv::kSekiWins) != 0, rules.owner, 0, 50000, {}};
                const bool ownerWins = mm.wins(pos);
                if (mm.nodes > mm.limit) continue;
                EXPECT_EQ(ownerWins, !rules.liveType) << "round " << round << " mode " << mode << " sure "
                                                      << search.capturedForSure(pos) << " room "
                                                      << search.capturedForLackOfRoom(pos) << "\n"
                                                      << diagram(pos) << diagram(p);
                ++checked;
            }
            std::vector<int> moves;
            search.generate(pos, 0, moves);
            sv::Position next;
            sv::Search::playInto(pos, moves[r.below(static_cast<int>(moves.size()))], next);
            pos = next;
        }
    }
    EXPECT_GE(checked, wanted / 2);
}
