// Small helpers on the 8-bit texts of the game (records, SetupText, NodeText,
// moveHistory).
#pragma once

#include <cstdint>

// Position of the first occurrence of c in the NUL-terminated string s, or -1
// when it does not occur.
int32_t charIndex(const char* s, char c);
