#include "core/board.h"
#include "core/builtin_layouts.h"
#include "core/demo_plan.h"
#include "core/history.h"
#include "core/rules.h"
#include "core/shuffle.h"
#include "core/solvability.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <vector>

namespace kelmar {
namespace {

using test::Deal;
using test::KeepOnly;
using test::RecordingView;

// Every slot's presence and kind, in slot order.
std::vector<int> Tiles(const Board& board) {
    std::vector<int> tiles;
    for (const TileSlot& s : board.Slots) {
        tiles.push_back(s.Present ? s.Kind : -1);
    }
    return tiles;
}

// Takes the first free matching pair by clicks until none is left; true
// when that left tiles on the board.
bool PlayUntilStuck(Game& game) {
    for (auto pairs = FreeMatchingPairs(game); !pairs.empty(); pairs = FreeMatchingPairs(game)) {
        ClickTile(game, pairs.front().first);
        ClickTile(game, pairs.front().second);
        AnalyzeBoard(game);
    }
    return game.board.SlotCount > 0;
}

int TilesLeft(const Board& board) {
    int left = 0;
    for (const TileSlot& s : board.Slots) {
        left += s.Present ? 1 : 0;
    }
    return left;
}

// A stuck position on `layout` with at least 20 tiles left, reached by play
// from a random deal (a position of a few stacked tiles may have no winnable
// arrangement at all).
void StuckGame(Game& game, const Layout& layout) {
    game.layout = &layout;
    for (uint32_t seed = 1;; ++seed) {
        Deal(game, seed, false);
        if (PlayUntilStuck(game) && TilesLeft(game.board) >= 20) {
            return;
        }
    }
}

class ShuffleOnEveryLayout : public ::testing::TestWithParam<int> {};

// The whole contract on one stuck position per layout: the same tiles on
// the same slots, a board that the game's own rules clear by clicks along
// the solver's order, the same answer for the same seed, and undo and redo
// that restore the exact boards.
TEST_P(ShuffleOnEveryLayout, GivesAWinnableBoardOfTheSameTilesThatUndoTakesBackExactly) {
    Game game;
    RecordingView view(game);
    game.view = &view;
    StuckGame(game, BuiltInLayouts()[static_cast<std::size_t>(GetParam())]);
    const std::vector<int> dealt =
        Tiles(BoardBefore(game.board, game.history, game.history.Position));
    const std::vector<int> stuck = Tiles(game.board);
    const int32_t position = game.history.Position;
    game.clock.Elapsed = 50000;

    const auto shuffle = FindShuffle(game.board, 12345);
    ASSERT_TRUE(shuffle.has_value());
    EXPECT_EQ(FindShuffle(game.board, 12345), shuffle) << "same board and seed, same shuffle";
    ASSERT_TRUE(ShuffleGame(game, *shuffle));
    EXPECT_FALSE(game.play.NoMovesLeft);
    EXPECT_TRUE(game.Aids.Shuffled);
    EXPECT_EQ(game.clock.Elapsed, 50000 + kShufflePenaltyMs);
    EXPECT_EQ(game.history.Position, position + 1);
    const std::vector<int> shuffled = Tiles(game.board);

    UndoMove(game);
    EXPECT_EQ(Tiles(game.board), stuck);
    EXPECT_TRUE(game.play.NoMovesLeft);
    EXPECT_EQ(game.clock.BaseElapsed, 50000 + kShufflePenaltyMs) << "undo does not refund";
    RedoMove(game);
    EXPECT_EQ(Tiles(game.board), shuffled);

    std::vector<SolverMove> order;
    ASSERT_EQ(SolvePosition(game.board, 1'000'000, nullptr, &order), SolveResult::Winnable);
    for (const SolverMove& pair : order) {
        ASSERT_TRUE(DemoStepValid(game, pair));
        ClickTile(game, pair.First);
        ClickTile(game, pair.Second);
        AnalyzeBoard(game);
    }
    EXPECT_TRUE(game.play.GameWon);
    // The way back to the deal passes the shuffle: the dealt tiles return.
    RestartGame(game);
    EXPECT_EQ(Tiles(game.board), dealt);
}

INSTANTIATE_TEST_SUITE_P(Layouts, ShuffleOnEveryLayout,
                         ::testing::Range(0, static_cast<int>(BuiltInLayouts().size())));

// Two tiles, one lying on the other, can never both be free; a class with
// a tile short cannot be paired. Nothing is found.
TEST(Shuffle, ABoardNoArrangementCanWinIsLeftAsItIs) {
    Game game;
    Deal(game, 3, false);
    // The pyramid's top tile lies on slot 143; give both the same kind.
    game.board.Slots[143].Kind = game.board.Slots[144].Kind;
    const std::vector<std::vector<int32_t>> boards = {{143, 144}, {1, 2, 3}};
    for (const auto& slots : boards) {
        KeepOnly(game, slots);
        ShuffleReport report;
        EXPECT_FALSE(FindShuffle(game.board, 9, &report).has_value());
        EXPECT_EQ(report.built, 0);
    }
}

TEST(Shuffle, TheHistoryKeepsARecordForEveryPairLeftAndAtMostEightShuffles) {
    Game game;
    Deal(game, 5, true);
    const auto shuffle = FindShuffle(game.board, 1);
    ASSERT_TRUE(shuffle.has_value());
    for (int k = 1; k <= kShuffleCapacity; ++k) {
        ASSERT_TRUE(ShuffleHasRoom(game)) << k;
        // The same shuffle again and again: it always fits the same tiles.
        ASSERT_TRUE(ShuffleGame(game, *shuffle)) << k;
        EXPECT_EQ(game.history.Records[static_cast<std::size_t>(k)].Second, k);
    }
    EXPECT_FALSE(ShuffleHasRoom(game)) << "72 pairs still need their 72 records";
    EXPECT_FALSE(ShuffleGame(game, *shuffle));
    EXPECT_EQ(game.history.Length, kShuffleCapacity);

    // Undone shuffles are dropped by the next step and their numbers reused.
    UndoMove(game);
    UndoMove(game);
    const auto pairs = FreeMatchingPairs(game);
    ClickTile(game, pairs.front().first);
    ClickTile(game, pairs.front().second);
    EXPECT_EQ(ShuffleCount(game.history, game.history.Length), kShuffleCapacity - 2);
    AnalyzeBoard(game);
    ASSERT_TRUE(ShuffleHasRoom(game));
    const auto next = FindShuffle(game.board, 2);
    ASSERT_TRUE(next.has_value());
    ASSERT_TRUE(ShuffleGame(game, *next));
    EXPECT_EQ(game.history.Records[static_cast<std::size_t>(game.history.Position)].Second,
              kShuffleCapacity - 1);

    EXPECT_FALSE(ShuffleFits(game.board, *shuffle)) << "two tiles fewer now";
    ResetBoard(game);
    EXPECT_EQ(game.Aids, GameAids{}) << "a new deal starts without aids";
}

TEST(Shuffle, OnlyAGameWithoutAidsEntersTheBestTimes) {
    EXPECT_TRUE(EntersBestTimes({false, false}));
    EXPECT_FALSE(EntersBestTimes({true, false}));
    EXPECT_FALSE(EntersBestTimes({false, true}));
}

TEST(DemoPlan, PlaysAWinnablePositionToTheEmptyBoardAndMarksTheGame) {
    Game game;
    RecordingView view(game);
    game.view = &view;
    Deal(game, 11, true);
    const DemoPlan plan = PlanDemo(game.board);
    ASSERT_EQ(plan.verdict, DemoVerdict::Winnable);
    ASSERT_TRUE(PlanFits(plan, game.board));
    for (const SolverMove& step : plan.pairs) {
        ASSERT_TRUE(PlayDemoStep(game, step));
        EXPECT_FALSE(PlanFits(plan, game.board));
    }
    EXPECT_TRUE(game.play.GameWon);
    EXPECT_TRUE(game.Aids.Demonstrated);
    EXPECT_EQ(game.history.Length, 72) << "every pair is a move that undo takes back";
    EXPECT_EQ(view.highScores.size(), 1u) << "the view decides by EntersBestTimes";
    EXPECT_FALSE(PlayDemoStep(game, plan.pairs.front()));
}

TEST(DemoPlan, ALostPositionGetsNoPairsAndAStaleStepIsRefused) {
    Game game;
    StuckGame(game, PyramidLayout());
    const DemoPlan lost = PlanDemo(game.board);
    EXPECT_EQ(lost.verdict, DemoVerdict::Lost);
    EXPECT_TRUE(lost.pairs.empty());

    Deal(game, 11, true);
    const DemoPlan plan = PlanDemo(game.board);
    ASSERT_EQ(plan.verdict, DemoVerdict::Winnable);
    const SolverMove first = plan.pairs.front();
    const int32_t covered = 143; // under the top tile
    for (const SolverMove step :
         {SolverMove{first.First, first.First}, SolverMove{first.First, covered},
          SolverMove{0, first.Second}, SolverMove{first.First, 300}}) {
        EXPECT_FALSE(DemoStepValid(game, step)) << step.First << "," << step.Second;
    }
    ClickTile(game, first.First);
    ClickTile(game, first.Second);
    AnalyzeBoard(game);
    EXPECT_FALSE(PlayDemoStep(game, first)) << "its tiles are gone";
    EXPECT_FALSE(game.Aids.Demonstrated);
}

} // namespace
} // namespace kelmar
