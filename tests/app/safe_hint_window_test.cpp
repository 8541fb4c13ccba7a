// The hint that keeps the game winnable, through the window's handlers, with
// the worker thread running. The wait for the worker is made long, so only
// the tests end it (waitEnded), never the machine's speed.
#include "app/main_view.h"
#include "app/main_window_inside.h"
#include "app/safe_hint_check.h"
#include "app/solvability_check.h"
#include "core/board.h"
#include "core/rules.h"
#include "tests/app/app_test_support.h"

#include <QAction>
#include <QFile>
#include <QTest>
#include <atomic>
#include <gtest/gtest.h>
#include <semaphore>

namespace kelmar::testing {
namespace {

const QString kLostNote = QString::fromUtf8("Nicht mehr lösbar – Strg+B geht zurück bis lösbar.");

// Each tile in its own row:
//   slot 1 kind 1 under slot 2 kind 2     slot 3 kind 2 under slot 4 kind 1
//   loose: 5, 6 kind 2 (and with `pairOfThrees` 7, 8 kind 3)
// Kind 1 can only go once 2 is gone and kind 2 needs a partner for it: the
// plain hint (6, 5) takes both loose partners and loses the game; (6, 2)
// keeps it winnable.
class SafeHint : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        start();
    }
    void start() {
        createWindow();
        Inside(*form).safeHint().setWaitMs(600'000);
        startPlaying();
        buildTrap(false);
    }

    void buildTrap(bool pairOfThrees) {
        Game& g = game();
        ResetBoard(g);
        const struct {
            int32_t y;
            uint8_t layer, kind;
        } tiles[] = {{0, 1, 1},   {0, 2, 2},   {54, 1, 2},  {54, 2, 1},
                     {108, 1, 2}, {162, 1, 2}, {216, 1, 3}, {270, 1, 3}};
        for (const auto& t : tiles) {
            if (t.kind != 3 || pairOfThrees) {
                AddSlot(g.board, 0, t.y, t.layer, t.kind);
            }
        }
        g.board.DealtCount = g.board.SlotCount;
        g.play.GameWon = false;
        PrepareBoardGeometry(g);
        AnalyzeBoard(g);
        Inside(*form).view().RenderBoard();
    }

    // Waits (processing events, not sleeping) for the hint's answer.
    void settle() {
        ASSERT_TRUE(QTest::qWaitFor(
            [this] {
                return !Inside(*form).safeHint().waiting() && !Inside(*form).safeHint().busy();
            },
            20000));
        QCoreApplication::processEvents();
    }
    void hint() {
        form->MHintClick();
        settle();
    }
    void checkSolvable() {
        form->MCheckSolvableClick();
        ASSERT_TRUE(QTest::qWaitFor([this] { return !Inside(*form).solvability().busy(); }, 20000));
        QCoreApplication::processEvents();
    }
    std::pair<int32_t, int32_t> shown() {
        EXPECT_TRUE(game().play.HintShowing);
        return {game().play.HintSlotA, game().play.HintSlotB};
    }
    int32_t elapsedAfterTick() {
        tick(10);
        return game().clock.Elapsed;
    }
};

TEST_F(SafeHint, ShowsTheFirstPairThatKeepsTheGameWinnableAndTakesItOnTheSecondPress) {
    ASSERT_TRUE(Inside(*form).action("MSafeHint")->isChecked()) << "on by default";
    tick(10);
    const int32_t start = game().clock.Elapsed;
    hint();
    EXPECT_EQ(shown(), std::pair(6, 2));
    EXPECT_EQ(elapsedAfterTick(), start + 10'000 + 10);
    hint();
    EXPECT_FALSE(game().board.Slots[6].Present);
    EXPECT_FALSE(game().board.Slots[2].Present);
    EXPECT_EQ(elapsedAfterTick(), start + 10'000 + 20) << "the taking press is free";
    checkSolvable();
    EXPECT_EQ(panel(0), QStringLiteral("Noch lösbar."));

    // Following the hint, the next one comes at once from the winning order
    // the solver found, without the worker.
    form->MHintClick();
    EXPECT_FALSE(Inside(*form).safeHint().waiting());
    EXPECT_EQ(shown(), std::pair(4, 1));
}

TEST_F(SafeHint, TurnedOffTheHintIsThePlainOneAndTheLineIsWritten) {
    Inside(*form).action("MSafeHint")->trigger();
    EXPECT_FALSE(Inside(*form).action("MSafeHint")->isChecked());
    form->MHintClick();
    EXPECT_FALSE(Inside(*form).safeHint().waiting()) << "no judgement asked for";
    EXPECT_EQ(shown(), std::pair(6, 5));
    form->ShutDownGame();
    QFile ini(QStringLiteral("Kelmar.ini"));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_TRUE(ini.readAll().contains("\r\nZoom=100\r\nLayout=Pyramide\r\nSafeHint=0\r\n"));

    form.reset();
    start(); // reads SafeHint=0 back
    EXPECT_FALSE(Inside(*form).action("MSafeHint")->isChecked());
    form->MHintClick();
    EXPECT_EQ(shown(), std::pair(6, 5));
}

TEST_F(SafeHint, AfterGoingBackToWinnableItShowsAPairThatKeepsItSo) {
    clickPair(6, 5); // stuck: 2 and 4 are left free and do not match
    ASSERT_TRUE(game().play.NoMovesLeft);
    form->MBackToSolvableClick();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !Inside(*form).solvability().busy(); }, 20000));
    QCoreApplication::processEvents();
    ASSERT_EQ(game().history.Position, 0);
    hint();
    EXPECT_EQ(shown(), std::pair(6, 2));
    hint();
    checkSolvable();
    EXPECT_EQ(panel(0), QStringLiteral("Noch lösbar."));
}

TEST_F(SafeHint, OnALostGameShowsThePlainPairSaysSoAndTheFollowingCheckIsFree) {
    buildTrap(true);
    hint();
    EXPECT_EQ(shown(), std::pair(8, 7)) << "where the plain pair is safe it stays";
    form->FieldMouseUp(Qt::LeftButton, 600, 470); // a redraw ends the shown hint
    clickPair(6, 5);                              // lost; the threes can still go
    tick(10);
    const int32_t lostAt = game().clock.Elapsed;
    hint();
    EXPECT_EQ(shown(), std::pair(8, 7));
    EXPECT_EQ(panel(0), kLostNote);
    EXPECT_EQ(elapsedAfterTick(), lostAt + 10'000 + 10);
    checkSolvable();
    EXPECT_EQ(panel(0), QString::fromUtf8("Nicht mehr lösbar. Vor einem Zug war es noch lösbar."));
    EXPECT_EQ(elapsedAfterTick(), lostAt + 10'000 + 20) << "the hint paid for the answer";
    hint(); // takes the pair; the note goes with the position
    EXPECT_NE(panel(0), kLostNote);
}

// A solver that waits for the test's word, then judges the trap as the real
// one does: the position after both loose twos are gone is lost.
class SafeHintSlowWorker : public SafeHint {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        solve = [this](const Board& board, int64_t, SolverStats*) {
            gate.acquire();
            ++calls;
            return !board.Slots[5].Present && !board.Slots[6].Present ? SolveResult::Unwinnable
                                                                      : SolveResult::Winnable;
        };
        start();
        tick(10);
    }
    void TearDown() override {
        gate.release(100); // never leave the worker blocked
        SafeHint::TearDown();
    }
    std::counting_semaphore<1000> gate{0};
    std::atomic<int> calls{0};
};

TEST_F(SafeHintSlowWorker, AnAnswerForABoardThatChangedMeanwhileIsDropped) {
    buildTrap(true); // the clock starts again at 0
    form->MHintClick();
    EXPECT_TRUE(Inside(*form).safeHint().waiting());
    EXPECT_FALSE(game().play.HintShowing) << "nothing shown before the judgement";
    form->MHintClick(); // pressed again while waiting: still one question
    clickPair(8, 7);    // the board changes while the worker is busy; moves are left
    gate.release(2);    // the old board and (8, 7) on it: winnable
    settle();
    EXPECT_EQ(calls, 2);
    EXPECT_FALSE(game().play.HintShowing);
    EXPECT_EQ(elapsedAfterTick(), 10) << "no penalty for a pair never shown";

    // A redraw of the same board keeps the question.
    form->MHintClick();
    form->FieldMouseUp(Qt::LeftButton, 600, 470);
    gate.release(2);
    settle();
    EXPECT_EQ(shown(), std::pair(6, 2));
}

TEST_F(SafeHintSlowWorker, WhenTheWaitEndsFirstThePlainPairIsShownAndTheLateAnswerChangesNothing) {
    form->MHintClick();
    Inside(*form).safeHint().waitEnded();
    EXPECT_EQ(shown(), std::pair(6, 5));
    EXPECT_NE(panel(0), kLostNote) << "nothing said without a judgement";
    gate.release(3); // the position, (6, 5) lost, (6, 2) safe
    settle();
    EXPECT_EQ(shown(), std::pair(6, 5));
    EXPECT_EQ(elapsedAfterTick(), 10'000 + 20) << "charged once";

    hint(); // takes it; the verdicts the late answer brought are kept
    EXPECT_EQ(calls, 3);
}

TEST_F(SafeHintSlowWorker, APauseMeanwhileShowsNothing) {
    form->MHintClick();
    form->MPauseClick();
    gate.release(3);
    settle();
    form->MPauseClick();
    EXPECT_FALSE(game().play.HintShowing);
    EXPECT_EQ(elapsedAfterTick(), 20) << "nothing charged";
    hint(); // asked again: answered from the verdicts the worker found
    EXPECT_EQ(shown(), std::pair(6, 2));
    EXPECT_EQ(calls, 3);
}

TEST_F(SafeHintSlowWorker, TurningTheOptionOffMeanwhileShowsNothing) {
    form->MHintClick();
    Inside(*form).action("MSafeHint")->trigger();
    EXPECT_FALSE(Inside(*form).safeHint().waiting());
    gate.release(3);
    settle();
    EXPECT_FALSE(game().play.HintShowing);
    EXPECT_EQ(elapsedAfterTick(), 20);
}

} // namespace
} // namespace kelmar::testing
