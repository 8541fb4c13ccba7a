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

class GameEnd : public ::testing::Test {
protected:
    GameEnd() : play(folder + "/Kelmar.ini") {
        std::filesystem::create_directories(folder);
        game().settings.AvoidUnsolveableGames = false;
        game().settings.SafeHint = false;
        play.setLocalClock([] { return 46000.5; }); // noon of one day
        play.newGame();
    }
    ~GameEnd() override { std::filesystem::remove_all(folder); }
    Game& game() { return play.game(); }
    void takePair() {
        const auto pairs = FreeMatchingPairs(game());
        ASSERT_FALSE(pairs.empty());
        game().clock.Elapsed += 1000;
        TakePair(game(), pairs[0].first, pairs[0].second);
        AnalyzeBoard(game());
    }
    const std::string folder =
        (std::filesystem::temp_directory_path() / ("kelmar-end-" + std::to_string(::getpid())))
            .string();
    PlayController play;
};

// Each command that puts a new board up ends the game before it; the
// restart keeps the origin and the day of the game it repeats.
TEST_F(GameEnd, EveryNewBoardEndsTheGameBeforeItAsGivenUpWithItsOrigin) {
    const std::string file = folder + "/Spiel.klmr";
    play.save(file);
    const int32_t day = static_cast<int32_t>(DayCountFromCivil(2026, 12, 8));
    using Run = std::function<Effects(PlayController&)>;
    const struct {
        Run run;
        int32_t dayGame; // of the game ended
        bool loaded;
    } rows[] = {
        {[](PlayController& p) { return p.newGame(); }, 0, false},
        {[](PlayController& p) { return p.dayGame(2026, 12, 8); }, 0, false},
        {[](PlayController& p) { return p.sameGame(); }, day, false},
        {[](PlayController& p) { return p.dealNumber(4711); }, day, false},
        {[&](PlayController& p) { return p.load(file); }, 0, false},
        {[](PlayController& p) { return p.sameGame(); }, 0, true},
        {[](PlayController& p) { return p.chooseLayout(1); }, 0, true},
        {[](PlayController& p) { return p.newGame(); }, 0, false},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        takePair();
        GameRecord expected;
        expected.Day = 46000;
        expected.Second = 43200;
        expected.Layout = play.boardLayout()->ShortName;
        expected.Deal = game().deal.Number;
        expected.DealGrade = game().deal.DealGrade;
        expected.TimeMs = game().clock.Elapsed;
        expected.Moves = 1;
        expected.DayGame = rows[i].dayGame;
        expected.Loaded = rows[i].loaded;
        const Effects effects = rows[i].run(play);
        EXPECT_EQ(effects.record, expected) << i;
    }
    EXPECT_EQ(play.boardLayout()->ShortName, play.layouts()[1].ShortName);
}

// Looking at deals is no game, a pair taken back no pair taken; a game
// left is stuck when no pair is left, else given up, and winnable as the
// verdict already known for its position says.
TEST_F(GameEnd, AGameLeftNeedsAPairAndTakesTheKnownVerdict) {
    const struct {
        int pairs, undos;
        bool stuck;
        std::optional<SolveResult> known;
        std::optional<Winnable> recorded; // nullopt: no record
    } rows[] = {{0, 0, false, SolveResult::Winnable, std::nullopt},
                {1, 1, false, std::nullopt, std::nullopt},
                {2, 1, false, std::nullopt, Winnable::Unknown},
                {1, 0, false, SolveResult::Winnable, Winnable::Yes},
                {1, 0, false, SolveResult::Unwinnable, Winnable::No},
                {1, 0, true, SolveResult::Winnable, Winnable::No}};
    for (const auto& row : rows) {
        play.newGame();
        for (int i = 0; i < row.pairs; ++i) {
            takePair();
        }
        for (int i = 0; i < row.undos; ++i) {
            play.undo();
        }
        if (row.known) {
            play.verdicts().store(PositionKey::Of(game().board), *row.known);
        }
        game().play.NoMovesLeft = row.stuck; // as the analysis finds it
        const std::optional<GameRecord> record = play.newGame().record;
        EXPECT_EQ(record ? std::optional(record->WinnableAtEnd) : std::nullopt, row.recorded)
            << row.pairs << row.undos << row.stuck;
        if (record) {
            EXPECT_EQ(record->Result, row.stuck ? GameResult::Stuck : GameResult::GivenUp);
        }
    }
}

// Every way to take the last pair wins: a click, redo, the hint's second
// press. Only a win that misses the table of its layout is told its rank,
// and a won game is not recorded again when the next one is dealt.
TEST_F(GameEnd, AWinIsRecordedOnceAndToldItsRankOnlyOutsideTheBestTimes) {
    enum class Way { Click, Redo, Hint };
    const struct {
        int32_t timeMs;
        Way way;
        std::optional<std::string> rankUnder;
    } rows[] = {{60000, Way::Click, std::nullopt},
                {20 * 60000, Way::Redo, "Pyramide"},
                {20 * 60000, Way::Hint, "Pyramide"}};
    for (const auto& row : rows) {
        game().settings.AvoidUnsolveableGames = true;
        play.newGame();
        std::vector<SolverMove> moves;
        ASSERT_EQ(SolvePosition(game().board, 2000000, nullptr, &moves), SolveResult::Winnable);
        game().clock.Elapsed = row.timeMs;
        for (const SolverMove& m : moves) {
            TakePair(game(), m.First, m.Second);
        }
        UndoMove(game());
        AnalyzeBoard(game());
        Effects last;
        if (row.way == Way::Click) {
            for (const int32_t slot : {moves.back().First, moves.back().Second}) {
                const Rect r = TileRect(game().board, slot);
                last = play.release((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
            }
        } else if (row.way == Way::Redo) {
            last = play.redo();
        } else {
            play.hint();
            last = play.hint();
        }
        ASSERT_TRUE(last.record) << static_cast<int>(row.way);
        EXPECT_EQ(last.record->Result, GameResult::Won);
        EXPECT_EQ(last.record->WinnableAtEnd, Winnable::Yes);
        EXPECT_EQ(last.record->Moves, static_cast<int32_t>(moves.size()));
        EXPECT_EQ(last.rankUnder, row.rankUnder) << static_cast<int>(row.way);
        EXPECT_FALSE(play.newGame().record);
    }
}

// Hints shown and check answers count per game; the tally a kept game
// brings along goes on counting, and a continued game is one game.
TEST_F(GameEnd, HintsAndChecksCountPerGameAndAContinuedGameCarriesItsTally) {
    play.hint();
    play.hint(); // takes the shown pair: a move
    const auto pairs = FreeMatchingPairs(game());
    play.hintJudged({{pairs[0].first, pairs[0].second}}, std::nullopt);
    play.checkAnswered({Solvability::Winnable, 0}, SolvabilityAction::Show);
    play.checkAnswered({Solvability::Undecided, 0}, SolvabilityAction::GoBack);
    EXPECT_EQ(play.tally(), (GameTally{2, 2}));
    EXPECT_EQ(play.newGame().record->Hints, 2);
    EXPECT_EQ(play.tally(), GameTally{});

    play.continueKept(KeptGameNotes{DealIdentity{}, 5, 1});
    EXPECT_EQ(play.keptNotes().Hints, 5);
    game().play.HintShowing = false; // the window's redraw of the new board ends the hint
    play.hint();
    takePair();
    const GameRecord continued = *play.newGame().record;
    EXPECT_TRUE(continued.Continued);
    EXPECT_FALSE(continued.Loaded);
    EXPECT_EQ(continued.Hints, 6);
    EXPECT_EQ(continued.Checks, 1);
}

// At close a game is recorded unless it is kept for the next start; once.
TEST_F(GameEnd, ClosingRecordsTheGameUnlessItIsKept) {
    const struct {
        bool option, lockHeld, recorded;
    } rows[] = {{true, true, false}, {true, false, true}, {false, true, true}};
    for (const auto& row : rows) {
        play.newGame();
        takePair();
        game().settings.ResumeGame = row.option;
        EXPECT_EQ(play.closeGame(row.lockHeld).has_value(), row.recorded) << row.option;
        EXPECT_FALSE(play.closeGame(false)) << row.option;
    }
}

} // namespace
} // namespace kelmar
