// Move execution: legality (occupied, suicide, simple ko), captures, the move
// history and the immediate redraw of what changed.
#pragma once

#include "game/context.h"

// Longest history the game keeps; a move beyond it is refused.
constexpr int32 kMaxMoves = 511;

bool playMove(GameContext& g, int32 col, int32 row, bool redraw);
// Characters in moveHistory: two per move played.
int32 historyLength(const GameContext& g);
