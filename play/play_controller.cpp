#include "play/play_controller.h"

#include "core/board.h"
#include "core/board_geometry.h"
#include "core/builtin_layouts.h"
#include "core/deal.h"
#include "core/grade.h"
#include "core/history.h"
#include "core/numbered_deal.h"
#include "core/rules.h"
#include "core/shuffle.h"
#include "core/zoom.h"
#include "play/resume_rules.h"
#include "scores/score_text.h"
#include "storage/layout_files.h"
#include "storage/replace_file.h"
#include "storage/saved_game.h"

#include <algorithm>
#include <bit>
#include <ctime>

namespace kelmar {

std::string SolvabilityText(const SolvabilityAnswer& answer, int32_t position) {
    switch (answer.kind) {
    case Solvability::Winnable:
        return "Noch lösbar.";
    case Solvability::LostSince:
        if (answer.MovesBack == 1) {
            return "Nicht mehr lösbar. Vor einem Zug war es noch lösbar.";
        }
        return "Nicht mehr lösbar. Vor " + std::to_string(answer.MovesBack) +
               " Zügen war es noch lösbar.";
    case Solvability::LostFromStart:
        if (position == 0) {
            return "Nicht lösbar. Diese Ausgangsstellung lässt sich nicht abräumen.";
        }
        return "Nicht lösbar. Schon die Ausgangsstellung war nicht lösbar.";
    case Solvability::LostUnknownBefore:
        return "Nicht mehr lösbar. Ob es vorher lösbar war, ließ sich nicht entscheiden.";
    case Solvability::Undecided:
        break;
    }
    return "Lösbarkeit nicht entschieden. Diese Prüfung kostet keine Zeit.";
}

std::string CheckingText() {
    return "Prüfe ...";
}

std::string LostHintText() {
    return "Nicht mehr lösbar – Strg+B geht zurück bis lösbar.";
}

std::string ShuffleFailedText() {
    return "Keine gewinnbare Mischung gefunden – Strg+B geht zurück bis lösbar.";
}

std::string ShuffleLimitText() {
    return "Öfter lässt sich dieses Spiel nicht mischen.";
}

std::string DemoPlanningText() {
    return "Suche einen Lösungsweg ...";
}

std::string DemoRunningText() {
    return "Vorführung – eine Taste oder ein Klick hält sie an.";
}

std::string DemoUndecidedText() {
    return "Kein Lösungsweg gefunden – die Vorführung fällt aus.";
}

// FNV-1a over slot and kind of every tile on the board.
uint32_t ShuffleSeedOf(const Board& board) {
    uint32_t hash = 2166136261u;
    const auto mix = [&hash](uint32_t value) { hash = (hash ^ value) * 16777619u; };
    for (int32_t s = 1; s <= board.SlotCount && s < kSlotCapacity; ++s) {
        const TileSlot& slot = board.Slots[static_cast<std::size_t>(s)];
        if (slot.Present) {
            mix(static_cast<uint32_t>(s));
            mix(slot.Kind);
        }
    }
    return hash;
}

bool Savable(const Game& game) {
    return !game.play.GameWon && game.board.SlotCount > 0;
}

PlayController::PlayController(const std::string& settingsPath)
    : layouts_(BuiltInLayouts()), settingsFile_(settingsPath),
      boardLayout_(PyramidLayout().ShortName), saveFileName_(kDefaultSaveFileName),
      settingsPath_(settingsPath), localNow_(CurrentLocalDayCount) {
    game_.layout = &layouts_.front();
}

// --- Start and close ------------------------------------------------------

void PlayController::seed(uint32_t msSinceMidnightUtc) {
    SeedRandom(game_, msSinceMidnightUtc);
    // Fresh deal numbers come from a generator of their own: every deal
    // reseeds the deal generator from its number.
    game_.NumberSeed = game_.Seed;
}

std::string PlayController::readSettings() {
    // None of our writes is busy yet.
    RemoveStaleTemporaries(".", std::time(nullptr));
    std::string warning = settingsFile_.Read(game_.settings, scores_.pyramid(), &scores_.others());
    GameSettings& settings = game_.settings;
    settings.PixelFormat = PixelFormatFromCode(static_cast<int>(settings.PixelFormat));
    settings.Difficulty = GradeFromCode(static_cast<int32_t>(settings.Difficulty));
    settings.Zoom = ZoomFromPercent(settings.Zoom);
    return warning;
}

std::string PlayController::writeSettings() {
    return settingsFile_.Write(game_.settings, scores_.pyramid(), scores_.others());
}

std::vector<std::string> PlayController::readLayouts(const std::string& folder) {
    layouts_ = BuiltInLayouts();
    PlayerLayouts own = ReadPlayerLayouts(folder, layouts_);
    for (Layout& l : own.layouts) {
        layouts_.push_back(std::move(l));
    }
    const Layout* chosen = FindLayout(layouts_, game_.settings.LayoutName);
    game_.layout = chosen != nullptr ? chosen : &layouts_.front();
    game_.settings.LayoutName = game_.layout->ShortName;
    return std::move(own.messages);
}

Effects PlayController::continueKept(const KeptGameNotes& notes) {
    beginGame(false, true);
    game_.deal = notes.deal;
    tally_ = {notes.Hints, notes.Checks};
    takeLayoutOfBoard();
    Effects effects = replaced({});
    effects.showTime = true;
    return effects;
}

KeptGameNotes PlayController::keptNotes() const {
    KeptGameNotes notes;
    notes.deal = game_.deal;
    notes.Hints = tally_.Hints;
    notes.Checks = tally_.Checks;
    return notes;
}

// --- Board and commands ---------------------------------------------------

Effects PlayController::press(int x, int y) {
    if (game_.play.GameWon || !game_.Running) {
        return {};
    }
    Effects effects;
    effects.pressed = HitTest(game_.board, x, y);
    return effects;
}

// A release behind a screen only leaves the screen; otherwise it clicks the
// tile under it, if any, and renders also when none was hit.
Effects PlayController::release(int x, int y) {
    const std::optional<HighScoreTable> table = tableBeforeLastPair();
    return afterPlay(table, clickAt(x, y));
}

Effects PlayController::clickAt(int x, int y) {
    Effects effects;
    if (!game_.Running) {
        effects.screen = Screen::Board;
        return effects;
    }
    if (game_.play.GameWon) {
        return effects;
    }
    const int32_t slot = HitTest(game_.board, x, y);
    if (slot > 0) {
        ClickTile(game_, slot);
    }
    if (game_.play.BoardChanged) {
        AnalyzeBoard(game_);
    }
    game_.play.BoardChanged = false;
    effects.render = true;
    return effects;
}

Effects PlayController::newGame() {
    return dealNumbered(DrawDealNumber(game_.NumberSeed));
}

Effects PlayController::dealNumber(uint32_t number) {
    return dealNumbered(number);
}

// The difficulty setting has no say: every player gets the same board.
Effects PlayController::dayGame(int year, int month, int day) {
    const std::optional<GameRecord> left = leaveGame();
    NewDayGame(game_, DayGameOf(year, month, day));
    return dealt(left);
}

Effects PlayController::dealNumbered(uint32_t number) {
    const std::optional<GameRecord> left = leaveGame();
    NewNumberedGame(game_, number, game_.settings.Difficulty);
    return dealt(left);
}

Effects PlayController::dealt(std::optional<GameRecord> left) {
    beginGame(false, false);
    boardLayout_ = game_.layout->ShortName;
    AnalyzeBoard(game_);
    Effects effects;
    effects.render = true;
    effects.record = left;
    return replaced(effects);
}

// The restart is a new game of the same deal: from the same file, on the
// same day's deal, but played in this run.
Effects PlayController::sameGame() {
    Effects effects;
    effects.record = leaveGame();
    RestartGame(game_);
    beginGame(loaded_, false);
    AnalyzeBoard(game_);
    effects.render = true;
    return replaced(effects);
}

Effects PlayController::chooseLayout(int index) {
    if (index < 0 || index >= static_cast<int>(layouts_.size())) {
        return {};
    }
    game_.layout = &layouts_[static_cast<std::size_t>(index)];
    game_.settings.LayoutName = game_.layout->ShortName;
    return newGame();
}

// Answers and penalties of the old board are gone.
Effects PlayController::replaced(Effects effects) {
    verdicts_.forgetTold();
    effects.newBoard = true;
    return effects;
}

Effects PlayController::undo() {
    if (game_.Running && !game_.play.GameWon) {
        UndoMove(game_);
    }
    return {};
}

Effects PlayController::redo() {
    const std::optional<HighScoreTable> table = tableBeforeLastPair();
    if (game_.Running && !game_.play.GameWon) {
        RedoMove(game_);
    }
    return afterPlay(table, {});
}

// The second press takes the shown pair; with the option off, and on a
// stuck board, the hint is the plain one. Otherwise the worker judges the
// pairs first.
Effects PlayController::hint() {
    const PlayState& play = game_.play;
    if (!game_.Running || play.GameWon) {
        return {};
    }
    if (!game_.settings.SafeHint || play.HintShowing || play.NoMovesLeft) {
        const bool shownBefore = play.HintShowing;
        const std::optional<HighScoreTable> table = tableBeforeLastPair();
        GiveHint(game_);
        if (!shownBefore && play.HintShowing) {
            ++tally_.Hints;
        }
        return afterPlay(table, {});
    }
    Effects effects;
    effects.ask = Ask::SafeHint;
    return effects;
}

// A pause, a won or stuck board, or a hint shown meanwhile leaves the
// answer unused.
Effects PlayController::hintJudged(const std::vector<SolverMove>& candidates,
                                   const std::optional<HintJudgement>& judgement) {
    const PlayState& play = game_.play;
    if (!game_.Running || play.GameWon || play.NoMovesLeft || play.HintShowing) {
        return {};
    }
    const HintShown shown = ChooseHintPair(game_.settings.SafeHint, candidates, judgement);
    ShowHintPair(game_, shown.pair.First, shown.pair.Second);
    if (play.HintShowing) {
        ++tally_.Hints;
    }
    Effects effects;
    if (shown.sayLost && play.HintShowing) {
        // The hint's price covers the answer: a check of this position
        // costs nothing more.
        effects.note = LostHintText();
        verdicts_.markTold(PositionKey::Of(game_.board));
    }
    return effects;
}

// The hint's guards: nothing behind the logo, pause or about screen, and
// nothing on a won board.
Effects PlayController::check(SolvabilityAction action) {
    if (!game_.Running || game_.play.GameWon) {
        return {};
    }
    Effects effects;
    effects.ask = action == SolvabilityAction::GoBack ? Ask::CheckGoBack : Ask::Check;
    return effects;
}

// Going back undoes exactly as the undo command, one move at a time, clock
// included. Otherwise a decided answer costs the hint's 10 s once per
// position and clock run; an undecided one tells nothing and a stuck board,
// like the hint, costs nothing: its clock stands still and an undo would
// set it back anyway.
Effects PlayController::checkAnswered(const SolvabilityAnswer& answer, SolvabilityAction action) {
    ++tally_.Checks;
    Effects effects;
    const bool goBack = action == SolvabilityAction::GoBack &&
                        answer.kind == Solvability::LostSince && game_.Running &&
                        !game_.play.GameWon;
    if (goBack) {
        for (int32_t i = 0; i < answer.MovesBack; ++i) {
            UndoMove(game_);
        }
        effects.note = SolvabilityText({Solvability::Winnable, 0}, game_.history.Position);
        verdicts_.markTold(PositionKey::Of(game_.board));
        return effects;
    }
    effects.note = SolvabilityText(answer, game_.history.Position);
    if (answer.kind == Solvability::Undecided) {
        return effects;
    }
    const PositionKey position = PositionKey::Of(game_.board);
    if (!game_.play.NoMovesLeft && !verdicts_.told(position)) {
        ChargeCheckPenalty(game_.clock);
    }
    verdicts_.markTold(position);
    return effects;
}

// Toggles: the pause screen while the game runs; otherwise (logo, pause or
// about screen showing) back to the board.
Effects PlayController::pause() {
    Effects effects;
    effects.screen = game_.Running ? Screen::Pause : Screen::Board;
    return effects;
}

Effects PlayController::about() {
    Effects effects;
    effects.screen = Screen::About;
    return effects;
}

// --- Shuffle and demonstration -------------------------------------------

// The hint's guards. The clock runs on after the shuffle: a stuck game's
// time stood still until now.
Effects PlayController::shuffle() {
    if (!game_.Running || game_.play.GameWon) {
        return {};
    }
    Effects effects;
    if (!ShuffleHasRoom(game_)) {
        effects.note = ShuffleLimitText();
        return effects;
    }
    const std::optional<ShuffleRecord> found = FindShuffle(game_.board, ShuffleSeedOf(game_.board));
    if (!found || !ShuffleGame(game_, *found)) {
        effects.note = ShuffleFailedText();
        return effects;
    }
    effects.showTime = true;
    return effects;
}

Effects PlayController::demo() {
    if (!game_.Running || game_.play.GameWon) {
        return {};
    }
    Effects effects;
    if (game_.play.NoMovesLeft) {
        effects.note = LostHintText();
        return effects;
    }
    effects.note = DemoPlanningText();
    effects.ask = Ask::Demo;
    return effects;
}

Effects PlayController::demoPlanned(DemoVerdict verdict) {
    if (!game_.Running || game_.play.GameWon) {
        return {};
    }
    Effects effects;
    switch (verdict) {
    case DemoVerdict::Winnable:
        effects.note = DemoRunningText();
        break;
    case DemoVerdict::Lost:
        effects.note = LostHintText();
        break;
    case DemoVerdict::Undecided:
        effects.note = DemoUndecidedText();
        break;
    }
    return effects;
}

// Until the last pair the note says how to stop it.
Effects PlayController::demoStep(SolverMove step) {
    Effects effects;
    if (game_.Running && PlayDemoStep(game_, step) && !game_.play.GameWon) {
        effects.note = DemoRunningText();
    }
    return effects;
}

bool PlayController::stuck() const {
    return game_.Running && game_.play.NoMovesLeft && !game_.play.GameWon;
}

// --- Files ----------------------------------------------------------------

// A saved game holds the board, not its number. The name is taken only once
// the file loaded: a later quick save must not overwrite a file that is no
// saved game of ours.
Effects PlayController::load(const std::string& fileName) {
    const std::optional<GameRecord> left = leaveGame();
    LoadGame(game_, fileName);
    beginGame(true, false);
    saveFileName_ = fileName;
    game_.deal = DealIdentity{};
    takeLayoutOfBoard();
    Effects effects = replaced({});
    effects.record = left;
    effects.showTime = true;
    return effects;
}

// After a failed save the previous name stays, so quick saves go on working.
void PlayController::save(const std::string& fileName) {
    SaveGame(game_, fileName);
    saveFileName_ = fileName;
}

// --- Layouts and best times -----------------------------------------------

int PlayController::currentLayoutIndex() const {
    return static_cast<int>(game_.layout - layouts_.data());
}

void PlayController::takeLayoutOfBoard() {
    const Layout* layout = LayoutOfBoard(layouts_, game_.board);
    boardLayout_ = layout != nullptr ? layout->ShortName : std::string();
    if (layout != nullptr) {
        game_.layout = layout;
        game_.settings.LayoutName = layout->ShortName;
    }
}

const Layout* PlayController::boardLayout() const {
    return boardLayout_.empty() ? nullptr : FindLayout(layouts_, boardLayout_);
}

std::string PlayController::boardLayoutName() const {
    const Layout* layout = boardLayout();
    return layout != nullptr ? layout->Name : "unbekannte Aufstellung";
}

// A shuffled or demonstrated game enters no table (EntersBestTimes).
HighScoreTable* PlayController::tableForWin(int32_t timeMs) {
    if (boardLayout_.empty() || !EntersBestTimes(game_.Aids)) {
        return nullptr;
    }
    return scores_.tableForWin(boardLayout_, timeMs);
}

std::string PlayController::shownShortName() const {
    return boardLayout_.empty() ? game_.layout->ShortName : boardLayout_;
}

HighScoreTable& PlayController::shownTable() {
    return scores_.table(shownShortName());
}

std::string PlayController::shownLayoutName() const {
    const Layout* layout = FindLayout(layouts_, shownShortName());
    return layout != nullptr ? layout->Name : PyramidLayout().Name;
}

} // namespace kelmar

namespace kelmar {

// --- Records of ended games ------------------------------------------------

std::optional<GameRecord> PlayController::closeGame(bool keptLockHeld) {
    const ResumeFacts facts = ResumeFactsOf(game_, keptLockHeld);
    const bool kept = facts.optionOn && facts.lockHeld && WorthKeeping(facts);
    std::optional<GameRecord> record = kept ? std::nullopt : leaveGame();
    inPlay_ = false;
    return record;
}

std::optional<GameRecord> PlayController::leaveGame() const {
    if (!inPlay_) {
        return std::nullopt;
    }
    // A win is recorded when it happens; one that came another way is
    // still no stuck game.
    const GameResult result = game_.play.GameWon       ? GameResult::Won
                              : game_.play.NoMovesLeft ? GameResult::Stuck
                                                       : GameResult::GivenUp;
    if (!WorthRecording(result, game_.history.Position)) {
        return std::nullopt;
    }
    return recordOf(result);
}

// Whether the position could still be won comes from the verdicts the check
// and the safe hint already found; ending a game never starts a search.
GameRecord PlayController::recordOf(GameResult result) const {
    GameRecord record;
    SetEndTime(record, localNow_());
    record.Layout = boardLayout_.empty() ? std::string(kUnknownLayout) : boardLayout_;
    record.Deal = game_.deal.Number;
    record.DealGrade = game_.deal.DealGrade;
    record.Result = result;
    record.TimeMs = std::max(0, game_.clock.Elapsed);
    record.Moves = game_.history.Position;
    record.Hints = tally_.Hints;
    record.Checks = tally_.Checks;
    record.WinnableAtEnd = WinnableAtEnd(result, verdicts_.find(PositionKey::Of(game_.board)));
    record.DayGame = game_.deal.DayGame;
    record.Loaded = loaded_;
    record.Continued = continued_;
    return record;
}

void PlayController::beginGame(bool loaded, bool continued) {
    tally_ = {};
    inPlay_ = true;
    loaded_ = loaded;
    continued_ = continued;
}

// The best times take a win while the board is analysed, so whether it
// enters them is asked of the table as it was before the last pair.
std::optional<HighScoreTable> PlayController::tableBeforeLastPair() const {
    int tilesLeft = 0;
    for (const uint64_t word : PresentMask(game_.board).words) {
        tilesLeft += std::popcount(word);
    }
    if (tilesLeft > 2 || boardLayout_.empty()) {
        return std::nullopt;
    }
    const HighScoreTable* table = scores_.find(boardLayout_);
    return table != nullptr ? *table : HighScoreTable{};
}

// Every command that can take the last pair (a click, the hint taking its
// pair, redo) ends here.
Effects PlayController::afterPlay(std::optional<HighScoreTable> tableBefore, Effects effects) {
    if (!game_.play.GameWon || !inPlay_) {
        return effects;
    }
    effects.record = recordOf(GameResult::Won);
    inPlay_ = false;
    if (tableBefore && FindRank(*tableBefore, game_.clock.Elapsed) == 0) {
        effects.rankUnder = boardLayoutName();
    }
    return effects;
}

} // namespace kelmar
