// The timer step of the game clock and the time display.
#include "app/clock.h"
#include "core/board.h"
#include "core/game.h"

#include <gtest/gtest.h>
#include <ostream>

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

} // namespace
} // namespace kelmar
