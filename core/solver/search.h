// The search: decides a position that the reasoning before the search did
// not settle. It chooses which partner each tile goes with rather than the
// order of the moves, takes pairs that cannot be wrong without branching,
// plays a relaxed game at every node to prove losses early, learns the
// pairings a loss rests on (conflicts.h), leaves a node at once when a
// child's loss does not rest on the child's choice, remembers lost
// positions in a per-thread table (lost_positions.h) and restarts with
// longer and longer dives, keeping what it learned.
#pragma once

#include "core/solver.h"
#include "core/solver/problem.h"

#include <vector>

namespace kelmar::solver {

// Nodes between two questions to the caller's stop.
constexpr int64_t kStopCheckNodes = 64;

// When the late dives begin and how long they are. The late dives
// propagate the learned conflicts and try the start's pairings again
// between dives; the earlier ones run as the deal checks of NewGame were
// recorded with. Every caller but the tests uses the defaults; the
// tests start the late dives at once and keep them short, so that small
// positions reach what the late dives do.
struct LatePace {
    int64_t from = kDealCheckNodeBudget; // nodes before the first late dive
    int64_t diveUnit = 512;              // a late dive lasts this times a term of Luby's sequence
};

// `problem` has at least one tile and is not hopeless. Counts its nodes in
// `stats.nodes` (and the other counters), stops with Undecided once
// `nodeBudget` nodes are spent or `stop` (asked every kStopCheckNodes
// nodes) says so. On Winnable, `solution` (when given) holds the pairs of
// one winning order.
SolveResult searchPosition(const Problem& problem, int64_t nodeBudget, SolverStats& stats,
                           std::vector<SolverMove>* solution, const SolveStop& stop,
                           const LatePace& pace = {});

// SolvePosition with the given pace and row rule (benchmarks compare the
// rules on the same positions; the game always uses GapEndsRow).
SolveResult solveBoard(const Board& board, int64_t nodeBudget, SolverStats* stats,
                       std::vector<SolverMove>* solution, const SolveStop& stop,
                       const LatePace& pace = {}, RowRule rule = RowRule::GapEndsRow);

} // namespace kelmar::solver
