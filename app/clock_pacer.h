// The window's side of the game clock: the 10 ms timer `TimerObject`, which
// fires as seldom as the screen allows, and the time text in status panel 1.
//
// The timer fires every 10 ms during the after-win replay and while the
// render times are shown; in a game running with moves left, only at the
// 10 ms event at which the time text would change; not at all behind the
// logo, pause or about screen and in a stuck game with the render times off.
// A timer that does not step no longer samples the counter, so every handler
// first catches the clock up (catchUp), as the timer events since the last
// sample would have, and whatever reads or rebases the clock starts from the
// present count. Each handler then sets the pace anew (pace).
//
// A timer stopped from outside (a caller that delivers the events itself)
// stays under that caller's control: no catching up, no pacing.
#pragma once

#include "play/clock.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class QTimer;

namespace kelmar {

class TStatusBar;
class TickSource;

class ClockPacer {
public:
    // Every reference must outlive the pacer; `lastRenderMs` gives the
    // duration of the last render.
    ClockPacer(Game& game, TickSource& ticks, QTimer& timer, TStatusBar& status,
               std::function<int32_t()> lastRenderMs);

    void catchUp();
    void pace();
    // A timer event: the clock step of every 10 ms event while stepping; a
    // quiet timer catches up with the events it skipped, the one now
    // included, which shows the new time text (or, woken early, nothing yet
    // and the pace waits again).
    void step();
    // The time text now, also when the clock stands still.
    void showTime();

private:
    bool pacing() const;
    void show(const std::optional<std::string>& text);

    Game& game_;
    TickSource& ticks_;
    QTimer& timer_;
    TStatusBar& status_;
    std::function<int32_t()> lastRenderMs_;
    TimerPace pace_ = TimerPace::Steps;
};

} // namespace kelmar
