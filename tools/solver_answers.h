// Reading the solver's answers the way the compiler's commands need them.
#pragma once

#include <string>
#include <vector>

#include "solver/solver.h"

// The moves of the side to play whose outcome equals the answer's result;
// empty when the result fails or is unproven.
std::vector<vostra::solver::Point> correctMoves(const vostra::solver::Answer& answer);

// Nodes of a proof tree, root included.
size_t proofSize(const vostra::solver::ProofNode& node);

// The budget from the command line's --budget MS (time per query) and
// --memory MB; false with a message for values that are not numbers.
bool parseBudgetValue(const char* text, int& out);
