// The timer step of the game clock and the time display.
#include "core/board.h"
#include "core/game.h"
#include "play/clock.h"

#include <gtest/gtest.h>
#include <optional>
#include <ostream>
#include <string>

namespace kelmar {
namespace {

struct ClockTextCase {
    int32_t elapsedMs;
    bool showRenderSpeed;
    int32_t lastRenderMs;
    const char* expected;
};

void PrintTo(const ClockTextCase& c, std::ostream* out) {
    *out << c.expected;
}

class ClockTextTable : public ::testing::TestWithParam<ClockTextCase> {};

TEST_P(ClockTextTable, ShowsWholeMinutesAndTwoDigitSeconds) {
    const ClockTextCase& c = GetParam();
    EXPECT_EQ(ClockText(c.elapsedMs, c.showRenderSpeed, c.lastRenderMs), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Examples, ClockTextTable,
                         ::testing::Values(ClockTextCase{0, false, 0, "Zeit: 0:00"},
                                           ClockTextCase{7000, false, 0, "Zeit: 0:07"},
                                           ClockTextCase{59999, false, 0, "Zeit: 0:59"},
                                           ClockTextCase{60000, false, 0, "Zeit: 1:00"},
                                           ClockTextCase{65432, true, 16, "Zeit: 1:05  [16 ms]"},
                                           ClockTextCase{750000, false, 0, "Zeit: 12:30"},
                                           ClockTextCase{3600000, false, 0, "Zeit: 60:00"},
                                           ClockTextCase{4503000, false, 0, "Zeit: 75:03"},
                                           ClockTextCase{1000, true, 0, "Zeit: 0:01  [0 ms]"},
                                           ClockTextCase{-5000, false, 0, "Zeit: 0:00"}));

// A running game with moves left whose clock was rebased at `tick`.
Game runningGameAt(uint32_t tick) {
    Game game;
    game.Running = true;
    game.clock.CurrentTick = tick;
    game.clock.BaseTick = tick;
    game.clock.NextStatusTick = 0;
    return game;
}

// Runs timer events every 10 ms for `durationMs` and returns the ticks at
// which the display was refreshed.
std::vector<uint32_t> refreshTicks(Game& game, uint32_t durationMs) {
    std::vector<uint32_t> ticks;
    for (uint32_t t = 0; t <= durationMs; t += 10) {
        game.clock.CurrentTick += 10;
        if (ClockTick(game, 0)) {
            ticks.push_back(game.clock.CurrentTick);
        }
    }
    return ticks;
}

TEST(ClockTick, RefreshesEvery200MsAcrossTheCounterWrap) {
    Game game = runningGameAt(0xFFFFFF00u); // 256 ms before the wrap
    const std::vector<uint32_t> ticks = refreshTicks(game, 1000);
    ASSERT_EQ(ticks.size(), 6u); // at +10, +210, ... +1010
    for (std::size_t i = 1; i < ticks.size(); ++i) {
        EXPECT_EQ(ticks[i] - ticks[i - 1], 200u) << i;
    }
    EXPECT_EQ(game.clock.Elapsed, 1010); // wrap-around arithmetic of the game time
}

TEST(ClockTick, NewGameInTheUpperHalfOfTheCounterRefreshesAtOnce) {
    // A new game leaves NextStatusTick = 0; with the counter above 2^31 a
    // signed comparison would wait for the wrap, up to 24 days.
    for (uint32_t start : {0x00000010u, 0x7FFFFFF0u, 0x80000010u, 0xC0000000u}) {
        Game game = runningGameAt(start);
        game.clock.CurrentTick += 10;
        const auto text = ClockTick(game, 0);
        ASSERT_TRUE(text.has_value()) << start;
        EXPECT_EQ(*text, "Zeit: 0:00");
        EXPECT_EQ(game.clock.NextStatusTick, start + 10 + 200);
    }
    // Just before the wrap the 0 is a few ms ahead: the display waits for it.
    Game game = runningGameAt(0xFFFFFFF0u);
    const std::vector<uint32_t> ticks = refreshTicks(game, 100);
    ASSERT_FALSE(ticks.empty());
    EXPECT_LE(ticks.front(), 10u); // the first event at or past the wrap
}

TEST(ClockTick, StuckGameKeepsItsTimeAndRefreshesOnlyWithRenderSpeed) {
    Game game = runningGameAt(1000);
    game.play.NoMovesLeft = true;
    game.clock.Elapsed = 42000;
    game.clock.CurrentTick = 61000;
    EXPECT_FALSE(ClockTick(game, 7).has_value());
    EXPECT_EQ(game.clock.Elapsed, 42000);

    game.settings.ShowRenderSpeed = true;
    const auto text = ClockTick(game, 7);
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(*text, "Zeit: 0:42  [7 ms]");
    game.clock.CurrentTick += 190;
    EXPECT_FALSE(ClockTick(game, 7).has_value());
    game.clock.CurrentTick += 10;
    EXPECT_TRUE(ClockTick(game, 9).has_value());
}

// The oracle of the paced timer: the skipped timer events run one by one
// every 10 ms, as the timer did before it was paced. Returns the last text.
std::optional<std::string> tenMsEvents(Game& game, uint32_t until, int32_t lastRenderMs) {
    std::optional<std::string> last;
    for (uint32_t tick = game.clock.CurrentTick + 10; static_cast<int32_t>(until - tick) >= 0;
         tick += 10) {
        game.clock.CurrentTick = tick;
        if (auto text = ClockTick(game, lastRenderMs)) {
            last = text;
        }
    }
    return last;
}

struct PacedCase {
    const char* name;
    bool running, stuck, showSpeed;
    uint32_t start;
    uint32_t nextStatusAhead; // NextStatusTick - start; 0 with start 0 means a new game
    TimerPace pace;
};

void PrintTo(const PacedCase& c, std::ostream* os) {
    *os << c.name;
}

Game pacedGame(const PacedCase& c) {
    Game game = runningGameAt(c.start);
    game.Running = c.running;
    game.play.NoMovesLeft = c.stuck;
    game.settings.ShowRenderSpeed = c.showSpeed;
    game.clock.BaseElapsed = 5430;
    game.clock.Elapsed = 5430;
    game.clock.NextStatusTick = c.nextStatusAhead == 0 ? 0 : c.start + c.nextStatusAhead;
    return game;
}

class PacedClock : public ::testing::TestWithParam<PacedCase> {};

TEST_P(PacedClock, CatchingUpDoesWhatTheSkipped10MsEventsWouldHaveDone) {
    const PacedCase& c = GetParam();
    EXPECT_EQ(TimerPaceFor(pacedGame(c)), c.pace);
    for (uint32_t span : {0u, 7u, 10u, 195u, 200u, 205u, 1234u, 60000u}) {
        Game paced = pacedGame(c);
        Game stepped = paced;
        const uint32_t now = c.start + span;
        EXPECT_EQ(CatchUpClock(paced, now, 3), tenMsEvents(stepped, now, 3)) << span;
        EXPECT_EQ(paced.clock.NextStatusTick, stepped.clock.NextStatusTick) << span;
        EXPECT_EQ(paced.clock.CurrentTick, now);
        // The handler after the catch-up reads the game time of the present count.
        EXPECT_EQ(paced.clock.Elapsed,
                  c.running && !c.stuck ? 5430 + static_cast<int32_t>(span) : 5430)
            << span;
    }
}

INSTANTIATE_TEST_SUITE_P(
    States, PacedClock,
    ::testing::Values(
        PacedCase{"NewGame", true, false, false, 1000, 0, TimerPace::Quiet},
        PacedCase{"NewGameInTheUpperHalf", true, false, false, 0x80000010u, 0, TimerPace::Quiet},
        PacedCase{"MidSchedule", true, false, false, 1000, 130, TimerPace::Quiet},
        PacedCase{"AcrossTheWrap", true, false, false, 0xFFFFFF00u, 55, TimerPace::Quiet},
        PacedCase{"RenderTimes", true, false, true, 1000, 200, TimerPace::Steps},
        PacedCase{"StuckWithRenderTimes", true, true, true, 1000, 60, TimerPace::Steps},
        PacedCase{"Stuck", true, true, false, 1000, 60, TimerPace::Resting},
        PacedCase{"Paused", false, false, false, 1000, 60, TimerPace::Resting}),
    [](const ::testing::TestParamInfo<PacedCase>& info) { return std::string(info.param.name); });

TEST(QuietWait, EndsAtTheFirst10MsEventThatChangesTheText) {
    struct Case {
        uint32_t start, nextStatusAhead;
        int32_t baseElapsed;
        const char* shown;
        uint32_t expectedMs;
    };
    const Case cases[] = {
        {1000, 0, 0, "Zeit: ", 10},                 // a new game shows 0:00 at once
        {1000, 0, 0, "Zeit: 0:00", 1010},           // the schedule starts at the first event
        {1000, 130, 5430, "Zeit: 0:05", 730},       // the first refresh past 6 s
        {1000, 200, 5800, "Zeit: 0:05", 200},       // the boundary falls on a refresh
        {0xFFFFFF00u, 55, 5430, "Zeit: 0:05", 660}, // across the counter wrap
        {1000, 130, -100000, "Zeit: 0:00", kLongestQuietWaitMs}, // 0:00 for 100 s
    };
    for (const Case& c : cases) {
        Game game = runningGameAt(c.start);
        game.clock.BaseElapsed = c.baseElapsed;
        game.clock.NextStatusTick = c.nextStatusAhead == 0 ? 0 : c.start + c.nextStatusAhead;
        EXPECT_EQ(QuietWaitMs(game, c.shown, 0), c.expectedMs) << c.start << " " << c.shown;
    }
}

} // namespace
} // namespace kelmar
