// The demonstration through the window: planned on the worker, played pair
// by pair, stopped by input and by everything that replaces or covers the
// board, with nothing played after.
#include "app/board_field.h"
#include "app/demo_runner.h"
#include "app/main_view.h"
#include "app/main_window_inside.h"
#include "app/position_worker.h"
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
        arrangeBoard();
    }
    void arrangeBoard() {
        ASSERT_FALSE(arrangeWinnableDeal(game()).empty());
        AnalyzeBoard(game());
        Inside(*form).view().RenderBoard();
    }
    DemoRunner& demo() { return Inside(*form).demo(); }
    // Until the worker's plan has come and its leftovers are deleted.
    void settle() {
        ASSERT_TRUE(QTest::qWaitFor(
            [this] { return !demo().planning() && demo().findChildren<PositionWorker*>().empty(); },
            20000));
    }
    void startDemo() {
        form->MDemoClick();
        settle();
        ASSERT_TRUE(demo().playing());
    }
};

TEST_F(Demo, PlaysEveryPairHighlightedFirstToTheEmptyBoard) {
    startDemo();
    EXPECT_EQ(panel(0).toStdString(), DemoRunningText());
    int steps = 0;
    while (demo().playing() && steps < 1000) {
        const int32_t before = game().history.Position;
        demo().advance();
        ++steps;
        // Odd steps highlight, even steps take.
        EXPECT_EQ(game().history.Position - before, steps % 2 == 0 ? 1 : 0) << steps;
    }
    EXPECT_TRUE(game().play.GameWon);
    EXPECT_EQ(steps, 144);
    EXPECT_EQ(game().history.Position, 72);
    EXPECT_TRUE(game().Aids.Demonstrated);
}

// A lost position (its one move leaves no other) is told and nothing is
// played.
TEST_F(Demo, ALostPositionIsToldAndNothingPlayed) {
    buildStuckAfterOneMoveBoard();
    ASSERT_FALSE(game().play.NoMovesLeft);
    form->MDemoClick();
    settle();
    EXPECT_FALSE(demo().playing());
    EXPECT_EQ(panel(0).toStdString(), LostHintText());
    EXPECT_EQ(game().history.Position, 0);
}

// Whatever stops it mid-way, the board stays as the last pair left it, a
// highlighted pair is not taken, and nothing is played afterwards.
TEST_F(Demo, InputANewBoardOrAScreenStopsItAndNothingIsPlayedAfter) {
    const struct {
        const char* name;
        std::function<void()> interrupt;
        bool keepsBoard;
    } cases[] = {
        {"key", [this] { QTest::keyClick(form.get(), Qt::Key_Space); }, true},
        {"click on the board",
         [this] { QTest::mouseClick(Inside(*form).Field, Qt::LeftButton, {}, QPoint(320, 240)); },
         true},
        {"pause", [this] { form->MPauseClick(); }, true},
        {"new deal", [this] { form->MNewClick(); }, false},
        {"load", [this] { form->BLoadClick(); }, false},
    };
    form->MSaveClick(); // the quick-load file
    for (const auto& c : cases) {
        if (!game().Running) {
            form->MPauseClick();
        }
        arrangeBoard();
        game().play.SelectionActive = false;
        const int32_t start = game().history.Position;
        startDemo();
        demo().advance();
        demo().advance();
        demo().advance(); // the second pair is highlighted
        ASSERT_EQ(game().history.Position, start + 1) << c.name;
        const Board board = game().board;
        c.interrupt();
        EXPECT_FALSE(demo().playing()) << c.name;
        for (int i = 0; i < 4; ++i) {
            demo().advance();
        }
        if (c.keepsBoard) {
            EXPECT_EQ(game().history.Position, start + 1) << c.name;
            EXPECT_TRUE(PositionKey::Of(game().board) == PositionKey::Of(board)) << c.name;
            EXPECT_FALSE(game().play.SelectionActive) << c.name;
        } else {
            EXPECT_EQ(game().history.Position, 0) << c.name;
        }
    }
}

// A new deal while the plan is being made: the plan is never played.
TEST_F(Demo, ANewDealWhilePlanningDropsThePlan) {
    form->MDemoClick();
    form->MNewClick();
    EXPECT_FALSE(demo().planning());
    settle();
    EXPECT_FALSE(demo().playing());
    EXPECT_EQ(game().history.Position, 0);
    EXPECT_FALSE(game().Aids.Demonstrated);
}

} // namespace
} // namespace kelmar::testing
