// The solver's board against the trainer's rules over random games on visible
// areas up to 9x9 and on the whole board (the same moves are legal, the same stones are
// taken), its own incremental fields
// against a recount, a position copied over an older one, and Benson's test
// and the frame and the ladder reader on small diagrams.
// The seed is printed; set VOSTRA_SEED to repeat a run.
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "rules/move.h"
#include "solver/board.h"
#include "solver/ladder.h"
#include "tests/rules_support.h"

namespace sv = vostra::solver;

namespace {

uint64_t seed()
{
    const char* s = std::getenv("VOSTRA_SEED");
    const uint64_t v = s ? std::strtoull(s, nullptr, 10) : std::random_device{}();
    std::printf("solver board test seed: %llu (VOSTRA_SEED to repeat)\n", static_cast<unsigned long long>(v));
    return v;
}

// A board from rows of 'X' (black), 'O' (white) and anything else (empty);
// '#' marks points outside the region, '*' an empty point outside it, 'o' a
// white stone marked as a target.
sv::Board boardFrom(const std::vector<std::string>& rows, uint8_t frameColour = sv::kEmpty)
{
    sv::Board b(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()));
    for (size_t y = 0; y < rows.size(); ++y)
        for (size_t x = 0; x < rows[y].size(); ++x) {
            const int p = sv::Board::at(static_cast<int>(x), static_cast<int>(y));
            const char c = rows[y][x];
            b.setStone(p, c == 'X' ? sv::kBlack : c == 'O' || c == 'o' ? sv::kWhite : sv::kEmpty);
            if (c == '*') b.setRegion(p, false);
            if (c == 'o') b.markTarget(p);
        }
    if (frameColour != sv::kEmpty)
        b.closeRegion(frameColour);
    else
        b.finishSetup();
    return b;
}

}  // namespace

TEST(SolverBoard, AgreesWithTheTrainersRulesOverRandomGames)
{
    std::mt19937_64 rng(seed());
    for (int game = 0; game < 150; ++game) {
        const bool full = game % 10 == 0;  // and the whole board now and then
        const int cols = full ? 19 : 2 + static_cast<int>(rng() % 8);
        const int rows = full ? 19 : 2 + static_cast<int>(rng() % 8);
        auto g = rules_test::emptyBoard(cols, rows);
        // The trainer's board is 19x19 and stones go only in its visible
        // area; the empty points beyond are liberties nobody can fill.  That
        // is a region with the rest of the board outside, and no frame.
        sv::Board b(19, 19);
        for (int yy = 0; yy < 19; ++yy)
            for (int xx = 0; xx < 19; ++xx) b.setRegion(sv::Board::at(xx, yy), xx < cols && yy < rows);
        b.finishSetup();
        int side = 1;
        int played = 0;
        for (int attempt = 0; attempt < 600 && played < 300; ++attempt) {
            const int x = static_cast<int>(rng() % cols), y = static_cast<int>(rng() % rows);
            const int p = sv::Board::at(x, y);
            const uint8_t colour = side > 0 ? sv::kBlack : sv::kWhite;
            g->sideToMove = side;
            const bool legal = b.isLegal(p, colour);
            ASSERT_EQ(playMove(*g, x + 1, y + 1, false), legal)
                << "game " << game << " move " << played << " at " << x << "," << y;
            if (!legal) continue;
            b.play(p, colour);
            ++played;
            side = -side;
            ASSERT_TRUE(b.checkConsistency()) << "game " << game << " move " << played;
            std::string ours;
            for (int yy = 0; yy < rows; ++yy) {
                for (int xx = 0; xx < cols; ++xx) {
                    const uint8_t c = b.cell(sv::Board::at(xx, yy));
                    ours += c == sv::kBlack ? 'X' : c == sv::kWhite ? 'O' : '.';
                }
                ours += '\n';
            }
            std::string theirs;
            for (const std::string& line : rules_test::diagram(*g)) theirs += line + '\n';
            ASSERT_EQ(ours, theirs) << "game " << game << " move " << played << " at " << x << "," << y;
        }
    }
}

TEST(SolverBoard, BensonFindsTwoEyesAndNotFalseOnes)
{
    std::vector<uint8_t> alive;
    // Two separate eyes in the corner: alive, and so is nothing of White's.
    sv::Board b = boardFrom({".X.XO.", "XXXXO.", "OOOOO.", "......"});
    b.bensonAlive(sv::kBlack, alive);
    EXPECT_TRUE(alive[sv::Board::at(1, 0)]);
    EXPECT_TRUE(alive[sv::Board::at(0, 1)]);
    b.bensonAlive(sv::kWhite, alive);
    EXPECT_FALSE(alive[sv::Board::at(4, 0)]);

    // One eye of two points is not two eyes.
    b = boardFrom({"..XO.", "XXXO.", "OOOO.", "....."});
    b.bensonAlive(sv::kBlack, alive);
    EXPECT_FALSE(alive[sv::Board::at(2, 0)]);

    // Two chains with one eye each; the point between them touches White.
    b = boardFrom({".X.X.XO", "XXOXXXO", "OO.OOOO", "OOOOOOO"});
    b.bensonAlive(sv::kBlack, alive);
    EXPECT_FALSE(alive[sv::Board::at(1, 0)]);
}

// A stone that captures nothing, joins at most one chain and leaves every
// region as it was must leave Benson's verdict as it was: the search skips
// the test for such moves.  Dense random games, so that eyes form.
TEST(SolverBoard, AStoneThatLeavesTheRegionsAsTheyWereLeavesBensonAsItWas)
{
    std::mt19937_64 rng(seed() + 1);
    int skipped = 0, aliveSeen = 0;
    for (int game = 0; game < 300; ++game) {
        const int cols = 4 + static_cast<int>(rng() % 4), rows = 4 + static_cast<int>(rng() % 4);
        sv::Board b(cols, rows);
        const int outsideFrom = cols - static_cast<int>(rng() % 2);  // sometimes a column outside the region
        for (int y = 0; y < rows; ++y)
            for (int x = outsideFrom; x < cols; ++x) b.setRegion(sv::Board::at(x, y), false);
        b.finishSetup();
        std::vector<uint8_t> before, after;
        for (int attempt = 0; attempt < 400; ++attempt) {
            const int p = sv::Board::at(static_cast<int>(rng() % outsideFrom), static_cast<int>(rng() % rows));
            const uint8_t colour = rng() % 2 ? sv::kBlack : sv::kWhite;
            if (!b.isLegal(p, colour, true)) continue;
            int chain = -1, joined = 0;
            bool captures = false;
            for (int d : sv::Board::kDelta) {
                const uint8_t c = b.cell(p + d);
                captures |= c == sv::opposite(colour) && b.liberties(p + d) == 1;
                if (c == colour && b.chain(p + d) != chain) ++joined, chain = b.chain(p + d);
            }
            b.bensonAlive(colour, before);
            b.play(p, colour);
            if (captures || joined > 1 || !b.leftRegionsAsTheyWere(p)) continue;
            ++skipped;
            b.bensonAlive(colour, after);
            for (int q = 0; q < sv::kPoints; ++q) {
                if (q == p) continue;
                ASSERT_EQ(before[q], after[q]) << "game " << game << " move at " << sv::Board::xOf(p) << ","
                                               << sv::Board::yOf(p);
                aliveSeen += after[q];
            }
            if (chain >= 0) ASSERT_EQ(after[p], before[chain]);
            else
                ASSERT_FALSE(after[p]);
        }
    }
    EXPECT_GT(skipped, 1000);
    EXPECT_GT(aliveSeen, 100);
}

TEST(SolverBoard, FrameStonesAreNeverCapturedAndGiveBackLastLiberties)
{
    // White inside, Black's frame outside the region; the frame closes the
    // region's open side, and filling the frame's liberties takes nothing.
    sv::Board b = boardFrom({"..O*", "XXO*", "***."}, sv::kBlack);
    EXPECT_TRUE(b.isFrame(sv::Board::at(3, 0)));
    EXPECT_TRUE(b.permanentlySafe(sv::Board::at(3, 0)));
    EXPECT_FALSE(b.permanentlySafe(sv::Board::at(2, 0)));
    ASSERT_TRUE(b.isLegal(sv::Board::at(0, 0), sv::kWhite));
    EXPECT_EQ(b.play(sv::Board::at(0, 0), sv::kWhite), 0);
    EXPECT_TRUE(b.checkConsistency());

    // A white stone whose only liberty lies outside: that point joins the
    // region rather than becoming frame.
    b = boardFrom({"XO*", "XX*", "***"}, sv::kBlack);
    EXPECT_FALSE(b.isFrame(sv::Board::at(2, 0)));
    EXPECT_TRUE(b.inRegion(sv::Board::at(2, 0)));
    EXPECT_TRUE(b.isFrame(sv::Board::at(2, 1)));
    EXPECT_EQ(b.liberties(sv::Board::at(1, 0)), 1);
    EXPECT_TRUE(b.checkConsistency());
}

TEST(SolverBoard, ACopyFromAnOlderPositionOfTheSameSetupIsExact)
{
    // The region is five points of row 4, the only liberties of a long white
    // chain along row 5 that runs far out of it; black stones close it in
    // everywhere else.  Capturing it empties points far from the region and
    // gives liberties to the black chain along row 6, which does not reach
    // the region at all.
    sv::Board b(19, 19);
    for (int y = 0; y < 19; ++y)
        for (int x = 0; x < 19; ++x) b.setRegion(sv::Board::at(x, y), x < 5 && y == 4);
    for (int x = 0; x < 14; ++x) {
        if (x < 6) b.setStone(sv::Board::at(x, 3), sv::kBlack);
        if (x >= 5 && x < 13) b.setStone(sv::Board::at(x, 4), sv::kBlack);
        b.setStone(sv::Board::at(x, 5), x < 13 ? sv::kWhite : sv::kBlack);
        b.setStone(sv::Board::at(x, 6), sv::kBlack);
    }
    b.finishSetup();
    const sv::Board setup = b;
    std::mt19937_64 rng(seed());
    std::vector<sv::Board> older(4, b);
    int farCaptures = 0;
    for (int attempt = 0, side = 0; attempt < 2000; ++attempt) {
        const int p = sv::Board::at(static_cast<int>(rng() % 5), 4);
        const uint8_t colour = side ? sv::kWhite : sv::kBlack;
        side ^= 1;
        if (!b.isLegal(p, colour)) continue;
        b.play(p, colour);
        sv::Board& copy = older[rng() % older.size()];
        copy.copyPlayFrom(b);
        ASSERT_TRUE(copy.checkConsistency()) << "attempt " << attempt;
        ASSERT_EQ(copy.hash(), b.hash());
        for (int q = 0; q < sv::kPoints; ++q) ASSERT_EQ(copy.cell(q), b.cell(q)) << "point " << q;
        if (b.cell(sv::Board::at(12, 5)) == sv::kEmpty) {
            ++farCaptures;
            b.copyPlayFrom(setup);  // back to the start, over a later position
        }
    }
    EXPECT_GT(farCaptures, 0);
}

TEST(SolverBoard, AStoneRetakenWhereATargetWasTakenIsNoTargetAndHashesApart)
{
    // White's marked stone on b2 is taken by Black's ko capture on c2; White
    // takes back.  The stones are as they were, but b2 no longer holds a
    // target: a table must not take the one position for the other.
    sv::Board k = boardFrom({".XO..", "Xo.O.", ".XO.."});
    const uint64_t before = k.hash();
    int koAfter = sv::kNoPoint;
    const uint64_t predicted = k.hashAfter(sv::Board::at(2, 1), sv::kBlack, koAfter);
    ASSERT_EQ(k.play(sv::Board::at(2, 1), sv::kBlack), 1);
    EXPECT_EQ(k.hash(), predicted);
    EXPECT_EQ(koAfter, sv::Board::at(1, 1));
    EXPECT_EQ(k.targetsLeft(), 0);
    k.pass();
    ASSERT_EQ(k.play(sv::Board::at(1, 1), sv::kWhite), 1);
    EXPECT_EQ(k.cell(sv::Board::at(1, 1)), sv::kWhite);
    EXPECT_FALSE(k.isTarget(sv::Board::at(1, 1)));
    EXPECT_NE(k.hash(), before);
    EXPECT_TRUE(k.checkConsistency());
}

TEST(SolverBoard, LaddersAreReadToTheEdgeAndNotThroughABreakerOrACounterAtari)
{
    // White's stone in the middle, at two liberties: either atari starts a
    // ladder that runs to the edge.
    const std::vector<std::string> ladder = {
        ".........", ".........", ".........", ".....X...", "...Xo....",
        "....X....", ".........", ".........", ".........",
    };
    EXPECT_TRUE(sv::ladderCaptures(boardFrom(ladder), sv::kBlack, true, false));
    // Not with only two ataris read, and not with White to move.
    EXPECT_FALSE(sv::ladderCaptures(boardFrom(ladder), sv::kBlack, true, false, 2));
    EXPECT_FALSE(sv::ladderCaptures(boardFrom(ladder), sv::kBlack, false, false));

    // White stones on both ways break it.
    std::vector<std::string> broken = ladder;
    broken[1] = ".O.......";
    broken[7] = ".......O.";
    EXPECT_FALSE(sv::ladderCaptures(boardFrom(broken), sv::kBlack, true, false));
    broken[1] = ".........";
    EXPECT_TRUE(sv::ladderCaptures(boardFrom(broken), sv::kBlack, true, false));

    // A black stone next to White's is in atari: White takes it and escapes.
    std::vector<std::string> counter = ladder;
    counter[4] = "..OXo....";
    counter[5] = "...OX....";
    EXPECT_FALSE(sv::ladderCaptures(boardFrom(counter), sv::kBlack, true, false));

    // In atari with White to move: extending gives two liberties, and the
    // ladder after it works.
    std::vector<std::string> atari = ladder;
    atari[3] = "....XX...";
    EXPECT_TRUE(sv::ladderCaptures(boardFrom(atari), sv::kBlack, false, false));

    // Black to move takes a stone in atari, unless the ko forbids it.
    sv::Board ko = boardFrom({"Xo.X", ".X..", "...."});
    EXPECT_TRUE(sv::ladderCaptures(ko, sv::kBlack, true, false));
    ko.setKoPoint(sv::Board::at(2, 0));
    EXPECT_FALSE(sv::ladderCaptures(ko, sv::kBlack, true, false));
    EXPECT_TRUE(sv::ladderCaptures(ko, sv::kBlack, true, true));
}
