#include "solver/board.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace vostra::solver {

namespace {

struct Keys {
    uint64_t stone[3][kPoints];
    uint64_t ko[kPoints];
    uint64_t extra[64];
    uint64_t gone[kPoints];  // a target stone taken from the point
    Keys()
    {
        uint64_t s = 0x9E3779B97F4A7C15ull;
        auto next = [&s] {  // splitmix64
            uint64_t z = (s += 0x9E3779B97F4A7C15ull);
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
            return z ^ (z >> 31);
        };
        for (auto& row : stone)
            for (auto& k : row) k = next();
        for (auto& k : ko) k = next();
        for (auto& k : extra) k = next();
        for (auto& k : gone) k = next();
    }
};
const Keys& keys()
{
    static const Keys k;
    return k;
}

}  // namespace

uint64_t zobristStone(int p, uint8_t colour) { return keys().stone[colour][p]; }
uint64_t zobristKo(int p) { return p == kNoPoint ? 0 : keys().ko[p]; }
uint64_t zobristExtra(int index) { return keys().extra[index & 63]; }

Board::Board(int cols, int rows) : cols_(cols), rows_(rows)
{
    std::memset(cell_, kEdge, sizeof cell_);
    std::memset(region_, 0, sizeof region_);
    std::memset(outsideEmpty_, 0, sizeof outsideEmpty_);
    std::memset(target_, 0, sizeof target_);
    std::memset(keep_, 0, sizeof keep_);
    std::memset(frame_, 0, sizeof frame_);
    std::memset(safe_, 0, sizeof safe_);
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < cols; ++x) {
            cell_[at(x, y)] = kEmpty;
            region_[at(x, y)] = 1;
        }
    finishSetup();
}

void Board::setStone(int p, uint8_t colour)
{
    if (cell_[p] != kEmpty && cell_[p] != kEdge) hash_ ^= zobristStone(p, cell_[p]);
    cell_[p] = colour;
    if (colour != kEmpty) hash_ ^= zobristStone(p, colour);
}

void Board::setRegion(int p, bool in) { region_[p] = in ? 1 : 0; }

void Board::markTarget(int p)
{
    if (cell_[p] == kBlack || cell_[p] == kWhite) target_[p] = 1;
}

void Board::markKeep(int p)
{
    if (cell_[p] == kBlack || cell_[p] == kWhite) {
        keep_[p] = 1;
        keepMarked_ = 1;
    }
}

void Board::copyPlayFrom(const Board& from)
{
    if (this == &from) return;
    if (setup_ != from.setup_ || from.setup_ == 0) {
        *this = from;
        return;
    }
    const int lo = from.playLo_;
    const size_t n = static_cast<size_t>(from.playHi_ - from.playLo_);
    std::memcpy(cell_ + lo, from.cell_ + lo, n);
    std::memcpy(target_ + lo, from.target_ + lo, n);
    std::memcpy(keep_ + lo, from.keep_ + lo, n);
    std::memcpy(safe_ + lo, from.safe_ + lo, n);
    std::memcpy(head_ + lo, from.head_ + lo, n * sizeof head_[0]);
    std::memcpy(next_ + lo, from.next_ + lo, n * sizeof next_[0]);
    std::memcpy(libs_ + lo, from.libs_ + lo, n * sizeof libs_[0]);
    std::memcpy(size_ + lo, from.size_ + lo, n * sizeof size_[0]);
    ko_ = from.ko_;
    targetsLeft_ = from.targetsLeft_;
    keepLost_ = from.keepLost_;
    hash_ = from.hash_;
    targetsGone_ = from.targetsGone_;
}

void Board::finishSetup()
{
    // The span of point indices that holds the region and its neighbours.
    lo_ = kPoints;
    hi_ = 0;
    for (int p = 0; p < kPoints; ++p)
        if (region_[p] || (target_[p] && (cell_[p] == kBlack || cell_[p] == kWhite))) {
            lo_ = std::min(lo_, p - kStride - 1);
            hi_ = std::max(hi_, p + kStride + 2);
        }
    lo_ = std::max(lo_, 0);
    hi_ = std::min(hi_, kPoints);
    if (lo_ >= hi_) lo_ = hi_ = 0;
    targetsLeft_ = 0;
    for (int p = 0; p < kPoints; ++p) {
        head_[p] = static_cast<int16_t>(p);
        next_[p] = static_cast<int16_t>(p);
        libs_[p] = size_[p] = 0;
        safe_[p] = 0;
        outsideEmpty_[p] = cell_[p] == kEmpty && !region_[p];
        if (cell_[p] != kBlack && cell_[p] != kWhite) target_[p] = keep_[p] = 0;
        targetsLeft_ += target_[p];
    }
    targetCount_ = 0;
    for (int p = 0; p < kPoints; ++p)
        if (target_[p]) {
            if (targetCount_ < kListedTargets) targetList_[targetCount_] = static_cast<int16_t>(p);
            ++targetCount_;
        }
    // Flood each chain, link its stones, then count.
    static thread_local int16_t stack[kPoints];
    uint8_t seen[kPoints] = {};
    for (int p = 0; p < kPoints; ++p) {
        if ((cell_[p] != kBlack && cell_[p] != kWhite) || seen[p]) continue;
        int n = 0, last = p;
        stack[n++] = static_cast<int16_t>(p);
        seen[p] = 1;
        size_[p] = 0;
        while (n) {
            int q = stack[--n];
            head_[q] = static_cast<int16_t>(p);
            ++size_[p];
            if (q != p) {
                next_[q] = next_[last];
                next_[last] = static_cast<int16_t>(q);
                last = q;
            }
            for (int d : kDelta) {
                int r = q + d;
                if (cell_[r] == cell_[p] && !seen[r]) {
                    seen[r] = 1;
                    stack[n++] = static_cast<int16_t>(r);
                }
            }
        }
        recountLiberties(p);
    }
    // What play can change: the span, the stones of every chain with a stone
    // in it (a merge relabels them all, a capture empties them) and of every
    // chain next to those (a capture gives it liberties).
    auto isStone = [&](int p) { return cell_[p] == kBlack || cell_[p] == kWhite; };
    uint8_t inSpan[kPoints] = {}, changes[kPoints] = {};  // by chain head
    for (int p = lo_; p < hi_; ++p)
        if (isStone(p)) inSpan[head_[p]] = changes[head_[p]] = 1;
    for (int p = 0; p < kPoints; ++p)
        if (isStone(p) && inSpan[head_[p]])
            for (int d : kDelta)
                if (isStone(p + d)) changes[head_[p + d]] = 1;
    playLo_ = lo_;
    playHi_ = hi_;
    for (int p = 0; p < kPoints; ++p)
        if (isStone(p) && changes[head_[p]]) {
            playLo_ = std::min(playLo_, p);
            playHi_ = std::max(playHi_, p + 1);
        }
    static std::atomic<uint64_t> setups{0};
    setup_ = ++setups;
}

void Board::recountLiberties(int head)
{
    // Marks by point; a chain has at most 4*size candidates.
    uint64_t mark[(kPoints + 63) / 64] = {};
    int count = 0;
    uint8_t safe = 0;
    int q = head;
    do {
        safe |= frame_[q];
        for (int d : kDelta) {
            int r = q + d;
            if (cell_[r] == kEmpty && !(mark[r >> 6] >> (r & 63) & 1)) {
                mark[r >> 6] |= 1ull << (r & 63);
                ++count;
                safe |= outsideEmpty_[r];
            }
        }
        q = next_[q];
    } while (q != head);
    libs_[head] = static_cast<int16_t>(count);
    safe_[head] = safe;
}

void Board::closeRegion(uint8_t wall)
{
    // A weak chain of the wall's colour next to the targets (at most two
    // liberties in all, at most three of them outside the region) may be
    // captured in the fight: its liberties join the region rather than the
    // frame, which would make that chain uncapturable.  Other walls stay
    // framed: a wall with more liberties is taken to be safe, as in the
    // usual statement of a problem.
    constexpr int kFewLiberties = 3, kWeakChain = 2;
    for (int round = 0; round < 2; ++round) {
        finishSetup();
        uint8_t nearTarget[kPoints] = {};
        for (int p = 0; p < kPoints; ++p)
            if (target_[p])
                for (int q = p;;) {
                    for (int d : kDelta)
                        if (cell_[q + d] == wall) nearTarget[head_[q + d]] = 1;
                    q = next_[q];
                    if (q == p) break;
                }
        bool grown = false;
        for (int h = 0; h < kPoints; ++h) {
            if (!nearTarget[h] || head_[h] != h) continue;
            // The owner's own racing stones are in the fight whatever their liberties.
            bool racing = false;
            int outside[kPoints], n = 0;
            bool inRegion = false;
            for (int q = h;;) {
                inRegion |= region_[q] != 0;
                racing |= keep_[q] != 0;
                for (int d : kDelta) {
                    const int r = q + d;
                    if (cell_[r] != kEmpty || region_[r]) continue;
                    bool known = false;
                    for (int i = 0; i < n; ++i) known |= outside[i] == r;
                    if (!known) outside[n++] = r;
                }
                q = next_[q];
                if (q == h) break;
            }
            if (!inRegion || (!racing && (n > kFewLiberties || libs_[h] > kWeakChain))) continue;
            for (int i = 0; i < n; ++i) region_[outside[i]] = 1;
            grown |= n > 0;
        }
        if (!grown) break;
    }
    for (;;) {
        for (int p = 0; p < kPoints; ++p) {
            if (cell_[p] != kEmpty || region_[p]) continue;
            bool touches = false;
            for (int d : kDelta) touches |= region_[p + d] != 0;
            if (touches) {
                cell_[p] = wall;
                frame_[p] = 1;
                hash_ ^= zobristStone(p, wall);
            }
        }
        finishSetup();
        // A chain of the other colour that the frame leaves without a
        // liberty gets those points back inside the region, where both sides
        // may play; then the frame moves out around them.
        bool grown = false;
        for (int p = 0; p < kPoints; ++p) {
            if (cell_[p] != opposite(wall) || libs_[head_[p]] != 0) continue;
            for (int d : kDelta)
                if (frame_[p + d]) {
                    frame_[p + d] = 0;
                    cell_[p + d] = kEmpty;
                    hash_ ^= zobristStone(p + d, wall);
                    region_[p + d] = 1;
                    grown = true;
                }
        }
        if (!grown) return;
    }
}

bool Board::isLegal(int p, uint8_t colour, bool ignoreKo) const
{
    if (p <= 0 || p >= kPoints || cell_[p] != kEmpty) return false;
    if (p == ko_ && !ignoreKo) return false;
    const uint8_t other = opposite(colour);
    for (int d : kDelta) {
        int r = p + d;
        uint8_t c = cell_[r];
        if (c == kEmpty) return true;
        if (c == colour && (libs_[head_[r]] > 1 || safe_[head_[r]])) return true;
        if (c == other && libs_[head_[r]] == 1 && !safe_[head_[r]]) return true;
    }
    return false;
}

void Board::mergeInto(int keep, int gone)
{
    int q = gone;
    do {
        head_[q] = static_cast<int16_t>(keep);
        q = next_[q];
    } while (q != gone);
    int16_t t = next_[keep];
    next_[keep] = next_[gone];
    next_[gone] = t;
    size_[keep] = static_cast<int16_t>(size_[keep] + size_[gone]);
    safe_[keep] |= safe_[gone];
}

void Board::removeChain(int head)
{
    const uint8_t colour = cell_[head];
    const uint8_t other = opposite(colour);
    int q = head;
    do {
        cell_[q] = kEmpty;
        hash_ ^= zobristStone(q, colour);
        if (target_[q]) {
            target_[q] = 0;
            --targetsLeft_;
            hash_ ^= keys().gone[q];
            targetsGone_ ^= keys().gone[q];
        }
        if (keep_[q]) {
            keep_[q] = 0;
            ++keepLost_;
        }
        if (!region_[q]) outsideEmpty_[q] = 1;
        q = next_[q];
    } while (q != head);
    // Each freed point is a new liberty of every neighbouring chain once.
    q = head;
    do {
        int seen[4];
        int n = 0;
        for (int d : kDelta) {
            int r = q + d;
            if (cell_[r] != other) continue;
            int h = head_[r];
            bool dup = false;
            for (int i = 0; i < n; ++i) dup |= seen[i] == h;
            if (dup) continue;
            seen[n++] = h;
            ++libs_[h];
            safe_[h] |= outsideEmpty_[q];
        }
        int nextQ = next_[q];
        head_[q] = static_cast<int16_t>(q);
        next_[q] = static_cast<int16_t>(q);
        q = nextQ;
    } while (q != head);
}

int Board::play(int p, uint8_t colour)
{
    const uint8_t other = opposite(colour);
    cell_[p] = colour;
    hash_ ^= zobristStone(p, colour);
    target_[p] = keep_[p] = 0;
    head_[p] = static_cast<int16_t>(p);
    next_[p] = static_cast<int16_t>(p);
    size_[p] = 1;
    safe_[p] = 0;

    int heads[4];
    int n = 0;
    for (int d : kDelta) {
        int r = p + d;
        if (cell_[r] != kBlack && cell_[r] != kWhite) continue;
        int h = head_[r];
        bool dup = false;
        for (int i = 0; i < n; ++i) dup |= heads[i] == h;
        if (!dup) heads[n++] = h;
    }
    int mine = p;
    int captured = 0, capturedAt = kNoPoint;
    for (int i = 0; i < n; ++i) {
        int h = heads[i];
        if (cell_[h] == colour) {
            // Keep the larger chain's head so fewer stones are relabelled.
            if (size_[h] >= size_[mine]) {
                mergeInto(h, mine);
                mine = h;
            } else {
                mergeInto(mine, h);
            }
        }
    }
    for (int i = 0; i < n; ++i) {
        int h = heads[i];
        if (cell_[h] != other) continue;
        if (--libs_[h] == 0 && !safe_[h]) {
            captured += size_[h];
            capturedAt = h;
            removeChain(h);
        }
    }
    recountLiberties(mine);
    ko_ = kNoPoint;
    if (captured == 1 && size_[mine] == 1 && libs_[mine] == 1) ko_ = capturedAt;
    return captured;
}

uint64_t Board::hashAfter(int p, uint8_t colour, int& koAfter) const
{
    const uint8_t other = opposite(colour);
    uint64_t h = hash_ ^ zobristStone(p, colour);
    int seen[4], n = 0, captured = 0, capturedAt = kNoPoint;
    bool open = false;
    for (int d : kDelta) {
        const int r = p + d;
        const uint8_t c = cell_[r];
        if (c == kEmpty || c == colour) open = true;
        if (c != other) continue;
        const int head = head_[r];
        if (libs_[head] != 1 || safe_[head]) continue;
        bool dup = false;
        for (int i = 0; i < n; ++i) dup |= seen[i] == head;
        if (dup) continue;
        seen[n++] = head;
        int q = head;
        do {
            h ^= zobristStone(q, other);
            if (target_[q]) h ^= keys().gone[q];
            q = next_[q];
        } while (q != head);
        captured += size_[head];
        capturedAt = head;
    }
    koAfter = captured == 1 && !open ? capturedAt : kNoPoint;
    return h;
}

int Board::emptyInRegion() const
{
    int n = 0;
    for (int p = lo_; p < hi_; ++p) n += cell_[p] == kEmpty && region_[p];
    return n;
}

bool Board::targetSafe() const
{
    if (targetsLeft_ == 0) return false;
    uint8_t colour = kEmpty;
    int mostLiberties = 0;
    TargetWalk walk(*this);
    for (int p; (p = walk.next()) != kNoPoint;) {
        if (safe_[head_[p]]) return true;
        colour = cell_[p];
        mostLiberties = std::max<int>(mostLiberties, libs_[head_[p]]);
    }
    // A chain that Benson's test finds alive has a liberty in each of its
    // two vital regions (a region without an empty point would hold a
    // chain without liberties).
    if (mostLiberties < 2) return false;
    uint8_t alive[kPoints];
    if (!aliveChains(colour, alive)) return false;
    TargetWalk again(*this);
    for (int p; (p = again.next()) != kNoPoint;)
        if (alive[head_[p]]) return true;
    return false;
}

bool Board::floodReachesOutside(int start, uint8_t colour, uint8_t* seen, uint8_t mark) const
{
    int16_t stack[kPoints];
    int n = 0;
    stack[n++] = static_cast<int16_t>(start);
    seen[start] = mark;
    while (n) {
        const int q = stack[--n];
        for (int d : kDelta) {
            const int r = q + d;
            const uint8_t c = cell_[r];
            if (c == kEdge || c == colour || seen[r] == mark) continue;
            if (!region_[r] || seen[r]) return true;
            seen[r] = mark;
            stack[n++] = static_cast<int16_t>(r);
        }
    }
    return false;
}

bool Board::inOpenArea(int p, uint8_t colour) const
{
    uint8_t seen[kPoints] = {};
    return floodReachesOutside(p, colour, seen, 1);
}

bool Board::leftRegionsAsTheyWere(int p) const
{
    const uint8_t colour = cell_[p];
    bool open = false;
    // One flood per neighbour, marked k + 1; every flood before the current
    // one reached outside, so meeting its points does too.
    uint8_t seen[kPoints] = {};
    for (int k = 0; k < 4; ++k) {
        const int r = p + kDelta[k];
        const uint8_t c = cell_[r];
        if (c == kEdge || c == colour) continue;
        if (!region_[r]) {
            if (c == kEmpty) return false;  // a liberty no one can fill
            open = true;
            continue;
        }
        if (!seen[r] && !floodReachesOutside(r, colour, seen, static_cast<uint8_t>(k + 1))) return false;
        open = true;
    }
    return open;
}

void Board::bensonAlive(uint8_t colour, std::vector<uint8_t>& out) const
{
    out.assign(kPoints, 0);
    uint8_t alive[kPoints];
    aliveChains(colour, alive);
    for (int p = lo_; p < hi_; ++p)
        if (cell_[p] == colour && (alive[head_[p]] || safe_[head_[p]])) out[p] = 1;
}

bool Board::aliveChains(uint8_t colour, uint8_t* alive) const
{
    // Benson: a set of chains is unconditionally alive when each has two
    // vital regions (regions enclosed by the set, whose every empty point is
    // a liberty of the chain) that no removed chain borders.  Regions that
    // reach outside the area of play are never vital: the frame or the rest
    // of the board lies there.
    std::memset(alive, 0, kPoints);
    int16_t regionOf[kPoints];
    std::memset(regionOf, -1, sizeof regionOf);
    int16_t stack[kPoints], empties[kPoints];
    // Closed regions: their bordering chains, and those they are vital to.
    int16_t borders[4 * kPoints], vital[4 * kPoints];
    int16_t borderStart[kPoints + 1], vitalStart[kPoints + 1];
    int regions = 0, nBorders = 0, nVital = 0;
    int vitalRegions = 0;
    for (int p = lo_; p < hi_; ++p) {
        if (!region_[p] || cell_[p] == colour || regionOf[p] >= 0) continue;
        int n = 0, nEmpty = 0;
        bool open = false;
        const int start = nBorders;
        stack[n++] = static_cast<int16_t>(p);
        regionOf[p] = static_cast<int16_t>(regions);
        while (n) {
            const int q = stack[--n];
            if (cell_[q] == kEmpty) empties[nEmpty++] = static_cast<int16_t>(q);
            for (int d : kDelta) {
                const int r = q + d;
                const uint8_t c = cell_[r];
                if (c == kEdge) continue;
                if (c == colour) {
                    if (!open) {
                        const int16_t h = head_[r];
                        bool dup = false;
                        for (int i = start; i < nBorders && !dup; ++i) dup = borders[i] == h;
                        if (!dup) borders[nBorders++] = h;
                    }
                } else if (!region_[r]) {
                    open = true;
                } else if (regionOf[r] < 0) {
                    regionOf[r] = static_cast<int16_t>(regions);
                    stack[n++] = static_cast<int16_t>(r);
                }
            }
        }
        if (open) {
            nBorders = start;
            continue;  // the points keep their label so they are not flooded again
        }
        borderStart[regions] = static_cast<int16_t>(start);
        vitalStart[regions] = static_cast<int16_t>(nVital);
        for (int i = start; i < nBorders; ++i) {
            const int h = borders[i];
            bool isVital = true;
            for (int e = 0; e < nEmpty && isVital; ++e) {
                const int q = empties[e];
                bool adj = false;
                for (int d : kDelta) adj |= head_[q + d] == h && cell_[q + d] == colour;
                isVital = adj;
            }
            if (isVital) vital[nVital++] = static_cast<int16_t>(h);
        }
        vitalRegions += nVital > vitalStart[regions];
        ++regions;
        // Region labels of open floods were reused; closed ones are numbered
        // from here on.
    }
    if (vitalRegions < 2) return false;  // no chain can have two
    borderStart[regions] = static_cast<int16_t>(nBorders);
    vitalStart[regions] = static_cast<int16_t>(nVital);
    uint8_t healthy[kPoints];
    std::memset(healthy, 1, static_cast<size_t>(regions));
    // Chains in the set: those bordering a closed region, and safe ones.
    for (int i = 0; i < nBorders; ++i) alive[borders[i]] = 1;
    for (bool changed = true; changed;) {
        changed = false;
        uint8_t count[kPoints];
        std::memset(count, 0, sizeof count);
        for (int r = 0; r < regions; ++r)
            if (healthy[r])
                for (int i = vitalStart[r]; i < vitalStart[r + 1]; ++i) ++count[vital[i]];
        for (int i = 0; i < nBorders; ++i) {
            const int h = borders[i];
            if (alive[h] && count[h] < 2 && !safe_[h]) {
                alive[h] = 0;
                changed = true;
            }
        }
        for (int r = 0; r < regions; ++r) {
            if (!healthy[r]) continue;
            for (int i = borderStart[r]; i < borderStart[r + 1]; ++i)
                if (!alive[borders[i]] && !safe_[borders[i]]) {
                    healthy[r] = 0;
                    changed = true;
                    break;
                }
        }
    }
    for (int i = 0; i < nBorders; ++i)
        if (alive[borders[i]]) return true;
    return false;
}

bool Board::checkConsistency() const
{
    Board fresh = *this;
    fresh.finishSetup();
    uint64_t h = 0;
    int targets = 0;
    for (int p = 0; p < kPoints; ++p) {
        if (cell_[p] == kBlack || cell_[p] == kWhite) {
            h ^= zobristStone(p, cell_[p]);
            if (libs_[head_[p]] != fresh.libs_[fresh.head_[p]]) return false;
            if (size_[head_[p]] != fresh.size_[fresh.head_[p]]) return false;
            if (libs_[head_[p]] == 0 && !safe_[head_[p]]) return false;
            if (cell_[head_[p]] != cell_[p]) return false;
            // Same chains: two stones share a head here iff they do there.
            for (int d : kDelta) {
                int r = p + d;
                if (cell_[r] == cell_[p] && head_[r] != head_[p]) return false;
            }
            if (safe_[head_[p]] < fresh.safe_[fresh.head_[p]]) return false;
        }
        targets += target_[p];
    }
    // Each chain's list holds exactly its stones.
    for (int p = 0; p < kPoints; ++p) {
        if ((cell_[p] != kBlack && cell_[p] != kWhite) || head_[p] != p) continue;
        int count = 0, q = p;
        do {
            if (head_[q] != p) return false;
            ++count;
            q = next_[q];
        } while (q != p && count <= kPoints);
        if (count != size_[p]) return false;
    }
    // The targets taken: the listed ones that are targets no more.
    if (targetCount_ <= kListedTargets) {
        uint64_t gone = 0;
        for (int i = 0; i < targetCount_; ++i)
            if (!target_[targetList_[i]]) gone ^= keys().gone[targetList_[i]];
        if (gone != targetsGone_) return false;
    }
    return (h ^ targetsGone_) == hash_ && targets == targetsLeft_;
}

}  // namespace vostra::solver
