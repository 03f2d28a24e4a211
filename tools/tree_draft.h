// The solution tree as the compiler builds it, before it is turned into a
// record: file coordinates (1-based), depths alternating the solver (odd) and
// the opponent (even), node 0 the starting position.
#pragma once

#include <cstdint>
#include <vector>

struct DraftNode {
    int32_t parent = -1;
    int32_t depth = 0;
    int32_t col = 0, row = 0;  // 0 for a pass
    bool pass = false;
    bool inserted = false;  // a pass put in between two moves of one colour
    bool added = false;     // put in by the tree completer
    uint32_t markers = 0;
    int32_t line = 0;
    int32_t move = -1;  // the file's move it comes from, -1 when none
    std::vector<int32_t> children;
    int32_t passChild = -1;  // the inserted pass below this node, if any
};
