#include "play/clock.h"

#include "core/history.h"

#include <algorithm>

namespace kelmar {

namespace {

// The game time at counter value `tick`, 32-bit wrap-around like Elapsed.
int32_t GameTimeAt(const GameClock& clock, uint32_t tick) {
    return static_cast<int32_t>(static_cast<uint32_t>(clock.BaseElapsed) + (tick - clock.BaseTick));
}

// The first 10 ms timer event after `from` at which the display is due. A
// schedule up to 200 ms ahead is reached in at most 20 steps; any other is
// due at once.
uint32_t FirstRefreshAfter(uint32_t from, uint32_t nextStatusTick) {
    uint32_t tick = from + kTimerStepMs;
    while (!StatusRefreshDue(tick, nextStatusTick)) {
        tick += kTimerStepMs;
    }
    return tick;
}

} // namespace

std::string ClockText(int32_t elapsedMs, bool showRenderSpeed, int32_t lastRenderMs) {
    const int32_t seconds = elapsedMs > 0 ? elapsedMs / 1000 : 0;
    const int32_t secondsOfMinute = seconds % 60;
    std::string text = "Zeit: " + std::to_string(seconds / 60) + ":";
    text += static_cast<char>('0' + secondsOfMinute / 10);
    text += static_cast<char>('0' + secondsOfMinute % 10);
    if (showRenderSpeed) {
        text += "  [" + std::to_string(lastRenderMs) + " ms]";
    }
    return text;
}

bool StatusRefreshDue(uint32_t currentTick, uint32_t nextStatusTick) {
    const uint32_t ahead = nextStatusTick - currentTick;
    return ahead == 0 || ahead > kStatusRefreshMs;
}

std::optional<std::string> ClockTick(Game& game, int32_t lastRenderMs) {
    if (!game.Running) {
        return std::nullopt;
    }
    if (game.play.GameWon) {
        ReplayStep(game);
    }
    GameClock& clock = game.clock;
    if (!game.play.NoMovesLeft) {
        clock.Elapsed = GameTimeAt(clock, clock.CurrentTick);
    }
    const bool showSpeed = game.settings.ShowRenderSpeed;
    if (game.play.NoMovesLeft && !showSpeed) {
        return std::nullopt;
    }
    if (!StatusRefreshDue(clock.CurrentTick, clock.NextStatusTick)) {
        return std::nullopt;
    }
    clock.NextStatusTick = clock.CurrentTick + kStatusRefreshMs;
    return ClockText(clock.Elapsed, showSpeed, lastRenderMs);
}

TimerPace TimerPaceFor(const Game& game) {
    const PlayState& play = game.play;
    const bool showSpeed = game.settings.ShowRenderSpeed;
    if (!game.Running || (play.NoMovesLeft && !play.GameWon && !showSpeed)) {
        return TimerPace::Resting;
    }
    return play.GameWon || showSpeed ? TimerPace::Steps : TimerPace::Quiet;
}

// Once the first refresh after the last sample is found, the timer events
// refresh every 200 ms from there: each refresh is due exactly at the next
// schedule, which lies on the same 10 ms grid.
std::optional<std::string> CatchUpClock(Game& game, uint32_t now, int32_t lastRenderMs) {
    GameClock& clock = game.clock;
    const bool clockRuns = game.Running && !game.play.NoMovesLeft;
    const bool showSpeed = game.settings.ShowRenderSpeed;
    const uint32_t span = now - clock.CurrentTick;
    std::optional<std::string> text;
    if (game.Running && (clockRuns || showSpeed) && static_cast<int32_t>(span) > 0) {
        uint32_t tick = FirstRefreshAfter(clock.CurrentTick, clock.NextStatusTick);
        const uint32_t first = tick - clock.CurrentTick;
        if (first <= span) {
            tick += (span - first) / kStatusRefreshMs * kStatusRefreshMs;
            clock.NextStatusTick = tick + kStatusRefreshMs;
            text = ClockText(clockRuns ? GameTimeAt(clock, tick) : clock.Elapsed, showSpeed,
                             lastRenderMs);
        }
    }
    clock.CurrentTick = now;
    if (clockRuns) {
        clock.Elapsed = GameTimeAt(clock, now);
    }
    return text;
}

uint32_t QuietWaitMs(const Game& game, const std::string& shownText, int32_t lastRenderMs) {
    const GameClock& clock = game.clock;
    const bool showSpeed = game.settings.ShowRenderSpeed;
    uint32_t tick = FirstRefreshAfter(clock.CurrentTick, clock.NextStatusTick);
    while (tick - clock.CurrentTick < kLongestQuietWaitMs &&
           ClockText(GameTimeAt(clock, tick), showSpeed, lastRenderMs) == shownText) {
        tick += kStatusRefreshMs;
    }
    return std::min(tick - clock.CurrentTick, kLongestQuietWaitMs);
}

} // namespace kelmar
