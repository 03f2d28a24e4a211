// Turns one SGF game tree into a problem record: setup position, solution tree
// with the lines judged by their markers, colours swapped so that Black plays,
// the board turned so that the problem lies in the top-left corner and sized to
// what it uses, and the limits of the format enforced.
#pragma once

#include <string>
#include <vector>

#include "solver/solver.h"
#include "tools/problem.h"
#include "tools/problem_statement.h"
#include "tools/sgf_reader.h"

struct CompileOptions {
    // In a tree without any marker, the main line is the solution.
    bool mainLineCorrect = false;
    // Failed lines may be cut or dropped to fit the limits.
    bool prune = false;
    // Complete the tree with the solver's proven answers (see
    // tools/tree_completer.h); problems it cannot read stay as written.
    bool complete = false;
    StatementOptions statement;     // the goal forced by --goal
    vostra::solver::Budget budget;  // per solver query
    bool writeSgf = false;          // keep the completed tree as SGF text
};

struct CompileMessage {
    int32_t line = 0;  // line in the SGF file, 0 when none applies
    std::string text;
};

struct CompiledProblem {
    Problem problem;
    std::string record;
    std::vector<CompileMessage> warnings;

    // With CompileOptions::complete: the statement the solver read (file
    // coordinates) and what the completion added.
    ProblemStatement statement;
    bool completed = false;

    // How the record relates to the file: the board, the colour that plays
    // Black in the record, the symmetry that turned the file's points into
    // the record's (bit 1 mirrors the columns, 2 the rows, 4 swaps columns and
    // rows after the mirrors) and the file line of each record node (0 for a
    // node the completer added).
    int32_t boardWidth = 19, boardHeight = 19;
    int32_t solverColour = 1;
    int32_t symmetry = 0;
    std::vector<int32_t> nodeLines;
    int32_t addedCorrect = 0, addedWrong = 0, addedDefences = 0, leftOut = 0;
    std::string sgf;  // with writeSgf: the completed tree
    // The SGF nodes whose words belong to each tree entry of the record:
    // entryNodes[0] the nodes of the starting position, entryNodes[k] the
    // move of the record's k-th node and the moveless nodes after it.
    std::vector<std::vector<int32_t>> entryNodes;
    // White solves in the file: the record has the colours swapped.
    bool coloursSwapped = false;
};

// Compiles one game tree.  On failure the result is false and error tells why
// (and where) the tree cannot be a problem.
bool compileTree(const SgfTree& tree, const CompileOptions& options, CompiledProblem& out, CompileMessage& error);
