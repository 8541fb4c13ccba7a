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

// True for the record of a shuffle rather than of a pair.
inline bool IsShuffleRecord(const MoveRecord& record) {
    return record.First == 0;
}

// The shuffle records among Records[1..upTo] (upTo clamped to 0..80).
int32_t ShuffleCount(const MoveHistory& history, int32_t upTo);

// Records the shuffle `shuffle` at Position + 1 like AppendMove records a
// pair (First = 0, Second = its number among the shuffles recorded before
// it plus one, the shuffle kept in Shuffles under that number), dropping
// every undone step. Does not move the tiles. Records nothing when the
// history is full or already holds kShuffleCapacity shuffles up to Position.
void AppendShuffle(Game& game, int32_t time, const ShuffleRecord& shuffle);

// True when `a` and `b` have applied the same steps: the same Position
// (clamped to 0..80) and, up to it, records of the same pairs and shuffles
// that moved the tiles alike (a shuffle is compared by its moves, not by
// its number). Times do not count.
bool SameSteps(const MoveHistory& a, const MoveHistory& b);

// What undoing / redoing `record` does to the board alone: a pair's two
// tiles put back / taken off, a shuffle's tiles moved back / moved again. A
// shuffle record naming no shuffle of `history` changes nothing.
void TakeBackOn(Board& board, const MoveHistory& history, const MoveRecord& record);
void PlayAgainOn(Board& board, const MoveHistory& history, const MoveRecord& record);

// Takes back Records[Position]: puts both tiles back (a shuffle: every
// tile back on its slot before it), ends the selection and redraws; outside
// a won game also sets the clock back to the move's time and analyses. At Position 0 nothing
// happens (no redraw) and LastStepDone is false.
void UndoMove(Game& game);

// Applies Records[Position + 1] again, the mirror of UndoMove, with the clock
// set to the move's time. At Position = Length nothing happens.
void RedoMove(Game& game);

// One step of the after-win replay: undo while ReplayBackwards, else redo;
// a step that changed nothing turns the direction around.
void ReplayStep(Game& game);

} // namespace kelmar
