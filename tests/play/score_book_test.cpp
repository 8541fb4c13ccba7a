#include "scores/score_book.h"

#include <gtest/gtest.h>

namespace kelmar {
namespace {

constexpr int32_t kInitialRowTen = 12 * 60000;

// The pyramid's table is found under its short name in any case, and no
// other layout's table is ever the pyramid's; a layout without a table
// shows the initial rows without getting one.
TEST(ScoreBook, NamesEveryTableByShortNameAndMakesOneOnlyForATimeThatEnters) {
    ScoreBook book;
    RecordHighScore(book.pyramid(), "Anna", 95000, 45000.5);
    for (const char* name : {"Pyramide", "pyramide", "PYRAMIDE"}) {
        EXPECT_EQ(&book.table(name), &book.pyramid()) << name;
        EXPECT_EQ(book.find(name), &book.pyramid()) << name;
        EXPECT_EQ(book.playerBest(name), 95000) << name;
    }
    EXPECT_EQ(book.find("Ring"), nullptr);
    EXPECT_EQ(book.table("Ring").Rows[1].Name, "Kelmar");
    EXPECT_EQ(book.playerBest("Ring"), -1);
    EXPECT_TRUE(book.others().empty());

    EXPECT_EQ(book.tableForWin("Ring", kInitialRowTen), nullptr);
    EXPECT_TRUE(book.others().empty());
    HighScoreTable* ring = book.tableForWin("Ring", kInitialRowTen - 1);
    ASSERT_NE(ring, nullptr);
    EXPECT_EQ(book.find("RING"), ring);
    EXPECT_EQ(&book.table("ring"), ring);
    EXPECT_EQ(book.tableForWin("Ring", kInitialRowTen), ring); // it exists now
    EXPECT_EQ(book.tableForWin("Pyramide", kInitialRowTen), &book.pyramid());
}

} // namespace
} // namespace kelmar
