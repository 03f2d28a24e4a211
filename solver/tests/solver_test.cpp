// The public interface on positions with known answers: the vital point of a
// straight three for both sides and for a goal that is not the mover's, the
// proof's shape, the ko ban, budgets that run out, and bad problems.
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "solver/solver.h"

namespace sv = vostra::solver;

namespace {

// A problem in the top-left corner of a 19x19 board.  'X'/'O' stones in the
// region, 'x'/'o' stones outside it, '.' empty in the region, anything else
// empty outside.  The rest of the board is outside.
sv::Problem corner(const std::vector<std::string>& rows, int toPlay, sv::GoalKind kind)
{
    sv::Problem p;
    p.stones.assign(361, 0);
    p.region.assign(361, 0);
    for (size_t y = 0; y < rows.size(); ++y)
        for (size_t x = 0; x < rows[y].size(); ++x) {
            const char c = rows[y][x];
            const size_t i = y * 19 + x;
            p.stones[i] = (c == 'X' || c == 'x') ? 1 : (c == 'O' || c == 'o') ? -1 : 0;
            p.region[i] = c == 'X' || c == 'O' || c == '.';
        }
    p.toPlay = toPlay;
    p.goal.kind = kind;
    return p;
}

sv::Outcome resultOf(const sv::Answer& a, sv::Point m)
{
    for (const sv::MoveResult& r : a.firstMoves)
        if (r.move == m) return r.outcome;
    ADD_FAILURE() << "no result for " << int(m.x) << "," << int(m.y);
    return sv::Outcome::Unproven;
}

const std::vector<std::string> kStraightThree = {"...Ox", "OOOOx", "xxxxx"};

}  // namespace

TEST(Solver, StraightThreeLivesOrDiesOnItsVitalPoint)
{
    const sv::Point vital{1, 0}, side{0, 0};

    sv::Answer live = sv::solve(corner(kStraightThree, -1, sv::GoalKind::Live));
    EXPECT_EQ(live.result, sv::Outcome::Unconditional);
    EXPECT_EQ(resultOf(live, vital), sv::Outcome::Unconditional);
    EXPECT_EQ(resultOf(live, side), sv::Outcome::Fails);
    EXPECT_EQ(resultOf(live, sv::kPass), sv::Outcome::Fails);
    // The proof: White's one move, and two eyes end the line.
    ASSERT_EQ(live.proof.children.size(), 1u);
    EXPECT_EQ(live.proof.children[0].move, vital);
    EXPECT_EQ(live.proof.children[0].colour, -1);
    EXPECT_TRUE(live.proof.children[0].children.empty());

    sv::Answer kill = sv::solve(corner(kStraightThree, 1, sv::GoalKind::Kill));
    EXPECT_EQ(kill.result, sv::Outcome::Unconditional);
    EXPECT_EQ(resultOf(kill, vital), sv::Outcome::Unconditional);
    EXPECT_EQ(resultOf(kill, side), sv::Outcome::Fails);
    // After Black's vital point every White reply (and the pass) is answered.
    ASSERT_EQ(kill.proof.children.size(), 1u);
    const sv::ProofNode& after = kill.proof.children[0];
    EXPECT_EQ(after.children.size(), 3u);  // the two sides and the pass
    for (const sv::ProofNode& reply : after.children) {
        EXPECT_EQ(reply.colour, -1);
        EXPECT_FALSE(reply.cut);
    }

    // Black's goal with White to move: White takes the vital point.
    sv::Problem theirs = corner(kStraightThree, -1, sv::GoalKind::Kill);
    theirs.goalFor = 1;
    sv::Answer a = sv::solve(theirs);
    EXPECT_EQ(a.result, sv::Outcome::Fails);
    EXPECT_EQ(resultOf(a, vital), sv::Outcome::Fails);
    EXPECT_EQ(resultOf(a, side), sv::Outcome::Unconditional);

    // The same solver asked along a line keeps its answers consistent.
    sv::Solver solver(corner(kStraightThree, -1, sv::GoalKind::Live));
    EXPECT_EQ(solver.resultAfter({side}), sv::Outcome::Fails);
    EXPECT_EQ(solver.resultAfter({side, vital}), sv::Outcome::Fails);
    EXPECT_EQ(solver.resultAfter({vital}), sv::Outcome::Unconditional);
}

TEST(Solver, TheKoBanForbidsTheImmediateRetake)
{
    // White's stone at b2 has just taken a black stone at c2 and stands in
    // atari there.
    sv::Problem p = corner({".XO.,", "XO.O,", ".XO.,", ",,,,,"}, 1, sv::GoalKind::Capture);
    p.goal.targets = {{1, 1}};
    const sv::Point retake{2, 1};
    sv::Answer free = sv::solve(p);
    EXPECT_EQ(free.result, sv::Outcome::Unconditional);
    EXPECT_EQ(resultOf(free, retake), sv::Outcome::Unconditional);
    p.koBan = retake;
    sv::Answer banned = sv::solve(p);
    for (const sv::MoveResult& m : banned.firstMoves) EXPECT_FALSE(m.move == retake);
    // A line through the banned point is not a line of this problem.
    sv::Solver solver(p);
    sv::Limit limit;
    EXPECT_EQ(solver.resultAfter({retake}, &limit), sv::Outcome::Unproven);
    EXPECT_EQ(limit, sv::Limit::Model);
}

TEST(Solver, RunsOutOfBudgetAsUnprovenAndSaysWhich)
{
    sv::Budget budget;
    budget.maxNodes = 3;
    sv::Answer a = sv::solve(corner({".....Ox", "..OOOOx", "OO..xxx", "xxxx"}, 1, sv::GoalKind::Kill), budget);
    EXPECT_EQ(a.result, sv::Outcome::Unproven);
    EXPECT_EQ(a.limit, sv::Limit::Nodes);
    EXPECT_LE(a.nodes, 4u);

    // Goals the model cannot express say so.
    sv::Answer c = sv::solve(corner(kStraightThree, -1, sv::GoalKind::Connect));
    EXPECT_EQ(c.result, sv::Outcome::Unproven);
    EXPECT_EQ(c.limit, sv::Limit::Model);
}

TEST(Solver, RefusesProblemsThatDoNotFit)
{
    sv::Problem p = corner(kStraightThree, -1, sv::GoalKind::Live);
    p.stones.pop_back();
    EXPECT_THROW(sv::solve(p), std::invalid_argument);
    p = corner(kStraightThree, 0, sv::GoalKind::Live);
    EXPECT_THROW(sv::solve(p), std::invalid_argument);
    p = corner(kStraightThree, -1, sv::GoalKind::Live);
    p.goal.targets = {{0, 0}};  // an empty point
    EXPECT_THROW(sv::solve(p), std::invalid_argument);
    p.goal.targets = {{3, 0}};
    p.cols = 25;
    EXPECT_THROW(sv::solve(p), std::invalid_argument);
}

// Chains next to the targets that are short of liberties outside the region
// stay capturable: their outside liberties are played, not framed.  A white
// chain whose eye lies outside the region still makes only seki with Black's
// one eye; a race is lost when our racing stones are captured first.
TEST(Solver, WeakNeighboursStayCapturableAndRacesKeepTheirStones)
{
    sv::Answer seki = sv::solve(corner({".X.O OXO", "XXXOOOXO", "XXXXXXXO", "OOOOOOOo"}, 1, sv::GoalKind::Live));
    EXPECT_EQ(seki.result, sv::Outcome::Seki);
    EXPECT_EQ(resultOf(seki, sv::kPass), sv::Outcome::Seki);
    EXPECT_EQ(resultOf(seki, {2, 0}), sv::Outcome::Fails);

    sv::Problem race = corner({"o X.O.X", "o xXO.X", "ooooXXx"}, 1, sv::GoalKind::CapturingRace);
    race.goal.targets = {{4, 0}};
    race.goal.keep = {{2, 0}};
    sv::Answer a = sv::solve(race);
    EXPECT_EQ(a.result, sv::Outcome::Unconditional);
    EXPECT_EQ(resultOf(a, {5, 0}), sv::Outcome::Unconditional);
    EXPECT_EQ(resultOf(a, {3, 0}), sv::Outcome::Fails);  // the shared liberty first loses by a move
}

TEST(Solver, TheAuthorsMoveIsSettledFirstAndAWrongOneChangesNothing)
{
    sv::Problem p = corner(kStraightThree, -1, sv::GoalKind::Live);
    p.tryFirst = {{1, 0}};
    sv::Answer a = sv::solve(p);
    EXPECT_EQ(a.result, sv::Outcome::Unconditional);
    EXPECT_EQ(resultOf(a, {1, 0}), sv::Outcome::Unconditional);
    EXPECT_EQ(resultOf(a, {0, 0}), sv::Outcome::Fails);
    EXPECT_LE(a.resultMs, a.ms);
    ASSERT_EQ(a.proof.children.size(), 1u);
    EXPECT_EQ(a.proof.children[0].move, (sv::Point{1, 0}));

    // A wrong move to try first: the position is searched as usual.
    p.tryFirst = {{0, 0}, sv::kPass};
    sv::Answer b = sv::solve(p);
    EXPECT_EQ(b.result, sv::Outcome::Unconditional);
    EXPECT_EQ(resultOf(b, {1, 0}), sv::Outcome::Unconditional);
    EXPECT_EQ(resultOf(b, {0, 0}), sv::Outcome::Fails);
}

// Positions where cycles once ran the proof numbers up to their bound with
// nothing proven, so that first moves came out unproven within the budget.
TEST(Solver, CyclesDoNotLeaveSmallPositionsUnproven)
{
    struct Case {
        std::vector<std::string> rows;
        int toPlay, goalFor;
        sv::GoalKind kind;
    };
    const Case cases[] = {{{".X.", ".O.", "XW.", "..O"}, -1, 1, sv::GoalKind::Kill},
                          {{"W..X", "..XO", "X..."}, 1, -1, sv::GoalKind::Live},
                          {{".X.", ".W.", "..."}, 1, -1, sv::GoalKind::Live}};
    for (const Case& c : cases) {
        sv::Problem p;
        p.cols = static_cast<int>(c.rows[0].size());
        p.rows = static_cast<int>(c.rows.size());
        p.stones.assign(static_cast<size_t>(p.cols * p.rows), 0);
        for (int y = 0; y < p.rows; ++y)
            for (int x = 0; x < p.cols; ++x) {
                const char ch = c.rows[y][x];
                p.stones[y * p.cols + x] = ch == 'X' ? 1 : (ch == 'O' || ch == 'W') ? -1 : 0;
                if (ch == 'W') p.goal.targets.push_back({static_cast<int8_t>(x), static_cast<int8_t>(y)});
            }
        p.toPlay = c.toPlay;
        p.goalFor = c.goalFor;
        p.goal.kind = c.kind;
        const sv::Answer a = sv::solve(p);
        EXPECT_EQ(a.result, sv::Outcome::Fails);
        for (const sv::MoveResult& m : a.firstMoves)
            EXPECT_NE(m.outcome, sv::Outcome::Unproven) << int(m.move.x) << "," << int(m.move.y);
    }
}
