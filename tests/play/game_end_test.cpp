#include "core/board.h"
#include "core/history.h"
#include "core/rules.h"
#include "core/solver.h"
#include "play/play_controller.h"
#include "scores/score_text.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <unistd.h>

namespace kelmar {
namespace {

constexpr double kNow = 46000.5; // every record ends at noon of one day

class GameEnd : public ::testing::Test {
protected:
    GameEnd() : play(folder() + "/Kelmar.ini") {
        play.game().settings.AvoidUnsolveableGames = false;
        play.setLocalClock([] { return kNow; });
        play.newGame();
    }
    ~GameEnd() override { std::filesystem::remove_all(folder()); }
    static std::string folder() {
        static const std::string path =
            (std::filesystem::temp_directory_path() / ("kelmar-end-" + std::to_string(::getpid())))
                .string();
        std::filesystem::create_directories(path);
        return path;
    }
    Game& game() { return play.game(); }
    Effects click(int32_t slot) {
        const Rect r = TileRect(game().board, slot);
        return play.release((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    }
    Effects take(int32_t a, int32_t b) {
        click(a);
        return click(b);
    }
    void takePair() {
        const auto pairs = FreeMatchingPairs(game());
        ASSERT_FALSE(pairs.empty());
        game().clock.Elapsed += 1000;
        take(pairs[0].first, pairs[0].second);
    }
    PlayController play;
};

// Each command that puts a new board up ends the game before it; the
// restart keeps the origin and the day of the game it repeats.
TEST_F(GameEnd, EveryNewBoardEndsTheGameBeforeItAsGivenUpWithItsOrigin) {
    const std::string file = folder() + "/Spiel.klmr";
    play.save(file);
    const int32_t day = static_cast<int32_t>(DayCountFromCivil(2026, 12, 8));
    const struct {
        const char* name;
        std::function<Effects(PlayController&)> run;
        int32_t dayGame; // of the game ended
        bool loaded;
    } rows[] = {
        {"new", [](PlayController& p) { return p.newGame(); }, 0, false},
        {"day", [](PlayController& p) { return p.dayGame(2026, 12, 8); }, 0, false},
        {"same", [](PlayController& p) { return p.sameGame(); }, day, false},
        {"number", [](PlayController& p) { return p.dealNumber(4711); }, day, false},
        {"load", [&](PlayController& p) { return p.load(file); }, 0, false},
        {"same", [](PlayController& p) { return p.sameGame(); }, 0, true},
        {"layout", [](PlayController& p) { return p.chooseLayout(1); }, 0, true},
        {"new", [](PlayController& p) { return p.newGame(); }, 0, false},
    };
    for (const auto& row : rows) {
        takePair();
        const uint32_t deal = game().deal.Number;
        const std::string layout = play.boardLayout()->ShortName;
        const int32_t time = game().clock.Elapsed;
        const Effects effects = row.run(play);
        ASSERT_TRUE(effects.record) << row.name;
        const GameRecord& r = *effects.record;
        EXPECT_EQ(r.Result, GameResult::GivenUp) << row.name;
        EXPECT_EQ(r.Deal, deal) << row.name;
        EXPECT_EQ(r.Layout, layout) << row.name;
        EXPECT_EQ(r.Moves, 1) << row.name;
        EXPECT_EQ(r.TimeMs, time) << row.name;
        EXPECT_EQ(r.DayGame, row.dayGame) << row.name;
        EXPECT_EQ(r.Loaded, row.loaded) << row.name;
        EXPECT_FALSE(r.Continued) << row.name;
        EXPECT_EQ(r.Day, 46000) << row.name;
        EXPECT_EQ(r.Second, 43200) << row.name;
        EXPECT_FALSE(effects.rankUnder) << row.name;
    }
    EXPECT_EQ(play.boardLayout()->ShortName, play.layouts()[1].ShortName);
}

// Looking at deals is no game; a pair taken back is no pair taken.
TEST_F(GameEnd, AGameGivenUpBeforeItsFirstPairIsNotRecorded) {
    const struct {
        int pairs;
        int undos;
        bool recorded;
    } rows[] = {{0, 0, false}, {1, 1, false}, {2, 1, true}};
    for (const auto& row : rows) {
        play.newGame();
        for (int i = 0; i < row.pairs; ++i) {
            takePair();
        }
        for (int i = 0; i < row.undos; ++i) {
            play.undo();
        }
        EXPECT_EQ(play.newGame().record.has_value(), row.recorded) << row.pairs << row.undos;
    }
}

// A given-up game's verdict is the one already known for its last position.
TEST_F(GameEnd, AGivenUpGameIsWinnableAsItsKnownVerdictSays) {
    const struct {
        std::optional<SolveResult> known;
        Winnable recorded;
    } rows[] = {{std::nullopt, Winnable::Unknown},
                {SolveResult::Winnable, Winnable::Yes},
                {SolveResult::Unwinnable, Winnable::No}};
    for (const auto& row : rows) {
        play.newGame();
        takePair();
        if (row.known) {
            play.verdicts().store(PositionKey::Of(game().board), *row.known);
        }
        EXPECT_EQ(play.newGame().record->WinnableAtEnd, row.recorded);
    }
}

// Every way to take the last pair wins: a click, redo, the hint's second
// press. Only a win that misses the table of its layout is told its rank,
// and a won game is not recorded again when the next one is dealt.
TEST_F(GameEnd, AWinIsRecordedOnceAndToldItsRankOnlyOutsideTheBestTimes) {
    enum class Way { Click, Redo, Hint };
    const struct {
        int32_t timeMs;
        bool ranked;
        Way way;
    } rows[] = {
        {60000, false, Way::Click}, {20 * 60000, true, Way::Redo}, {20 * 60000, true, Way::Hint}};
    game().settings.SafeHint = false;
    for (const auto& row : rows) {
        game().settings.AvoidUnsolveableGames = true;
        play.newGame();
        std::vector<SolverMove> solution;
        ASSERT_EQ(SolvePosition(game().board, 2000000, nullptr, &solution), SolveResult::Winnable);
        game().clock.Elapsed = row.timeMs;
        for (std::size_t i = 0; i + 1 < solution.size(); ++i) {
            TakePair(game(), solution[i].First, solution[i].Second);
        }
        AnalyzeBoard(game());
        game().play.HintShowing = false;
        Effects last;
        if (row.way == Way::Click) {
            last = take(solution.back().First, solution.back().Second);
        } else if (row.way == Way::Redo) {
            TakePair(game(), solution.back().First, solution.back().Second);
            UndoMove(game());
            AnalyzeBoard(game());
            last = play.redo();
        } else {
            play.hint();
            last = play.hint();
        }
        ASSERT_TRUE(last.record) << static_cast<int>(row.way);
        EXPECT_EQ(last.record->Result, GameResult::Won);
        EXPECT_EQ(last.record->WinnableAtEnd, Winnable::Yes);
        EXPECT_EQ(last.record->Moves, static_cast<int32_t>(solution.size()));
        EXPECT_EQ(last.rankUnder,
                  row.ranked ? std::optional<std::string>("Pyramide") : std::nullopt)
            << static_cast<int>(row.way);
        EXPECT_FALSE(play.newGame().record);
    }
}

TEST_F(GameEnd, AStuckGameIsRecordedAsStuckWhenItIsLeft) {
    for (uint32_t deal = 1; !play.stuck(); ++deal) {
        ASSERT_LT(deal, 50u);
        play.dealNumber(deal);
        while (!game().play.NoMovesLeft) {
            takePair();
        }
    }
    const Effects effects = play.sameGame();
    ASSERT_TRUE(effects.record);
    EXPECT_EQ(effects.record->Result, GameResult::Stuck);
    EXPECT_EQ(effects.record->WinnableAtEnd, Winnable::No);
}

// Hints shown and check answers count per game; the tally a kept game
// brings along goes on counting, and a continued game is one game.
TEST_F(GameEnd, HintsAndChecksCountPerGameAndAContinuedGameCarriesItsTally) {
    game().settings.SafeHint = false;
    play.hint();
    play.hint(); // takes the shown pair: a move
    const auto pairs = FreeMatchingPairs(game());
    play.hintJudged({{pairs[0].first, pairs[0].second}}, std::nullopt);
    play.checkAnswered({Solvability::Winnable, 0}, SolvabilityAction::Show);
    play.checkAnswered({Solvability::Undecided, 0}, SolvabilityAction::GoBack);
    EXPECT_EQ(play.tally(), (GameTally{2, 2}));
    EXPECT_EQ(play.newGame().record->Hints, 2);
    EXPECT_EQ(play.tally(), GameTally{});

    play.continueKept();
    play.setTally({5, 1});
    game().play.HintShowing = false; // the window's redraw of the new board ends the hint
    play.hint();
    takePair();
    const GameRecord continued = *play.newGame().record;
    EXPECT_TRUE(continued.Continued);
    EXPECT_FALSE(continued.Loaded);
    EXPECT_EQ(continued.Hints, 6);
    EXPECT_EQ(continued.Checks, 1);
}

// At close a game is recorded unless it is kept for the next start, and
// only once.
TEST_F(GameEnd, ClosingRecordsTheGameUnlessItIsKept) {
    const struct {
        bool option;
        bool lockHeld;
        bool recorded;
    } rows[] = {{true, true, false}, {true, false, true}, {false, true, true}};
    for (const auto& row : rows) {
        play.newGame();
        takePair();
        game().settings.ResumeGame = row.option;
        EXPECT_EQ(play.closeGame(row.lockHeld).has_value(), row.recorded)
            << row.option << row.lockHeld;
        EXPECT_FALSE(play.closeGame(false)) << row.option << row.lockHeld;
    }
}

} // namespace
} // namespace kelmar
