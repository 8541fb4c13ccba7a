// The move history: unlimited undo and redo within a game, the game clock
// following the moves, and the after-win replay.
#pragma once

#include "core/game.h"

#include <cstdint>

namespace kelmar {

// Records a taken pair at Position + 1 and drops every undone move
// (Length = Position). Time in ms of game time. A history already holding
// 80 records (only a damaged saved game can get there; play makes at most
// 72 moves) records nothing more.
void AppendMove(Game& game, int32_t time, int32_t first, int32_t second);

// Takes back Records[Position]: puts both tiles back, ends the selection and
// redraws; outside a won game also sets the clock back to the move's time
// and analyses. At Position 0 nothing happens (no redraw) and LastStepDone
// is false.
void UndoMove(Game& game);

// Applies Records[Position + 1] again, the mirror of UndoMove, with the clock
// set to the move's time. At Position = Length nothing happens.
void RedoMove(Game& game);

// One step of the after-win replay: undo while ReplayBackwards, else redo;
// a step that changed nothing turns the direction around.
void ReplayStep(Game& game);

} // namespace kelmar
