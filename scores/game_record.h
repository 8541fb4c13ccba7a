// The record of one ended game, as the player's statistics count it and the
// records file (storage/game_records.h) stores it. Plain data, no Qt.
#pragma once

#include "core/game.h"
#include "core/solver.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kelmar {

// How a game ended: the board cleared; no free matching pair left; or left
// with pairs to take (a new deal, the same game anew, another layout, a
// load, or closing without keeping the game).
enum class GameResult : uint8_t { Won, Stuck, GivenUp };

// Whether the position could still be won when the game ended, as far as a
// verdict was already known then; never the result of a new search.
enum class Winnable : uint8_t { Unknown, Yes, No };

// The layout key of a board whose positions match no layout of the run,
// and the key of the group over every layout. Neither is a valid short
// name, so neither can stand for a layout.
constexpr std::string_view kUnknownLayout = "?";
constexpr std::string_view kAllLayouts = "*";

struct GameRecord {
    int32_t Day = 0;    // local date the game ended: days since 30 Dec 1899
    int32_t Second = 0; // local time of day it ended, 0..86399
    // The layout's short name, or kUnknownLayout.
    std::string Layout{kUnknownLayout};
    uint32_t Deal = 0;            // deal number 1..999,999,999; 0: none (a loaded game)
    Grade DealGrade = Grade::Any; // Any: not graded
    GameResult Result = GameResult::GivenUp;
    int32_t TimeMs = 0; // playing time in ms, 0..
    int32_t Moves = 0;  // pairs taken, as the history stands at the end
    int32_t Hints = 0;
    int32_t Checks = 0;
    Winnable WinnableAtEnd = Winnable::Unknown;
    // The day (a day count) whose game of the day this deal was; 0: none.
    int32_t DayGame = 0;
    bool Loaded = false;    // the game came from a saved file
    bool Continued = false; // the game was kept at a close and continued at the next start

    friend bool operator==(const GameRecord&, const GameRecord&) = default;
};

// Day and Second of a local date and time given as a day count (days since
// 30 Dec 1899, the fraction the time of day), the second rounded down.
void SetEndTime(GameRecord& record, double localDayCount);

// What a record says about the end position: a won game was winnable, a
// stuck one was not; a game given up was as the known verdict of its last
// position says (none: Unknown).
Winnable WinnableAtEnd(GameResult result, std::optional<SolveResult> knownVerdict);

// A game given up before the first pair was taken was never played: the
// player only looked at the deal. It is not recorded, so dealing until a
// deal pleases neither counts games nor breaks a winning streak.
bool WorthRecording(GameResult result, int32_t moves);

// The record's words (German, as the records file and the window show
// them): "gewonnen", "festgefahren", "aufgegeben".
std::string_view ResultWord(GameResult result);

} // namespace kelmar
