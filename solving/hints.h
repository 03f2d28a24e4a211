// Hints: the correct answers of the present position, marked for half a second.
#pragma once

#include "game/context.h"

// Fills hintList (at least 256 bytes) with PointCode pairs for currentNode;
// returns the number of characters written (even, 0..200).
int32 collectHints(const GameContext& g, char* hintList);
void showHint(GameContext& g);
