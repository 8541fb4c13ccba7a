#include "scores/high_score_table.h"

#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <vector>

namespace kelmar {
namespace {

constexpr int32_t kMinute = 60000;

TEST(HighScoreTable, StartsWithKelmarAtThreeToTwelveMinutesBehindABlankRowZero) {
    const HighScoreTable table;
    EXPECT_EQ(table.Rows[0].Name, "");
    EXPECT_EQ(table.Rows[0].Time, 0);
    EXPECT_EQ(table.Rows[0].Date, 0.0);
    for (int r = 1; r <= kScoreRows; ++r) {
        EXPECT_EQ(table.Rows[r].Name, "Kelmar") << r;
        EXPECT_EQ(table.Rows[r].Time, (r + 2) * kMinute) << r;
        EXPECT_EQ(table.Rows[r].Date, 36526.5) << r;
    }
    EXPECT_EQ(table.NewEntryRow, 0);
}

struct RankCase {
    int32_t timeMs;
    int32_t row;
};

void PrintTo(const RankCase& c, std::ostream* os) {
    *os << c.timeMs << " ms -> row " << c.row;
}

class FindRankTest : public ::testing::TestWithParam<RankCase> {};

TEST_P(FindRankTest, PlacesTheTimeAfterEveryRowItDoesNotBeat) {
    HighScoreTable table;
    table.NewEntryRow = 7; // a stale value must be overwritten, also by 0
    EXPECT_EQ(FindRank(table, GetParam().timeMs), GetParam().row);
    EXPECT_EQ(table.NewEntryRow, GetParam().row);
}

INSTANTIATE_TEST_SUITE_P(InitialTable, FindRankTest,
                         ::testing::Values(RankCase{0, 1}, RankCase{3 * kMinute - 1, 1},
                                           RankCase{3 * kMinute,
                                                    2}, // a tie ranks below the earlier entry
                                           RankCase{5 * kMinute, 4}, RankCase{12 * kMinute - 1, 10},
                                           RankCase{12 * kMinute, 0}, RankCase{INT32_MAX, 0},
                                           RankCase{-1, 0}, RankCase{INT32_MIN, 0}));

std::vector<std::string> names(const HighScoreTable& table) {
    std::vector<std::string> result;
    for (int r = 1; r <= kScoreRows; ++r) {
        result.push_back(table.Rows[r].Name);
    }
    return result;
}

HighScoreTable numberedTable() {
    HighScoreTable table;
    for (int r = 1; r <= kScoreRows; ++r) {
        table.Rows[r].Name = "n" + std::to_string(r);
    }
    return table;
}

TEST(MakeRoom, ShiftsTheRowsBelowDownAndClearsTheRow) {
    struct Case {
        int32_t row;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {1, {"", "n1", "n2", "n3", "n4", "n5", "n6", "n7", "n8", "n9"}},
        {3, {"n1", "n2", "", "n3", "n4", "n5", "n6", "n7", "n8", "n9"}},
        {9, {"n1", "n2", "n3", "n4", "n5", "n6", "n7", "n8", "", "n9"}},
        // Row 10 is overwritten by the caller; rows outside 1..10 are no rows.
        {10, {"n1", "n2", "n3", "n4", "n5", "n6", "n7", "n8", "n9", "n10"}},
        {0, {"n1", "n2", "n3", "n4", "n5", "n6", "n7", "n8", "n9", "n10"}},
        {11, {"n1", "n2", "n3", "n4", "n5", "n6", "n7", "n8", "n9", "n10"}},
        {-1, {"n1", "n2", "n3", "n4", "n5", "n6", "n7", "n8", "n9", "n10"}},
    };
    for (const Case& c : cases) {
        HighScoreTable table = numberedTable();
        MakeRoom(table, c.row);
        EXPECT_EQ(names(table), c.expected) << "row " << c.row;
        if (c.row >= 1 && c.row <= 9) {
            EXPECT_EQ(table.Rows[c.row].Time, 0);
            EXPECT_EQ(table.Rows[c.row].Date, 0.0);
            EXPECT_EQ(table.Rows[c.row + 1].Time, (c.row + 2) * kMinute); // moved whole
        }
        EXPECT_EQ(table.Rows[0].Name, "") << "the blank row stays blank";
    }
}

TEST(RecordHighScore, ATieWithRowThreeEntersAsRowFourAndDropsTheOldRowTen) {
    HighScoreTable table = numberedTable();
    const std::string longName = "ABCDEFGHIJKLMNOPQRSTUVWXY"; // 25 bytes
    EXPECT_EQ(RecordHighScore(table, longName, 5 * kMinute, 45000.25), 4);
    EXPECT_EQ(names(table), (std::vector<std::string>{"n1", "n2", "n3", longName.substr(0, 20),
                                                      "n4", "n5", "n6", "n7", "n8", "n9"}));
    EXPECT_EQ(table.Rows[4].Time, 5 * kMinute);
    EXPECT_EQ(table.Rows[4].Date, 45000.25);
    EXPECT_EQ(table.Rows[10].Time, 11 * kMinute);
    EXPECT_EQ(table.NewEntryRow, 4);
}

// The chooser shows the player's best time, not the initial rows: a slower
// real entry below them counts, one named "Kelmar" on another date too.
TEST(PlayerBestTime, SkipsTheInitialRowsWhereverTheyStand) {
    HighScoreTable table;
    EXPECT_EQ(PlayerBestTime(table), -1);
    RecordHighScore(table, "Anna", 11 * 60000, 45000.5); // row 10, below nine initial rows
    EXPECT_EQ(PlayerBestTime(table), 11 * 60000);
    RecordHighScore(table, "Kelmar", 7 * 60000, 45001.5);
    EXPECT_EQ(PlayerBestTime(table), 7 * 60000);
    RecordHighScore(table, "Bert", 60000, 45002.5);
    EXPECT_EQ(PlayerBestTime(table), 60000);
}

} // namespace
} // namespace kelmar
