// The record encoder: the exact inverse of the game's record decoder.  A
// problem becomes two header words, one bit sequence, and the characters '0'
// to 'o' that carry the bytes six bits at a time.
#pragma once

#include <string>

#include "tools/problem.h"

// Encodes the problem into record.  Refuses (false, with a reason) a problem
// whose fields do not fit the format: sizes beyond 0..31, more than 255 stones
// of a colour, more than 511 entries, a first node that is not at depth 1,
// depths beyond 0..255 or points beyond 0..511.  Limits that concern the
// trainer rather than the format are the compiler's to check.
bool encodeRecord(const Problem& problem, std::string& record, std::string& reason);

// The character form of bytes: three bytes become four characters, and a tail
// of one or two bytes two or three characters.
std::string packRecordBytes(const std::vector<uint8_t>& bytes);
