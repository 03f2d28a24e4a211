// The solver's own board: chains kept as circular lists with their liberty
// counts updated move by move, zobrist hashing of the stones, the simple-ko
// point, and the stones the goal is about.  It is copied, not undone: one copy
// per ply of the search.
#pragma once

#include <cstdint>
#include <vector>

namespace vostra::solver {

constexpr int kMaxSide = 19;
constexpr int kStride = kMaxSide + 2;              // one border column each side
constexpr int kPoints = kStride * (kMaxSide + 2);  // with the border rows
constexpr int kNoPoint = 0;                        // a border point, never a move

enum Cell : uint8_t { kEmpty = 0, kBlack = 1, kWhite = 2, kEdge = 3 };
inline uint8_t opposite(uint8_t c) { return static_cast<uint8_t>(3 - c); }

class Board {
public:
    // An empty board of the given size; every point is in the region.
    Board(int cols = 1, int rows = 1);

    int cols() const { return cols_; }
    int rows() const { return rows_; }
    static int at(int x, int y) { return (y + 1) * kStride + x + 1; }
    static int xOf(int p) { return p % kStride - 1; }
    static int yOf(int p) { return p / kStride - 1; }
    static constexpr int kDelta[4] = {1, -1, kStride, -kStride};

    uint8_t cell(int p) const { return cell_[p]; }
    int chain(int p) const { return head_[p]; }  // the chain's representative point
    int liberties(int p) const { return libs_[head_[p]]; }
    int chainSize(int p) const { return size_[head_[p]]; }
    int nextStone(int p) const { return next_[p]; }  // circular list of the chain's stones
    // A chain with an empty liberty outside the region (nobody can fill it)
    // or a frame stone: it is never captured, even with no liberty left.
    bool permanentlySafe(int p) const { return safe_[head_[p]] != 0; }
    bool inRegion(int p) const { return region_[p] != 0; }
    bool isTarget(int p) const { return target_[p] != 0; }
    // The points marked as targets at setup, when there are at most
    // kListedTargets of them (n is set; a target captured since has
    // isTarget() false at its point); nullptr when there are more.
    static constexpr int kListedTargets = 64;
    const int16_t* listedTargets(int& n) const
    {
        n = targetCount_;
        return targetCount_ <= kListedTargets ? targetList_ : nullptr;
    }
    int targetsLeft() const { return targetsLeft_; }
    bool keepLost() const { return keepLost_ != 0; }
    bool hasKeep() const { return keepMarked_ != 0; }  // some stone was marked with markKeep
    int emptyInRegion() const;
    // Every point of the region (and its neighbours) lies in [spanBegin, spanEnd).
    int spanBegin() const { return lo_; }
    int spanEnd() const { return hi_; }
    int koPoint() const { return ko_; }  // kNoPoint when none
    // The stones and the targets taken since the setup: a stone played
    // again where a target was taken is no target, and the goal differs.
    uint64_t hash() const { return hash_; }

    // Setup, before play: stones (no captures are made; chains with no
    // liberty are left as they are), the region, the target stones, the ko.
    void setStone(int p, uint8_t colour);
    void setRegion(int p, bool in);
    void markTarget(int p);
    // A stone of the goal's owner that must not be captured (its side of a
    // capturing race); once one is captured, keepLost() holds.
    void markKeep(int p);
    void setKoPoint(int p) { ko_ = p; }
    // Recomputes chains, liberties and safety after setup.
    void finishSetup();
    // Closes the region: every empty point outside it that touches it gets a
    // stone of `wall` that can never be captured (a frame).  Where that would
    // take the last liberty of a chain of the other colour, those points join
    // the region instead.  Call after the stones and region are set; it
    // finishes the setup.
    void closeRegion(uint8_t wall);
    bool isFrame(int p) const { return frame_[p] != 0; }

    // Whether `colour` may play at p by the rules (empty point on the board,
    // not suicide, not the ko point unless ignoreKo).  The region is not
    // checked here.
    bool isLegal(int p, uint8_t colour, bool ignoreKo = false) const;
    // Plays a legal move; returns the number of stones captured.
    int play(int p, uint8_t colour);
    // The hash (see hash()) and ko point that play(p, colour) would
    // leave, without playing.
    uint64_t hashAfter(int p, uint8_t colour, int& koAfter) const;
    // A pass: clears the ko point.
    void pass() { ko_ = kNoPoint; }

    // Stones of `colour` that can never be captured (Benson), as a mask
    // over the points: out[p] = 1 for each such stone.  Chains that the
    // boundary keeps safe count as alive.
    void bensonAlive(uint8_t colour, std::vector<uint8_t>& out) const;
    // Whether some target stone is in a chain that is permanently safe or
    // unconditionally alive.
    bool targetSafe() const;
    // Whether the points not of `colour` connected to p reach outside the
    // region: then p lies in no region that Benson's test could call vital
    // for `colour`.
    bool inOpenArea(int p, uint8_t colour) const;
    // Whether the stone just played at p left the regions of Benson's test
    // as they were: it gained no liberty outside the region, and every
    // point next to it that is not of its colour still reaches outside the
    // region (so it lay in an open area, every closed region is unchanged
    // and the stone touches none).  The caller checks that it captured
    // nothing and joined at most one chain.
    bool leftRegionsAsTheyWere(int p) const;

    // Makes this board a copy of `from`.  Where this board already holds a
    // position of the same setup (both reached by play from it), only the
    // points that play can change are copied.
    void copyPlayFrom(const Board& from);

    // Checks every incremental field against a recount; returns false (and
    // says nothing) on the first difference.  For tests and debug builds.
    bool checkConsistency() const;

private:
    // alive[head] = 1 for each chain of `colour` that Benson's test finds
    // unconditionally alive; false when there is none.
    bool aliveChains(uint8_t colour, uint8_t* alive) const;
    // Floods from `start` through points not of `colour`, marking them
    // `mark` in seen: true once it meets a point outside the region or one
    // marked by another flood (the caller's floods that reached outside).
    bool floodReachesOutside(int start, uint8_t colour, uint8_t* seen, uint8_t mark) const;
    void recountLiberties(int head);
    void removeChain(int head);
    void mergeInto(int keep, int gone);

    int cols_, rows_;
    uint8_t cell_[kPoints];
    uint8_t region_[kPoints];
    uint8_t outsideEmpty_[kPoints];  // empty and outside the region (fixed during play)
    uint8_t target_[kPoints];
    uint8_t keep_[kPoints];
    uint8_t frame_[kPoints];
    int16_t head_[kPoints];
    int16_t next_[kPoints];
    int16_t libs_[kPoints];      // valid at a chain's head
    int16_t size_[kPoints];      // valid at a chain's head
    uint8_t safe_[kPoints];      // valid at a chain's head
    int lo_ = 0, hi_ = kPoints;  // the region and its neighbours lie in [lo_, hi_)
    int ko_ = kNoPoint;
    int targetsLeft_ = 0;
    // The setup this board's position was played from, and the points play
    // can change: the span and every stone of a chain that reaches into it.
    uint64_t setup_ = 0;
    int playLo_ = 0, playHi_ = kPoints;
    int16_t targetList_[kListedTargets];  // the first targetCount_ points, when that many fit
    int targetCount_ = 0;
    int keepLost_ = 0;
    int keepMarked_ = 0;
    uint64_t hash_ = 0;
    uint64_t targetsGone_ = 0;  // the part of hash_ that keys the targets taken
};

// Walks the stones still marked as targets: the setup's list where it has
// one, else every point of the span.
class TargetWalk {
public:
    explicit TargetWalk(const Board& b) : b_(b), list_(b.listedTargets(n_)), at_(list_ ? 0 : b.spanBegin()) {}
    // The next target stone, or kNoPoint at the end.
    int next()
    {
        if (list_) {
            while (at_ < n_)
                if (const int p = list_[at_++]; b_.isTarget(p)) return p;
        } else {
            while (at_ < b_.spanEnd())
                if (const int p = at_++; b_.isTarget(p)) return p;
        }
        return kNoPoint;
    }

private:
    const Board& b_;
    int n_ = 0;
    const int16_t* list_;
    int at_;
};

// Zobrist keys of the stones; the search adds its own for the rest.
uint64_t zobristStone(int p, uint8_t colour);
uint64_t zobristKo(int p);
uint64_t zobristExtra(int index);  // 0..63: side to play, pass, mode, ...

}  // namespace vostra::solver
