// SolvePosition: set-up, reasoning on the whole position, then the search.
#include "core/solver.h"
#include "core/solver/problem.h"
#include "core/solver/reasoning.h"
#include "core/solver/search.h"

#include <memory>

namespace kelmar {
namespace solver {

SolveResult solveBoard(const Board& board, int64_t nodeBudget, SolverStats* stats,
                       std::vector<SolverMove>* solution, const SolveStop& stop,
                       const LatePace& pace, RowRule rule) {
    SolverStats local;
    SolverStats& st = stats != nullptr ? *stats : local;
    st = SolverStats{};
    if (solution != nullptr) {
        solution->clear();
    }

    auto problem = std::make_unique<Problem>();
    buildProblem(board, *problem, rule);
    if (problem->n == 0) {
        return SolveResult::Winnable;
    }
    if (hopeless(*problem, problem->all)) {
        return SolveResult::Unwinnable;
    }
    return searchPosition(*problem, nodeBudget, st, solution, stop, pace);
}

} // namespace solver

SolveResult SolvePosition(const Board& board, int64_t nodeBudget, SolverStats* stats,
                          std::vector<SolverMove>* solution, const SolveStop& stop) {
    return solver::solveBoard(board, nodeBudget, stats, solution, stop);
}

} // namespace kelmar
