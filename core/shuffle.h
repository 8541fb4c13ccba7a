// The shuffle: the tiles still on the board change places among the slots
// still occupied, into an arrangement the solver has proven winnable. It is
// one step of the move history (core/history.h), so undo puts every tile
// back where it lay. No Qt and no threads here; FindShuffle works on its own
// copy of the board, so a worker may run it.
#pragma once

#include "core/game.h"
#include "core/solver.h"

#include <cstdint>
#include <optional>

namespace kelmar {

// Game time a shuffle costs: three hints. It does more than a hint, which
// only points at a pair: it turns a lost game into one that can be won.
constexpr int32_t kShufflePenaltyMs = 30000;

// Arrangements one shuffle draws at most before it gives up. A draw that
// runs into a corner costs well under a millisecond, so the limit is
// generous: on the stuck positions of the benchmark (bench/shuffle) no
// shuffle that was found needed more than 27 draws, and the positions left
// without one had no winnable arrangement at all (a stack of tiles with too
// few free partners beside it).
constexpr int kShuffleDrawLimit = 64;

// Nodes the solver may spend on one drawn arrangement. Every draw is built
// to be winnable, so the solver mostly proves it within a few hundred
// nodes; one it cannot prove within this is thrown away for the next draw.
constexpr int64_t kShuffleDrawNodeBudget = 4'000;

// The tiles of `board` moved as `shuffle` says (the kinds of the slots it
// names change; nothing else does).
void MoveTilesBy(Board& board, const ShuffleRecord& shuffle);
// The inverse of MoveTilesBy: every tile back on the slot it came from.
void MoveTilesBack(Board& board, const ShuffleRecord& shuffle);

// True when `shuffle` moves exactly the present tiles of `board` among
// their own slots: it names every present slot and no other, and every
// present slot is the source of exactly one of them.
bool ShuffleFits(const Board& board, const ShuffleRecord& shuffle);

struct ShuffleReport {
    int draws = 0;        // arrangements drawn (finished or not)
    int built = 0;        // of them, arrangements finished and given to the solver
    int64_t nodes = 0;    // solver nodes spent in all
    bool stopped = false; // `stop` ended the search
};

// A shuffle of the tiles present on `board` that leaves a position the
// solver proves winnable, or nullopt when none is proven within
// kShuffleDrawLimit draws (or when `stop` returns true, asked between the
// solver's nodes). The same board and seed always give the same answer.
//
// Each draw deals the tiles backwards onto the occupied slots, one pair at
// a time: two slots that are both free among the slots already filled,
// with two tiles of the pool that match. Taking the pairs in the reverse
// order then clears the board, so a draw fails only when it runs into a
// corner (no two slots free together) or a tile without partner; the
// solver's proof is checked on every finished draw all the same.
std::optional<ShuffleRecord> FindShuffle(const Board& board, uint32_t seed,
                                         ShuffleReport* report = nullptr,
                                         const SolveStop& stop = {});

// True when the history can take a shuffle now: some tiles are on the
// board, fewer than kShuffleCapacity shuffles are applied, and after it
// there is still a record for every pair on the board.
bool ShuffleHasRoom(const Game& game);

// Makes `shuffle` the next step of the game: recorded in the history at
// Elapsed + kShufflePenaltyMs (dropping every undone step), the tiles
// moved, the clock continuing from that time (Elapsed set to it too, so
// the penalty holds behind the pause screen), the game marked Shuffled, the
// selection ended, BoardChanged set, the board analysed and redrawn.
// Returns false and changes nothing when the game is won, the history has
// no room (ShuffleHasRoom) or the shuffle does not fit the board.
bool ShuffleGame(Game& game, const ShuffleRecord& shuffle);

} // namespace kelmar
