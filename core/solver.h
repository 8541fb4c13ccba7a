// Decides whether a position can be cleared completely.
#pragma once

#include <cstdint>

#include "core/game.h"

namespace kelmar {

enum class SolveResult { Winnable, Unwinnable, Undecided };

struct SolverStats {
    int64_t nodes = 0;  // positions expanded
};

// Depth-first search over the free matching pairs of the present tiles of
// `board` (slots 1..SlotCount, the layout's free rule). Answers Undecided
// once `nodeBudget` positions have been expanded; never answers Winnable or
SolveResult SolvePosition(const Board& board, int64_t nodeBudget, SolverStats* stats = nullptr);

}  // namespace kelmar
