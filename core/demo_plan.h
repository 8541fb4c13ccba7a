// The demonstration: the game plays itself, pair by pair, along a winning
// order the solver found for the position on the board. The plan is made on
// a copy of the board (the window's worker runs PlanDemo); each step is
// checked against the board as it is when its turn comes. No Qt and no
// threads here.
#pragma once

#include "core/game.h"
#include "core/solvability.h"
#include "core/solver.h"

#include <cstdint>
#include <vector>

namespace kelmar {

// Nodes the demonstration's solver may spend: what the check allows one
// position, seconds at most, on the worker.
constexpr int64_t kDemoNodeBudget = kSolvabilityNodeBudget;

enum class DemoVerdict {
    Winnable,  // `pairs` clear the board
    Lost,      // the position cannot be cleared: nothing to play
    Undecided, // no proof within the budget, or stopped
};

struct DemoPlan {
    DemoVerdict verdict = DemoVerdict::Undecided;
    PositionKey start;             // the position the plan was made for
    std::vector<SolverMove> pairs; // Winnable only: the pairs in the order to take them
    int64_t nodes = 0;             // solver nodes spent
};

// The plan for `board`: the solver's verdict within `nodeBudget` and, when
// the position can be won, its winning order (each pair free and matching
// when its turn comes). An empty board is Winnable with no pairs. `stop` as
// for SolvePosition: once it returns true the plan is Undecided.
DemoPlan PlanDemo(const Board& board, int64_t nodeBudget = kDemoNodeBudget,
                  const SolveStop& stop = {});

// True when `plan` was made for the position now on `board` (every tile on
// the same slot with the same kind): a plan of an earlier position is
// dropped, not played.
bool PlanFits(const DemoPlan& plan, const Board& board);

// True when `step` can be taken in the analysed game now: two different
// present tiles, both free by the last analysis, of kinds that match.
bool DemoStepValid(const Game& game, SolverMove step);

// Takes `step` as the demonstration's next pair: both tiles off, recorded
// like a pair taken by click (at Elapsed), the game marked Demonstrated,
// the selection ended, BoardChanged set, the board analysed and redrawn
// (a win is entered by the analysis as after any pair). Returns false and
// changes nothing when the game is won or the step is not valid.
bool PlayDemoStep(Game& game, SolverMove step);

} // namespace kelmar
