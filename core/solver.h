// Decides whether a position can be cleared completely. The public entry;
// the parts live in core/solver/ (problem set-up, reasoning without search,
// the search, the table of lost positions).
#pragma once

#include "core/game.h"

#include <cstdint>
#include <vector>

namespace kelmar {

enum class SolveResult { Winnable, Unwinnable, Undecided };

struct SolverStats {
    int64_t nodes = 0;     // positions visited by the search (after forced moves)
    int64_t ttHits = 0;    // positions recognised as already proven lost
    int64_t safeMoves = 0; // pairs taken without branching (forced or safe)
    int64_t learned = 0;   // conflicts between pairings recorded by the search
    int64_t backjumps = 0; // nodes left early: a child's loss did not rest on its pairing
};

// One pair taken on the way to the empty board, by slot number.
struct SolverMove {
    int32_t First = 0;
    int32_t Second = 0;
};

// Node budget for the check of a constructed deal inside NewGame. A deal
// that is not proven winnable within it is thrown away and the next
// construction is tried, so the budget only trades the time of one check
// against that of another construction; constructed deals are nearly always
// proven winnable within a few hundred nodes.
constexpr int64_t kDealCheckNodeBudget = 20000;

// Decides whether all present tiles of `board` (slots 1..SlotCount; slot 0
// is ignored) can be taken. A tile is free when no present tile of a higher
// layer lies less than 38 px away in X and in Y, and its band (same layer,
// Y less than 38 px away) is empty on its left (X <= own X - 38) or on its
// right (X >= own X + 38). Two tiles of kinds a and b can be taken together
// when KindsMatch holds in either order (a player may click them in either
// order) with the board's MatchRange.
//
// Method: reasoning on the whole position first (a tile without a usable
// partner, pairs lying on each other, orders that would have to run in a
// circle, tried for each pairing of each group of four), then a
// depth-first search that chooses partners rather than moves, takes
// committed pairs as soon as both are free, takes a whole group once all
// its tiles are free, and remembers lost positions. It restarts with short
// dives of varied tie-breaking.
//
// Works on any board (the layout or a loaded one) and precomputes the
// neighbour masks per call. Winnable and Unwinnable are proofs; once
// `nodeBudget` positions have been visited without a proof the answer is
// Undecided. Reasoning before the search and forced moves cost no nodes, so
// a budget <= 0 still decides what they decide (an empty board is Winnable).
//
// `stats`, when given, receives the effort. `solution`, when given, is
// cleared and on Winnable holds the pairs of one winning order, each pair
// free and matching when it is taken.
SolveResult SolvePosition(const Board& board, int64_t nodeBudget, SolverStats* stats = nullptr,
                          std::vector<SolverMove>* solution = nullptr);

} // namespace kelmar
