// Turns one SGF game tree into a problem record: setup position, solution tree
// with the lines judged by their markers, colours swapped so that Black plays,
// the board turned so that the problem lies in the top-left corner and sized to
// what it uses, and the limits of the format enforced.
#pragma once

#include <string>
#include <vector>

#include "tools/problem.h"
#include "tools/sgf_reader.h"

struct CompileOptions {
    // In a tree without any marker, the main line is the solution.
    bool mainLineCorrect = false;
    // Failed lines may be cut or dropped to fit the limits.
    bool prune = false;
};

struct CompileMessage {
    int32_t line = 0;  // line in the SGF file, 0 when none applies
    std::string text;
};

struct CompiledProblem {
    Problem problem;
    std::string record;
    std::vector<CompileMessage> warnings;
    // The SGF nodes whose words belong to each tree entry of the record:
    // entryNodes[0] the nodes of the starting position, entryNodes[k] the
    // move of the record's k-th node and the moveless nodes after it.
    std::vector<std::vector<int32_t>> entryNodes;
    // White solves in the file: the record has the colours swapped.
    bool coloursSwapped = false;
};

// Compiles one game tree.  On failure the result is false and error tells why
// (and where) the tree cannot be a problem.
bool compileTree(const SgfTree& tree, const CompileOptions& options, CompiledProblem& out,
                 CompileMessage& error);
