// Fuzzes the record decoder, the tree index and the rules: an arbitrary record
// is unpacked, decoded and started on a board of arbitrary geometry, then an
// arbitrary series of moves (anywhere, on or off the board), tree moves,
// takebacks, replays and restarts is played on it.  Beyond the sanitizers it
// checks the board invariants after every step.
//
// Input: the record text up to the first '\n' (or all of it), then the
// actions, three bytes each.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "board/board.h"
#include "game/context.h"
#include "platform/frontend.h"
#include "problems/record.h"
#include "problems/tree.h"
#include "rules/move.h"
#include "rules/takeback.h"
#include "tests/board_check.h"

namespace {

void require(bool ok)
{
    if (!ok) std::abort();
}

void checkInvariants(const GameContext& g) { require(boardFault(g, false).empty()); }

int32 coordinate(uint8_t b) { return static_cast<int32>(b % 32) - 3; }  // -3..28

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    platformStart(240, 320, nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static GameContext* fresh = new GameContext;
    static GameContext* g = new GameContext;
    static char scratch[8192];
    *g = *fresh;

    const uint8_t* newline = static_cast<const uint8_t*>(std::memchr(data, '\n', size));
    size_t recordLength = newline ? static_cast<size_t>(newline - data) : size;
    const uint8_t* actions = newline ? newline + 1 : data + size;
    const size_t actionBytes = static_cast<size_t>(data + size - actions);
    if (recordLength > sizeof scratch - 1) recordLength = sizeof scratch - 1;
    std::memcpy(scratch, data, recordLength);
    scratch[recordLength] = '\0';

    const int32 byteCount = unpackRecord(scratch);
    require(byteCount >= 0 && byteCount <= static_cast<int32>(recordLength));
    // An exact copy, so that reading past the record's bytes is caught.
    std::unique_ptr<uint8_t[]> bytes(new uint8_t[byteCount > 0 ? byteCount : 1]);
    std::memcpy(bytes.get(), scratch, byteCount);
    decodeRecord(*g, bytes.get(), byteCount);
    require(g->problemCols >= 3 && g->problemCols <= 19 && g->problemRows >= 3 && g->problemRows <= 19);
    require(std::memchr(g->SetupText, '\0', sizeof g->SetupText) != nullptr);

    // The first action chooses the screen, from tiny to larger than needed.
    if (actionBytes >= 3) {
        g->boardAreaWidth = 8 + actions[1] * 3;
        g->boardAreaHeight = g->statusBottom = 8 + actions[2] * 3;
    }
    startProblem(*g);
    checkInvariants(*g);

    for (size_t i = 3; i + 3 <= actionBytes; i += 3) {
        const uint8_t op = actions[i], a = actions[i + 1], b = actions[i + 2];
        switch (op % 8) {
        case 0:
        case 1:
        case 2:
            playMove(*g, coordinate(a), coordinate(b), false);
            break;
        case 3: {
            // A move from the tree, as the solving layer plays it: the child
            // chosen by a, a pass taken to its substitute point.
            const int32 children = childCount(*g, g->currentNode);
            if (children == 0) break;
            int32 want = a % children, node = g->currentNode + 1;
            for (int32 k = 0; node < g->nodeCount; ++node)
                if (g->nodeDepth[node] == g->currentDepth + 1 && k++ == want) break;
            if (node >= g->nodeCount) break;
            int32 col = nodeCol(*g, node), row = nodeRow(*g, node);
            if (isPass(col, row)) findPassSubstitute(*g, col, row);
            if (playMove(*g, col, row, false)) {
                g->currentNode = node;
                g->currentDepth = g->nodeDepth[node];
            }
            break;
        }
        case 4:
            takeBackMove(*g);
            stepTreeBack(*g);
            break;
        case 5:
            replayMoves(*g, static_cast<int32>(a) * 2 + (b & 1) - 1);
            break;
        case 6:
            if (a % 8 == 0)
                startProblem(*g);
            else
                for (int k = 0; k < b % 64; ++k) playMove(*g, 20, 20, false);
            break;
        case 7:
            g->freeMode = a & 1;
            parentNode(*g, static_cast<int32>(a) * 2 - 3);
            hasChildren(*g, static_cast<int32>(b) * 2);
            break;
        }
        checkInvariants(*g);
        require(g->currentNode >= 0 && g->currentNode < 500);
    }
    return 0;
}
