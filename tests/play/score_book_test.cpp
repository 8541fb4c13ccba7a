#include "scores/score_book.h"

#include <gtest/gtest.h>

namespace kelmar {
namespace {

constexpr int32_t kInitialRowTen = 12 * 60000;

// The pyramid's table is found under its short name in any case, and no
// other layout's table is ever the pyramid's; a layout without a table
// shows an empty one without getting one.
TEST(ScoreBook, NamesEveryTableByShortNameAndMakesOneOnlyForATimeThatEnters) {
    ScoreBook book;
    RecordHighScore(book.pyramid(), "Anna", 95000, 45000.5);
    for (const char* name : {"Pyramide", "pyramide", "PYRAMIDE"}) {
        EXPECT_EQ(&book.table(name), &book.pyramid()) << name;
        EXPECT_EQ(book.find(name), &book.pyramid()) << name;
        EXPECT_EQ(book.playerBest(name), 95000) << name;
    }
    EXPECT_EQ(book.find("Ring"), nullptr);
    EXPECT_TRUE(IsEmptyRow(book.table("Ring").Rows[1]));
    EXPECT_EQ(book.playerBest("Ring"), -1);
    EXPECT_TRUE(book.others().empty());

    EXPECT_EQ(book.tableForWin("Ring", -1), nullptr);
    EXPECT_TRUE(book.others().empty());
    HighScoreTable* ring = book.tableForWin("Ring", kInitialRowTen);
    ASSERT_NE(ring, nullptr);
    EXPECT_EQ(book.find("RING"), ring);
    EXPECT_EQ(&book.table("ring"), ring);
    EXPECT_EQ(book.tableForWin("Ring", kInitialRowTen), ring); // it exists now
    EXPECT_EQ(book.tableForWin("Pyramide", kInitialRowTen), &book.pyramid());
}

// A layout's table starts empty: its first ten wins enter whatever their
// times (a slow first win included), the eleventh only when it beats the
// tenth row. The pyramid keeps its ten initial rows: a 12-minute win there
// enters nowhere.
TEST(ScoreBook, OtherLayoutsStartEmptyAndTakeEveryWinUntilTenRowsAreThere) {
    ScoreBook book;
    EXPECT_EQ(FindRank(*book.tableForWin("Pyramide", kInitialRowTen), kInitialRowTen), 0);
    struct Case {
        int32_t timeMs;
        int32_t row; // where it enters, 0: not at all
    };
    const Case cases[] = {
        {kInitialRowTen, 1}, {30 * 60000, 2}, {60000, 1},      {kInitialRowTen, 3},
        {5 * 60000, 2},      {40 * 60000, 6}, {40 * 60000, 7}, {0, 1},
        {90 * 60000, 9},     {20 * 60000, 6}, {95 * 60000, 0}, // the eleventh: slower than row 10
        {85 * 60000, 10},
    };
    for (const Case& c : cases) {
        HighScoreTable* bridge = book.tableForWin("Bruecke", c.timeMs);
        ASSERT_NE(bridge, nullptr);
        EXPECT_EQ(RecordHighScore(*bridge, "Bea", c.timeMs, 45000.5), c.row) << c.timeMs;
    }
    const HighScoreTable& bridge = *book.find("Bruecke");
    EXPECT_EQ(bridge.Rows[10].Time, 85 * 60000);
    EXPECT_EQ(PlayerBestTime(bridge), 0);
    EXPECT_EQ(book.pyramid().Rows[10].Name, "Kelmar");
    EXPECT_EQ(book.pyramid().Rows[10].Time, kInitialRowTen);
}

} // namespace
} // namespace kelmar
