#include "scores/statistics.h"

#include <gtest/gtest.h>
#include <ostream>
#include <random>
#include <string>
#include <vector>

namespace kelmar {
namespace {

GameRecord game(GameResult result, int32_t timeMs = 60000, std::string layout = "Pyramide",
                Grade grade = Grade::Any, int32_t day = 46000) {
    GameRecord record;
    record.Result = result;
    record.TimeMs = timeMs;
    record.Layout = std::move(layout);
    record.DealGrade = grade;
    record.Day = day;
    return record;
}

// 'W' won, 'S' stuck, 'G' given up; the wins take `times` in turn.
GameRecordBook playedOnPyramid(const std::string& results, const std::vector<int32_t>& times) {
    GameRecordBook book;
    std::size_t win = 0;
    for (const char c : results) {
        const GameResult result = c == 'W'   ? GameResult::Won
                                  : c == 'S' ? GameResult::Stuck
                                             : GameResult::GivenUp;
        book.Records.push_back(
            game(result, result == GameResult::Won && win < times.size() ? times[win++] : 0));
    }
    return book;
}

struct StreakCase {
    std::string results;
    std::vector<int32_t> times;
    int64_t wins, current, longest;
    int percent;
    int32_t best, mean;
};

void PrintTo(const StreakCase& c, std::ostream* os) {
    *os << c.results;
}

class StreakTest : public ::testing::TestWithParam<StreakCase> {};

TEST_P(StreakTest, CountsRunsOfWinsThatAnyOtherEndBreaks) {
    const StreakCase& c = GetParam();
    const RecordStatistics stats = ComputeStatistics(playedOnPyramid(c.results, c.times));
    const GroupStatistics* group = stats.find("pyramide");
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->Games, static_cast<int64_t>(c.results.size()));
    EXPECT_EQ(group->Wins, c.wins);
    EXPECT_EQ(group->CurrentStreak, c.current);
    EXPECT_EQ(group->LongestStreak, c.longest);
    EXPECT_EQ(group->WinPercent(), c.percent);
    EXPECT_EQ(group->BestTimeMs(), c.best);
    EXPECT_EQ(group->MeanTimeMs(), c.mean);
    GroupStatistics overall = *stats.find(kAllLayouts);
    overall.Layout = group->Layout;
    EXPECT_EQ(overall, *group) << "one layout: the overall group counts the same";
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, StreakTest,
    ::testing::Values(StreakCase{"S", {}, 0, 0, 0, 0, -1, -1},
                      StreakCase{"W", {90000}, 1, 1, 1, 100, 90000, 90000},
                      StreakCase{"WWSW", {3000, 1000, 2000}, 3, 1, 2, 75, 1000, 2000},
                      StreakCase{"GWWW", {1, 2, 3}, 3, 3, 3, 75, 1, 2},
                      // a game given up breaks a streak like a stuck one
                      StreakCase{"WWWGWW", {5, 5, 5, 5, 5}, 5, 2, 3, 83, 5, 5},
                      // 2/3 rounds to 67 %, a mean of 1000.5 ms to 1001
                      StreakCase{"WGW", {1000, 1001}, 2, 1, 1, 67, 1000, 1001}));

TEST(Statistics, GroupsEveryLayoutTheGradesAndEachLayoutInAFixedOrder) {
    GameRecordBook book;
    book.Records = {game(GameResult::Won, 1000, "ring", Grade::Easy),
                    game(GameResult::Won, 2000, "Pyramide", Grade::Hard),
                    game(GameResult::Stuck, 0, "?"), game(GameResult::Won, 3000, "Pyramide"),
                    game(GameResult::GivenUp, 0, "Ring", Grade::Easy)};
    const RecordStatistics stats = ComputeStatistics(book);
    std::vector<std::string> keys;
    for (const GroupStatistics& group : stats.Groups) {
        keys.push_back(group.Layout + "/" + std::to_string(static_cast<int>(group.DealGrade)) +
                       ":" + std::to_string(group.Games) + "," + std::to_string(group.Wins));
    }
    // Ungraded games count only in the group of every grade; "ring" and
    // "Ring" are one layout under its latest spelling; the unknown one last.
    EXPECT_EQ(keys,
              (std::vector<std::string>{"*/0:5,3", "*/1:2,1", "*/3:1,1", "Pyramide/0:2,2",
                                        "Pyramide/3:1,1", "Ring/0:2,1", "Ring/1:2,1", "?/0:1,0"}));
    EXPECT_EQ(stats.find("RING", Grade::Easy)->CurrentStreak, 0);
    EXPECT_EQ(stats.find("Pyramide", Grade::Medium), nullptr);
}

TEST(Statistics, ListsTheGamesOfTheDayNewestDayFirst) {
    GameRecordBook book;
    const int32_t days[] = {46001, 0, 46003, 46001};
    for (const int32_t day : days) {
        book.Records.push_back(game(GameResult::Won, 1000 + day));
        book.Records.back().DayGame = day;
    }
    const RecordStatistics stats = ComputeStatistics(book);
    ASSERT_EQ(stats.DayGames.size(), 3u);
    EXPECT_EQ(stats.DayGames[0].Day, 46003);
    EXPECT_EQ(stats.DayGames[1].Day, 46001);
    EXPECT_EQ(stats.DayGames[2].Day, 46001);
    EXPECT_EQ(stats.Groups[0].DayGames, 3);
    EXPECT_EQ(stats.Groups[0].DayWins, 3);
}

// Folding records into summaries, once or again over older summaries, must
// leave every count, streak and kept time as counting the records gives.
TEST(Statistics, SummariesCountExactlyWhatTheRecordsTheyReplaceCounted) {
    std::mt19937 random(20261208);
    GameRecordBook book;
    const char* layouts[] = {"Pyramide", "Ring", "?"};
    for (int i = 0; i < 600; ++i) {
        const auto roll = random() % 10;
        GameRecord record =
            game(roll < 6   ? GameResult::Won
                 : roll < 8 ? GameResult::Stuck
                            : GameResult::GivenUp,
                 static_cast<int32_t>(60000 + random() % 900000), layouts[random() % 3],
                 static_cast<Grade>(random() % 4), 46000 + i / 10);
        record.DayGame = random() % 5 == 0 ? record.Day : 0;
        book.Records.push_back(record);
    }
    const RecordStatistics whole = ComputeStatistics(book);
    ASSERT_GT(whole.Groups[0].Wins, static_cast<int64_t>(kKeptBestTimes));
    for (const std::size_t first : {0u, 1u, 57u, 300u, 600u}) {
        GameRecordBook folded = book;
        SummariseOldest(folded, first);
        SummariseOldest(folded, 40);
        EXPECT_EQ(folded.Records.size(), 600 - std::min<std::size_t>(600, first + 40));
        EXPECT_EQ(ComputeStatistics(folded).Groups, whole.Groups) << first;
    }
}

struct RankCase {
    std::vector<int32_t> earlier;
    int32_t time;
    int64_t rank;
    bool exact;
};

std::vector<int32_t> ascending(int32_t from, int count) {
    std::vector<int32_t> times;
    for (int i = 0; i < count; ++i) {
        times.push_back(from + i);
    }
    return times;
}

void PrintTo(const RankCase& c, std::ostream* os) {
    *os << c.earlier.size() << " earlier wins, then " << c.time << " ms";
}

class RankTest : public ::testing::TestWithParam<RankCase> {};

TEST_P(RankTest, RanksTheLatestWinAfterEveryEarlierWinAtLeastAsFast) {
    GroupStatistics group;
    for (const int32_t time : GetParam().earlier) {
        CountGame(group, game(GameResult::Won, time));
        CountGame(group, game(GameResult::Stuck)); // losses do not rank
    }
    CountGame(group, game(GameResult::Won, GetParam().time));
    const WinRank rank = RankOfWin(group, GetParam().time);
    EXPECT_EQ(rank.Rank, GetParam().rank);
    EXPECT_EQ(rank.Exact, GetParam().exact);
}

INSTANTIATE_TEST_SUITE_P(
    Times, RankTest,
    ::testing::Values(RankCase{{}, 500, 1, true}, RankCase{{300, 700}, 500, 2, true},
                      RankCase{{500}, 500, 2, true}, // a tie ranks below the earlier win
                      RankCase{ascending(1000, 150), 5, 1, true},
                      RankCase{ascending(1, 150), 50, 51, true},
                      RankCase{ascending(1, 99), 1000, 100, true},
                      // more kept wins are faster than the kept best reach
                      RankCase{ascending(1, 150), 1000, kKeptBestTimes + 1, false}));

TEST(Statistics, SaysWhereAWinRanksInTheStatusBarsWords) {
    EXPECT_EQ(WinRankText(1694250, {3, true}, "Pyramide"),
              "Zeit 28:14 \u2013 Ihr 3. bestes Spiel auf Pyramide");
    EXPECT_EQ(WinRankText(61000, {1, true}, "Ring"), "Zeit 01:01 \u2013 Ihr bestes Spiel auf Ring");
    EXPECT_EQ(WinRankText(61000, {101, false}, "Ring"),
              "Zeit 01:01 \u2013 nicht unter Ihren 100 besten Spielen auf Ring");
}

} // namespace
} // namespace kelmar
