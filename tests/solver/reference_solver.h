// A plain exhaustive search over small boards, written straight from the
// rules with none of the solver's shortcuts (no masks, no forced moves, no
// reasoning): the yardstick the solver is checked against.
#pragma once

#include "core/game.h"
#include "core/solver.h"

#include <vector>

namespace kelmar::test {

// The free test from the slot fields, written out plainly: ReferenceFree of
// the core tests (tests/core/test_support.h).
bool ReferenceFree(const Board& board, int32_t slot);

// True when the present tiles can all be taken. Meant for up to about 30 present tiles;
// more than 63 is a test failure.
bool ReferenceWinnable(const Board& board);

// True when playing `moves` in order takes free matching pairs only and
// leaves the board empty.
bool ClearsBoard(Board board, const std::vector<SolverMove>& moves);

} // namespace kelmar::test
