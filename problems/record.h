// The problem record: its 64-character text form, unpacked in place into bytes
// and decoded into the board size, SetupText and NodeText of the game.
#pragma once

#include "game/context.h"

// Replaces the beginning of the NUL-terminated record by the bytes its
// characters stand for, writes a NUL after them and returns their number.
int32 unpackRecord(char* record);

// Decodes byteCount unpacked bytes into problemCols, problemRows, SetupText and
// NodeText.  Bits beyond byteCount read as zero and nothing is written beyond
// the texts' buffers, whatever counts the header claims.
void decodeRecord(GameContext& g, const uint8_t* bytes, int32 byteCount);
