// The part of the board the trainer shows for a record's size on the
// handheld's 240x320 screen (a 240x268 board area).
#pragma once

#include <cstdint>

struct ShownArea {
    int32_t cellSize;
    int32_t cols, rows;  // visible lines, counted from the top-left corner
};

ShownArea shownArea(int32_t problemCols, int32_t problemRows);
