#include "core/solver.h"

namespace kelmar {

SolveResult SolvePosition(const Board& /*board*/, int64_t /*nodeBudget*/, SolverStats* stats) {
    if (stats != nullptr) {
        *stats = SolverStats{};
    }
    return SolveResult::Undecided;
}

}  // namespace kelmar
