// Takeback by silent replay of the move history, the tree position following
// it, and the Back command.
#pragma once

#include "game/context.h"

void replayMoves(GameContext& g, int32 count);
void takeBackMove(GameContext& g);
void stepTreeBack(GameContext& g);
void goBack(GameContext& g);
