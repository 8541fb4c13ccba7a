#include "core/demo_plan.h"

#include "core/board.h"
#include "core/board_geometry.h"
#include "core/history.h"
#include "core/rules.h"

namespace kelmar {

DemoPlan PlanDemo(const Board& board, int64_t nodeBudget, const SolveStop& stop) {
    DemoPlan plan;
    plan.start = PositionKey::Of(board);
    SolverStats stats;
    const SolveResult result = SolvePosition(board, nodeBudget, &stats, &plan.pairs, stop);
    plan.nodes = stats.nodes;
    switch (result) {
    case SolveResult::Winnable:
        plan.verdict = DemoVerdict::Winnable;
        return plan;
    case SolveResult::Unwinnable:
        plan.verdict = DemoVerdict::Lost;
        break;
    case SolveResult::Undecided:
        plan.verdict = DemoVerdict::Undecided;
        break;
    }
    plan.pairs.clear();
    return plan;
}

bool PlanFits(const DemoPlan& plan, const Board& board) {
    return plan.start == PositionKey::Of(board);
}

bool DemoStepValid(const Game& game, SolverMove step) {
    const Board& board = game.board;
    const int32_t limit = ScanLimit(board);
    const auto inRange = [limit](int32_t s) { return s >= 1 && s <= limit; };
    if (!inRange(step.First) || !inRange(step.Second) || step.First == step.Second) {
        return false;
    }
    const TileSlot& a = board.Slots[static_cast<std::size_t>(step.First)];
    const TileSlot& b = board.Slots[static_cast<std::size_t>(step.Second)];
    return a.Present && b.Present && a.Free && b.Free && KindsMatch(board, a.Kind, b.Kind);
}

bool PlayDemoStep(Game& game, SolverMove step) {
    if (game.play.GameWon || !DemoStepValid(game, step)) {
        return false;
    }
    TakePair(game, step.First, step.Second);
    game.Aids.Demonstrated = true;
    ShowMovedBoard(game);
    return true;
}

} // namespace kelmar
