#include "solver/ladder.h"

namespace vostra::solver {

namespace {

// The chain holding every target stone, or kNoPoint when they lie in more
// than one chain (or none is left).
int soleTargetChain(const Board& b)
{
    int head = kNoPoint;
    TargetWalk walk(b);
    for (int q; (q = walk.next()) != kNoPoint;) {
        if (head == kNoPoint)
            head = b.chain(q);
        else if (b.chain(q) != head)
            return kNoPoint;
    }
    return head;
}

// Up to two liberties of the chain at `head`; returns how many it found
// (it stops at three).
int libertiesOf(const Board& b, int head, int* libs)
{
    int n = 0;
    int s = head;
    do {
        for (int d : Board::kDelta) {
            const int r = s + d;
            if (b.cell(r) != kEmpty) continue;
            bool seen = false;
            for (int i = 0; i < n; ++i) seen |= libs[i] == r;
            if (seen) continue;
            if (n == 2) return 3;
            libs[n++] = r;
        }
        s = b.nextStone(s);
    } while (s != head);
    return n;
}

// Whether some chain of the attacker next to the chain at `head` is in atari
// and could be captured.
bool attackerInAtariNextTo(const Board& b, int head, uint8_t attacker)
{
    int s = head;
    do {
        for (int d : Board::kDelta) {
            const int r = s + d;
            if (b.cell(r) == attacker && b.liberties(r) == 1 && !b.permanentlySafe(r)) return true;
        }
        s = b.nextStone(s);
    } while (s != head);
    return false;
}

bool attackerWins(const Board& b, int head, uint8_t attacker, bool ignoreKo, int ataris);

// The defender to move, T (at `head`) in atari at `lib`: whether T is lost.
bool defenderLost(const Board& b, int head, int lib, uint8_t attacker, int ataris)
{
    const uint8_t defender = opposite(attacker);
    if (!b.inRegion(lib) || b.permanentlySafe(head)) return false;
    // Capturing a chain next to T gives it liberties: not read.
    if (attackerInAtariNextTo(b, head, attacker)) return false;
    // Passing or playing elsewhere loses T at once; so does an extension
    // that is not allowed.
    if (!b.isLegal(lib, defender, true)) return true;
    Board next = b;
    if (next.play(lib, defender) != 0) return false;
    const int h = next.chain(lib);
    if (next.permanentlySafe(h)) return false;
    const int left = next.liberties(h);
    if (left <= 1) return true;  // captured next move: no ko was made
    if (left > 2) return false;
    return attackerWins(next, h, attacker, false, ataris);
}

// The attacker to move, T (at `head`) with one or two liberties.
bool attackerWins(const Board& b, int head, uint8_t attacker, bool ignoreKo, int ataris)
{
    if (b.permanentlySafe(head)) return false;
    int libs[2];
    const int n = libertiesOf(b, head, libs);
    if (n == 1) return b.inRegion(libs[0]) && b.isLegal(libs[0], attacker, ignoreKo);
    if (n != 2 || ataris == 0) return false;
    for (int i = 0; i < 2; ++i) {
        const int a = libs[i], last = libs[1 - i];
        if (!b.inRegion(a) || !b.isLegal(a, attacker, ignoreKo)) continue;
        Board next = b;
        if (next.play(a, attacker) != 0) continue;  // a capture could give the defender a ko
        if (defenderLost(next, next.chain(head), last, attacker, ataris - 1)) return true;
    }
    return false;
}

}  // namespace

bool ladderCaptures(const Board& b, uint8_t attacker, bool attackerToMove, bool attackerIgnoresKo, int maxAtaris)
{
    const int head = soleTargetChain(b);
    if (head == kNoPoint || b.cell(head) != opposite(attacker)) return false;
    const int libs = b.liberties(head);
    if (libs > 2 || (!attackerToMove && libs != 1)) return false;
    if (attackerToMove) return attackerWins(b, head, attacker, attackerIgnoresKo, maxAtaris);
    int lib[2];
    libertiesOf(b, head, lib);
    return defenderLost(b, head, lib[0], attacker, maxAtaris);
}

}  // namespace vostra::solver
