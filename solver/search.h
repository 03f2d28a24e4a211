// Depth-first proof-number search over the solver's board, with a bounded
// transposition table.  One Search proves or disproves "the goal's owner
// reaches the goal" for one position under one mode (how kos and seki
// count); the public Solver combines the modes into an Outcome.
#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

#include "solver/board.h"
#include "solver/solver.h"
#include "solver/table.h"

namespace vostra::solver {

// Bit 0: targets that survive to the end count as living (seki).  Bit 1: the
// owner may retake kos at once; otherwise the opponent may.
using Mode = int;
constexpr Mode kSekiWins = 1, kOwnerWinsKo = 2;

struct Position {
    Board board;
    uint8_t toPlay = kBlack;
    bool lastPass = false;
    bool over = false;  // two passes in a row ended the game
};

// What the goal asks, fixed for a problem.
struct Rules {
    uint8_t owner = kBlack;
    bool liveType = true;  // Live/Escape: targets must be made safe; else captured
};

enum class Eval { Open, Win, Loss };  // for the owner

class Search {
public:
    Search(const Rules& rules, Table& table);

    // Starts a query: its node and time limits (0: none).
    void begin(uint64_t maxNodes, int maxMs);
    bool aborted() const { return limit_ != Limit::None; }
    Limit limit() const { return limit_; }
    uint64_t nodes() const { return nodes_; }

    // The line of play that led to the position being solved (its keys are
    // the history for repetitions).  history: the positions before it.
    void setLine(const std::vector<Position>& history, const Position& position);

    // Solves the current position in `mode`: true/false when proven or
    // disproven, with the result's proof depth; nothing when the budget ran
    // out.  Stored in the table.
    struct Result {
        bool known = false, ownerWins = false;
        int depth = 0;
    };
    Result solve(Mode mode);

    // The goal evaluated at a position reached by a move (doublePass: the
    // move was the second pass in a row).  knownUnsafe: the caller knows that
    // no target is safe, so that is not tested again.
    Eval evaluate(const Position& p, bool doublePass, bool knownUnsafe = false) const;
    // The same in `mode`: targets that survive two passes win where seki does.
    Eval leafEval(const Position& p, bool doublePass, Mode mode, bool knownUnsafe = false) const;

    // Whether the targets are sure to be captured: all their chains share
    // one closed eye space of at most three points (two with the targets'
    // side to move), bounded by stones of the other side that cannot be
    // captured before the eye space is filled, and the other side fills it
    // by nakade.  Holds in every mode: no ko arises on the way.  Never with
    // stones marked to keep, nor when the targets' side may end the game by
    // a second pass.
    bool capturedForSure(const Position& p) const;
    // Whether the targets are sure to be captured for want of room: every
    // point that their side could ever own around them (reached from them
    // without crossing the other side's permanently safe stones) lies in
    // the region, holds no other stone of the other side, no ko and no
    // chain that is safe already, and no two of those points out of touch
    // with the safe stones are apart, so two eyes can never form there.
    // The other side then fills the points next to its safe stones (each
    // such stone is safe at once) and captures in the eye that is left.
    // Never with stones marked to keep, nor when the targets' side may end
    // the game by a second pass.
    bool capturedForLackOfRoom(const Position& p) const;
    // Whether the targets are lost to a ladder (see ladder.h), in `mode`.
    // Never with stones marked to keep, nor when the targets' side may end
    // the game by a second pass.
    bool capturedByLadder(const Position& p, Mode mode) const;

    // Legal moves of the side to play in mode, in search order; the pass
    // (kNoPoint) last.
    void generate(const Position& p, Mode mode, std::vector<int>& moves) const;
    // Whether a move from p that leaves the ko point `koAfter` takes a ko
    // in vain: the owner is to move in p and may not retake kos at once in
    // `mode`, and the other side may, so it takes the ko back and the owner
    // is where it was, less that move and with a longer line.  Only where p
    // has no ko point of its own, no stone to keep, and the stone taken is
    // no target: then nothing but the move itself was gained or lost.  Never
    // for the other side: the positions of the exchange stay on its line,
    // and a repetition of one of them later (a double ko) fails the owner,
    // so for that side the ko was not taken in vain.  The search leaves such
    // moves out of its own lists; a proof still shows them.
    bool takesKoInVain(const Position& p, Mode mode, int koAfter) const
    {
        return koAfter != kNoPoint && p.board.koPoint() == kNoPoint && p.toPlay == rules_.owner &&
               !ignoresKo(p.toPlay, mode) && p.board.inRegion(koAfter) && !p.board.isTarget(koAfter) &&
               !p.board.hasKeep();
    }
    // Whether a pass by the side to move in p is sure to lose for it: the
    // owner passes, the other side passes back and the game ends with the
    // targets on the board and not safe, which fails the owner unless the
    // goal is to live and seki counts (`mode`).  The search leaves such
    // passes out of its own lists; a proof still shows them.
    bool passLoses(const Position& p, Mode mode) const
    {
        return p.toPlay == rules_.owner && !sekiCounts(mode);
    }
    // Whether targets that survive to the end of the game reach the goal
    // in `mode`: a life where seki counts.
    bool sekiCounts(Mode mode) const { return rules_.liveType && (mode & kSekiWins); }
    // Whether the search leaves `move` from p out of its own lists: a pass
    // that loses, or a ko taken in vain (koAfter: the ko point it leaves).
    bool leftOut(const Position& p, Mode mode, int move, int koAfter) const
    {
        return move == kNoPoint ? passLoses(p, mode) : takesKoInVain(p, mode, koAfter);
    }
    // Plays `move` (kNoPoint: pass) from `from` into `to`.
    static void playInto(const Position& from, int move, Position& to);

    uint64_t key(const Position& p, Mode mode) const;
    uint64_t keyOf(uint64_t stones, int ko, uint8_t toPlay, bool lastPass, bool over, Mode mode) const;
    bool ignoresKo(uint8_t colour, Mode mode) const { return (colour == rules_.owner) == ((mode & kOwnerWinsKo) != 0); }

    // The child of the current position after `move`, for walking a proof:
    // its value in `mode` if known (terminal, repetition, or the table).
    struct ChildValue {
        bool known = false, ownerWins = false, pathDependent = false;
        int depth = 0;
    };
    ChildValue childValue(Mode mode, int move);
    // The mode whose keys the line holds (solve() sets it too).
    void useMode(Mode mode);
    // Descends to the child after `move` / back up, keeping the line.
    void push(int move);
    void pop();
    const Position& current() const { return line_[ply_]; }
    int ply() const { return ply_; }

private:
    // A disproof that leans on a repetition of the position at ply `loop`
    // of the line holds only while that position is on the line; kNoLoop:
    // it holds on any line.
    static constexpr int kNoLoop = 1 << 30;
    struct Value {
        uint32_t pn, dn;
        int depth;
        int loop;
    };
    struct Child {
        int move;
        uint64_t key;
        uint32_t pn, dn;
        int depth;
        bool fixed;  // a value that the table does not hold (it leans on the line)
        int loop;
        int simulated = 0;  // how often its value was sought by simulation
    };
    Value mid(uint32_t thpn, uint32_t thdn, Mode mode);
    // The current position by plain depth-first search in `mode`, for when
    // the proof numbers stall: 1 the owner wins, 0 it fails, -1 the budget
    // ran out.  lined: the result leans on a repetition of the line.  What
    // holds on any line is stored in the table.
    int exhaustive(Mode mode, bool& lined);
    // Simulation: settles the current position in the direction `ownerWins`
    // by following, wherever the prover moves, the move that settled the
    // analogous position (the one whose key differs by `delta`, a sibling's
    // subtree).  Every move of the other side is checked and every node is
    // verified by the rules, so what it stores is as sound as a search.
    // Where the analogue gives no move, settleBySearch() tries the position
    // itself.  It gives up (false) on a repetition, on a position neither
    // settles, or after `budget` nodes.  depth: the proof depth when it
    // succeeds.
    bool simulate(Mode mode, uint64_t delta, bool ownerWins, int& budget, int& depth);
    // Settles the current position in the direction `ownerWins` by a small
    // proof-number search (a simulation's fallback where the analogue gives
    // no move); its nodes count against `budget`.
    bool settleBySearch(Mode mode, bool ownerWins, int& budget, int& depth);
    // The child after `move` for a simulation: 1 settled as wanted (depth
    // set), 0 settled the other way or a repetition, -1 open (it is then in
    // line_[ply_ + 1]).
    int simulatedChild(Mode mode, int move, bool ownerWins, int& depth);
    // After kids[from] was settled the way that the node needs of every
    // child, tries to settle its open siblings by simulation.
    void simulateSiblings(Mode mode, std::vector<Child>& kids, size_t from, bool ownerWins);
    // The children of the current position, which must be open (not over).
    bool expand(Mode mode, std::vector<Child>& kids, bool isOr);
    // Whether no target can be safe in `next`, reached from the open position
    // `here` by `move`, because none was in `here` and the move cannot change that.
    bool safetyUnchanged(const Position& here, int move, const Position& next) const;
    // What the target chains have, a guide for the search's costs and not a
    // rule: their liberties, summed (past 64 chains some may count twice),
    // and their eye points, counted up to two (empty liberties in the region
    // whose every neighbour is a stone of theirs or the edge, with fewer than
    // two diagonal points held by the other side, fewer than one at the edge),
    // and their room: the empty points of the region that a flood from them
    // through such points and the stones of their colour reaches (the space
    // they might make eyes in).
    struct TargetShape {
        uint32_t liberties = 0;
        int eyePoints = 0;
        uint32_t room = 0;
    };
    TargetShape targetShape(const Board& b) const;
    // Takes the child's value from the table of a mode that decides it.
    bool crossMode(Mode mode, Child& c) const;
    // The key in mode `other` of a child of the current position whose key
    // in `mode` is `key` (koAfter: the ko point the move leaves).
    uint64_t crossKey(uint64_t key, int koAfter, Mode mode, Mode other) const;
    // Asks the memory for the entries crossMode() will look at.
    void prefetchCrossMode(uint64_t key, int koAfter, Mode mode) const;
    // b.targetSafe(), remembered by the board's hash (which keys the
    // stones and the targets taken; the region and frame are the
    // problem's): the same stones come back in every mode and after
    // passes, and Benson's test is dear.
    bool targetSafe(const Board& b) const;
    static constexpr size_t kSafeCacheSize = size_t{1} << 16;
    // Marks for the floods of the static tests: a point is marked when it
    // holds the current stamp, so that no flood has to clear an array.
    uint32_t newStamp() const;
    // Marks every target stone with `stamp` and puts it on `stack` (room
    // for kPoints): the start of a flood from the targets.  Returns how
    // many it put there.
    int markTargets(const Board& b, uint32_t stamp, int* stack) const;
    mutable std::vector<uint32_t> marks_ = std::vector<uint32_t>(kPoints, 0);
    mutable uint32_t stamp_ = 0;
    mutable std::vector<uint64_t> safeCache_ = std::vector<uint64_t>(kSafeCacheSize, 0);
    Mode widestMode() const { return kOwnerWinsKo | (rules_.liveType ? kSekiWins : 0); }
    int lineIndex(uint64_t key) const;  // the ply where the line holds `key`, or -1
    bool tick();

    const Rules& rules_;
    Table& table_;
    std::vector<Position> line_;  // line_[0..ply_]: the line from the problem's position
    std::vector<uint64_t> keys_;  // the same positions' keys in the current mode
    Mode lineMode_ = 0;           // the mode of keys_
    int base_ = 0;                // index in line_ of the position being solved
    int ply_ = 0;
    // mid() goes no deeper than this below base_: the line's room, less in
    // a simulation's small search, which stops (capped_) where it reaches it.
    int cap_;
    bool capped_ = false;
    std::vector<std::vector<Child>> kids_;
    std::vector<int> moves_;
    std::vector<std::vector<int>> simMoves_;  // simulate's move lists, by ply
    std::vector<uint64_t> childKeys_;  // expand's scratch: the children's keys and ko points
    std::vector<int> childKos_;
    int koAfter_ = kNoPoint;  // the ko point after the child being expanded
    uint64_t nodes_ = 0, maxNodes_ = 0;
    std::chrono::steady_clock::time_point deadline_;
    bool timed_ = false;
    Limit limit_ = Limit::None;
    unsigned searched_ = 0;  // bit m: the table may hold values of mode m
};

}  // namespace vostra::solver
