// Decides whether a position can be cleared completely. The public entry;
// the parts live in core/solver/ (problem set-up, reasoning without search,
// the search, the table of lost positions).
#pragma once

#include "core/game.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace kelmar {

enum class SolveResult { Winnable, Unwinnable, Undecided };

struct SolverStats {
    int64_t nodes = 0;     // positions visited by the search (after forced moves)
    int64_t ttHits = 0;    // positions recognised as already proven lost
    int64_t safeMoves = 0; // pairs taken without branching (forced or safe)
    int64_t learned = 0;   // conflicts between pairings recorded by the search
    int64_t backjumps = 0; // nodes left early: a child's loss did not rest on its pairing
    int64_t ruledOut = 0;  // pairings ruled out by a conflict one pairing short
};

// Asked during a search: true ends it (see SolvePosition).
using SolveStop = std::function<bool()>;

// One pair taken on the way to the empty board, by slot number.
struct SolverMove {
    int32_t First = 0;
    int32_t Second = 0;
};

// Node budget for the check of a constructed deal inside NewGame (about
// 20 ms at most). A deal that is not proven winnable within it is thrown
// away and the next construction is tried, so the budget only trades the
// time of one check against that of another construction: most
// constructed deals are proven winnable within a few hundred nodes, and a
// new construction is cheaper than a long proof.
constexpr int64_t kDealCheckNodeBudget = 1500;

// Decides whether all present tiles of `board` (slots 1..SlotCount; slot 0
// is ignored) can be taken. A tile is free by the game's free rule
// (core/board_geometry.h): nothing of a higher layer on it, and its row
// (which a gap of half a face ends) empty on its left or on its right. Two tiles of kinds a and b
// can be taken together when KindsMatch holds in either order (a player may click them in either
// order) with the board's MatchRange.
//
// Method. The tiles that can be taken together form classes (four of a
// kind, or a group of four flowers or seasons; two when a class is down to
// two). Taking a pair never blocks a tile, so a position is won exactly
// when some pairing of every class can be played greedily: the search
// chooses pairings, not moves. A pairing whose tiles are both free is
// taken at once, and so is a class whose remaining tiles are all free.
// Before the search, reasoning on the whole position proves many losses
// outright: a tile without a partner that is not stacked on or under it, a
// class of odd size, orders of removal that would have to run in a circle,
// and every pairing of each class of four tried on its own. At every node
// a relaxed play (open tiles may go alone once a partner is free or gone)
// is played out; when it gets stuck the position is lost, and the pairings
// that cause it, pruned to the few that matter, are kept as a conflict for
// the rest of the call. Conflicts refute later choices, a node whose child
// lost for a reason that does not involve the child's pairing is left at
// once, and the class that took part in the most conflicts is decided
// first. Lost positions are kept in a table (per thread) and the search
// restarts with longer and longer dives, keeping what it learned. Within
// the first kDealCheckNodeBudget nodes it runs exactly as it did when the
// deals of NewGame were recorded (same dives, same order of work), so the
// check of a constructed deal gives the same verdicts. Past them come the
// late dives, which put the learned conflicts to work: a conflict that a
// choice leaves one pairing short rules that pairing out, and a class with
// two pairings ruled out takes the third at once; between dives every
// pairing of the start is tried again against the conflicts; a class with
// a pairing ruled out is decided first; a learned conflict keeps the
// pairings chosen earliest; and the table, which such positions never
// hit, is left alone.
//
// Works on any board (the layout or a loaded one) and precomputes the
// neighbour sets per call. Safe to call from several threads at once on
// separate boards: the only state kept between calls is the thread's own
// table. Winnable and Unwinnable are proofs; `nodeBudget` bounds the
// positions the search visits (reasoning before it and forced moves cost
// no nodes, so a budget <= 0 still decides what they decide; an empty
// board is Winnable). Once the budget is spent without a proof the answer
// is Undecided; a larger budget never decides less, as the search runs the
// same way until the smaller budget would have stopped it. On the census
// positions (bench/solver: 3,000 random deals per layout, positions reached
// by play) no call took more than about 8,500 nodes, under 0.2 s (12 to
// 16 us a node), the most on random deals of the pyramid; positions built
// to be hard can take far more,
// so only the budget or the caller's stop bounds a call.
//
// `stats`, when given, receives the effort. `solution`, when given, is
// cleared and on Winnable holds the pairs of one winning order, each pair
// free and matching when it is taken. `stop`, when given, is asked every
// few dozen search nodes (on the solving thread); once it returns true the
// call ends with Undecided, as if the budget were spent. It lets a caller
// cancel a check or bound its time without the solver knowing any clock.
SolveResult SolvePosition(const Board& board, int64_t nodeBudget, SolverStats* stats = nullptr,
                          std::vector<SolverMove>* solution = nullptr, const SolveStop& stop = {});

} // namespace kelmar
