#include "control/input.h"

#include <cstdlib>

#include "board/board.h"
#include "game/layout.h"
#include "solving/solve.h"
#include "view/render.h"

namespace {

// Pixels below the board area in which a tap may still reach a partly
// visible row.
constexpr int32 kTapMarginBelow = 26;

// A tap or pen position counts for a point only strictly inside a square of
// half-side stoneRadius - 1 around its centre.
bool nearPoint(const GameContext& g, int32 x, int32 y, int32 col, int32 row)
{
    const int32 tolerance = g.stoneRadius - 1;
    return std::abs(x - pointCenterX(g, col)) < tolerance && std::abs(y - pointCenterY(g, row)) < tolerance;
}

}  // namespace

void handleTap(GameContext& g, int32 x, int32 y)
{
    clearStatusStrip(g);
    if (g.variationPending) {
        // Wherever the tap fell, it only starts the pending variation.
        playNextVariation(g);
        g.variationPending = 0;
        return;
    }
    if (x > g.boardAreaWidth || y > g.boardAreaHeight + kTapMarginBelow) return;
    if (g.solvedFlag) return;
    if (g.sideToMove != 1 && g.freeMode == 0) return;
    const int32 col = colAtX(g, x), row = rowAtY(g, y);
    // Column 0 and row 0 lie too far from any non-negative pixel to pass.
    if (!nearPoint(g, x, y, col, row)) return;
    playUserMove(g, col, row);
}

void updateCursor(GameContext& g, int32 x, int32 y)
{
    const int32 col = colAtX(g, x), row = rowAtY(g, y);
    const bool playable =
        isOnBoard(g, col, row) && nearPoint(g, x, y, col, row) && (g.sideToMove == 1 || g.freeMode != 0);
    SetCursor(LoadCursorW(nullptr, playable ? IDC_HAND : IDC_ARROW));
    ShowCursor(TRUE);
}
