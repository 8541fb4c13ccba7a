#include "core/board.h"
#include "core/deal.h"
#include "core/history.h"
#include "core/rules.h"
#include "core/solver.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <vector>

namespace kelmar {
namespace {

using test::Deal;
using test::RecordingView;
using Call = RecordingView::Call;

// Plays the first free matching pair by two clicks, as the mouse would.
bool ClickFirstPair(Game& game) {
    const PlayState& p = game.play;
    for (int32_t i = 1; i <= p.FreeCount; ++i) {
        for (int32_t j = i + 1; j <= p.FreeCount; ++j) {
            const int32_t a = p.FreeList[static_cast<size_t>(i)];
            const int32_t b = p.FreeList[static_cast<size_t>(j)];
            if (KindsMatch(game.board, game.board.Slots[static_cast<size_t>(b)].Kind,
                           game.board.Slots[static_cast<size_t>(a)].Kind)) {
                ClickTile(game, a);
                ClickTile(game, b);
                AnalyzeBoard(game);
                return true;
            }
        }
    }
    return false;
}

struct Fixture {
    Game game;
    RecordingView view{game};
    Fixture() {
        game.view = &view;
        Deal(game, 77, false);
        view.clear();
    }
};

TEST(History, UndoAndRedoAtTheEndsChangeNothingAndDoNotRedraw) {
    Fixture f;
    Game& game = f.game;
    game.play.SelectionActive = true;
    game.play.SelectedSlot = 1;
    game.history.LastStepDone = true;
    UndoMove(game);
    EXPECT_FALSE(game.history.LastStepDone);
    RedoMove(game);
    EXPECT_FALSE(game.history.LastStepDone);
    EXPECT_TRUE(f.view.calls.empty());
    EXPECT_TRUE(game.play.SelectionActive) << "the selection stays";
    EXPECT_EQ(game.history.Position, 0);
}

TEST(History, UndoAndRedoSetTheClockToTheMovesTime) {
    Fixture f;
    Game& game = f.game;
    game.clock.Elapsed = 60000;
    ASSERT_TRUE(ClickFirstPair(game));
    const MoveRecord move = game.history.Records[1];

    game.clock.CurrentTick = 90000;
    game.clock.Elapsed = 90000;
    UndoMove(game);
    EXPECT_TRUE(game.history.LastStepDone);
    EXPECT_EQ(game.clock.BaseElapsed, 60000);
    EXPECT_EQ(game.clock.BaseTick, 90000u);
    EXPECT_TRUE(game.board.Slots[static_cast<size_t>(move.First)].Present);
    EXPECT_TRUE(game.board.Slots[static_cast<size_t>(move.Second)].Present);
    EXPECT_EQ(game.play.FreeCount, 35) << "analysed after the undo";

    game.clock.CurrentTick = 200000;
    ClickTile(game, 1);
    RedoMove(game);
    EXPECT_EQ(game.clock.BaseElapsed, 60000);
    EXPECT_EQ(game.clock.BaseTick, 200000u);
    EXPECT_FALSE(game.board.Slots[static_cast<size_t>(move.First)].Present);
    EXPECT_FALSE(game.play.SelectionActive);
    EXPECT_EQ(f.view.count(Call::Render), 2);
}

TEST(History, ANewMoveAfterUndoDropsTheUndoneMoves) {
    Fixture f;
    Game& game = f.game;
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(ClickFirstPair(game));
    }
    UndoMove(game);
    UndoMove(game);
    ASSERT_EQ(game.history.Position, 1);
    ASSERT_TRUE(ClickFirstPair(game));
    EXPECT_EQ(game.history.Position, 2);
    EXPECT_EQ(game.history.Length, 2);
    RedoMove(game);
    EXPECT_FALSE(game.history.LastStepDone);
    EXPECT_EQ(game.history.Position, 2);
}

TEST(History, UndoInAStuckGameReopensPlay) {
    Fixture f;
    Game& game = f.game;
    // Take a pair, then pretend everything else is gone: the undo puts back
    // a free pair, so the game is no longer stuck.
    ASSERT_TRUE(ClickFirstPair(game));
    const MoveRecord move = game.history.Records[1];
    test::KeepOnly(game, {});
    AnalyzeBoard(game);
    game.play.GameWon = false; // a stuck board with tiles left would look like this
    game.play.NoMovesLeft = true;
    UndoMove(game);
    EXPECT_FALSE(game.play.NoMovesLeft);
    EXPECT_EQ(game.play.MoveCount, 1);
    EXPECT_TRUE(game.board.Slots[static_cast<size_t>(move.First)].Free);
}

TEST(History, DamagedPositionsNeverReachOutsideTheRecords) {
    Fixture f;
    Game& game = f.game;
    game.history.Position = 200;
    game.history.Length = 250;
    UndoMove(game);
    RedoMove(game);
    EXPECT_FALSE(game.history.LastStepDone);
    game.history.Position = 80;
    game.history.Length = 80;
    AppendMove(game, 1, 2, 3);
    EXPECT_EQ(game.history.Position, 80);
    game.history.Position = 1;
    game.history.Records[1] = MoveRecord{0, 0, 999}; // slots no board has
    UndoMove(game);
    EXPECT_TRUE(game.board.Slots[0].Present);
    EXPECT_EQ(game.board.SlotCount, 144);
}

// A won game of 72 moves, played by clicks along a solver's winning order.
// A check's answer is kept only for the same steps: two shuffles under one
// number that moved the tiles differently are different steps.
TEST(History, SameStepsTellsShufflesApartByTheirMovesNotTheirNumbers) {
    MoveHistory base;
    base.Records[1] = {1000, 3, 4};
    base.Records[2] = {2000, 0, 1};
    base.Shuffles[1].From[5] = 6;
    base.Position = base.Length = 2;
    const std::pair<void (*)(MoveHistory&), bool> cases[] = {
        {[](MoveHistory& h) { h.Records[1].Time = 7; }, true},
        {[](MoveHistory& h) {
             h.Records[3] = {1, 2, 3};
         },
         true}, // beyond Position
        {[](MoveHistory& h) { h.Position = 1; }, false},
        {[](MoveHistory& h) { h.Records[1].Second = 9; }, false},
        {[](MoveHistory& h) { h.Shuffles[1].From[5] = 5; }, false},
    };
    for (const auto& [change, same] : cases) {
        MoveHistory other = base;
        change(other);
        EXPECT_EQ(SameSteps(base, other), same);
        EXPECT_EQ(SameSteps(other, base), same);
    }
}

TEST(Replay, RunsBackAndForthWithOneIdleStepAtEachEnd) {
    Fixture f;
    Game& game = f.game;
    std::vector<SolverMove> solution;
    uint32_t seed = 1;
    for (; seed < 50; ++seed) {
        Deal(game, seed, true);
        if (SolvePosition(game.board, 5'000'000, nullptr, &solution) == SolveResult::Winnable) {
            break;
        }
    }
    ASSERT_EQ(solution.size(), 72u);
    int32_t t = 0;
    for (const SolverMove& m : solution) {
        game.clock.Elapsed = t += 1000;
        ClickTile(game, m.First);
        ClickTile(game, m.Second);
        ASSERT_TRUE(game.play.BoardChanged);
        AnalyzeBoard(game);
        game.play.BoardChanged = false;
    }
    ASSERT_TRUE(game.play.GameWon);
    ASSERT_EQ(f.view.highScores, std::vector<int32_t>{72000});
    const GameClock clock = game.clock;
    f.view.clear();

    for (int lap = 0; lap < 2; ++lap) {
        for (int i = 0; i < 72; ++i) {
            ReplayStep(game);
            ASSERT_TRUE(game.history.LastStepDone);
        }
        EXPECT_EQ(game.board.SlotCount, 144);
        EXPECT_EQ(game.history.Position, 0);
        ReplayStep(game); // the idle step that turns around
        EXPECT_FALSE(game.history.LastStepDone);
        for (int i = 0; i < 72; ++i) {
            ReplayStep(game);
            ASSERT_TRUE(game.history.LastStepDone);
        }
        EXPECT_EQ(game.board.SlotCount, 0);
        ReplayStep(game);
        EXPECT_FALSE(game.history.LastStepDone);
    }
    EXPECT_EQ(f.view.count(Call::Render), 4 * 72);
    EXPECT_TRUE(f.view.highScores.empty());
    EXPECT_TRUE(game.play.GameWon);
    EXPECT_TRUE(game.play.NoMovesLeft);
    EXPECT_EQ(game.clock.BaseElapsed, clock.BaseElapsed);
    EXPECT_EQ(game.clock.BaseTick, clock.BaseTick);
}

} // namespace
} // namespace kelmar
