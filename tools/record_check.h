// Checks one catalogue record the way the trainer will read it: the encoding,
// the tree's depths and points, the setup inside the shown area, every line
// replayed with the game's rules, and at least one line that ends solved.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tools/problem.h"

struct RecordCheck {
    Problem problem;  // as decoded
    int32_t successLines = 0;
    std::vector<std::string> faults;  // empty when the record is sound
    int32_t refusedNode = -1;         // index in problem.nodes of the first move the rules refuse
    std::string refusal;              // why, as " is on an occupied point"
};

// True when the record has no fault.
bool checkRecord(std::string_view record, RecordCheck& result);
