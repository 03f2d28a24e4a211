// Reading a record back through the game's own decoder: the decoded texts of a
// GameContext turned into a Problem, so that records can be compared with the
// problems they were made from.
#pragma once

#include <string>
#include <string_view>

#include "game/context.h"
#include "tools/problem.h"

// Copies the record into a scratch buffer, unpacks and decodes it into g and
// reads the result into problem.  Refuses a record longer than 8191 characters
// or with characters outside '0'..'o'.
bool decodeRecordText(std::string_view record, GameContext& g, Problem& problem, std::string& reason);

// Reads problemCols, problemRows, SetupText and NodeText of g.
void problemFromDecoded(const GameContext& g, Problem& problem);
