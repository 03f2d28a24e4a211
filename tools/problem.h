// A problem as the record format holds it: board size, setup stones and the
// solution tree in depth-first order, with Black always to play.
#pragma once

#include <cstdint>
#include <vector>

#include "game/format.h"

// Points are record point indices (game/format.h), kPassPoint for a pass.

// What the format and the trainer can hold.
constexpr int32_t kMaxColourStones = 255;   // 8-bit counts per colour
constexpr int32_t kMaxSetupStones = 382;    // SetupText holds 768 bytes
constexpr int32_t kMaxEntries = 511;        // 9-bit entry count, root included
constexpr int32_t kMaxUsedEntries = 499;    // entries the tree index reads
constexpr int32_t kMaxDepth = 77;           // deeper entries do not read back
constexpr int32_t kMaxRecordLength = 8191;  // the scratch buffer holds 8192 bytes

struct ProblemNode {
    int32_t depth;  // 1 for Black's first move; odd Black, even White
    int32_t point;  // point index, kPassPoint for a pass
    bool success;   // the flag: at a leaf, the line ends solved

    bool operator==(const ProblemNode&) const = default;
};

struct Problem {
    int32_t cols = 19, rows = 19;
    std::vector<int32_t> black, white;  // point indices of the setup stones
    std::vector<ProblemNode> nodes;     // below the root, depth-first

    bool operator==(const Problem&) const = default;
};
