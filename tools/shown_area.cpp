#include "tools/shown_area.h"

#include "game/context.h"
#include "game/layout.h"

ShownArea shownArea(int32_t problemCols, int32_t problemRows)
{
    // The game's own layout, on a context of its own with the handheld's
    // screen whatever screen the tool runs on; one per thread, since a folder
    // compile asks from every core at once.
    thread_local GameContext g;
    g.boardAreaWidth = 240;
    g.boardAreaHeight = 320 - 52;
    g.boardOriginX = g.boardOriginY = 0;
    g.problemCols = problemCols;
    g.problemRows = problemRows;
    fitBoardToProblem(g);
    return ShownArea{g.cellSize, g.visibleCols, g.visibleRows};
}
