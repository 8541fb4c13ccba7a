// SolvePosition: set-up, reasoning on the whole position, then the search.
#include "core/solver.h"
#include "core/solver/problem.h"
#include "core/solver/reasoning.h"
#include "core/solver/search.h"

#include <memory>

namespace kelmar {

SolveResult SolvePosition(const Board& board, int64_t nodeBudget, SolverStats* stats,
                          std::vector<SolverMove>* solution, const SolveStop& stop) {
    SolverStats local;
    SolverStats& st = stats != nullptr ? *stats : local;
    st = SolverStats{};
    if (solution != nullptr) {
        solution->clear();
    }

    auto problem = std::make_unique<solver::Problem>();
    solver::buildProblem(board, *problem);
    if (problem->n == 0) {
        return SolveResult::Winnable;
    }
    if (solver::hopeless(*problem, problem->all)) {
        return SolveResult::Unwinnable;
    }
    return solver::searchPosition(*problem, nodeBudget, st, solution, stop);
}

} // namespace kelmar
