// The paced timer: it rests while its events could change nothing on the
// screen and, in a game running with moves left, wakes only when the time
// text changes. The faults to guard against: a timer that does not step
// leaves the sampled counter and the game time stale, so a rebase (resume,
// new game, load, undo) would count the rest as game time, and a move, hint,
// save or best time would store an old time; and a quiet timer that wakes
// late, early or too often changes what the player sees.
#include "app/file_requester.h"
#include "app/main_view.h"
#include "app/main_window_inside.h"
#include "app/status_panels.h"
#include "core/board.h"
#include "core/rules.h"
#include "play/clock.h"
#include "tests/app/app_test_support.h"

#include <QFile>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

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
        services.askStuck = [](QWidget*) { return StuckChoice::Close; };
        services.ticks = &ticks;
        services.messages = &sink;
        services.files = &slowDialog;
        services.openHelp = [](const QUrl&) { return true; };
        services.msSinceMidnightUtc = [] { return 4711u; };
        form = std::make_unique<TMainForm>(services);
        ASSERT_TRUE(Inside(*form).TimerObject->isActive());
    }
    void timerEvent(uint32_t ms) {
        ticks.advance(ms);
        form->TimerObjectTimer();
    }
    bool timerRuns() const { return Inside(*form).TimerObject->isActive(); }
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

    Inside(*form).TimerObject->stop(); // a caller that delivers the events itself
    form->BPauseClick();
    timerEvent(10);
    form->BPauseClick();
    EXPECT_FALSE(timerRuns());
}

// --- The quiet timer against a timer that fires every 10 ms ---------------

using Action = std::function<void(TMainForm&)>;

void clickSlot(TMainForm& window, int32_t slot) {
    const Rect r = TileRect(window.game().board, slot);
    const int x = (r.Left + r.Right) / 2;
    const int y = (r.Top + r.Bottom) / 2;
    window.FieldMouseDown(Qt::LeftButton, x, y);
    window.FieldMouseUp(Qt::LeftButton, x, y);
}

// Takes the first free matching pair in the order of the free list.
void takeAPair(TMainForm& window) {
    const auto pairs = FreeMatchingPairs(window.game());
    ASSERT_FALSE(pairs.empty()) << "no free pair";
    clickSlot(window, pairs.front().first);
    clickSlot(window, pairs.front().second);
}

// Six free tiles, each in its own row: three pairs win the game.
void sixTileBoard(TMainForm& window) {
    Game& g = window.game();
    ResetBoard(g);
    const uint8_t kinds[] = {1, 2, 3, 1, 2, 3};
    for (int32_t i = 0; i < 6; ++i) {
        AddSlot(g.board, 100, 70 * i, 1, kinds[i]);
    }
    g.board.DealtCount = 6;
    PrepareBoardGeometry(g);
    AnalyzeBoard(g);
}

struct Step {
    uint32_t atMs; // after the start of the run, a multiple of 10
    Action act;
};

struct Script {
    const char* name;
    Action setUp; // on the start screen, before the run
    std::vector<Step> steps;
    uint32_t lengthMs;
    uint32_t startTick; // counter value at the creation of the windows
};

void PrintTo(const Script& s, std::ostream* os) {
    *os << s.name;
}

const Action kStart = [](TMainForm& w) { w.FieldMouseUp(Qt::LeftButton, 5, 5); };
const Action kNoSetUp = [](TMainForm&) {};

const std::vector<Step> kDealtGame = {
    {0, kStart},
    {2340, takeAPair},
    {5000,
     [](TMainForm& w) {
         w.BHintClick();
         WaitForHint(w);
     }},
    {5730, [](TMainForm& w) { w.MHintClick(); }}, // takes the pair shown
    {8120, [](TMainForm& w) { w.BUndoClick(); }},
    {9000, [](TMainForm& w) { w.BRedoClick(); }},
    {12340, [](TMainForm& w) { w.BPauseClick(); }},
    {15000, [](TMainForm& w) { w.FieldMouseUp(Qt::LeftButton, 5, 5); }},
    {17770, [](TMainForm& w) { w.BSaveClick(); }},
    {18000, takeAPair},
    {21010, [](TMainForm& w) { w.BLoadClick(); }},
    {23450, [](TMainForm& w) { w.MShowSpeedClick(); }},
    {25000, [](TMainForm& w) { w.MShowSpeedClick(); }},
    {27000, [](TMainForm& w) { w.BNewClick(); }},
    {28120, [](TMainForm& w) { w.MAboutClick(); }},
    {29000, [](TMainForm& w) { w.BPauseClick(); }},
};

const std::vector<Step> kWonGame = {
    {0, kStart},
    {1500, takeAPair},
    {3200,
     [](TMainForm& w) {
         w.BHintClick();
         WaitForHint(w);
     }},
    {4010, takeAPair},
    {6660, takeAPair}, // the win: best-time check, then the replay
    {8000, [](TMainForm& w) { w.BPauseClick(); }},
    {9000, [](TMainForm& w) { w.BPauseClick(); }},
    {10000, [](TMainForm& w) { w.BNewClick(); }},
};

constexpr uint32_t kNearTheWrap = 0xFFFFFFFFu - 14000; // wraps 14 s into the run

const Script kScripts[] = {
    {"DealtGame", kNoSetUp, kDealtGame, 31000, 1000},
    {"DealtGameAcrossTheCounterWrap", kNoSetUp, kDealtGame, 31000, kNearTheWrap},
    {"WonGame", sixTileBoard, kWonGame, 13000, 1000},
    {"WonGameAcrossTheCounterWrap", sixTileBoard, kWonGame, 13000, kNearTheWrap + 7000},
    {"IdleMinute", kNoSetUp, {{0, kStart}}, 60000, 1000},
};

// What the player sees and what the game stores, after a handler.
struct Stored {
    std::vector<int32_t> moveTimes;
    int32_t elapsed, baseElapsed;
    uint32_t baseTick, nextStatusTick;
    QByteArray savedGame;
    std::vector<int32_t> bestTimes;
    QString panel0, panel1;
    bool operator==(const Stored&) const = default;
};

void PrintTo(const Stored& s, std::ostream* os) {
    *os << "elapsed " << s.elapsed << ", base " << s.baseElapsed << " at " << s.baseTick
        << ", moves " << s.moveTimes.size() << ", best " << s.bestTimes.size() << ", "
        << s.panel1.toStdString();
}

// Runs a script on two windows over the same counter: the reference, whose
// timer event comes every 10 ms as a stopped timer's caller delivers it, and
// the window as the program runs it, whose event comes when its own timer is
// due, as set by the last handler or event (tests never run the event loop,
// so the real timer never fires).
class QuietTimer : public WindowTest, public ::testing::WithParamInterface<Script> {
protected:
    void createBoth(const Script& script) {
        ticks.set(script.startTick);
        createWindow(); // the reference, `form`
        MainFormServices services;
        services.askStuck = [](QWidget*) { return StuckChoice::Close; };
        services.ticks = &ticks;
        services.messages = &sink;
        services.files = &files;
        services.openHelp = [](const QUrl&) { return true; };
        services.msSinceMidnightUtc = [] { return 4711u; };
        quiet = std::make_unique<TMainForm>(services);
        // The second window in the folder says once that it keeps no game.
        ASSERT_EQ(sink.messages.size(), 1u);
        sink.messages.clear();
        Inside(*form).view().setHighScoreSink([this](int32_t ms) { bestTimes[0].push_back(ms); });
        Inside(*quiet).view().setHighScoreSink([this](int32_t ms) { bestTimes[1].push_back(ms); });
        script.setUp(*form);
        script.setUp(*quiet);
        armQuiet();
    }
    // The quiet window's timer was (re)started at the present count.
    void armQuiet() {
        wakeAt.reset();
        if (Inside(*quiet).TimerObject->isActive()) {
            wakeAt = ticks.now() + static_cast<uint32_t>(Inside(*quiet).TimerObject->interval());
        }
    }
    Stored stored(TMainForm& w, int index) {
        const Game& g = w.game();
        Stored s{{},
                 g.clock.Elapsed,
                 g.clock.BaseElapsed,
                 g.clock.BaseTick,
                 g.clock.NextStatusTick,
                 {},
                 bestTimes[index],
                 Inside(w).Status->panelText(0),
                 Inside(w).Status->panelText(1)};
        for (int32_t i = 1; i <= g.history.Length; ++i) {
            s.moveTimes.push_back(g.history.Records[static_cast<std::size_t>(i)].Time);
        }
        QFile saved(QStringLiteral("QuickSave.klmr"));
        if (saved.open(QIODevice::ReadOnly)) {
            s.savedGame = saved.readAll();
        }
        return s;
    }

    std::unique_ptr<TMainForm> quiet;
    std::optional<uint32_t> wakeAt;
    std::vector<int32_t> bestTimes[2];
};

TEST_P(QuietTimer, ShowsAndStoresWhatATimerEvery10MsWouldAndWakesAtMostTwiceASecondWhenIdle) {
    const Script& script = GetParam();
    ASSERT_NO_FATAL_FAILURE(createBoth(script));
    std::map<uint32_t, int> wakeUps; // per second of the run that was idle and quiet
    std::size_t next = 0;
    for (uint32_t ms = 0; ms < script.lengthMs; ms += 10) {
        const uint32_t second = ms / 1000;
        if (ms % 1000 == 0) {
            wakeUps[second] = 0;
        }
        if (ms > 0) {
            ticks.advance(10);
            form->TimerObjectTimer();
            if (wakeAt && static_cast<int32_t>(ticks.now() - *wakeAt) >= 0) {
                quiet->TimerObjectTimer();
                armQuiet();
                if (wakeUps.count(second) != 0) {
                    ++wakeUps[second];
                }
            }
        }
        while (next < script.steps.size() && script.steps[next].atMs == ms) {
            wakeUps.erase(second);
            script.steps[next].act(*form);
            const Stored reference = stored(*form, 0);
            script.steps[next].act(*quiet);
            armQuiet();
            ASSERT_EQ(stored(*quiet, 1), reference) << "after the step at " << ms << " ms";
            ++next;
        }
        if (TimerPaceFor(quiet->game()) != TimerPace::Quiet) {
            wakeUps.erase(second);
        }
        ASSERT_EQ(Inside(*quiet).Status->panelText(1), Inside(*form).Status->panelText(1))
            << ms << " ms";
    }
    EXPECT_TRUE(sink.messages.empty());
    std::size_t idleSeconds = 0;
    for (const auto& [second, count] : wakeUps) {
        EXPECT_LE(count, 2) << "second " << second;
        EXPECT_GE(count, 1) << "second " << second; // the time text moves every second
        ++idleSeconds;
    }
    EXPECT_GE(idleSeconds, script.lengthMs / 4000);
}

INSTANTIATE_TEST_SUITE_P(Scripts, QuietTimer, ::testing::ValuesIn(kScripts),
                         [](const ::testing::TestParamInfo<Script>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
} // namespace kelmar::testing
