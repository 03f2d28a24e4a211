#include "solving/reached.h"

#include "problems/tree.h"

int32 reachedTreeNode(const GameContext& g)
{
    if (!g.problemLoaded || g.freeMode || g.offTree) return -1;
    if (g.currentNode < 0 || g.currentNode >= g.nodeCount) return -1;
    return g.currentNode;
}

bool isTreeAncestor(const GameContext& g, int32 a, int32 d)
{
    if (a < 0 || d < 0) return false;
    // The parents' depths fall by one each step, so this ends within the
    // tree's depth.
    for (int32 n = d; n >= 0; n = parentNode(g, n))
        if (n == a) return true;
    return false;
}
