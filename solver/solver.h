// The life-and-death solver: proves, for an enclosed problem, whether a side
// reaches its goal (live, kill, capture, ...) unconditionally, only by winning
// a ko, only in seki, or not at all; gives the result of every first move and
// a proof tree that shows the result against every defence.
//
// Model of the problem
// - Moves are played only on the points of `Problem::region` (and passes).
//   The outside is a tsumego frame: every empty point outside the region
//   that touches it holds a stone of the side against the targets, and that
//   stone, with every chain it joins, can never be captured.  Where the frame
//   would take the last liberty of a chain of the targets' colour, those
//   points join the region instead.  So do the liberties outside the region
//   of a weak chain of the frame's colour next to the targets (at most two
//   liberties in all, at most three outside the region): it may be captured
//   in the fight, and so may the owner's racing stones (Goal::keep), whose
//   liberties all join.  Stronger chains of that colour are taken to be
//   safe, as a problem's surrounding wall usually is.  A chain with an empty liberty
//   further outside is safe too (nobody may fill it).  Include in the region
//   every point the fight is about, the stones of the groups concerned and
//   their liberties.
// - Rules: simple ko (an immediate recapture of a single stone that captured
//   a single stone is banned), suicide is illegal, two passes in a row end the
//   game.  A position that repeats along a line of play counts as a failure
//   for the goal's owner, so a proof never leans on a cycle; a refutation
//   that leans on a repetition of a position above it is kept for that line
//   only, never in the table.
// - Ko: a result is `Unconditional` if it holds when the opponent may retake
//   every ko at once (as if he had endless ko threats), `Ko` if it holds only
//   when the goal's owner may retake every ko at once.
// - Seki: for `Live` with `sekiCounts`, targets that survive to the end of the
//   game (two passes) without being unconditionally alive give `Seki`.
//   Unconditional life means Benson's unconditional life of a target chain
//   (or a chain the boundary makes safe).
//
// Goals (the "owner" is Problem::goalFor, the side to play unless set):
// - Live / Escape: some target stone is made safe (Benson-alive, or in a
//   chain that cannot be captured).  Fails when every target stone has been captured.
// - Kill / Capture: every target stone is captured.  Fails when one of them is
//   made safe or survives to the end of the game.
// - CapturingRace: like Capture; the targets are the opponent's racing stones.
//   With Goal::keep (the owner's racing stones), the goal fails as soon as
//   one of those is captured, also for Kill/Capture.
// - Connect / Cut: not expressible yet; solve() answers Unproven with
//   Limit::Model.
// With no targets, Live/Escape target every stone of the owner in the region
// and Kill/Capture/CapturingRace every stone of the opponent in the region.
//
// The library has no threads and no platform code (it also runs in the
// browser).  Invalid problems (sizes that do not match, a side that is not
// +1/-1, points off the board, targets that are not stones of the side the
// goal is about, chains without liberties) throw std::invalid_argument.
//
// The search: depth-first proof-number search (df-pn with the 1+epsilon
// threshold rule) over the solver's own board, with a transposition table
// bounded by Budget::memoryBytes; Benson's test ends lines where a target is
// unconditionally alive.  Where cycles of the position graph stall the proof
// numbers, the search starts again from what is settled, and at last a plain
// depth-first search decides, within the same budget.  Tests: solver/tests/
// (target solver_tests) and fuzz/fuzz_solver.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace vostra::solver {

// 0-based column and row on the problem's board; {-1,-1} is a pass.
struct Point {
    int8_t x = -1, y = -1;
    bool isPass() const { return x < 0; }
    bool operator==(const Point&) const = default;
};
constexpr Point kPass{-1, -1};

enum class GoalKind { Live, Kill, Capture, Escape, Connect, Cut, CapturingRace };

struct Goal {
    GoalKind kind = GoalKind::Live;
    bool sekiCounts = true;      // Live accepts seki unless the goal says clean life
    std::vector<Point> targets;  // defender's stones for Kill/Capture, own for Live
    // Kill/Capture/CapturingRace: stones of the goal's owner that must not be
    // captured on the way (its own side of a race); empty: none.
    std::vector<Point> keep;
};

struct Problem {
    int cols = 19, rows = 19;    // the real board; its edges are real edges (at most 19x19)
    std::vector<int8_t> stones;  // cols*rows, index y*cols+x: +1 Black, -1 White, 0 empty
    int toPlay = 1;              // +1 or -1
    Goal goal;
    std::vector<uint8_t> region;  // cols*rows, 1 where moves may be played; empty: the whole board
    Point koBan = kPass;          // a point the side to play may not retake now, if any
    int goalFor = 0;              // +1/-1: the side whose goal it is; 0: the side to play
    // Moves of the side to play that are settled first, in this order, when
    // the problem's own position is asked (the author's answers): where one
    // of them reaches the goal unconditionally, that proves the result
    // without a search of the position itself.  Short of that, the first
    // one that wins where the owner wins every ko settles the position's
    // search in that mode.
    std::vector<Point> tryFirst;
};

// Results are always for the goal's owner, whoever is to play.
enum class Outcome { Unconditional, Ko, Seki, Fails, Unproven };
// Why a result is Unproven.  Memory: a line grew longer than the search
// keeps (400 moves).  Model: the goal cannot be expressed, or the moves
// asked for are not legal there.
enum class Limit { None, Nodes, Time, Memory, Model };

struct Budget {
    uint64_t maxNodes = 0;            // 0: no limit
    int maxMs = 10000;                // 0: no limit
    size_t memoryBytes = 256u << 20;  // the transposition table stays within this
    size_t maxProofNodes = 20000;     // a proof tree larger than this is cut (ProofNode::cut)
};

// One node of a proof.  The root is the problem's position (move = pass,
// colour = 0).  Where the side that proves the outcome is to play, there is
// one child: its move.  Where the other side is to play, there is a child
// for every legal reply in the region and for the pass.  A node without
// children ends the line: the result is certain there (see `end`).
// For a Fails outcome the proving side is the goal's opponent.
struct ProofNode {
    Point move = kPass;
    int colour = 0;                       // who played `move`
    Outcome outcome = Outcome::Unproven;  // the result this proof shows (the root's)
    bool koRetake = false;                // `move` retakes a ko while banned: it needs a ko threat
    bool cut = false;                     // the proof below was left out (size limit or memory)
    std::vector<ProofNode> children;
};

struct MoveResult {
    Point move;
    Outcome outcome;
    // Length of the longest line in the proof found for this move, the move
    // included: how long the other side resists (the proof found, not a
    // shortest one).
    int depth = 0;
    double ms = 0;       // when it was settled, from the start of the call
    uint64_t nodes = 0;  // the nodes searched by then
};

// The budget covers the whole call.  The result comes first; then the first
// moves, those that keep the result first; a first move not settled within
// the budget is Unproven while the result stands.  Then the proof; when
// there was no budget left for it, proof.cut is set.
struct Answer {
    Outcome result = Outcome::Unproven;
    Limit limit = Limit::None;           // why the result is Unproven, else None
    std::vector<MoveResult> firstMoves;  // every legal move of the side to play (and the pass)
    ProofNode proof;
    uint64_t nodes = 0;
    double ms = 0;
    double resultMs = 0;  // when the result was known, from the start of the call
    uint64_t resultNodes = 0;  // the nodes searched by then
    size_t peakBytes = 0;
};

class Engine;

// A solver for one problem that keeps its transposition table across
// queries, for asking many positions of the same problem.
class Solver {
public:
    explicit Solver(const Problem& problem, const Budget& budget = {});
    ~Solver();
    Solver(const Solver&) = delete;
    Solver& operator=(const Solver&) = delete;

    // The position reached from the problem's position by `moves`, played
    // alternately from Problem::toPlay (passes allowed).  Moves that are not
    // legal there give an Answer with result Unproven and limit Model.
    // The budget applies to each call.
    Answer solveAfter(const std::vector<Point>& moves, bool withProof = true);
    Answer solve(bool withProof = true) { return solveAfter({}, withProof); }

    // Only the result of the position after `moves`, with no first-move
    // results or proof (cheaper).
    Outcome resultAfter(const std::vector<Point>& moves, Limit* limit = nullptr);

private:
    std::unique_ptr<Engine> engine_;
};

// One query with a fresh solver.
Answer solve(const Problem& problem, const Budget& budget = {});

const char* outcomeName(Outcome outcome);  // "unconditional", "ko", "seki", "fails", "unproven"
const char* limitName(Limit limit);        // "none", "nodes", "time", "memory", "model"

// How good an outcome is for the goal's owner: unconditional 3, seki 2, ko 1,
// fails 0, unproven -1.  A move is correct where its outcome is at least the
// one the position needs.
int outcomeRank(Outcome outcome);

}  // namespace vostra::solver
