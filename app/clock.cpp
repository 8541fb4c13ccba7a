#include "app/clock.h"

#include "core/history.h"

namespace kelmar {

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
        clock.Elapsed = static_cast<int32_t>(static_cast<uint32_t>(clock.BaseElapsed) +
                                             (clock.CurrentTick - clock.BaseTick));
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

} // namespace kelmar
