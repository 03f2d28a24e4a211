#include "solving/solve.h"

#include "board/board.h"
#include "game/notify.h"
#include "game/sound.h"
#include "problems/tree.h"
#include "rules/move.h"
#include "rules/takeback.h"
#include "view/render.h"

namespace {

constexpr int32 kWhiteReplyPauseMs = 200;

void post(GameContext& g, UINT message) { PostMessageW(g.mainWindow, message, 0, 0); }

// The children of node n in node order: the nodes after n one level deeper,
// up to the first later node that is not deeper than n.
template <typename Visit>
void forEachChild(const GameContext& g, int32 n, Visit visit)
{
    const int32 depth = g.nodeDepth[n];
    for (int32 j = n + 1; j < g.nodeCount && g.nodeDepth[j] > depth; ++j)
        if (g.nodeDepth[j] == depth + 1 && !visit(j)) return;
}

// Where the move of node n goes on the present board: a pass in the tree
// stands for a stone on the pass substitute point.
void nodeBoardPoint(const GameContext& g, int32 n, int32& col, int32& row)
{
    col = nodeCol(g, n);
    row = nodeRow(g, n);
    if (isPass(col, row)) findPassSubstitute(g, col, row);
}

void redrawHighlightAtLastMove(GameContext& g)
{
    g.highlightCol = g.lastMoveCol;
    g.highlightRow = g.lastMoveRow;
    HDC dc = GetDC(g.mainWindow);
    drawHighlightBox(g, dc);
    ReleaseDC(g.mainWindow, dc);
}

void reportFailure(GameContext& g)
{
    g.failedFlag = 1;
    showStatusText(g, g.failureText);
    post(g, kNotifyFailed);
}

}  // namespace

int32 findMatchingChild(const GameContext& g, int32 col, int32 row)
{
    int32 found = 0;
    forEachChild(g, g.currentNode, [&](int32 child) {
        int32 c = nodeCol(g, child), r = nodeRow(g, child);
        bool match = c == col && r == row;
        if (!match && isPass(c, r)) {
            findPassSubstitute(g, c, r);
            match = c == col && r == row;
        }
        if (match) found = child;
        return !match;
    });
    return found;
}

void playUserMove(GameContext& g, int32 col, int32 row)
{
    // Matched on the board as it is before the stone goes down, so that a
    // pass in the tree is compared with the present pass substitute point.
    const int32 match = findMatchingChild(g, col, row);
    if (!playMove(g, col, row, true)) return;
    moveHighlightBox(g, col, row);
    post(g, kNotifyMovePlayed);
    playSound(g, kSoundMove);
    if (g.freeMode) return;

    if (match == 0) {
        g.offTree = 1;
        g.solvedFlag = 0;
        reportFailure(g);
        return;
    }
    g.currentNode = match;
    g.currentDepth = g.nodeDepth[match];
    if (hasChildren(g, match)) playWhiteReply(g, kWhiteReplyPauseMs);
    // Black to move and the line goes on (or White's reply was refused).
    if (hasChildren(g, g.currentNode)) return;
    judgeLeaf(g, g.currentNode);
}

void judgeLeaf(GameContext& g, int32 leaf)
{
    if (nodeFlag(g, leaf) != '1') {
        reportFailure(g);
        return;
    }
    g.visitedFlags[leaf] = 1;
    // Walk towards the root; the nearest Black node with a White defence not
    // yet played out is where the next variation branches.
    for (int32 n = parentNode(g, leaf); n >= 0; n = parentNode(g, n)) {
        const int32 depth = g.nodeDepth[n];
        if (isBlackDepth(depth) && childCount(g, n) >= 2) {
            int32 unplayed = 0;
            forEachChild(g, n, [&](int32 child) {
                if (g.visitedFlags[child]) return true;
                unplayed = child;
                return false;
            });
            if (unplayed > 0) {
                g.variationAncestor = n;
                g.variationChild = unplayed;
                g.variationPending = 1;
                showStatusText(g, g.goodText);
                post(g, kNotifyVariation);
                playSound(g, kSoundVariation);
                return;
            }
            // Every defence here has been refuted: start this group afresh for
            // the next cycle.
            forEachChild(g, n, [&](int32 child) {
                g.visitedFlags[child] = 0;
                return true;
            });
        } else {
            g.visitedFlags[n] = 1;
        }
        if (depth == 0) break;
    }
    g.solvedFlag = 1;
    showStatusText(g, g.successText);
    post(g, kNotifySolved);
    playSound(g, kSoundSolved);
}

void playWhiteReply(GameContext& g, int32 delayMs)
{
    int32 first = 0, chosen = 0;
    forEachChild(g, g.currentNode, [&](int32 child) {
        if (first == 0) first = child;
        if (!g.visitedFlags[child]) {
            chosen = child;
            return false;
        }
        return true;
    });
    if (first == 0) return;
    if (chosen == 0) {
        // Every reply has been played out: clear them and begin again.
        forEachChild(g, g.currentNode, [&](int32 child) {
            g.visitedFlags[child] = 0;
            return true;
        });
        chosen = first;
    }

    // The user's stone is already drawn; the pause lets it be seen before
    // White answers.
    if (delayMs > 0) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        ShowCursor(TRUE);
        Sleep(delayMs);
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
        ShowCursor(TRUE);
    }

    int32 col, row;
    nodeBoardPoint(g, chosen, col, row);
    if (playMove(g, col, row, true)) {
        g.currentNode = chosen;
        g.currentDepth += 1;
    }
}

void playNextVariation(GameContext& g)
{
    post(g, kNotifyProblemStarted);
    clearStatusStrip(g);
    eraseHighlightBox(g);

    const int32 ancestorDepth = g.nodeDepth[g.variationAncestor];
    while (g.currentDepth > ancestorDepth && g.currentNode != g.variationAncestor) {
        // A history that has fallen out of step with the tree (a replayed move
        // refused) can leave nothing to take back; stop rather than spin.
        const int32 moveBefore = g.moveNumber, nodeBefore = g.currentNode;
        takeBackMove(g);
        stepTreeBack(g);
        if (g.moveNumber == moveBefore && g.currentNode == nodeBefore) break;
    }

    if (g.variationChild > 0) {
        int32 col, row;
        nodeBoardPoint(g, g.variationChild, col, row);
        if (playMove(g, col, row, true)) {
            g.currentNode = g.variationChild;
            g.currentDepth += 1;
        }
    }
    redrawHighlightAtLastMove(g);
}
