// The solving state machine: the user's moves matched against the tree,
// White's replies, leaf judging and the tour of White's defences.
#pragma once

#include "game/context.h"

int32 findMatchingChild(const GameContext& g, int32 col, int32 row);
void playUserMove(GameContext& g, int32 col, int32 row);
void playWhiteReply(GameContext& g, int32 delayMs);
void judgeLeaf(GameContext& g, int32 leaf);
void playNextVariation(GameContext& g);
