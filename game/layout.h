// Board layout: grid size from the screen and the problem, and the mappings
// between points and client pixels.
#pragma once

#include "game/context.h"

void computeVisibleLines(GameContext& g);
void fitBoardToProblem(GameContext& g);
int32 pointCenterX(const GameContext& g, int32 col);
int32 pointCenterY(const GameContext& g, int32 row);
int32 colAtX(const GameContext& g, int32 x);
int32 rowAtY(const GameContext& g, int32 y);
