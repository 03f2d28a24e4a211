// The statement of a problem read from its SGF game tree: the position, the
// side to play, the goal and the stones it is about, and the area of play
// handed to the solver.  Everything is in the file's own coordinates and
// colours.
//
// - The goal comes from the words of the root comment (English, Chinese in
//   UTF-8 or GBK, Japanese in UTF-8), or from the command line; otherwise it
//   is inferred: your own enclosed group must live, else the opponent's
//   enclosed group must die.
// - Target stones are the stones marked with TR, SQ, MA or CR in the setup;
//   otherwise the enclosed group the goal is about.  A capturing race whose
//   only shut-in group is our own is won by taking the opponent's chain in
//   contact with our weakest chain that has fewest liberties, ours kept;
//   its area is that of a race between open groups.
// - The area of play is the box around every stone, one line wider on each
//   side and reaching the board's edge when it comes within three lines of it;
//   the area of play is the enclosed groups' part of it (see readStatement),
//   or the whole box when the goal's group is not closed in.  To kill, the
//   area keeps the empty points at most three steps from the stones (the room
//   the defender could make eyes in); the points cut off are framed only
//   where they reach out to the wall, never inside the defender's room.
//   Where the author's main line plays outside the area, its points join it.
//   To kill, so do the defender's chains that touch the area from outside,
//   with their liberties; to live, the owner's stones outside stay its own
//   safe strength, and the empty points between them and the area join it
//   (no frame stone of the attacker's stands beside them).
//   Positions whose area is too open for the solver (a whole-board fight, no
//   enclosed group) are marked as not expressible, with the reason.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "solver/solver.h"
#include "tools/sgf_reader.h"

// Beyond this many empty points the area is an open fight, not a problem the
// solver can read exhaustively.
constexpr int32_t kMaxRegionEmpty = 60;

struct ProblemStatement {
    int32_t width = 19, height = 19;
    std::vector<int8_t> stones;  // width*height, index y*width+x: +1 Black, -1 White
    int32_t toPlay = 1;          // +1 Black, -1 White: the side that solves
    int32_t koBanIndex = -1;     // never set from a file; kept for callers

    vostra::solver::Goal goal;
    bool goalRead = false;       // from the comment or the command line, not inferred
    bool targetsMarked = false;  // the targets come from marks
    bool koExpected = false;     // the words ask for a ko ("get a ko")
    bool openArea = false;       // no enclosed group: the box around the stones is the area
    std::string goalWords;       // what the goal was read from, for messages

    std::vector<uint8_t> region;  // width*height, 1 inside the area of play
    int32_t regionEmpty = 0;      // empty points in the area

    bool expressible = true;
    std::string whyNot;  // when not expressible
    int32_t line = 0;    // where the statement comes from (the root node's line)

    // The solver's problem for the side to play.
    vostra::solver::Problem solverProblem() const;
};

// What the command line may force.
struct StatementOptions {
    std::optional<vostra::solver::GoalKind> goal;  // --goal
    bool goalKo = false;                           // --goal ko: a ko is the aim
    bool cleanLife = false;                        // --goal live-clean
};

// Parses a --goal value: live, live-clean, kill, capture, escape, connect,
// cut, race, ko.  False for anything else.
bool parseGoalOption(std::string_view text, StatementOptions& options);

// The goal named by the words of a comment, if any; sets koExpected and
// sekiCounts as the words say.  Exposed for tests.
struct GoalWords {
    std::optional<vostra::solver::GoalKind> kind;
    bool ko = false;
    bool cleanLife = false;
    bool seki = false;
    std::string matched;
};
GoalWords goalFromWords(std::string_view comment, bool gbk);

// Reads the statement of a game tree: the setup (the root and the move-less
// nodes after it), PL or the first move's colour, the root comment and the
// marks.  False with a reason and line only when the tree has no position at
// all; a position the solver cannot read is returned with expressible false.
bool readStatement(const SgfTree& tree, const StatementOptions& options, ProblemStatement& out, std::string& error,
                   int32_t& errorLine);

// Names for messages and JSON: "live", "kill", ...
const char* goalKindName(vostra::solver::GoalKind kind);
std::string sgfPoint(int32_t x, int32_t y);  // 0-based; "" off the board
// A two-letter SGF point of a w x h board, 0-based; false when it is not one
// or lies off the board.
bool parseSgfPoint(std::string_view v, int32_t w, int32_t h, int32_t& x, int32_t& y);
