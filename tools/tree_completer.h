// Completing a problem's solution tree with the solver's proven answers.
//
// At every position of the tree where the solver is to play and the goal can
// still be reached, every legal move in the area of play becomes a child: a
// correct move goes on, a wrong one gets the opponent's proven refutation and
// the line ends failed after it.  Below a correct move the author's replies
// stay; where the author gave none, the opponent's strongest defence (the one
// that resists longest) is added with its proven answer, and then, as the
// entry limit allows, further defences that need a different answer.  Lines
// end as soon as the result is certain (the solver's proof has nothing left
// to play, or the ko is reached).  The author's nodes are never removed, and
// stay first among their siblings.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "solver/solver.h"
#include "tools/problem_statement.h"
#include "tools/tree_draft.h"

struct CompletionMessage {
    int32_t line = 0;
    std::string text;
};

struct CompletionOptions {
    vostra::solver::Budget budget;  // for each query
    int32_t maxEntries = 499;       // nodes of the tree, the starting position included
    int32_t maxDepth = 77;
    // The author's leaves carry no markers: whether they end solved is the
    // solver's to say.
    bool judgeLeaves = false;
    // Passes may be added (a pass the tree did not hold may change the
    // trainer's screen, see the compiler).
    bool allowPass = true;
    // The whole completion's time; 0: no limit.  What is left then stays as
    // it is, and is reported.
    double maxTotalMs = 0;
};

struct CompletionReport {
    bool completed = false;  // false: the tree was left as written (see messages)
    int32_t addedCorrect = 0, addedWrong = 0, addedDefences = 0;
    int32_t positionsLeftOut = 0;   // positions not completed for the entry limit
    int32_t movesLeftOut = 0;       // moves not added there
    int32_t unprovenPositions = 0;  // queries that ran out of budget
    std::vector<CompletionMessage> messages;
};

// nodes and success (the per-node flag "a leaf that ends solved") are
// extended in place; node 0 is the starting position.  statement.toPlay is
// the colour that plays at odd depths.
CompletionReport completeTree(const ProblemStatement& statement, std::vector<DraftNode>& nodes,
                              std::vector<bool>& success, const CompletionOptions& options);
