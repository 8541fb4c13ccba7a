// The move history: unlimited undo and redo within a game, the game clock
// following the moves, and the after-win replay.
#pragma once

#include <cstdint>

#include "core/game.h"

namespace kelmar {

void AppendMove(Game& game, int32_t time, int32_t first, int32_t second);
void UndoMove(Game& game);
void RedoMove(Game& game);
// One step of the after-win replay; turns around at either end.
void ReplayStep(Game& game);

}  // namespace kelmar
