// Move rules: the free test, the analysis of the board, clicks on tiles and
// the hint.
#pragma once

#include "core/game.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace kelmar {

// Recomputes Free flags, FreeList, FreeCount, MoveCount, NoMovesLeft and
// GameWon; sets ReplayBackwards; calls view->EnterHighScore(Elapsed) on the
// analysis that first finds the game won. Checks the neighbour sets against
// the slot positions first and rebuilds them if they do not match, so it is
// exact for any board; PrepareBoardGeometry only saves that rebuild.
void AnalyzeBoard(Game& game);

// After tiles moved by other means than a click (a shuffle, a pair the
// demonstration took): no selection, the board counted as changed, then
// analysed and redrawn.
void ShowMovedBoard(Game& game);

// One click on a tile (slot >= 1; slot 0 acts as a tile that is not free,
// slots above 255 are ignored): select, deselect, move the selection or
// take a matching pair (recorded with Elapsed, BoardChanged set).
void ClickTile(Game& game, int32_t slot);

// Takes the two tiles off the board and records the pair at Elapsed; the
// caller has checked that they are a free matching pair, and analyses and
// redraws after.
void TakePair(Game& game, int32_t first, int32_t second);

// First press: show the highest free pair and charge 10 s. Second press with
// nothing redrawn in between: take the shown pair, analyse and redraw. No
// effect when stuck.
void GiveHint(Game& game);

// The first press of the hint with a pair chosen by the caller: shows
// (a, b) as GiveHint shows its own pair (highlight, 10 s, present), so that
// the next GiveHint takes it. Does nothing unless (a, b) is a free matching
// pair of present tiles in the analysed game.
void ShowHintPair(Game& game, int32_t a, int32_t b);

// The free matching pairs of the analysed game, by slot, in the order of the
// free list (first tile before second). For tests, benchmarks and tools that
// play or enumerate moves; the game itself never lists them all.
std::vector<std::pair<int32_t, int32_t>> FreeMatchingPairs(const Game& game);

// To be called whenever slot positions change outside NewGame (a loaded
// game): rebuilds the neighbour sets the analysis and the constructed deal
// use, for slots 1..max(SlotCount, DealtCount).
void PrepareBoardGeometry(Game& game);

} // namespace kelmar
