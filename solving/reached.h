// What the host around the device screen may know of the game in progress:
// which node of the problem's tree the board has reached.  Read-only; the
// host uses it to show the words of the nodes already played and nothing of
// the ones ahead.
#pragma once

#include "game/context.h"

// The tree entry the board stands at (0 the starting position), or -1 when
// no problem is loaded, stones are being placed freely, or the last move left
// the tree.
int32 reachedTreeNode(const GameContext& g);

// True when node a is node d or lies on the way from the root to it.
bool isTreeAncestor(const GameContext& g, int32 a, int32 d);
