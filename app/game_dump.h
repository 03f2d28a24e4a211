// The headless runner's `dump`: the visible board and the solving state of
// the game in progress.
#pragma once

#include <string>

// "board COLS ROWS", a line of X (Black), O (White) and . per row, then
// "state problem=N node=N depth=N move=N side=B|W solved= failed= pending=
// offtree= free= history=...".
std::string dumpGame();
