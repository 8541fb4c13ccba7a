// Move rules: the free test, the analysis of the board, clicks on tiles and
// the hint.
#pragma once

#include <cstdint>

#include "core/game.h"

namespace kelmar {

// Recomputes Free flags, FreeList, FreeCount, MoveCount, NoMovesLeft and
// GameWon; sets ReplayBackwards; calls view->EnterHighScore(Elapsed) on the
// analysis that first finds the game won.
void AnalyzeBoard(Game& game);

// One click on a tile (slot >= 1): select, deselect, move the selection or
// take a matching pair (recorded with Elapsed, BoardChanged set).
void ClickTile(Game& game, int32_t slot);

// First press: show the highest free pair and charge 10 s. Second press with
// nothing redrawn in between: take the shown pair. No effect when stuck.
void GiveHint(Game& game);

// Must be called whenever slot positions change outside NewGame (a loaded
// game): refreshes whatever the analysis precomputes per deal.
void PrepareBoardGeometry(Game& game);

}  // namespace kelmar
