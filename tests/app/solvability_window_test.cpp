// Still winnable? The check, the way back, the same game anew and the stuck
// dialog, through the window's handlers, with the worker thread running.
#include "app/main_view.h"
#include "app/main_window_inside.h"
#include "app/solvability_check.h"
#include "app/stuck_dialog.h"
#include "core/board.h"
#include "core/rules.h"
#include "tests/app/app_test_support.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <semaphore>

namespace kelmar::testing {
namespace {

constexpr auto W = SolveResult::Winnable;
constexpr auto U = SolveResult::Undecided;

// Ten tiles, each in its own row: two stacks that block each other's partner
// once the loose tiles of kinds 1 and 2 are gone.
//   slot 1 kind 1 under slot 2 kind 2     slot 3 kind 2 under slot 4 kind 1
//   loose: 5, 6 kind 1; 7, 8 kind 2; 9, 10 kind 3
// Taking (5, 6) keeps it winnable, (7, 8) then loses it, and (9, 10) leaves
// no move: stuck, and winnable two moves back.
class StillWinnable : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        createWindow();
        startPlaying();
        buildTrapBoard();
    }

    void buildTrapBoard() {
        Game& g = game();
        ResetBoard(g);
        const struct {
            int32_t y;
            uint8_t layer, kind;
        } tiles[] = {{0, 1, 1},   {0, 2, 2},   {54, 1, 2},  {54, 2, 1},  {108, 1, 1},
                     {162, 1, 1}, {216, 1, 2}, {270, 1, 2}, {324, 1, 3}, {378, 1, 3}};
        for (const auto& t : tiles) {
            AddSlot(g.board, 0, t.y, t.layer, t.kind);
        }
        g.board.DealtCount = 10;
        g.play.GameWon = false;
        PrepareBoardGeometry(g);
        AnalyzeBoard(g);
        Inside(*form).view().RenderBoard();
    }

    // Waits (processing events, not sleeping) for the worker's answer.
    void settle() {
        ASSERT_TRUE(QTest::qWaitFor([this] { return !Inside(*form).solvability().busy(); }, 20000));
        QCoreApplication::processEvents();
    }
    void check() {
        form->MCheckSolvableClick();
        settle();
    }
    void backToSolvable() {
        form->MBackToSolvableClick();
        settle();
    }
    int32_t elapsedAfterTick() {
        tick(10);
        return game().clock.Elapsed;
    }
};

TEST_F(StillWinnable, TellsWinnableUnwinnableAndStuckAndStaysUntilTheBoardChanges) {
    check();
    EXPECT_EQ(panel(0), QStringLiteral("Noch lösbar."));
    form->FieldMouseUp(Qt::LeftButton, 600, 470); // a click beside every tile redraws
    EXPECT_EQ(panel(0), QStringLiteral("Noch lösbar."));

    clickPair(5, 6);
    EXPECT_EQ(panel(0), QString::fromUtf8("mögliche Züge: 4"));
    clickPair(7, 8);
    check();
    EXPECT_EQ(panel(0), QString::fromUtf8("Nicht mehr lösbar. Vor einem Zug war es noch lösbar."));

    clickPair(9, 10);
    EXPECT_EQ(panel(0), QString::fromUtf8("KEINE WEITEREN ZÜGE!"));
    check();
    EXPECT_EQ(panel(0), QString::fromUtf8("Nicht mehr lösbar. Vor 2 Zügen war es noch lösbar."));
}

TEST_F(StillWinnable, AnOddBoardGetsAnAnswerAndGoingBackStopsAtTheStart) {
    RemoveTile(game().board, 10); // kind 3 once only: nothing can ever clear it
    AnalyzeBoard(game());
    clickPair(5, 6);
    backToSolvable();
    EXPECT_EQ(panel(0),
              QString::fromUtf8("Nicht lösbar. Schon die Ausgangsstellung war nicht lösbar."));
    EXPECT_EQ(game().history.Position, 1);
    form->MUndoClick();
    check();
    EXPECT_EQ(panel(0),
              QString::fromUtf8("Nicht lösbar. Diese Ausgangsstellung lässt sich nicht abräumen."));
}

TEST_F(StillWinnable, SaysNothingOnAWonBoardOrBehindThePauseScreen) {
    for (const auto& [a, b] : {std::pair{2, 7}, {4, 5}, {1, 6}, {3, 8}, {9, 10}}) {
        clickPair(a, b);
    }
    ASSERT_TRUE(game().play.GameWon);
    const int32_t elapsed = game().clock.Elapsed;
    check();
    backToSolvable();
    EXPECT_EQ(panel(0), QStringLiteral("GEWONNEN!"));
    EXPECT_EQ(game().clock.Elapsed, elapsed);

    form->MNewClick();
    form->MPauseClick();
    check();
    EXPECT_EQ(panel(0),
              QString::fromUtf8("mögliche Züge: ") + QString::number(game().play.MoveCount));
    EXPECT_EQ(game().clock.Elapsed, 0);
}

TEST_F(StillWinnable, GoesBackExactlyToTheLastWinnablePositionAsUndoWould) {
    tick(1000);
    clickPair(5, 6);
    tick(1000);
    clickPair(7, 8); // recorded at 2,010 ms: the move that lost the game
    const int32_t lostAt = game().history.Records[2].Time;
    tick(1000);
    clickPair(9, 10);
    backToSolvable();
    EXPECT_EQ(game().history.Position, 1);
    EXPECT_EQ(game().history.Length, 3) << "taken back as by undo: redo still possible";
    EXPECT_EQ(game().clock.BaseElapsed, lostAt);
    EXPECT_FALSE(game().play.NoMovesLeft);
    EXPECT_EQ(panel(0), QStringLiteral("Noch lösbar."));
    EXPECT_EQ(elapsedAfterTick(), lostAt + 10) << "the answer after going back costs nothing";

    backToSolvable(); // on a winnable position: nothing
    EXPECT_EQ(game().history.Position, 1);
}

TEST_F(StillWinnable, ChargesTheHintPenaltyOncePerPositionAndClockRun) {
    tick(10);
    const int32_t start = game().clock.Elapsed;
    check();
    EXPECT_EQ(elapsedAfterTick(), start + 10'000 + 10);
    check(); // the same position again: free
    EXPECT_EQ(elapsedAfterTick(), start + 10'000 + 20);

    clickPair(5, 6);
    check(); // a new position
    const int32_t afterSecond = elapsedAfterTick();
    EXPECT_EQ(afterSecond, start + 20'000 + 30);
    form->MUndoClick();
    form->MRedoClick(); // back on the same position by other means
    const int32_t redone = elapsedAfterTick();
    check();
    EXPECT_EQ(elapsedAfterTick(), redone + 10);

    clickPair(7, 8);
    clickPair(9, 10);
    const GameClock stuckAt = game().clock;
    check(); // a stuck board costs nothing, like the hint
    EXPECT_EQ(game().clock.Elapsed, stuckAt.Elapsed);
    EXPECT_EQ(game().clock.BaseElapsed, stuckAt.BaseElapsed);

    form->MSameGameClick(); // a new run of the clock: the start costs again
    tick(10);
    check();
    EXPECT_EQ(elapsedAfterTick(), 10'000 + 20);
}

TEST_F(StillWinnable, UndecidedCostsNothingAndSaysSo) {
    form.reset();
    solve = [](const Board&, int64_t, SolverStats*) { return U; };
    createWindow();
    startPlaying();
    buildTrapBoard();
    tick(10);
    const int32_t start = game().clock.Elapsed;
    check();
    EXPECT_EQ(panel(0),
              QString::fromUtf8("Lösbarkeit nicht entschieden. Diese Prüfung kostet keine Zeit."));
    EXPECT_EQ(elapsedAfterTick(), start + 10);
    backToSolvable();
    EXPECT_EQ(game().history.Position, 0);
}

TEST_F(StillWinnable, DropsTheAnswerOfAPositionNoLongerOnTheBoard) {
    form.reset();
    std::counting_semaphore<8> gate(0);
    int calls = 0;
    solve = [&](const Board&, int64_t, SolverStats*) {
        gate.acquire();
        ++calls;
        return W;
    };
    createWindow();
    startPlaying();
    buildTrapBoard();
    tick(10);
    const int32_t start = game().clock.Elapsed;

    form->MCheckSolvableClick();
    EXPECT_EQ(panel(0), QStringLiteral("Prüfe ..."));
    form->FieldMouseUp(Qt::LeftButton, 600, 470);
    EXPECT_EQ(panel(0), QStringLiteral("Prüfe ...")) << "a redraw of the same board keeps it";
    clickPair(5, 6); // the board changes while the worker is busy
    gate.release();
    settle();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(panel(0), QString::fromUtf8("mögliche Züge: 4"));
    EXPECT_EQ(elapsedAfterTick(), start + 10) << "no penalty for an answer never shown";

    // Asked again while busy, about a later position: the later one is answered.
    form->MCheckSolvableClick();
    clickPair(7, 8);
    form->MCheckSolvableClick();
    gate.release(8);
    settle();
    EXPECT_EQ(panel(0), QStringLiteral("Noch lösbar."));
}

class StuckDialogChoice : public StillWinnable,
                          public ::testing::WithParamInterface<StuckChoice> {};

TEST_P(StuckDialogChoice, EachChoiceDoesWhatItSays) {
    stuckChoice = GetParam();
    const PositionKey start = PositionKey::Of(game().board);
    tick(1000);
    clickPair(5, 6);
    clickPair(7, 8);
    EXPECT_EQ(stuckDialogs, 0);
    clickPair(9, 10); // stuck: the dialog is answered before the click returns
    EXPECT_EQ(stuckDialogs, 1);
    settle();
    switch (GetParam()) {
    case StuckChoice::BackToSolvable:
        EXPECT_EQ(game().history.Position, 1);
        EXPECT_EQ(panel(0), QStringLiteral("Noch lösbar."));
        break;
    case StuckChoice::Shuffle: // the two stacks get matching tops
        EXPECT_EQ(game().history.Position, 4);
        EXPECT_FALSE(game().play.NoMovesLeft);
        EXPECT_TRUE(game().Aids.Shuffled);
        break;
    case StuckChoice::SameGame:
        EXPECT_EQ(PositionKey::Of(game().board), start);
        EXPECT_EQ(game().history.Length, 0);
        EXPECT_EQ(elapsedAfterTick(), 10);
        break;
    case StuckChoice::NewGame:
        EXPECT_EQ(game().board.SlotCount, 144);
        EXPECT_EQ(game().history.Length, 0);
        break;
    case StuckChoice::Close:
        EXPECT_TRUE(game().play.NoMovesLeft);
        EXPECT_EQ(game().history.Position, 3);
        form->MUndoClick();
        EXPECT_EQ(game().history.Position, 2);
        break;
    }
    EXPECT_EQ(stuckDialogs, 1);
}

INSTANTIATE_TEST_SUITE_P(All, StuckDialogChoice,
                         ::testing::Values(StuckChoice::BackToSolvable, StuckChoice::Shuffle,
                                           StuckChoice::SameGame, StuckChoice::NewGame,
                                           StuckChoice::Close));

TEST_F(StillWinnable, TheDialogsButtonsEscapeAndCloseButtonMapToTheirChoices) {
    const struct {
        const char* button;
        StuckChoice choice;
    } buttons[] = {{"Zurück bis lösbar", StuckChoice::BackToSolvable},
                   {"Mischen", StuckChoice::Shuffle},
                   {"Gleiches Spiel neu", StuckChoice::SameGame},
                   {"Neues Spiel", StuckChoice::NewGame},
                   {"Schließen", StuckChoice::Close}};
    for (const auto& b : buttons) {
        const auto dialog = CreateStuckDialog(form.get());
        QPushButton* found = nullptr;
        for (QAbstractButton* button : dialog->buttons()) {
            if (button->text() == QString::fromUtf8(b.button)) {
                found = qobject_cast<QPushButton*>(button);
            }
        }
        ASSERT_NE(found, nullptr) << b.button;
        dialog->show();
        found->click();
        EXPECT_EQ(StuckChoiceOf(*dialog), b.choice) << b.button;
    }
    const auto escaped = CreateStuckDialog(form.get());
    escaped->show();
    QTest::keyClick(escaped.get(), Qt::Key_Escape);
    EXPECT_EQ(StuckChoiceOf(*escaped), StuckChoice::Close);
    const auto closed = CreateStuckDialog(form.get());
    closed->show();
    closed->close();
    EXPECT_EQ(StuckChoiceOf(*closed), StuckChoice::Close);
    EXPECT_EQ(escaped->windowTitle(), QStringLiteral("Kelmar"));
}

TEST_F(StillWinnable, SameGameAfterANewGameAndAfterALoadStartsTheDealAgain) {
    form->MNewClick();
    const PositionKey dealt = PositionKey::Of(game().board);
    for (int i = 0; i < 3; ++i) {
        const auto [a, b] = freeMatchingPair();
        clickPair(a, b);
    }
    tick(5000);
    form->MSameGameClick();
    EXPECT_EQ(PositionKey::Of(game().board), dealt);
    EXPECT_EQ(game().history.Length, 0);
    tick(10);
    EXPECT_EQ(panel(1), QStringLiteral("Zeit: 0:00"));

    // A loaded game starts at its board with every recorded move taken back.
    for (int i = 0; i < 4; ++i) {
        const auto [a, b] = freeMatchingPair();
        clickPair(a, b);
    }
    form->MUndoClick(); // a redoable move is saved too
    form->MSaveClick();
    form->MNewClick();
    form->BLoadClick();
    ASSERT_EQ(game().history.Position, 3);
    form->MSameGameClick();
    EXPECT_EQ(PositionKey::Of(game().board), dealt);
    EXPECT_EQ(game().history.Length, 0);
    EXPECT_TRUE(sink.messages.empty());
}

} // namespace
} // namespace kelmar::testing
