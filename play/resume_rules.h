// When a game in progress is kept for the next start, when the kept copy is
// rewritten and when it is dropped. Plain functions over plain facts, so the
// whole table is tested without a window; ResumeKeeper (resume_keeper.h)
// carries the decisions out.
#pragma once

#include "core/game.h"

#include <cstdint>
#include <optional>

namespace kelmar {

// While a game runs its copy is rewritten at most this often.
constexpr uint32_t kResumeWriteIntervalMs = 5000;

// What the rules look at.
struct ResumeFacts {
    bool optionOn = false; // GameSettings::ResumeGame
    bool lockHeld = false; // this copy of the game owns the kept copy
    bool dealt = false;    // the board holds a dealt game
    int32_t moves = 0;     // recorded moves, undone ones included
    bool won = false;
};

ResumeFacts ResumeFactsOf(const Game& game, bool lockHeld);

// A game worth keeping: dealt, at least one move recorded (a move that was
// undone still counts: redo brings it back), not won. A stuck game counts,
// so that going back to a solvable position still helps after a restart.
bool WorthKeeping(const ResumeFacts& facts);

enum class KeepStep {
    Nothing,
    Write,      // write the copy now (in the background while the game runs)
    WriteLater, // write it when kResumeWriteIntervalMs have passed since the last write
    Remove,     // the kept game has ended: remove the copy
};

// What the copy on disk is, seen from this run.
struct KeptCopy {
    bool onDisk = false;  // this run continued it or wrote it, and did not remove it
    bool current = false; // it holds the game as it is now (same board and history)
    std::optional<uint32_t> msSinceWrite; // since this run last wrote it; none: never
};

// After a command (a move, undo, redo, a new game, a load, an option).
// Nothing without the lock; Remove once the game is no longer worth keeping
// or the option is off; a changed game is written at once when no copy is
// on disk or the last write is kResumeWriteIntervalMs old, else later.
KeepStep StepAfterCommand(const ResumeFacts& facts, const KeptCopy& copy);

// When the program ends: like StepAfterCommand, but a game worth keeping is
// written now, changed or not (its clock has moved on), whatever the
// interval.
KeepStep StepAtClose(const ResumeFacts& facts, const KeptCopy& copy);

enum class StartStep {
    DealNew,  // start as without the option
    Continue, // read the kept copy and continue it behind the start screen
};

// At start: continue only with the option on, the lock held and a copy there.
StartStep StepAtStart(bool optionOn, bool lockHeld, bool copyExists);

// Identifies the game for "has it changed since the copy was written": the
// board's tiles and the move history with its position, and whether it is
// won. Not the clock: a hint or the passing time alone write nothing, the
// close writes the time as it is then.
uint64_t GameSignature(const Game& game);

} // namespace kelmar
