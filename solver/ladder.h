// Reading a capture by ataris alone: the attacker keeps the one chain that
// holds every target stone at one liberty, so that each reply of the
// defender is forced.  A leaf rule of the search: where it says "captured",
// the search need not look further.
#pragma once

#include <cstdint>

#include "solver/board.h"

namespace vostra::solver {

// Whether the targets are sure to be captured by a ladder: every target
// stone is in one chain T, and
// - with the attacker to move: T has one liberty the attacker may take, or
//   two liberties and, for one of them, an atari that captures nothing and
//   leaves no attacker chain next to T in atari, after which the defender's
//   only move, extending at the last liberty, captures nothing and leaves
//   T at one liberty or at two and a ladder again;
// - with the defender to move: T has one liberty, no attacker chain next to
//   T is in atari, and extending captures nothing and leaves T at one
//   liberty or at two with a ladder for the attacker.
// Any other move of the defender leaves T in atari, and the attacker takes
// it.  No ko can arise on the way, so this holds in every mode except for
// the attacker's first move, which may be barred by the position's ko:
// attackerIgnoresKo says whether it is.  At most maxAtaris ataris are read;
// beyond that the answer is false.
bool ladderCaptures(const Board& b, uint8_t attacker, bool attackerToMove, bool attackerIgnoresKo,
                    int maxAtaris = 12);

}  // namespace vostra::solver
