#include "scores/game_record.h"

#include <algorithm>
#include <cmath>

namespace kelmar {

void SetEndTime(GameRecord& record, double localDayCount) {
    constexpr int32_t kSecondsPerDay = 86400;
    const double count = std::isfinite(localDayCount) ? std::clamp(localDayCount, 0.0, 2.0e9) : 0.0;
    const double day = std::floor(count);
    record.Day = static_cast<int32_t>(day);
    record.Second = std::clamp(static_cast<int32_t>((count - day) * kSecondsPerDay + 1e-6), 0,
                               kSecondsPerDay - 1);
}

Winnable WinnableAtEnd(GameResult result, std::optional<SolveResult> knownVerdict) {
    switch (result) {
    case GameResult::Won:
        return Winnable::Yes;
    case GameResult::Stuck:
        return Winnable::No;
    case GameResult::GivenUp:
        break;
    }
    if (knownVerdict == SolveResult::Winnable) {
        return Winnable::Yes;
    }
    return knownVerdict == SolveResult::Unwinnable ? Winnable::No : Winnable::Unknown;
}

bool WorthRecording(GameResult result, int32_t moves) {
    return result != GameResult::GivenUp || moves > 0;
}

std::string_view ResultWord(GameResult result) {
    switch (result) {
    case GameResult::Won:
        return "gewonnen";
    case GameResult::Stuck:
        return "festgefahren";
    case GameResult::GivenUp:
        break;
    }
    return "aufgegeben";
}

} // namespace kelmar
