// The player's record over the games played: per layout and over all of
// them, each also per grade, the games, wins, streaks and winning times,
// the games of the day, and where a win ranks among the player's own. Plain
// functions over GameRecord values, no Qt.
//
// A group counts its games in the order they ended. A winning streak is a
// run of won games in the group; a game stuck or given up ends it. Games
// of a grade count in the group of that grade and in the group of every
// grade; ungraded games only in the latter.
#pragma once

#include "scores/game_record.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kelmar {

// Winning times a group keeps: the best ones (enough to rank a win that
// misses the top ten) and the latest ones (the chart).
constexpr std::size_t kKeptBestTimes = 100;
constexpr std::size_t kChartedTimes = 50;

struct GroupStatistics {
    std::string Layout{kAllLayouts}; // short name, kUnknownLayout or kAllLayouts
    Grade DealGrade = Grade::Any;    // Any: games of every grade
    int64_t Games = 0;
    int64_t Wins = 0;
    int64_t CurrentStreak = 0; // wins since the last game not won
    int64_t LongestStreak = 0;
    int64_t WinTimeSumMs = 0;
    int64_t DayGames = 0; // games of the day played, and won
    int64_t DayWins = 0;
    int32_t LastDay = 0; // day of the latest game counted; 0: none
    // The kKeptBestTimes shortest winning times, shortest first (equal
    // times each kept). Holds every win while Wins <= kKeptBestTimes.
    std::vector<int32_t> BestTimes;
    // The kChartedTimes latest winning times, oldest first.
    std::vector<int32_t> LastTimes;

    // Shortest winning time in ms; -1 without a win.
    int32_t BestTimeMs() const;
    // Mean winning time in ms, rounded to the nearest; -1 without a win.
    int32_t MeanTimeMs() const;
    // Wins per game in per cent, rounded to the nearest; 0 without a game.
    int WinPercent() const;

    friend bool operator==(const GroupStatistics&, const GroupStatistics&) = default;
};

// Counts one more game (the latest) in a group. The caller chooses the
// group; this does not look at the record's layout or grade.
void CountGame(GroupStatistics& group, const GameRecord& record);

// What a records file holds: the summaries of records that were folded
// away to keep the file small (one per group, counting the oldest games),
// then the records after them, oldest first.
struct GameRecordBook {
    std::vector<GroupStatistics> Summaries;
    std::vector<GameRecord> Records;
};

// One game of the day as the list shows it.
struct DayGameResult {
    int32_t Day = 0; // the day whose game it was
    std::string Layout;
    GameResult Result = GameResult::GivenUp;
    int32_t TimeMs = 0;
};

struct RecordStatistics {
    // The group over everything first; then per grade over every layout;
    // then per layout (by short name, letter case aside, the unknown
    // layout last), each followed by its grades. Only groups with a game.
    std::vector<GroupStatistics> Groups;
    // Every recorded game of the day, newest first (by the day it was the
    // game of, then by when it ended). Only games still held as records.
    std::vector<DayGameResult> DayGames;

    // The group of `layout` (letter case aside; kAllLayouts for all) and
    // `grade` (Any for all), or null when it has no game.
    const GroupStatistics* find(std::string_view layout, Grade grade = Grade::Any) const;
};

RecordStatistics ComputeStatistics(const GameRecordBook& book);

// Folds the `count` oldest records (all, when there are fewer) into the
// summaries; the groups come out in the order of RecordStatistics::Groups.
void SummariseOldest(GameRecordBook& book, std::size_t count);

// Where a win ranks among the player's wins on its layout. `group` holds
// the win itself (it counts the games up to and including it). Rank 1 is
// the shortest time; a win ranks below earlier wins of the same time.
struct WinRank {
    int64_t Rank = 0;
    // False when more than kKeptBestTimes wins are at least as fast, so
    // only "beyond the kept best" is known.
    bool Exact = true;
};
WinRank RankOfWin(const GroupStatistics& group, int32_t timeMs);

// The status bar's text for a win (UTF-8), e.g. "Zeit 28:14 – Ihr 3.
// bestes Spiel auf Pyramide"; rank 1 says "Ihr bestes Spiel"; a rank
// beyond the kept best says "nicht unter Ihren 100 besten Spielen".
std::string WinRankText(int32_t timeMs, WinRank rank, const std::string& layoutName);

} // namespace kelmar
