// `dump`: the visible board and the solving state of the game in progress.
#include "app/game_dump.h"

#include "board/board.h"
#include "game/context.h"

std::string dumpGame()
{
    const GameContext& g = theGame();
    const int cols = g.visibleCols < 0 ? 0 : (g.visibleCols > 19 ? 19 : g.visibleCols);
    const int rows = g.visibleRows < 0 ? 0 : (g.visibleRows > 19 ? 19 : g.visibleRows);
    std::string out = "board " + std::to_string(cols) + " " + std::to_string(rows) + "\n";
    for (int row = 1; row <= rows; ++row) {
        for (int col = 1; col <= cols; ++col) {
            const int colour = stoneColour(g.stoneGrid[col][row]);
            out += colour > 0 ? 'X' : colour < 0 ? 'O' : '.';
        }
        out += '\n';
    }
    auto flag = [](int v) { return v ? "1" : "0"; };
    std::string history;
    for (size_t i = 0; i < sizeof g.moveHistory && g.moveHistory[i]; ++i) history += g.moveHistory[i];
    out += "state problem=" + std::to_string(g.currentProblem) + " node=" + std::to_string(g.currentNode) +
           " depth=" + std::to_string(g.currentDepth) + " move=" + std::to_string(g.moveNumber) +
           " side=" + (g.sideToMove == 1 ? "B" : "W") + " solved=" + flag(g.solvedFlag) +
           " failed=" + flag(g.failedFlag) + " pending=" + flag(g.variationPending) + " offtree=" + flag(g.offTree) +
           " free=" + flag(g.freeMode) + " history=" + history + "\n";
    return out;
}
