// The problem tree index (NodeTable) built from NodeText, the problem start,
// and the tree queries used by solving, hints and takeback.
#pragma once

#include "game/context.h"

// Builds the node table and puts the decoded problem on the board at its
// starting position; posts the problem-started notification.
void startProblem(GameContext& g);

int32 parentNode(const GameContext& g, int32 n);
int32 childCount(const GameContext& g, int32 n);
bool hasChildren(const GameContext& g, int32 n);
bool isLeaf(const GameContext& g, int32 n);
bool isBlackDepth(int32 depth);

// The move of node n: column, row and result flag character of its entry.
int32 nodeCol(const GameContext& g, int32 n);
int32 nodeRow(const GameContext& g, int32 n);
char nodeFlag(const GameContext& g, int32 n);
