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

// `problem` has at least one tile and is not hopeless. Counts its nodes in
// `stats.nodes` (and the other counters), stops with Undecided once
// `nodeBudget` nodes are spent or `stop` (asked every kStopCheckNodes
// nodes) says so. On Winnable, `solution` (when given) holds the pairs of
// one winning order. Dives that start after `lateFrom` nodes are the late
// ones (longer, conflicts propagated); every caller but the tests passes
// kDealCheckNodeBudget.
SolveResult searchPosition(const Problem& problem, int64_t nodeBudget, SolverStats& stats,
                           std::vector<SolverMove>* solution, const SolveStop& stop,
                           int64_t lateFrom);

// SolvePosition with the late dives from `lateFrom` nodes on; lets the
// tests check the late search on positions small enough for a reference.
SolveResult solveBoard(const Board& board, int64_t nodeBudget, SolverStats* stats,
                       std::vector<SolverMove>* solution, const SolveStop& stop, int64_t lateFrom);

} // namespace kelmar::solver
