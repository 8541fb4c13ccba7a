// The game clock's timer step and the time display text. Plain functions over
// the Game aggregate, so the clock is testable with an injected counter.
#pragma once

#include "core/game.h"

#include <cstdint>
#include <optional>
#include <string>

namespace kelmar {

// Minimum distance between two refreshes of the time display, in counter ms.
constexpr uint32_t kStatusRefreshMs = 200;

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

} // namespace kelmar
