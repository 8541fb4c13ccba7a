#include "core/board.h"
#include "core/history.h"
#include "core/rules.h"
#include "core/shuffle.h"
#include "play/play_controller.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <unistd.h>

namespace kelmar {
namespace {

bool nothing(const Effects& e) {
    return !e.newBoard && e.screen == Screen::Keep && e.pressed == 0 && !e.render && !e.showTime &&
           !e.note && e.ask == Ask::Nothing;
}

// A controller with a fresh random deal in play (no window: the core draws
// nothing) and its settings file in a folder of its own.
class Play : public ::testing::Test {
protected:
    Play() : play(folder() + "/Kelmar.ini") {
        play.game().settings.AvoidUnsolveableGames = false;
        play.newGame();
    }
    ~Play() override { std::filesystem::remove_all(folder()); }
    static std::string folder() {
        static const std::string path =
            (std::filesystem::temp_directory_path() / ("kelmar-play-" + std::to_string(::getpid())))
                .string();
        std::filesystem::create_directories(path);
        return path;
    }
    Game& game() { return play.game(); }
    std::pair<int, int> centre(int32_t slot) {
        const Rect r = TileRect(game().board, slot);
        return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
    }
    // What a worker leaves behind for the position on the board: its
    // verdict, so that the ledger can mark it told.
    PositionKey known() {
        const PositionKey key = PositionKey::Of(game().board);
        play.verdicts().store(key, SolveResult::Winnable);
        return key;
    }
    void takePair() {
        const auto pairs = FreeMatchingPairs(game());
        ASSERT_FALSE(pairs.empty());
        game().clock.Elapsed += 1000; // each move at a time of its own
        for (int32_t slot : {pairs[0].first, pairs[0].second}) {
            play.release(centre(slot).first, centre(slot).second);
        }
    }
    PlayController play;
};

// Behind a screen and on a won board these commands change nothing; in play
// each does its part.
TEST_F(Play, GuardedCommandsDoNothingBehindAScreenOrOnAWonBoard) {
    takePair();
    const auto at = centre(FreeMatchingPairs(game())[0].first);
    const struct {
        const char* name;
        std::function<Effects(PlayController&)> run;
        Ask asks;         // in play
        bool pressesTile; // in play
    } commands[] = {
        {"undo", [](PlayController& p) { return p.undo(); }, Ask::Nothing, false},
        {"redo", [](PlayController& p) { return p.redo(); }, Ask::Nothing, false},
        {"hint", [](PlayController& p) { return p.hint(); }, Ask::SafeHint, false},
        {"check", [](PlayController& p) { return p.check(SolvabilityAction::Show); }, Ask::Check,
         false},
        {"back", [](PlayController& p) { return p.check(SolvabilityAction::GoBack); },
         Ask::CheckGoBack, false},
        {"press", [&](PlayController& p) { return p.press(at.first, at.second); }, Ask::Nothing,
         true},
    };
    for (const auto& c : commands) {
        for (const char* state : {"paused", "won"}) {
            const Game before = game();
            game().Running = std::string(state) != "paused";
            game().play.GameWon = std::string(state) == "won";
            EXPECT_TRUE(nothing(c.run(play))) << c.name << " " << state;
            EXPECT_EQ(game().history.Position, before.history.Position) << c.name << " " << state;
            EXPECT_EQ(game().clock.BaseElapsed, before.clock.BaseElapsed) << c.name;
            game() = before;
        }
        const Effects inPlay = c.run(play);
        EXPECT_EQ(inPlay.ask, c.asks) << c.name;
        EXPECT_EQ(inPlay.pressed > 0, c.pressesTile) << c.name;
    }
    // Undo took the pair back, redo made it again.
    EXPECT_EQ(game().history.Position, 1);
}

// Every way to a new board reports it and makes the checks cost again.
TEST_F(Play, EveryCommandThatReplacesTheBoardSaysSoAndForgetsWhatWasPaid) {
    takePair();
    const std::string file = folder() + "/Spiel.klmr";
    play.save(file);
    const struct {
        const char* name;
        std::function<Effects(PlayController&)> run;
        uint32_t number; // of the deal afterwards; 0: a loaded game
        bool showsTime;
    } commands[] = {
        {"new", [](PlayController& p) { return p.newGame(); }, 0, false},
        {"number", [](PlayController& p) { return p.dealNumber(4711); }, 4711, false},
        {"same", [](PlayController& p) { return p.sameGame(); }, 4711, false},
        {"day", [](PlayController& p) { return p.dayGame(2026, 12, 7); }, 0, false},
        {"layout", [](PlayController& p) { return p.chooseLayout(1); }, 0, false},
        {"load", [&](PlayController& p) { return p.load(file); }, 0, true},
    };
    for (const auto& c : commands) {
        const PositionKey paid = known();
        play.verdicts().markTold(paid);
        ASSERT_TRUE(play.verdicts().told(paid));
        const Effects effects = c.run(play);
        EXPECT_TRUE(effects.newBoard) << c.name;
        EXPECT_EQ(effects.showTime, c.showsTime) << c.name;
        EXPECT_FALSE(play.verdicts().told(paid)) << c.name;
        EXPECT_TRUE(game().Running) << c.name;
        if (c.number != 0 || std::string(c.name) == "load") {
            EXPECT_EQ(game().deal.Number, c.number) << c.name;
        }
    }
    // The loaded board's layout is the one new games are dealt on.
    EXPECT_EQ(play.saveFileName(), file);
    EXPECT_EQ(play.boardLayoutName(), "Pyramide");
    EXPECT_EQ(game().settings.LayoutName, "Pyramide");
}

// A decided answer costs the hint's 10 s once per position and run of the
// clock; an undecided one and a stuck board cost nothing.
TEST_F(Play, ACheckIsChargedOncePerPositionAndNeverWhenUndecidedOrStuck) {
    const struct {
        Solvability kind;
        bool stuck;
        bool askedBefore;
        int32_t cost;
    } cases[] = {
        {Solvability::Winnable, false, false, kHintPenaltyMs},
        {Solvability::Winnable, false, true, 0},
        {Solvability::LostSince, false, false, kHintPenaltyMs},
        {Solvability::Undecided, false, false, 0},
        {Solvability::Winnable, true, false, 0},
    };
    for (const auto& c : cases) {
        play.sameGame();
        game().play.NoMovesLeft = c.stuck;
        known();
        if (c.askedBefore) {
            play.checkAnswered({c.kind, 1}, SolvabilityAction::Show);
        }
        const int32_t before = game().clock.BaseElapsed;
        const Effects effects = play.checkAnswered({c.kind, 1}, SolvabilityAction::Show);
        EXPECT_EQ(game().clock.BaseElapsed - before, c.cost)
            << static_cast<int>(c.kind) << c.stuck << c.askedBefore;
        EXPECT_EQ(effects.note, SolvabilityText({c.kind, 1}, 0));
    }
}

TEST_F(Play, GoingBackUndoesToTheWinnablePositionAtItsOwnPrice) {
    takePair();
    takePair();
    takePair();
    const int32_t timeOfSecondMove = game().history.Records[2].Time;
    ASSERT_EQ(timeOfSecondMove, 2000);
    Game target = game();
    UndoMove(target);
    UndoMove(target);
    play.verdicts().store(PositionKey::Of(target.board), SolveResult::Winnable);
    const Effects effects =
        play.checkAnswered({Solvability::LostSince, 2}, SolvabilityAction::GoBack);
    EXPECT_EQ(game().history.Position, 1);
    EXPECT_EQ(game().clock.BaseElapsed, timeOfSecondMove);
    EXPECT_EQ(effects.note, "Noch lösbar.");
    EXPECT_TRUE(play.verdicts().told(PositionKey::Of(game().board)));
}

TEST_F(Play, TheHintIsThePlainOneWithTheOptionOffAndTheSecondPressTakesThePair) {
    game().settings.SafeHint = false;
    EXPECT_TRUE(nothing(play.hint()));
    EXPECT_TRUE(game().play.HintShowing);
    EXPECT_EQ(game().clock.BaseElapsed, kHintPenaltyMs);
    game().settings.SafeHint = true;
    EXPECT_TRUE(nothing(play.hint())); // takes the shown pair
    EXPECT_EQ(game().history.Position, 1);
    EXPECT_EQ(game().clock.BaseElapsed, kHintPenaltyMs);

    // A judgement that the position is lost says so and pays for the check.
    const auto pairs = FreeMatchingPairs(game());
    known();
    HintJudgement lost;
    lost.safety = HintSafety::Lost;
    const Effects effects =
        play.hintJudged({{pairs[0].first, pairs[0].second}}, std::optional<HintJudgement>(lost));
    EXPECT_EQ(effects.note, LostHintText());
    EXPECT_TRUE(play.verdicts().told(PositionKey::Of(game().board)));
}

// The shuffle costs 30 s as one undoable step; the limit and a board no
// arrangement can win (two tiles of one kind stacked) change nothing and
// say why; a shuffled or demonstrated game enters no best-times table,
// also after "Gleiches Spiel neu", until a new deal.
TEST_F(Play, TheShuffleCostsItsPenaltyOrSaysWhyNotAndMarksTheGame) {
    const auto stackOfTwo = [](Game& g) {
        ResetBoard(g);
        AddSlot(g.board, 0, 0, 1, 1);
        AddSlot(g.board, 0, 0, 2, 1);
        g.board.DealtCount = 2;
        PrepareBoardGeometry(g);
        AnalyzeBoard(g);
    };
    const auto eightShuffles = [this](Game&) {
        for (int i = 0; i < kShuffleCapacity; ++i) {
            ASSERT_FALSE(play.shuffle().note) << i;
        }
    };
    const struct {
        std::function<void(Game&)> prepare;
        std::optional<std::string> note; // nullopt: shuffled
    } cases[] = {{[](Game&) {}, std::nullopt},
                 {eightShuffles, ShuffleLimitText()},
                 {stackOfTwo, ShuffleFailedText()}};
    for (const auto& c : cases) {
        play.newGame();
        EXPECT_NE(play.tableForWin(60000), nullptr);
        c.prepare(game());
        const Game before = game();
        const Effects effects = play.shuffle();
        const bool shuffled = !c.note;
        EXPECT_EQ(effects.note, c.note);
        EXPECT_EQ(game().history.Position - before.history.Position, shuffled ? 1 : 0);
        EXPECT_EQ(game().clock.BaseElapsed - before.clock.BaseElapsed,
                  shuffled ? kShufflePenaltyMs : 0);
        EXPECT_EQ(PositionKey::Of(game().board) == PositionKey::Of(before.board), !shuffled);
        if (shuffled) { // undo puts every tile back
            play.undo();
            EXPECT_TRUE(PositionKey::Of(game().board) == PositionKey::Of(before.board));
            play.redo();
        }
        EXPECT_EQ(play.tableForWin(60000) == nullptr, game().Aids.Shuffled);
        play.sameGame();
        EXPECT_EQ(play.tableForWin(60000) == nullptr, game().Aids.Shuffled);
    }
    game().Aids.Demonstrated = true;
    EXPECT_EQ(play.tableForWin(60000), nullptr);
    game().Running = false;
    EXPECT_TRUE(nothing(play.shuffle()));
}

TEST_F(Play, PauseTogglesAndAReleaseBehindAScreenOnlyLeavesIt) {
    EXPECT_EQ(play.pause().screen, Screen::Pause);
    game().Running = false;
    EXPECT_EQ(play.pause().screen, Screen::Board);
    EXPECT_EQ(play.about().screen, Screen::About);
    const Effects release = play.release(100, 100);
    EXPECT_EQ(release.screen, Screen::Board);
    EXPECT_FALSE(release.render);
}

TEST_F(Play, StuckAndSavableFollowTheBoard) {
    EXPECT_FALSE(play.stuck());
    EXPECT_TRUE(play.savable());
    game().play.NoMovesLeft = true;
    EXPECT_TRUE(play.stuck());
    game().play.GameWon = true;
    EXPECT_FALSE(play.stuck());
    EXPECT_FALSE(play.savable());
    EXPECT_FALSE(Savable(Game{})); // never dealt
}

// Before any deal (a start-up that stopped at a missing picture) the list
// shows the pyramid's stored times.
TEST(PlayScores, BeforeAnyDealTheListIsThePyramidsOwnTable) {
    PlayController play;
    RecordHighScore(play.scores().pyramid(), "Anna", 95000, 45000.5);
    EXPECT_EQ(&play.shownTable(), &play.scores().pyramid());
    EXPECT_EQ(play.shownLayoutName(), "Pyramide");
    EXPECT_EQ(play.tableForWin(60000), &play.scores().pyramid());
}

TEST(SolvabilityText, GermanForEveryAnswerWithTheSingularForOneMove) {
    const struct {
        SolvabilityAnswer answer;
        int32_t position;
        const char* text;
    } cases[] = {
        {{Solvability::Winnable, 0}, 3, "Noch lösbar."},
        {{Solvability::LostSince, 1}, 3, "Nicht mehr lösbar. Vor einem Zug war es noch lösbar."},
        {{Solvability::LostSince, 2}, 3, "Nicht mehr lösbar. Vor 2 Zügen war es noch lösbar."},
        {{Solvability::LostSince, 21}, 30, "Nicht mehr lösbar. Vor 21 Zügen war es noch lösbar."},
        {{Solvability::LostFromStart, 0},
         0,
         "Nicht lösbar. Diese Ausgangsstellung lässt sich nicht abräumen."},
        {{Solvability::LostFromStart, 0},
         4,
         "Nicht lösbar. Schon die Ausgangsstellung war nicht lösbar."},
        {{Solvability::LostUnknownBefore, 0},
         4,
         "Nicht mehr lösbar. Ob es vorher lösbar war, ließ sich nicht entscheiden."},
        {{Solvability::Undecided, 0},
         4,
         "Lösbarkeit nicht entschieden. Diese Prüfung kostet keine Zeit."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SolvabilityText(c.answer, c.position), c.text);
    }
    EXPECT_EQ(CheckingText(), "Prüfe ...");
}

} // namespace
} // namespace kelmar
