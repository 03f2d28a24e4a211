// Proving every line of a compiled problem with the solver (check --prove).
// The record is read back into the file's coordinates and colours through
// its source SGF, and each line is judged against best defence:
// - a successful line whose solver move lets the goal slip;
// - a failed line that ends where the goal is still reached;
// - a correct first move that the tree lacks.
#pragma once

#include <string>
#include <vector>

#include "solver/solver.h"
#include "tools/problem.h"
#include "tools/problem_compiler.h"
#include "tools/sgf_reader.h"

struct ProofFault {
    int32_t line = 0;  // in the source SGF; the tree's line for added nodes
    std::string text;
};

struct ProofCheck {
    bool skipped = false;  // the solver cannot read the problem
    std::string skipReason;
    bool rootUnproven = false;
    int32_t lines = 0, provenLines = 0, unprovenLines = 0;
    std::vector<ProofFault> faults;
};

// record: the problem as the catalogue holds it; source: the game tree it
// was compiled from; options: the statement options (--goal) and budget.
ProofCheck proveRecord(const Problem& record, const SgfTree& source, const CompileOptions& options);
