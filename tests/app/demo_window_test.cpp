// The demonstration through the window: planned on the worker, played pair
// by pair, stopped by input and by everything that replaces or covers the
// board, with nothing played after.
#include "app/board_field.h"
#include "app/demo_runner.h"
#include "app/main_window_inside.h"
#include "core/rules.h"
#include "tests/app/app_test_support.h"

#include <QTest>
#include <functional>
#include <gtest/gtest.h>

namespace kelmar::testing {
namespace {

class Demo : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        createWindow();
        startPlaying();
        arrange();
    }
    void arrange() {
        ASSERT_FALSE(arrangeWinnableDeal(game()).empty());
        AnalyzeBoard(game());
    }
    DemoRunner& demo() { return Inside(*form).demo(); }
    void plan() {
        form->MDemoClick();
        ASSERT_TRUE(QTest::qWaitFor([this] { return !demo().planning(); }, 20000));
    }
};

// Odd steps highlight a pair, even steps take it, to the empty board.
TEST_F(Demo, PlaysEveryPairHighlightedFirstToTheEmptyBoard) {
    plan();
    EXPECT_EQ(panel(0).toStdString(), DemoRunningText());
    int steps = 0;
    while (demo().playing() && steps < 1000) {
        const int32_t before = game().history.Position;
        demo().advance();
        EXPECT_EQ(game().history.Position - before, ++steps % 2 == 0 ? 1 : 0) << steps;
        EXPECT_EQ(panel(0).toStdString() == DemoRunningText(), demo().playing()) << steps;
    }
    EXPECT_EQ(steps, 144);
    EXPECT_TRUE(game().play.GameWon);
    EXPECT_TRUE(game().Aids.Demonstrated);
}

// Its one move leaves no other: lost, told, nothing played.
TEST_F(Demo, ALostPositionIsToldAndNothingPlayed) {
    buildStuckAfterOneMoveBoard();
    plan();
    EXPECT_FALSE(demo().playing());
    EXPECT_EQ(panel(0).toStdString(), LostHintText());
    EXPECT_EQ(game().history.Position, 0);
}

// Stopped with the second pair highlighted: input and the pause leave the
// board as the first pair left it (a click on the board takes no tile); a
// new deal and a load replace it. Nothing is played afterwards.
TEST_F(Demo, InputANewBoardOrAScreenStopsItAndNothingIsPlayedAfter) {
    const std::pair<std::function<void()>, bool> cases[] = {
        {[this] { QTest::keyClick(form.get(), Qt::Key_Space); }, true},
        {[this] {
             QTest::mouseClick(Inside(*form).Field, Qt::LeftButton, {}, {320, 240});
         },
         true},
        {[this] { form->MPauseClick(); }, true},
        {[this] { form->MNewClick(); }, false},
        {[this] { form->BLoadClick(); }, false},
    };
    form->MSaveClick(); // the quick-load file
    for (const auto& [interrupt, keepsBoard] : cases) {
        if (!game().Running) {
            form->MPauseClick();
        }
        arrange();
        const int32_t start = game().history.Position;
        plan();
        for (int i = 0; i < 3; ++i) {
            demo().advance();
        }
        const PositionKey shown = PositionKey::Of(game().board);
        interrupt();
        EXPECT_FALSE(demo().playing());
        EXPECT_NE(panel(0).toStdString(), DemoRunningText());
        for (int i = 0; i < 4; ++i) {
            demo().advance();
        }
        EXPECT_EQ(game().history.Position, keepsBoard ? start + 1 : 0);
        EXPECT_EQ(PositionKey::Of(game().board) == shown, keepsBoard);
        EXPECT_FALSE(game().play.SelectionActive);
    }
}

} // namespace
} // namespace kelmar::testing
