// The board model: stones, chain labels, point tests, the pass substitute
// point and the board reset with the problem's setup stones.
#pragma once

#include "game/context.h"

bool isOnBoard(const GameContext& g, int32 col, int32 row);
bool isPass(int32 col, int32 row);
// Replaces the pass point by the first empty point of the 3x3 block at the
// bottom-right corner of the visible area; leaves it when all nine are taken.
void findPassSubstitute(const GameContext& g, int32& col, int32& row);
int32 stoneColour(int32 value);
void setBorderRing(GameContext& g, int32 value);
void relabelChain(GameContext& g, int32 oldLabel, int32 newLabel);
void assignChainLabel(GameContext& g, int32 colour, int32 col, int32 row);
void placeSetupStones(GameContext& g);
void resetBoard(GameContext& g, bool repaint);
