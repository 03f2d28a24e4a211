// The invariants of the board and move state, checked by the soak test and
// the record fuzzer after every event: stones only in the visible area,
// labels that tell the chains apart, and a history in step with the move
// count.
#pragma once

#include <cstring>
#include <string>

#include "board/board.h"
#include "game/context.h"
#include "rules/move.h"

// What is wrong with the board and move state, or "" when nothing is.  With
// `liberties`, every chain must also have a liberty (setup stones from a
// damaged record need not).
inline std::string boardFault(const GameContext& g, bool liberties)
{
    const size_t length = strnlen(g.moveHistory, sizeof g.moveHistory);
    if (length % 2 != 0 || length > 2 * kMaxMoves || g.moveNumber - 1 != static_cast<int32>(length / 2))
        return "moveNumber " + std::to_string(g.moveNumber) + " with history " + g.moveHistory;
    if (g.sideToMove != (g.moveNumber % 2 ? 1 : -1)) return "side to move does not follow the history";
    if (g.visibleCols < 1 || g.visibleCols > 19 || g.visibleRows < 1 || g.visibleRows > 19) return "visible area";
    for (int32 c = 0; c <= 20; ++c)
        for (int32 r = 0; r <= 20; ++r) {
            const int32 v = g.stoneGrid[c][r];
            const std::string at = " at " + std::to_string(c) + "," + std::to_string(r);
            if (v != 0 && (!isOnBoard(g, c, r) || (v != 1 && v != -1))) return "stone outside the visible area" + at;
            if (isOnBoard(g, c, r) && (v == 0) != (g.chainGrid[c][r] == 0)) return "label and stone disagree" + at;
        }

    // Flood-fill each chain and see that it carries one label of its own.
    bool seen[21][21] = {}, labelUsed[362] = {};
    for (int32 c = 1; c <= g.visibleCols; ++c)
        for (int32 r = 1; r <= g.visibleRows; ++r) {
            if (g.stoneGrid[c][r] == 0 || seen[c][r]) continue;
            const int32 colour = g.stoneGrid[c][r], label = g.chainGrid[c][r];
            const std::string at = " at " + std::to_string(c) + "," + std::to_string(r);
            if (label < 1 || label > g.visibleCols * g.visibleRows || labelUsed[label])
                return "chain" + at + " has label " + std::to_string(label);
            labelUsed[label] = true;
            int32 stackC[361], stackR[361], top = 0;
            stackC[top] = c, stackR[top++] = r;
            seen[c][r] = true;
            bool liberty = false;
            while (top) {
                --top;
                const int32 pc = stackC[top], pr = stackR[top];
                if (g.chainGrid[pc][pr] != label) return "one chain, two labels" + at;
                const int32 dc[4] = {0, 0, -1, 1}, dr[4] = {-1, 1, 0, 0};
                for (int k = 0; k < 4; ++k) {
                    const int32 qc = pc + dc[k], qr = pr + dr[k];
                    if (qc >= 1 && qr >= 1 && qc <= 19 && qr <= 19 && g.stoneGrid[qc][qr] == 0) liberty = true;
                    if (!isOnBoard(g, qc, qr) || g.stoneGrid[qc][qr] != colour || seen[qc][qr]) continue;
                    seen[qc][qr] = true;
                    stackC[top] = qc, stackR[top++] = qr;
                }
            }
            if (liberties && !liberty) return "chain without a liberty" + at;
        }
    return "";
}
