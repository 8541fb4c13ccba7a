#include "scores/game_record.h"

namespace kelmar {

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
