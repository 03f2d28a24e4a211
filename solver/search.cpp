#include "solver/search.h"

#include <algorithm>

#include "solver/ladder.h"

namespace vostra::solver {

namespace {

constexpr int kMaxPly = 400;
// New nodes start with the mobility of the side to move as their cost.
constexpr int kMobility = 1;
// The cost of proving a capture grows with the cube of the targets'
// liberties, up to this many times the mobility.
constexpr uint32_t kLibertyWeightCap = 200;
// The cost of saving targets with 0, 1 or 2 eye points (see targetShape),
// times the mobility.
constexpr uint32_t kEyeLack[3] = {4, 2, 1};
// The room the targets have (see targetShape) weighs in by steps of this
// many empty points, up to this many steps.
constexpr uint32_t kRoomStep = 4, kRoomStepCap = 8;
// A simulation gives up after this many nodes; a child is simulated at most
// this many times (from different settled siblings).
constexpr int kSimulationBudget = 2000;
constexpr int kMaxSimulations = 2;
// Where the analogue gives no move, a proof-number search of the position
// itself settles it if it can within this threshold, and this many moves.
constexpr uint32_t kSimulationSearch = 32;
constexpr int kSimulationDepth = 24;

uint32_t addCapped(uint64_t a, uint64_t b)
{
    if (a >= kInfinity || b >= kInfinity) return kInfinity;
    return static_cast<uint32_t>(std::min<uint64_t>(a + b, kInfinity - 1));
}

}  // namespace

Search::Search(const Rules& rules, Table& table) : rules_(rules), table_(table), cap_(kMaxPly) {}

void Search::begin(uint64_t maxNodes, int maxMs)
{
    nodes_ = 0;
    maxNodes_ = maxNodes;
    timed_ = maxMs > 0;
    deadline_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(maxMs);
    limit_ = Limit::None;
}

bool Search::tick()
{
    ++nodes_;
    if (maxNodes_ && nodes_ > maxNodes_) limit_ = Limit::Nodes;
    if (timed_ && (nodes_ & 255) == 0 && std::chrono::steady_clock::now() > deadline_) limit_ = Limit::Time;
    return limit_ == Limit::None;
}

void Search::setLine(const std::vector<Position>& history, const Position& position)
{
    // The line keeps its room from query to query: positions are large.
    const size_t room = history.size() + kMaxPly + 2;
    if (line_.size() < room) line_.resize(room);
    std::copy(history.begin(), history.end(), line_.begin());
    line_[history.size()] = position;
    base_ = ply_ = static_cast<int>(history.size());
    keys_.assign(line_.size(), 0);
    if (kids_.size() < line_.size()) kids_.resize(line_.size());
    if (simMoves_.size() < line_.size()) simMoves_.resize(line_.size());
    useMode(lineMode_);
}

uint64_t Search::key(const Position& p, Mode mode) const
{
    return keyOf(p.board.hash(), p.board.koPoint(), p.toPlay, p.lastPass, p.over, mode);
}

uint64_t Search::keyOf(uint64_t stones, int ko, uint8_t toPlay, bool lastPass, bool over, Mode mode) const
{
    uint64_t k = stones ^ zobristExtra(2 + mode);
    if (toPlay == kBlack) k ^= zobristExtra(0);
    // A pass before matters only where a pass now could end the game
    // better for the side to move than play could.  Where seki does not
    // count, the owner's pass loses (see passLoses) whether or not the
    // other side passed before; where it counts, the other side's pass
    // loses for it whether or not the owner passed before (the owner
    // passes back and the targets live).  Every other move leads to the
    // same children.  Such positions share one key, so that the orders of
    // play that differ only by where a side passed meet in the table.
    const bool passMatters = (toPlay == rules_.owner) == sekiCounts(mode);
    if (lastPass && passMatters) k ^= zobristExtra(1);
    if (over) k ^= zobristExtra(60);
    if (!ignoresKo(toPlay, mode)) k ^= zobristKo(ko);
    return k ? k : 1;
}

int Search::lineIndex(uint64_t k) const
{
    for (int i = ply_; i >= 0; --i)
        if (keys_[i] == k) return i;
    return -1;
}

Eval Search::evaluate(const Position& p, bool doublePass, bool knownUnsafe) const
{
    const Board& b = p.board;
    if (rules_.liveType) {
        if (b.targetsLeft() == 0) return Eval::Loss;
        if (!knownUnsafe && targetSafe(b)) return Eval::Win;
        if (doublePass) return Eval::Loss;  // the caller decides seki
    } else {
        if (b.keepLost()) return Eval::Loss;
        if (b.targetsLeft() == 0) return Eval::Win;
        if (!knownUnsafe && targetSafe(b)) return Eval::Loss;
        if (doublePass) return Eval::Loss;
    }
    return Eval::Open;
}

bool Search::targetSafe(const Board& b) const
{
    const uint64_t h = b.hash();
    uint64_t& slot = safeCache_[h & (kSafeCacheSize - 1)];
    if ((slot | 1) == (h | 1) && slot != 0) return (slot & 1) != 0;
    const bool safe = b.targetSafe();
    slot = (h & ~uint64_t{1}) | (safe ? 1 : 0);
    return safe;
}

Eval Search::leafEval(const Position& p, bool doublePass, Mode mode, bool knownUnsafe) const
{
    const Eval e = evaluate(p, doublePass, knownUnsafe);
    if (e == Eval::Open && !doublePass &&
        (capturedForSure(p) || capturedForLackOfRoom(p) || capturedByLadder(p, mode)))
        return rules_.liveType ? Eval::Loss : Eval::Win;
    // Targets that live to the end of the game without being safe: seki.
    if (doublePass && e == Eval::Loss && sekiCounts(mode) && p.board.targetsLeft() > 0)
        return Eval::Win;
    return e;
}

bool Search::capturedForSure(const Position& p) const
{
    const Board& b = p.board;
    if (b.hasKeep()) return false;
    const uint8_t targets = rules_.liveType ? rules_.owner : opposite(rules_.owner);
    const uint8_t attacker = opposite(targets);
    const bool attackerToMove = p.toPlay == attacker;
    // The targets' side could pass now and end the game with them alive.
    if (!attackerToMove && p.lastPass) return false;
    // The eye space: every liberty of every target chain, at most three.
    int eye[4], eyes = 0;
    int heads[kPoints / 2], chains = 0;
    int walls[64], wallCount = 0;
    auto seen = [](const int* list, int n, int v) {
        for (int i = 0; i < n; ++i)
            if (list[i] == v) return true;
        return false;
    };
    TargetWalk walk(b);
    for (int q; (q = walk.next()) != kNoPoint;) {
        if (b.cell(q) != targets || seen(heads, chains, b.chain(q))) continue;
        if (b.liberties(q) > 3) return false;  // more than the eye space can hold
        heads[chains++] = b.chain(q);
        int s = q;
        do {
            for (int d : Board::kDelta) {
                const int r = s + d;
                const uint8_t c = b.cell(r);
                if (c == kEmpty) {
                    if (seen(eye, eyes, r)) continue;
                    if (eyes == 3) return false;
                    eye[eyes++] = r;
                } else if (c == attacker && !b.permanentlySafe(r) && !seen(walls, wallCount, b.chain(r))) {
                    if (wallCount == 64) return false;
                    walls[wallCount++] = b.chain(r);
                }
            }
            s = b.nextStone(s);
        } while (s != q);
    }
    if (eyes == 0 || (eyes == 3 && !attackerToMove)) return false;
    // Closed: the eye points touch only each other, the target chains and
    // stones of the attacker; the attacker may play on every one of them.
    int links = 0;
    for (int i = 0; i < eyes; ++i) {
        const int e = eye[i];
        if (!b.inRegion(e) || e == b.koPoint()) return false;
        for (int d : Board::kDelta) {
            const int r = e + d;
            const uint8_t c = b.cell(r);
            if (c == kEmpty) {
                if (!seen(eye, eyes, r)) return false;
                ++links;
            } else if (c == targets) {
                if (!seen(heads, chains, b.chain(r))) return false;
            } else if (c == attacker && !b.permanentlySafe(r) && !seen(walls, wallCount, b.chain(r))) {
                if (wallCount == 64) return false;
                walls[wallCount++] = b.chain(r);
            }
        }
    }
    // Connected: two points touch; of three, one touches both others
    // (each touch is counted from both ends).
    if ((eyes == 2 && links != 2) || (eyes == 3 && links != 4)) return false;
    // The targets' side gets this many moves before the capture: it must not
    // be able to capture a bounding chain in them.  Liberties inside the eye
    // space do not count: the attacker fills those itself.
    const int theirMoves = attackerToMove ? eyes - 1 : eyes;
    for (int i = 0; i < wallCount; ++i) {
        int outside = b.liberties(walls[i]);
        for (int k = 0; k < eyes; ++k) {
            bool touches = false;
            for (int d : Board::kDelta) touches |= b.cell(eye[k] + d) == attacker && b.chain(eye[k] + d) == walls[i];
            outside -= touches;
        }
        if (outside <= theirMoves) return false;
    }
    return true;
}

bool Search::capturedForLackOfRoom(const Position& p) const
{
    const Board& b = p.board;
    if (b.hasKeep()) return false;
    const uint8_t targets = rules_.liveType ? rules_.owner : opposite(rules_.owner);
    const uint8_t attacker = opposite(targets);
    if (p.toPlay == targets && p.lastPass) return false;
    int stack[kPoints];
    const uint32_t inRoom = newStamp();
    int top = markTargets(b, inRoom, stack);
    uint32_t* mark = marks_.data();
    int apart[2], aparts = 0;  // the points out of touch with the safe stones
    while (top > 0) {
        const int q = stack[--top];
        const uint8_t c = b.cell(q);
        if (!b.inRegion(q) || q == b.koPoint() || (c == targets && b.permanentlySafe(q))) return false;
        bool touchesSafe = false;
        for (int d : Board::kDelta) {
            const int r = q + d;
            const uint8_t rc = b.cell(r);
            if (rc == kEdge) continue;
            if (rc == attacker) {
                if (b.permanentlySafe(r)) {
                    touchesSafe = true;
                    continue;
                }
                return false;  // a stone the targets' side could capture, or live beside in seki
            }
            if (mark[r] != inRoom) {
                mark[r] = inRoom;
                stack[top++] = r;
            }
        }
        if (touchesSafe) continue;
        if (aparts == 2) return false;
        apart[aparts++] = q;
    }
    if (aparts < 2) return true;
    for (int d : Board::kDelta)
        if (apart[0] + d == apart[1]) return true;
    return false;
}

uint32_t Search::newStamp() const
{
    if (++stamp_ == 0) {
        std::fill(marks_.begin(), marks_.end(), 0);
        stamp_ = 1;
    }
    return stamp_;
}

int Search::markTargets(const Board& b, uint32_t stamp, int* stack) const
{
    int top = 0;
    TargetWalk walk(b);
    for (int q; (q = walk.next()) != kNoPoint;)
        if (marks_[q] != stamp) {
            marks_[q] = stamp;
            stack[top++] = q;
        }
    return top;
}

bool Search::capturedByLadder(const Position& p, Mode mode) const
{
    // A defender's move elsewhere could take stones that must be kept.
    if (p.board.hasKeep()) return false;
    const uint8_t attacker = rules_.liveType ? opposite(rules_.owner) : rules_.owner;
    // The targets' side could pass now and end the game with them on the board.
    if (p.toPlay != attacker && p.lastPass) return false;
    return ladderCaptures(p.board, attacker, p.toPlay == attacker, ignoresKo(attacker, mode));
}

void Search::generate(const Position& p, Mode mode, std::vector<int>& moves) const
{
    moves.clear();
    const Board& b = p.board;
    const uint8_t me = p.toPlay, other = opposite(me);
    const bool ignoreKo = ignoresKo(me, mode);
    struct Scored {
        int score, move;
    };
    Scored scored[kPoints];
    int n = 0;
    // Chains that hold a target stone, by head.
    uint8_t targetChain[kPoints] = {};
    TargetWalk walk(b);
    for (int p; (p = walk.next()) != kNoPoint;) targetChain[b.chain(p)] = 1;
    for (int m = b.spanBegin(); m < b.spanEnd(); ++m) {
        if (!b.inRegion(m) || !b.isLegal(m, me, ignoreKo)) continue;
        int score = 0, empties = 0;
        for (int d : Board::kDelta) {
            const int r = m + d;
            const uint8_t c = b.cell(r);
            if (c == kEmpty) {
                ++empties;
                continue;
            }
            if (c == kEdge) continue;
            // Liberties of a target chain matter most.
            if (targetChain[b.chain(r)]) score += 25;
            if (c == other) {
                const int libs = b.liberties(r);
                if (libs == 1 && !b.permanentlySafe(r))
                    score += 200 + 10 * b.chainSize(r);
                else if (libs == 2)
                    score += 40;
                else
                    score += 10;
            } else {
                if (b.liberties(r) == 1) score += 80;
                score += 5;
            }
        }
        if (empties == 0 && score < 200) score -= 20;  // filling a point with no liberty
        score += empties * 3;
        scored[n++] = {score, m};
    }
    // Insertion sort, stable, highest score first: the lists are short.
    for (int i = 1; i < n; ++i) {
        const Scored s = scored[i];
        int j = i;
        for (; j > 0 && scored[j - 1].score < s.score; --j) scored[j] = scored[j - 1];
        scored[j] = s;
    }
    for (int i = 0; i < n; ++i) moves.push_back(scored[i].move);
    moves.push_back(kNoPoint);
}

void Search::playInto(const Position& from, int move, Position& to)
{
    to.board.copyPlayFrom(from.board);
    to.toPlay = from.toPlay;
    to.lastPass = from.lastPass;
    to.over = from.over;
    if (move == kNoPoint) {
        to.board.pass();
        to.over = from.lastPass;
        to.lastPass = true;
    } else {
        to.board.play(move, from.toPlay);
        to.lastPass = false;
        to.over = false;
    }
    to.toPlay = opposite(from.toPlay);
}

void Search::push(int move)
{
    playInto(line_[ply_], move, line_[ply_ + 1]);
    ++ply_;
    keys_[ply_] = key(line_[ply_], lineMode_);
}

void Search::useMode(Mode mode)
{
    lineMode_ = mode;
    for (int i = 0; i <= ply_; ++i) keys_[i] = key(line_[i], mode);
}

void Search::pop() { --ply_; }

Search::ChildValue Search::childValue(Mode mode, int move)
{
    ChildValue v;
    const Position& from = line_[ply_];
    Position& to = line_[ply_ + 1];
    playInto(from, move, to);
    if (mode != lineMode_) useMode(mode);
    const uint64_t k = key(to, mode);
    if (lineIndex(k) >= 0) {
        v.known = true;
        v.pathDependent = true;
        return v;
    }
    if (const Entry* t = table_.find(k); t && (t->pn == 0 || t->dn == 0)) {
        v.known = true;
        v.ownerWins = t->pn == 0;
        v.depth = t->depth;
        return v;
    }
    const bool doublePass = move == kNoPoint && from.lastPass;
    const Eval e = leafEval(to, doublePass, mode);
    if (e != Eval::Open) {
        v.known = true;
        v.ownerWins = e == Eval::Win;
    }
    return v;
}

Search::Result Search::solve(Mode mode)
{
    useMode(mode);
    searched_ |= 1u << mode;
    Result r;
    // The expansions below take the position to be open.
    if (const Eval e = evaluate(line_[ply_], false); e != Eval::Open) {
        r.known = true;
        r.ownerWins = e == Eval::Win;
        return r;
    }
    const uint64_t k = keys_[ply_];
    if (const Entry* t = table_.find(k); t && (t->pn == 0 || t->dn == 0)) {
        r.known = true;
        r.ownerWins = t->pn == 0;
        r.depth = t->depth;
        return r;
    }
    // Through cycles of the position graph the proof numbers of the table
    // can feed on each other and run up to the bound with nothing proven.
    // Then the search starts again from the settled entries only, as long
    // as each round settles something new.
    Value v = mid(kInfinity - 1, kInfinity - 1, mode);
    for (size_t settled = table_.settled(); !aborted() && v.pn != 0 && v.dn != 0;) {
        table_.dropOpen();
        v = mid(kInfinity - 1, kInfinity - 1, mode);
        if (table_.settled() <= settled) break;
        settled = table_.settled();
    }
    if (!aborted() && v.pn != 0 && v.dn != 0) {
        // Still stuck: a plain depth-first search decides it, within the budget.
        bool lined = false;
        const int w = exhaustive(mode, lined);
        if (w < 0) return r;
        r.known = true;
        r.ownerWins = w == 1;
        return r;
    }
    if (aborted() || (v.pn != 0 && v.dn != 0)) return r;
    r.known = true;
    r.ownerWins = v.pn == 0;
    r.depth = v.depth;
    return r;
}

int Search::exhaustive(Mode mode, bool& lined)
{
    if (!tick()) return -1;
    if (ply_ - base_ >= kMaxPly) {
        limit_ = Limit::Memory;
        return -1;
    }
    const Position& here = line_[ply_];
    const bool isOr = here.toPlay == rules_.owner;
    std::vector<int> moves;
    generate(here, mode, moves);
    bool anyLined = false;
    int result = isOr ? 0 : 1;
    for (int move : moves) {
        Position& next = line_[ply_ + 1];
        playInto(here, move, next);
        if (leftOut(here, mode, move, next.board.koPoint())) continue;
        const uint64_t k = key(next, mode);
        int w;
        bool childLined = false;
        if (lineIndex(k) >= 0) {
            w = 0;  // a repetition fails for the owner, on this line
            childLined = true;
        } else if (const Entry* t = table_.find(k); t && (t->pn == 0 || t->dn == 0)) {
            w = t->pn == 0 ? 1 : 0;
        } else if (const Eval e = leafEval(next, move == kNoPoint && here.lastPass, mode); e != Eval::Open) {
            w = e == Eval::Win ? 1 : 0;
        } else {
            ++ply_;
            keys_[ply_] = k;
            w = exhaustive(mode, childLined);
            --ply_;
            if (w < 0) return -1;
        }
        if (w == (isOr ? 1 : 0)) {
            // Decided by this child: it leans on the line only if the child does.
            anyLined = childLined;
            result = w;
            break;
        }
        anyLined |= childLined;
    }
    lined = anyLined;
    if (!anyLined) {
        Entry e;
        e.key = keys_[ply_];
        e.pn = result == 1 ? 0 : kInfinity;
        e.dn = result == 1 ? kInfinity : 0;
        table_.store(e);
    }
    return result;
}

bool Search::safetyUnchanged(const Position& here, int move, const Position& next) const
{
    // A pass leaves the board as it was.  A move of the other side that
    // captures nothing only fills a point of the targets' regions; where that
    // region is open it stays open, and every closed region is as it was.
    // A stone of the targets' side that captures nothing changes Benson's
    // test only where it joins chains, gains a liberty outside or closes a
    // region (see leftRegionsAsTheyWere).
    if (move == kNoPoint) return true;
    const uint8_t targets = rules_.liveType ? rules_.owner : opposite(rules_.owner);
    const uint8_t mover = here.toPlay;
    for (int d : Board::kDelta) {
        const int r = move + d;
        if (here.board.cell(r) == opposite(mover) && here.board.liberties(r) == 1) return false;
    }
    if (mover == targets) {
        int chain = -1;
        for (int d : Board::kDelta) {
            const int r = move + d;
            if (here.board.cell(r) != mover) continue;
            if (chain >= 0 && here.board.chain(r) != chain) return false;
            chain = here.board.chain(r);
        }
        return next.board.leftRegionsAsTheyWere(move);
    }
    return next.board.inOpenArea(move, targets);
}

bool Search::expand(Mode mode, std::vector<Child>& kids, bool isOr)
{
    const Position& here = line_[ply_];
    generate(here, mode, moves_);
    kids.clear();
    Position& next = line_[ply_ + 1];
    const uint8_t other = opposite(here.toPlay);
    // The children's keys first, their table slots fetched ahead: the
    // lookups below then seldom wait for memory.
    std::vector<uint64_t>& childKeys = childKeys_;
    std::vector<int>& childKos = childKos_;
    childKeys.resize(moves_.size());
    childKos.resize(moves_.size());
    for (size_t i = 0; i < moves_.size(); ++i) {
        const int move = moves_[i];
        if (move == kNoPoint) {
            childKos[i] = kNoPoint;
            childKeys[i] = keyOf(here.board.hash(), kNoPoint, other, true, here.lastPass, mode);
        } else {
            const uint64_t stones = here.board.hashAfter(move, here.toPlay, childKos[i]);
            childKeys[i] = keyOf(stones, childKos[i], other, false, false, mode);
        }
        table_.prefetch(childKeys[i]);
        prefetchCrossMode(childKeys[i], childKos[i], mode);
    }
    for (size_t i = 0; i < moves_.size(); ++i) {
        const int move = moves_[i];
        koAfter_ = childKos[i];
        if (leftOut(here, mode, move, koAfter_)) continue;
        Child c{move, childKeys[i], 1, 1, 0, false, kNoLoop};
        if (const int at = lineIndex(c.key); at >= 0) {
            // A repetition: a failure for the owner, on this line only.
            c.pn = kInfinity;
            c.dn = 0;
            c.fixed = true;
            c.loop = at;
        } else if (const Entry* t = table_.find(c.key)) {
            // Seen before: its value, or that it is not over.
            c.pn = t->pn;
            c.dn = t->dn;
            c.depth = t->depth;
        } else if (crossMode(mode, c)) {
            // Settled in a mode that decides this one.
        } else {
            playInto(here, move, next);
            const bool doublePass = move == kNoPoint && here.lastPass;
            const Eval e = leafEval(next, doublePass, mode, safetyUnchanged(here, move, next));
            Entry leaf;
            leaf.key = c.key;
            if (e != Eval::Open) {
                c.pn = leaf.pn = e == Eval::Win ? 0 : kInfinity;
                c.dn = leaf.dn = e == Eval::Win ? kInfinity : 0;
            } else {
                // The side to move there has about this many moves: the more
                // it has, the harder that node is to settle against it.
                const uint32_t moves = static_cast<uint32_t>(1 + moves_.size() / kMobility);
                if (next.toPlay == rules_.owner)
                    c.dn = leaf.dn = moves;
                else
                    c.pn = leaf.pn = moves;
                // The more liberties the targets have, the dearer their
                // capture is to prove: that side starts at the mobility times
                // the cube of their liberties (capped).
                const TargetShape shape = targetShape(next.board);
                const uint32_t libs = shape.liberties;
                const uint32_t weight = std::max<uint32_t>(1, std::min<uint32_t>(libs * libs * libs, kLibertyWeightCap));
                if (rules_.liveType)
                    c.dn = leaf.dn = c.dn * weight;
                else
                    c.pn = leaf.pn = c.pn * weight;
                // Targets short of eyes are dearer to save: twice with one
                // eye point, four times with none.
                const uint32_t lack = kEyeLack[shape.eyePoints];
                if (rules_.liveType)
                    c.pn = leaf.pn = c.pn * lack;
                else
                    c.dn = leaf.dn = c.dn * lack;
                // Targets with room are dearer to capture, by a step for
                // every kRoomStep empty points of it, and cheaper to save,
                // by two over one more than that.
                const uint32_t steps =
                    std::max<uint32_t>(1, std::min<uint32_t>(shape.room / kRoomStep, kRoomStepCap));
                uint32_t& capture = rules_.liveType ? leaf.dn : leaf.pn;
                uint32_t& save = rules_.liveType ? leaf.pn : leaf.dn;
                capture *= steps;
                save = std::max<uint32_t>(1, save * 2 / (1 + steps));
                c.pn = leaf.pn;
                c.dn = leaf.dn;
            }
            table_.store(leaf);
        }
        kids.push_back(c);
        // A child that decides the node ends the expansion (a refutation
        // that leans on the line only if no other is found).
        if (isOr ? c.pn == 0 : (c.dn == 0 && c.loop == kNoLoop)) break;
    }
    return true;
}

Search::TargetShape Search::targetShape(const Board& b) const
{
    const uint8_t targets = rules_.liveType ? rules_.owner : opposite(rules_.owner);
    const uint8_t other = opposite(targets);
    TargetShape shape;
    int heads[64], chains = 0, seen[2];
    TargetWalk walk(b);
    for (int q; (q = walk.next()) != kNoPoint;) {
        if (b.cell(q) != targets) continue;
        const int h = b.chain(q);
        bool known = false;
        for (int i = 0; i < chains; ++i) known |= heads[i] == h;
        if (known) continue;
        if (chains < 64) heads[chains++] = h;
        shape.liberties += b.liberties(q);
        for (int s = q; shape.eyePoints < 2;) {
            for (int d : Board::kDelta) {
                const int e = s + d;
                if (b.cell(e) != kEmpty || !b.inRegion(e) || (shape.eyePoints > 0 && seen[0] == e)) continue;
                int edges = 0;
                bool closed = true;
                for (int n : Board::kDelta) {
                    const uint8_t c = b.cell(e + n);
                    closed &= c == kEdge || c == targets;
                    edges += c == kEdge;
                }
                if (!closed) continue;
                int held = 0;
                for (int n : {kStride + 1, kStride - 1, 1 - kStride, -1 - kStride}) held += b.cell(e + n) == other;
                if (held >= (edges ? 1 : 2)) continue;  // a false eye
                seen[shape.eyePoints++] = e;
                if (shape.eyePoints == 2) break;
            }
            s = b.nextStone(s);
            if (s == q) break;
        }
    }
    // The room: a flood from the targets through the region's empty points
    // and the stones of their colour.
    int stack[kPoints];
    const uint32_t reached = newStamp();
    int top = markTargets(b, reached, stack);
    uint32_t* mark = marks_.data();
    while (top > 0) {
        const int q = stack[--top];
        for (int d : Board::kDelta) {
            const int r = q + d;
            const uint8_t c = b.cell(r);
            if (mark[r] == reached || (c != kEmpty && c != targets) || !b.inRegion(r)) continue;
            mark[r] = reached;
            stack[top++] = r;
            shape.room += c == kEmpty;
        }
    }
    return shape;
}

uint64_t Search::crossKey(uint64_t key, int koAfter, Mode mode, Mode other) const
{
    const uint8_t toPlay = opposite(line_[ply_].toPlay);
    uint64_t k = key ^ zobristExtra(2 + mode) ^ zobristExtra(2 + other);
    if (ignoresKo(toPlay, mode) != ignoresKo(toPlay, other)) k ^= zobristKo(koAfter);
    return k ? k : 1;
}

void Search::prefetchCrossMode(uint64_t key, int koAfter, Mode mode) const
{
    const Mode widest = widestMode();
    if (mode != widest && (searched_ & (1u << widest))) table_.prefetch(crossKey(key, koAfter, mode, widest));
    if (mode != 0 && (searched_ & 1u)) table_.prefetch(crossKey(key, koAfter, mode, 0));
}

bool Search::crossMode(Mode mode, Child& c) const
{
    // A win where the owner has less is a win; a failure where it has more
    // is a failure.  The ko term of the key differs between modes only for
    // the side whose ko privilege changes.
    const int ko = c.move == kNoPoint ? kNoPoint : koAfter_;
    auto probe = [&](Mode m) { return table_.find(crossKey(c.key, ko, mode, m)); };
    const Mode widest = widestMode();
    if (mode != widest && (searched_ & (1u << widest)))
        if (const Entry* t = probe(widest); t && t->dn == 0) {
            c.pn = kInfinity;
            c.dn = 0;
            c.depth = t->depth;
            return true;
        }
    if (mode != 0 && (searched_ & 1u))
        if (const Entry* t = probe(0); t && t->pn == 0) {
            c.pn = 0;
            c.dn = kInfinity;
            c.depth = t->depth;
            return true;
        }
    return false;
}

void Search::simulateSiblings(Mode mode, std::vector<Child>& kids, size_t from, bool ownerWins)
{
    const Position& here = line_[ply_];
    const uint8_t mover = here.toPlay;
    const uint64_t fromStone = kids[from].move == kNoPoint ? 0 : zobristStone(kids[from].move, mover);
    for (size_t i = 0; i < kids.size() && !aborted(); ++i) {
        Child& s = kids[i];
        if (i == from || s.fixed || s.simulated >= kMaxSimulations) continue;
        if (ownerWins ? s.pn == 0 : s.dn == 0) continue;
        if (ownerWins ? s.dn == 0 : s.pn == 0) return;  // the node is settled the other way
        ++s.simulated;
        const uint64_t delta = fromStone ^ (s.move == kNoPoint ? 0 : zobristStone(s.move, mover));
        playInto(here, s.move, line_[ply_ + 1]);
        ++ply_;
        keys_[ply_] = s.key;
        int budget = kSimulationBudget, depth = 0;
        const bool done = simulate(mode, delta, ownerWins, budget, depth);
        --ply_;
        if (!done) continue;
        s.pn = ownerWins ? 0 : kInfinity;
        s.dn = ownerWins ? kInfinity : 0;
        s.depth = depth;
    }
}

int Search::simulatedChild(Mode mode, int move, bool ownerWins, int& depth)
{
    const ChildValue v = childValue(mode, move);
    if (!v.known) return -1;
    if (v.pathDependent) return 0;
    depth = v.depth;
    return v.ownerWins == ownerWins ? 1 : 0;
}

bool Search::simulate(Mode mode, uint64_t delta, bool ownerWins, int& budget, int& depth)
{
    if (--budget < 0 || !tick() || ply_ - base_ >= kMaxPly) return false;
    const uint64_t before = nodes_;
    const Position& here = line_[ply_];
    const bool proverMoves = (here.toPlay == rules_.owner) == ownerWins;
    // One child: settled as wanted, or settled so by simulation below it.
    auto settle = [&](int move, int& d) {
        const int v = simulatedChild(mode, move, ownerWins, d);
        if (v >= 0) return v == 1;
        ++ply_;
        keys_[ply_] = key(line_[ply_], mode);
        const bool ok = simulate(mode, delta, ownerWins, budget, d);
        --ply_;
        return ok;
    };
    int move = kNoPoint, d = 0;
    if (proverMoves) {
        // The analogue's settling move (0 is the pass, or unknown: a pass
        // is tried then).
        const Entry* t = table_.find(keys_[ply_] ^ delta);
        const bool analogue = t && (ownerWins ? t->pn == 0 : t->dn == 0) &&
                              (t->best == kNoPoint || (here.board.inRegion(t->best) &&
                                                       here.board.isLegal(t->best, here.toPlay, ignoresKo(here.toPlay, mode))));
        if (!analogue) return settleBySearch(mode, ownerWins, budget, depth);
        move = t->best;
        if (!settle(move, d)) return false;
    } else {
        std::vector<int>& moves = simMoves_[ply_];  // sized with the line: deeper calls keep it in place
        generate(here, mode, moves);
        int worst = 0;
        for (size_t i = 0; i < moves.size(); ++i) {
            if (moves[i] == kNoPoint && passLoses(here, mode)) continue;
            if (!settle(moves[i], d)) return false;
            worst = std::max(worst, d);
        }
        d = worst;
    }
    depth = std::min(d + 1, 65535);
    Entry e;
    e.key = keys_[ply_];
    e.pn = ownerWins ? 0 : kInfinity;
    e.dn = ownerWins ? kInfinity : 0;
    e.work = static_cast<uint32_t>(std::min<uint64_t>(nodes_ - before + 1, 0xFFFFFFFF));
    e.depth = static_cast<uint16_t>(depth);
    e.best = static_cast<int16_t>(move);
    table_.store(e);
    return true;
}

bool Search::settleBySearch(Mode mode, bool ownerWins, int& budget, int& depth)
{
    if (budget <= 0) return false;
    const uint64_t before = nodes_;
    // A line too long for the small search leaves it unsettled; only the
    // search proper runs out of room.
    const int cap = cap_;
    cap_ = std::min(cap, ply_ - base_ + kSimulationDepth);
    const Value v = ownerWins ? mid(kSimulationSearch, kInfinity - 1, mode) : mid(kInfinity - 1, kSimulationSearch, mode);
    cap_ = cap;
    const bool capped = capped_;
    capped_ = false;
    budget -= static_cast<int>(std::min<uint64_t>(nodes_ - before, kSimulationBudget));
    if (aborted() || capped || v.loop != kNoLoop || (ownerWins ? v.pn != 0 : v.dn != 0)) return false;
    depth = v.depth;
    return true;
}

Search::Value Search::mid(uint32_t thpn, uint32_t thdn, Mode mode)
{
    if (!tick()) return {1, 1, 0, kNoLoop};
    if (ply_ - base_ >= cap_) {
        if (cap_ >= kMaxPly)
            limit_ = Limit::Memory;
        else
            capped_ = true;
        return {1, 1, 0, kNoLoop};
    }
    const uint64_t before = nodes_;
    const Position& here = line_[ply_];
    const bool isOr = here.toPlay == rules_.owner;
    std::vector<Child>& kids = kids_[ply_];
    expand(mode, kids, isOr);

    Value v{};
    size_t best = 0;
    for (;;) {
        // Combine the children.  Their values come from the expansion and
        // from the searches below; a sibling settled meanwhile through a
        // transposition shows its value when it is next searched.
        uint64_t sum = 0;
        uint32_t min1 = kInfinity, min2 = kInfinity;
        size_t minIndex = 0;
        int loopAll = kNoLoop;    // OR: the earliest line position all refutations lean on
        int bestRefutation = -1;  // AND: the refutation that leans on the line least
        for (size_t i = 0; i < kids.size(); ++i) {
            Child& c = kids[i];
            const uint32_t mine = isOr ? c.pn : c.dn;    // what this node minimises
            const uint32_t theirs = isOr ? c.dn : c.pn;  // what it sums
            sum = addCapped(sum, theirs);
            if (mine < min1) {
                min2 = min1;
                min1 = mine;
                minIndex = i;
            } else if (mine < min2) {
                min2 = mine;
            }
            if (c.dn == 0) {
                loopAll = std::min(loopAll, c.loop);
                if (bestRefutation < 0 || c.loop > kids[bestRefutation].loop) bestRefutation = static_cast<int>(i);
            }
        }
        best = minIndex;
        if (isOr) {
            v.pn = min1;
            v.dn = static_cast<uint32_t>(sum);
            v.loop = v.dn == 0 ? loopAll : kNoLoop;
        } else {
            v.pn = static_cast<uint32_t>(sum);
            v.dn = min1;
            v.loop = kNoLoop;
            if (v.dn == 0) {
                best = static_cast<size_t>(bestRefutation);
                v.loop = kids[best].loop;
            }
        }
        // Leaning on this very position is leaning on nothing above it.
        if (v.loop >= ply_) v.loop = kNoLoop;
        if (v.pn == 0 || v.dn == 0 || v.pn >= thpn || v.dn >= thdn || aborted() || capped_) break;

        // Thresholds for the most proving child (1+epsilon trick).
        Child& c = kids[best];
        uint32_t cthpn, cthdn;
        const uint64_t second = min2 >= kInfinity ? kInfinity : static_cast<uint64_t>(min2) + 1 + min2 / 4;
        if (isOr) {
            cthpn = static_cast<uint32_t>(std::min<uint64_t>(thpn, second));
            cthdn = static_cast<uint32_t>(std::min<uint64_t>(kInfinity - 1, thdn - v.dn + c.dn));
        } else {
            cthdn = static_cast<uint32_t>(std::min<uint64_t>(thdn, second));
            cthpn = static_cast<uint32_t>(std::min<uint64_t>(kInfinity - 1, thpn - v.pn + c.pn));
        }
        playInto(line_[ply_], c.move, line_[ply_ + 1]);
        ++ply_;
        keys_[ply_] = c.key;
        Value r = mid(cthpn, cthdn, mode);
        --ply_;
        c.pn = r.pn;
        c.dn = r.dn;
        c.depth = r.depth;
        if (r.dn == 0 && r.loop != kNoLoop) {
            c.fixed = true;
            c.loop = r.loop;
        }
        // A child settled the way every child must be: its proof may serve
        // the siblings that differ from it only in the move played.
        if (!aborted() && !capped_ && !c.fixed && (isOr ? r.dn == 0 : r.pn == 0))
            simulateSiblings(mode, kids, best, !isOr);
    }

    // The depth of a decided node: the line the proof forces.
    if (v.pn == 0 || v.dn == 0) {
        const bool ownerWins = v.pn == 0;
        int d = 0;
        if (isOr == ownerWins) {
            // The prover picks its shortest win.
            d = kids[best].depth;
            for (const Child& c : kids)
                if ((ownerWins ? c.pn == 0 : c.dn == 0) && c.loop >= kids[best].loop) d = std::min(d, c.depth);
        } else {
            for (const Child& c : kids) d = std::max(d, c.depth);
        }
        v.depth = std::min(d + 1, 65535);
    }
    if (v.loop == kNoLoop && !aborted() && !capped_) {
        Entry e;
        e.key = keys_[ply_];
        e.pn = v.pn;
        e.dn = v.dn;
        e.work = static_cast<uint32_t>(std::min<uint64_t>(nodes_ - before + 1, 0xFFFFFFFF));
        e.depth = static_cast<uint16_t>(v.depth);
        e.best = static_cast<int16_t>(kids.empty() ? 0 : kids[best].move);
        table_.store(e);
    }
    return v;
}

}  // namespace vostra::solver
