// The 10 ms timer rests while its events could change nothing on the screen.
// The fault to guard against: a resting timer leaves the sampled counter
// stale, so the first rebase after the rest (resume, new game, load, undo)
// would count the whole rest as game time.
#include "app/file_requester.h"
#include "tests/app/app_test_support.h"

#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <ostream>
#include <string>

namespace kelmar::testing {
namespace {

// Opens "QuickSave.klmr" after the player spent `dialogMs` in the dialog.
class SlowOpenDialog final : public FileRequester {
public:
    SlowOpenDialog(ManualTickSource& ticks, uint32_t dialogMs) : ticks_(ticks), ms_(dialogMs) {}
    std::optional<QString> askOpen(QWidget*, const QString&) override {
        ticks_.advance(ms_);
        return QStringLiteral("QuickSave.klmr");
    }
    std::optional<QString> askSave(QWidget*, const QString&) override { return std::nullopt; }

private:
    ManualTickSource& ticks_;
    uint32_t ms_;
};

class RestingTimer : public WindowTest {
public:
    // The window as the program makes it: the timer runs from creation.
    // Timer events are still delivered by calling the handler, so the test
    // decides when they happen.
    void createWindowWithRunningTimer() {
        MainFormServices services;
        services.ticks = &ticks;
        services.messages = &sink;
        services.files = &slowDialog;
        services.openHelp = [](const QUrl&) { return true; };
        services.msSinceMidnightUtc = [] { return 4711u; };
        form = std::make_unique<TMainForm>(services);
        ASSERT_TRUE(form->TimerObject->isActive());
    }
    void timerEvent(uint32_t ms) {
        ticks.advance(ms);
        form->TimerObjectTimer();
    }
    bool timerRuns() const { return form->TimerObject->isActive(); }
    TMainForm& window() { return *form; }
    void play() { startPlaying(); }

    // A small board that is stuck once the pair (1, 5) has been taken, 4 s
    // into its game. (Building the board resets the game clock.)
    void makeStuckAfterOneMove() {
        buildStuckAfterOneMoveBoard();
        timerEvent(4000);
        takePairThatLeavesNoMove();
    }

private:
    SlowOpenDialog slowDialog{ticks, 30000};
};

struct RestCase {
    const char* name;
    std::function<void(RestingTimer&)> rest; // reaches a state the timer rests in
    std::function<void(RestingTimer&)> wake; // the handler that should restart it
    int32_t elapsedAfterWake;                // game time one 10 ms event after the wake
};

void PrintTo(const RestCase& c, std::ostream* os) {
    *os << c.name;
}

const RestCase kRestCases[] = {
    {"ReleaseOnTheStartScreen", [](RestingTimer&) {},
     [](RestingTimer& t) { t.window().FieldMouseUp(Qt::LeftButton, 5, 5); }, 10},
    {"PauseCommandEndsThePause",
     [](RestingTimer& t) {
         t.play();
         t.timerEvent(500);
         t.window().BPauseClick();
     },
     [](RestingTimer& t) { t.window().MPauseClick(); }, 510},
    {"NewGameFromTheAboutScreen",
     [](RestingTimer& t) {
         t.play();
         t.timerEvent(500);
         t.window().MAboutClick();
     },
     [](RestingTimer& t) { t.window().BNewClick(); }, 10},
    {"LoadThroughADialogKeptOpenFor30s",
     [](RestingTimer& t) {
         t.play();
         t.timerEvent(704); // saved games keep the time in 64 ms steps
         t.window().BSaveClick();
         t.window().BPauseClick();
     },
     [](RestingTimer& t) { t.window().MLoadClick(); }, 714},
    {"UndoInAStuckGame",
     [](RestingTimer& t) {
         t.play();
         t.makeStuckAfterOneMove();
     },
     [](RestingTimer& t) { t.window().BUndoClick(); }, 4010},
    // The display refreshes again; the clock of the stuck game stays.
    {"RenderTimesShownInAStuckGame",
     [](RestingTimer& t) {
         t.play();
         t.makeStuckAfterOneMove();
     },
     [](RestingTimer& t) { t.window().MShowSpeedClick(); }, 4000},
};

class TimerWake : public RestingTimer, public ::testing::WithParamInterface<RestCase> {};

TEST_P(TimerWake, RestsWhereNothingMovesAndCountsNoneOfTheRest) {
    const RestCase& c = GetParam();
    ASSERT_NO_FATAL_FAILURE(createWindowWithRunningTimer());
    ASSERT_NO_FATAL_FAILURE(c.rest(*this));
    timerEvent(10); // the event that finds nothing to do
    EXPECT_FALSE(timerRuns());
    ticks.advance(60000);
    c.wake(*this);
    EXPECT_TRUE(timerRuns());
    timerEvent(10);
    EXPECT_EQ(game().clock.Elapsed, c.elapsedAfterWake);
    EXPECT_TRUE(sink.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Wakes, TimerWake, ::testing::ValuesIn(kRestCases),
                         [](const ::testing::TestParamInfo<RestCase>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(RestingTimer, KeepsRunningWhileTheClockMovesAndLeavesATimerStoppedFromOutside) {
    createWindowWithRunningTimer();
    startPlaying();
    for (int event = 0; event < 25; ++event) {
        timerEvent(10);
    }
    EXPECT_TRUE(timerRuns());
    EXPECT_EQ(panel(1), QStringLiteral("Zeit: 0:00"));

    form->TimerObject->stop(); // a caller that delivers the events itself
    form->BPauseClick();
    timerEvent(10);
    form->BPauseClick();
    EXPECT_FALSE(timerRuns());
}

} // namespace
} // namespace kelmar::testing
