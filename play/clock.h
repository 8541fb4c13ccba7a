// The game clock's timer step, the time display text and the pace of the
// timer. Plain functions over the Game aggregate, so the clock is testable
// with an injected counter.
#pragma once

#include "core/game.h"

#include <cstdint>
#include <optional>
#include <string>

namespace kelmar {

// Minimum distance between two refreshes of the time display, in counter ms.
constexpr uint32_t kStatusRefreshMs = 200;
// Interval of the timer wherever each of its events can be seen, in ms.
constexpr uint32_t kTimerStepMs = 10;
// Longest quiet wait; reached only when the time text cannot change within
// it (a negative game time shows 0:00 for a long while).
constexpr uint32_t kLongestQuietWaitMs = 2000;

// "Zeit: M:SS" for a game time in ms: whole minutes without upper limit and
// without leading zeros, then exactly two digits of seconds. With
// showRenderSpeed, "  [<lastRenderMs> ms]" follows (two blanks). A negative
// time shows as 0:00.
std::string ClockText(int32_t elapsedMs, bool showRenderSpeed, int32_t lastRenderMs);

// True when the time display is due at `currentTick`. A refresh scheduled by
// the last display is due once the counter reaches it, compared by the wrapped
// 32-bit difference so the 49.7-day counter wrap does not stall the display.
// A schedule farther ahead than one refresh interval cannot have come from a
// display (e.g. the 0 a new game leaves there) and is due at once.
bool StatusRefreshDue(uint32_t currentTick, uint32_t nextStatusTick);

// One timer step after CurrentTick has been sampled: nothing while not
// Running; one replay step after a win; the game time from the counter while
// moves are possible; and, at most every 200 ms, the time display text
// (returned; nullopt when the display is not to change). While the game is
// stuck or won the display refreshes only with ShowRenderSpeed on.
std::optional<std::string> ClockTick(Game& game, int32_t lastRenderMs);

// How often the timer has to fire for the screen to look as with a timer
// event every 10 ms:
//   Resting - never: not Running, or stuck with the render times off;
//   Steps   - every 10 ms: the after-win replay, or the render times shown;
//   Quiet   - only when the time text changes: a game running with moves
//             left, whose timer events change nothing else on the screen.
enum class TimerPace { Resting, Steps, Quiet };
TimerPace TimerPaceFor(const Game& game);

// Brings the clock from the last sample up to the counter value `now` as the
// 10 ms timer events after that sample (CurrentTick + 10, + 20, ... <= now)
// would have done, except for the replay step: their display refreshes and
// the refresh schedule, then CurrentTick := now and, while the clock runs,
// Elapsed := the game time at `now`. Returns the text of the last of those
// refreshes, nullopt when none fell into the span.
std::optional<std::string> CatchUpClock(Game& game, uint32_t now, int32_t lastRenderMs);

// For the Quiet pace: ms from CurrentTick to the first 10 ms timer event
// whose display refresh would show a text other than `shownText`; at most
// kLongestQuietWaitMs.
uint32_t QuietWaitMs(const Game& game, const std::string& shownText, int32_t lastRenderMs);

} // namespace kelmar
