// The point and record formats shared by the game and the problem compiler.
//
// PointCode: one character per coordinate value, the value + 64 ('A' = 1 ...
// 'S' = 19, 'T' = 20); back again the character, taken as a signed 8-bit
// value, - 64.  A point is two of them, column first: in SetupText, NodeText,
// moveHistory and the hint list.
//
// A record stores a point as its index (col - 1) * 20 + (row - 1) in 9 bits;
// the pass point (20, 20) is index 399 and "TT" in the texts.
#pragma once

#include <cstdint>

constexpr int32_t kPointCodeBase = 64;

constexpr char pointCode(int32_t value) { return static_cast<char>(value + kPointCodeBase); }
constexpr int32_t pointCodeValue(char code) { return static_cast<signed char>(code) - kPointCodeBase; }

// The pass point: column and row both 20, one beyond the largest board.
constexpr int32_t kPassLine = 20;

constexpr int32_t pointIndexOf(int32_t col, int32_t row) { return (col - 1) * 20 + (row - 1); }
constexpr int32_t pointCol(int32_t index) { return index / 20 + 1; }
constexpr int32_t pointRow(int32_t index) { return index % 20 + 1; }
constexpr int32_t kPassPoint = pointIndexOf(kPassLine, kPassLine);
static_assert(kPassPoint == 399);
