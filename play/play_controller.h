// The game's flow between the window and the core, without Qt: owns the
// Game, the layouts of the run (named by short name), the best-times tables,
// the ledger of what a check or a hint has already cost, the deal on the
// board and the settings file. Every player command is one method; it runs
// the core's rules and returns the few things only the window can do
// (Effects). The core reaches the screen itself through Game::view.
#pragma once

#include "core/demo_plan.h"
#include "core/game.h"
#include "core/safe_hint.h"
#include "core/solvability.h"
#include "scores/game_record.h"
#include "scores/score_book.h"
#include "storage/kept_game.h"
#include "storage/settings_file.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kelmar {

// What the player asked the check for: only the answer, or to go back to
// where the game could last be won.
enum class SolvabilityAction { Show, GoBack };

// Which screen covers the board after a command.
enum class Screen : uint8_t {
    Keep,  // as it is
    Board, // leave the logo, pause or about screen (ResumeFromLogo)
    Pause, // the pause screen
    About, // the about screen
};

// A question for the worker that judges positions off the window's thread.
// Demo: plan the demonstration of the position on the board.
enum class Ask : uint8_t { Nothing, SafeHint, Check, CheckGoBack, Demo };

// What the window does after a command, in this order: forget the old
// board, change the screen, highlight, render, show the note and the time,
// ask the worker.
struct Effects {
    // The board was replaced: nothing asked about the old one is answered
    // any more, its status note goes, and the deal's label and the layout's
    // name are shown anew.
    bool newBoard = false;
    Screen screen = Screen::Keep;
    int32_t pressed = 0;             // press feedback: highlight this tile and present it
    bool render = false;             // compose and show the board (RenderBoard)
    bool showTime = false;           // write the time text now: a stuck game's clock stands still
    std::optional<std::string> note; // status panel 0 until the position changes (UTF-8)
    Ask ask = Ask::Nothing;
    // The command ended the game that was on the board: its record, for
    // the records file. A command ends at most one game.
    std::optional<GameRecord> record;
    // The record is a win that entered no best-times table: its rank among
    // the player's wins is told under this layout name (UTF-8).
    std::optional<std::string> rankUnder;
};

// The counters of the game on the board that its record carries. A game
// kept for the next start takes them along (get them at close, set them
// after continueKept()).
struct GameTally {
    int32_t Hints = 0;  // hint pairs shown (taking a shown pair is a move, no hint)
    int32_t Checks = 0; // answers of the check, going back to a winnable position included
    friend bool operator==(const GameTally&, const GameTally&) = default;
};

// The German texts of the check and the lost hint, UTF-8. `position` is the
// history position of the board the answer is for (0: the start).
std::string SolvabilityText(const SolvabilityAnswer& answer, int32_t position);
std::string CheckingText();
std::string LostHintText();

// The shuffle's and the demonstration's German texts, UTF-8.
std::string ShuffleFailedText();
std::string ShuffleLimitText();
std::string DemoPlanningText();
std::string DemoRunningText();
std::string DemoUndecidedText();

// The seed of the shuffle of `board`: a pure function of the tiles on it,
// so one position always shuffles the same way and taking a shuffle back
// cannot draw a better one.
uint32_t ShuffleSeedOf(const Board& board);

// A won game cannot be saved, and neither can a board that was never dealt
// (a start-up that stopped at a missing picture): its file would hold no
// tile.
bool Savable(const Game& game);

class PlayController {
public:
    // `settingsPath`: the settings file this run reads and writes.
    explicit PlayController(const std::string& settingsPath = kSettingsFileName);
    PlayController(const PlayController&) = delete;
    PlayController& operator=(const PlayController&) = delete;

    Game& game() { return game_; }
    const Game& game() const { return game_; }
    ScoreBook& scores() { return scores_; }
    // Known verdicts of positions and the ledger of which were told (and
    // paid for) in this run of the clock; the workers share them.
    VerdictCache& verdicts() { return verdicts_; }

    // --- Start and close ----------------------------------------------
    // Seeds the deal generator and the draw of fresh deal numbers.
    void seed(uint32_t msSinceMidnightUtc);
    // Removes leftovers of writes killed half way and reads the settings
    // file; returns a German warning to show once, else empty. A
    // stored value outside its range reads as its default.
    std::string readSettings();
    // The settings file at close, and whenever a best time or its name is
    // entered. Returns a German warning to show (the file's lock was not
    // had), else empty; throws IoError.
    std::string writeSettings();
    // The built-in layouts, then those of `folder` (empty: none); the
    // layout of the settings, the pyramid when no layout has that short
    // name. Returns a German message per skipped file.
    std::vector<std::string> readLayouts(const std::string& folder);
    // The kept game of the last run is on the board now (loaded); `notes`
    // is its side record (defaults: the game continues without a number
    // and with no hint or check counted). It counts on as one game.
    Effects continueKept(const KeptGameNotes& notes);
    // The side record to keep with the game on the board: its deal and its
    // tally.
    KeptGameNotes keptNotes() const;

    // --- Board and commands -------------------------------------------
    Effects press(int x, int y);
    Effects release(int x, int y);
    Effects newGame();
    Effects dealNumber(uint32_t number);
    Effects dayGame(int year, int month, int day);
    Effects sameGame();
    // Deals a new game on layouts()[index] and keeps that layout; an index
    // out of range does nothing.
    Effects chooseLayout(int index);
    Effects undo();
    Effects redo();
    Effects hint();
    // The safe hint's answer for the position on the board now (nullopt:
    // the wait ran out first).
    Effects hintJudged(const std::vector<SolverMove>& candidates,
                       const std::optional<HintJudgement>& judgement);
    Effects check(SolvabilityAction action);
    // The check's answer for the position on the board now.
    Effects checkAnswered(const SolvabilityAnswer& answer, SolvabilityAction action);
    Effects pause();
    Effects about();

    // --- Shuffle and demonstration --------------------------------------
    // The tiles on the board change places into an arrangement the solver
    // proves winnable (core/shuffle.h), at kShufflePenaltyMs, as one step
    // of the history. Found by the solver here, within a few dozen
    // milliseconds at worst (bench/shuffle). When none is proven, or the
    // game has had its kShuffleCapacity shuffles, it says so and changes
    // nothing.
    Effects shuffle();
    // Asks the worker for the demonstration's plan; a stuck board is lost
    // without asking.
    Effects demo();
    // The plan's verdict for the position on the board now: a lost or
    // undecided one says so and nothing is played.
    Effects demoPlanned(DemoVerdict verdict);
    // Takes the demonstration's next pair (PlayDemoStep) and, unless that
    // won the game, says the demonstration runs; nothing when the game does
    // not run or the pair cannot be taken now.
    Effects demoStep(SolverMove step);

    // Files. load() throws StorageError as LoadGame does and then keeps the
    // file name; a loaded file becomes the quick-load and quick-save name.
    Effects load(const std::string& fileName);
    bool savable() const { return Savable(game_); }
    // Throws as SaveGame; the name is taken once the file is written.
    void save(const std::string& fileName);
    const std::string& saveFileName() const { return saveFileName_; }

    // In play with no move left and not won: the stuck dialog follows the
    // command that got the game there.
    bool stuck() const;

    // --- Layouts and best times ---------------------------------------
    const std::vector<Layout>& layouts() const { return layouts_; }
    int currentLayoutIndex() const;
    // The layout the board on the screen was dealt on; null for a loaded
    // board whose positions match no layout (its win enters no table).
    const Layout* boardLayout() const;
    // The name in the title: the board's layout, "unbekannte Aufstellung".
    std::string boardLayoutName() const;
    // The table a win of `timeMs` on the board enters, or null.
    HighScoreTable* tableForWin(int32_t timeMs);
    // The table "Bestenliste zeigen" shows, and the name it shows it under.
    HighScoreTable& shownTable();
    std::string shownLayoutName() const;

    // --- Records of ended games ----------------------------------------
    // A game ends when it is won, and when another board replaces it (a
    // new deal, a numbered deal, the game of the day, the same game anew,
    // a layout, a load) or the program ends without keeping it. It is
    // recorded as stuck when no pair is left then, else as given up; a game
    // given up before its first pair is not recorded (WorthRecording).
    GameTally tally() const { return tally_; }
    // The local date and time (a day count) records are stamped with; the
    // system's by default.
    void setLocalClock(std::function<double()> now) { localNow_ = std::move(now); }
    // The settings file of this run; the records file lies beside it.
    const std::string& settingsPath() const { return settingsPath_; }
    // At the end of the program: the record of the game on the board, or
    // nullopt when there is none to make or the game is kept for the next
    // start (the option on and `keptLockHeld`: this run owns the kept copy).
    // Once only: a second call returns nullopt.
    std::optional<GameRecord> closeGame(bool keptLockHeld);

private:
    Effects dealNumbered(uint32_t number);
    // A deal is on the board: analysed, drawn, the old one forgotten and
    // `left`, its record, handed on.
    Effects dealt(std::optional<GameRecord> left);
    // The record of the game a new board replaces, if it is to be made.
    std::optional<GameRecord> leaveGame() const;
    GameRecord recordOf(GameResult result) const;
    // A new game is on the board: fresh counters, its origin.
    void beginGame(bool loaded, bool continued);
    Effects clickAt(int x, int y);
    std::optional<HighScoreTable> tableBeforeLastPair() const;
    Effects afterPlay(std::optional<HighScoreTable> tableBefore, Effects effects);
    Effects replaced(Effects effects);
    void takeLayoutOfBoard();
    std::string shownShortName() const;

    Game game_;
    std::vector<Layout> layouts_; // game_.layout points into it once read
    ScoreBook scores_;
    VerdictCache verdicts_;
    SettingsSession settingsFile_;
    // Short name of the layout of the board on the screen; empty: none.
    std::string boardLayout_;
    std::string saveFileName_;

    // The game on the board, for its record.
    std::string settingsPath_;
    std::function<double()> localNow_;
    GameTally tally_;
    bool inPlay_ = false; // dealt and not yet recorded
    bool loaded_ = false;
    bool continued_ = false;
};

} // namespace kelmar
