// Fuzzes the life-and-death solver: an arbitrary small problem (board of up
// to 6x6, stones, region, side to play, goal, targets, ko point) is solved
// with a small node budget, then asked again after a few arbitrary moves.
// Beyond the sanitizers it checks that the result is the one the first moves
// give, that a proof has one child where the proving side moves and distinct
// children elsewhere, and that the board's incremental fields match a recount
// along the moves.
//
// Input bytes: cols, rows, side/goal bits, then per point two bits (stone)
// and one bit (outside the region), then targets and moves, one byte each.
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "solver/board.h"
#include "solver/solver.h"

namespace sv = vostra::solver;

namespace {

void require(bool ok)
{
    if (!ok) std::abort();
}

struct Bytes {
    const uint8_t* data;
    size_t size, at = 0;
    uint8_t next() { return at < size ? data[at++] : 0; }
    bool done() const { return at >= size; }
};

size_t checkProof(const sv::ProofNode& n, int provingColour, int toPlay)
{
    size_t count = 1;
    if (toPlay == provingColour) require(n.children.size() <= 1);
    for (size_t i = 0; i < n.children.size(); ++i) {
        require(n.children[i].colour == toPlay);
        for (size_t j = 0; j < i; ++j) require(!(n.children[i].move == n.children[j].move));
        count += checkProof(n.children[i], provingColour, -toPlay);
    }
    return count;
}

void checkAnswer(const sv::Problem& p, const sv::Answer& a, int toPlay, const sv::Budget& budget)
{
    if (a.result == sv::Outcome::Unproven) {
        require(a.limit != sv::Limit::None);
        return;
    }
    require(a.limit == sv::Limit::None);
    int best = -1, worst = 4;
    bool allKnown = !a.firstMoves.empty();
    for (const sv::MoveResult& m : a.firstMoves) {
        allKnown &= m.outcome != sv::Outcome::Unproven;
        best = std::max(best, sv::outcomeRank(m.outcome));
        worst = std::min(worst, sv::outcomeRank(m.outcome));
    }
    const int owner = p.goalFor ? p.goalFor : p.toPlay;
    if (allKnown) require(sv::outcomeRank(a.result) == (toPlay == owner ? best : worst));
    const bool ownerProves = a.result != sv::Outcome::Fails;
    const size_t nodes = checkProof(a.proof, ownerProves ? owner : -owner, toPlay);
    require(nodes <= budget.maxProofNodes + 400);  // one node's replies may pass the limit
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Bytes in{data, size};
    sv::Problem p;
    p.cols = 1 + in.next() % 6;
    p.rows = 1 + in.next() % 6;
    const uint8_t bits = in.next();
    p.toPlay = bits & 1 ? 1 : -1;
    p.goalFor = (bits >> 1) % 3 == 2 ? -p.toPlay : 0;
    static const sv::GoalKind kinds[] = {sv::GoalKind::Live,   sv::GoalKind::Kill,          sv::GoalKind::Capture,
                                         sv::GoalKind::Escape, sv::GoalKind::CapturingRace, sv::GoalKind::Connect};
    p.goal.kind = kinds[(bits >> 3) % 6];
    p.goal.sekiCounts = bits & 0x80;
    const int n = p.cols * p.rows;
    p.stones.assign(n, 0);
    p.region.assign(n, 1);
    for (int i = 0; i < n; ++i) {
        const uint8_t b = in.next();
        p.stones[i] = (b & 3) == 1 ? 1 : (b & 3) == 2 ? -1 : 0;
        p.region[i] = !(b & 4);
    }
    const uint8_t targets = in.next() % 4;
    for (int i = 0; i < targets; ++i) {
        const uint8_t t = in.next();
        p.goal.targets.push_back({static_cast<int8_t>(t % p.cols), static_cast<int8_t>((t / p.cols) % p.rows)});
    }
    const uint8_t ko = in.next();
    if (ko & 0x80) p.koBan = {static_cast<int8_t>(ko % p.cols), static_cast<int8_t>((ko / p.cols) % p.rows)};
    std::vector<sv::Point> moves;
    while (!in.done() && moves.size() < 6) {
        const uint8_t m = in.next();
        moves.push_back(m == 255
                            ? sv::kPass
                            : sv::Point{static_cast<int8_t>(m % p.cols), static_cast<int8_t>((m / p.cols) % p.rows)});
    }

    sv::Budget budget;
    budget.maxNodes = 3000;
    budget.maxMs = 0;
    budget.memoryBytes = 1u << 20;
    budget.maxProofNodes = 300;
    try {
        sv::Solver solver(p, budget);
        checkAnswer(p, solver.solve(), p.toPlay, budget);
        // The same moves on a bare board keep its fields in step.
        sv::Board b(p.cols, p.rows);
        for (int i = 0; i < n; ++i)
            b.setStone(sv::Board::at(i % p.cols, i / p.cols), p.stones[i] > 0   ? sv::kBlack
                                                              : p.stones[i] < 0 ? sv::kWhite
                                                                                : sv::kEmpty);
        b.finishSetup();
        int side = p.toPlay;
        size_t legal = 0;
        for (sv::Point m : moves) {
            const uint8_t colour = side > 0 ? sv::kBlack : sv::kWhite;
            if (!m.isPass()) {
                const int q = sv::Board::at(m.x, m.y);
                if (!b.isLegal(q, colour, true)) break;
                b.play(q, colour);
                require(b.checkConsistency());
            }
            side = -side;
            ++legal;
        }
        const std::vector<sv::Point> line(moves.begin(), moves.begin() + static_cast<long>(legal));
        const sv::Answer after = solver.solveAfter(line);
        if (after.limit != sv::Limit::Model) checkAnswer(p, after, legal % 2 ? -p.toPlay : p.toPlay, budget);
    } catch (const std::invalid_argument&) {
        // A problem that does not fit is refused, not solved.
    }
    return 0;
}
