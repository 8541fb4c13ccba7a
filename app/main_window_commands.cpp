// Every command of the main window: its guard and its action. A tool button
// and its menu item call the same action. Nothing is ever disabled; a
// command given while its guard holds is ignored without a message.
#include "app/board_field.h"
#include "app/clock.h"
#include "app/error_guard.h"
#include "app/file_requester.h"
#include "app/main_view.h"
#include "app/main_window.h"
#include "app/message_sink.h"
#include "app/resume_keeper.h"
#include "app/status_panels.h"
#include "core/board.h"
#include "core/deal.h"
#include "core/history.h"
#include "core/numbered_deal.h"
#include "core/rules.h"
#include "core/tick_source.h"
#include "scores/score_form.h"
#include "storage/saved_game.h"

#include <QAction>
#include <QTimer>

namespace kelmar {

namespace {
const QColor kWhite(255, 255, 255);

// A won game cannot be saved, and neither can a board that was never dealt
// (a start-up that stopped at a missing picture): its file would hold no
// tile. The refusal is silent.
bool savable(const Game& game) {
    return !game.play.GameWon && game.board.SlotCount > 0;
}
} // namespace

// The timer fires as seldom as the screen allows: every 10 ms during the
// after-win replay and while the render times are shown; in a game running
// with moves left, only at the 10 ms event at which the time text would
// change; not at all behind the logo, pause or about screen and in a stuck
// game with the render times off. A timer that does not step no longer
// samples the counter, so every handler first catches the clock up, as the
// timer events since the last sample would have, and whatever reads or
// rebases the clock (a move, hint, undo, save, pause, resume, new game, load)
// starts from the present count. Each handler then sets the pace anew.
//
// A timer stopped from outside (a caller that delivers the events itself)
// stays under that caller's control: no catching up, no pacing.
bool TMainForm::pacesTimer() const {
    return timerPace_ == TimerPace::Resting || TimerObject->isActive();
}

void TMainForm::showClockText(const std::optional<std::string>& text) {
    if (text) {
        Status->setPanelText(1, QString::fromStdString(*text));
    }
}

void TMainForm::catchUpClock() {
    if (pacesTimer()) {
        showClockText(CatchUpClock(game_, services_.ticks->now(), view_->LastRenderMs()));
    }
}

void TMainForm::paceTimer() {
    if (shutDownDone_ || !pacesTimer()) {
        return;
    }
    const TimerPace pace = TimerPaceFor(game_);
    if (pace == TimerPace::Resting) {
        TimerObject->stop();
    } else if (pace == TimerPace::Steps) {
        if (timerPace_ != TimerPace::Steps || !TimerObject->isActive()) {
            TimerObject->start(static_cast<int>(kTimerStepMs));
        }
    } else {
        // The wait counts from the sample; time spent since in the handler is
        // taken off, so the wake-up is not late by it.
        const uint32_t wait =
            QuietWaitMs(game_, Status->panelText(1).toStdString(), view_->LastRenderMs());
        const uint32_t spent = services_.ticks->now() - game_.clock.CurrentTick;
        TimerObject->start(static_cast<int>(wait > spent ? wait - spent : 0));
    }
    timerPace_ = pace;
}

// A handler after which the game is stuck, and was not before, is followed
// by the dialog that offers a way out; the choice runs as its own command.
// Inside that command the game counts as stuck already, so a deal that is
// stuck from its start cannot open the dialog again and again.
template <typename Fn> void TMainForm::handle(Fn&& fn) {
    // Between the shutdown and the end of the program nothing draws.
    if (shutDownDone_) {
        return;
    }
    catchUpClock();
    const bool wasStuck = stuck();
    guarded(*services_.messages, this, std::forward<Fn>(fn));
    paceTimer();
    if (!shutDownDone_) {
        guarded(*services_.messages, this, [this] { resume_->afterCommand(); });
    }
    if (!wasStuck && stuck() && !shutDownDone_) {
        offerWayOut();
    }
}

void TMainForm::handleAction(const std::function<void()>& fn) {
    handle(fn);
}

// --- Board and timer events ---------------------------------------------

void TMainForm::FieldMouseDown(Qt::MouseButton, int x, int y) {
    handle([&] {
        if (game_.play.GameWon || !game_.Running) {
            return;
        }
        const int32_t slot = HitTest(game_.board, x, y);
        if (slot > 0) {
            view_->HighlightTile(TileRect(game_.board, slot));
            view_->PresentBoard();
        }
    });
}

void TMainForm::FieldMouseUp(Qt::MouseButton, int x, int y) {
    handle([&] {
        if (!game_.Running) {
            view_->ResumeFromLogo(); // this release only leaves the screen
            return;
        }
        if (game_.play.GameWon) {
            return;
        }
        const int32_t slot = HitTest(game_.board, x, y);
        if (slot > 0) {
            ClickTile(game_, slot);
        }
        if (game_.play.BoardChanged) {
            AnalyzeBoard(game_);
        }
        view_->RenderBoard();
        game_.play.BoardChanged = false;
    });
}

// A stepping timer runs the clock step of every 10 ms event; a quiet one
// catches up with the events it skipped, the one now included, which shows
// the new time text (or, woken early, nothing yet and the pace waits again).
void TMainForm::TimerObjectTimer() {
    if (shutDownDone_) {
        return;
    }
    guarded(*services_.messages, this, [this] {
        const uint32_t now = services_.ticks->now();
        if (pacesTimer() && timerPace_ != TimerPace::Steps) {
            showClockText(CatchUpClock(game_, now, view_->LastRenderMs()));
        } else {
            game_.clock.CurrentTick = now;
            showClockText(ClockTick(game_, view_->LastRenderMs()));
        }
    });
    paceTimer();
}

// --- Game commands --------------------------------------------------------

// A fresh number, dealt with the chosen difficulty.
void TMainForm::newGameCommand() {
    handle([this] { dealNumbered(DrawDealNumber(game_.NumberSeed)); });
}

void TMainForm::BNewClick() {
    newGameCommand();
}
void TMainForm::MNewClick() {
    newGameCommand();
}

void TMainForm::undoCommand() {
    handle([this] {
        if (game_.Running && !game_.play.GameWon) {
            UndoMove(game_);
        }
    });
}

void TMainForm::BUndoClick() {
    undoCommand();
}
void TMainForm::MUndoClick() {
    undoCommand();
}

void TMainForm::redoCommand() {
    handle([this] {
        if (game_.Running && !game_.play.GameWon) {
            RedoMove(game_);
        }
    });
}

void TMainForm::BRedoClick() {
    redoCommand();
}
void TMainForm::MRedoClick() {
    redoCommand();
}

void TMainForm::BHintClick() {
    hintCommand();
}
void TMainForm::MHintClick() {
    hintCommand();
}

// Toggles: the pause screen while the game runs; otherwise (logo, pause or
// about screen showing) back to the board without counting the screen's time.
void TMainForm::pauseCommand() {
    handle([this] {
        if (game_.Running) {
            view_->ShowLogoScreen();
            view_->WriteLogoLine(kWhite, QStringLiteral("weiter mit Mausklick"));
            view_->WriteLogoLine(kWhite, QStringLiteral("PAUSE-MODUS"));
        } else {
            view_->ResumeFromLogo();
        }
    });
}

void TMainForm::BPauseClick() {
    pauseCommand();
}
void TMainForm::MPauseClick() {
    pauseCommand();
}

void TMainForm::MAboutClick() {
    handle([this] {
        view_->ShowLogoScreen();
        view_->WriteLogoLine(kWhite, QStringLiteral("Entwickelt mit C++ und Qt 6"));
        view_->WriteLogoLine(kWhite, QString());
        view_->WriteLogoLine(kWhite, QStringLiteral("Hilfe: Kelmar.htm (F1)"));
        view_->WriteLogoLine(kWhite, QStringLiteral("Kelmar SR1 (2000)"));
    });
}

// --- Files ----------------------------------------------------------------

void TMainForm::loadFrom(const QString& fileName) {
    catchUpClock(); // the counter moved while a dialog was open
    LoadGame(game_, fileName.toStdString());
    game_.deal = DealIdentity{}; // a saved game holds the board, not its number
    showDeal();
    takeLayoutOfLoadedBoard();
    boardReplaced();
    // A stuck game's time display would otherwise wait for a change that the
    // stopped clock never brings.
    Status->setPanelText(
        1, QString::fromStdString(ClockText(game_.clock.Elapsed, game_.settings.ShowRenderSpeed,
                                            view_->LastRenderMs())));
}

void TMainForm::saveTo(const QString& fileName) {
    catchUpClock(); // the game time moved while a dialog was open
    SaveGame(game_, fileName.toStdString());
}

void TMainForm::quickLoadCommand() {
    handle([this] { loadFrom(saveFileName_); });
}

void TMainForm::BLoadClick() {
    quickLoadCommand();
}

void TMainForm::MLoadClick() {
    handle([this] {
        const auto chosen = services_.files->askOpen(this, saveFileName_);
        if (!chosen || shutDownDone_) {
            return;
        }
        // Taken only once it loaded: a later quick save must not overwrite a
        // file that is no saved game of ours.
        loadFrom(*chosen);
        saveFileName_ = *chosen;
    });
}

void TMainForm::saveCommand() {
    handle([this] {
        if (savable(game_)) {
            saveTo(saveFileName_);
        }
    });
}

void TMainForm::BSaveClick() {
    saveCommand();
}
void TMainForm::MSaveClick() {
    saveCommand();
}

void TMainForm::MSaveAsClick() {
    handle([this] {
        if (!savable(game_)) {
            return;
        }
        const auto chosen = services_.files->askSave(this, saveFileName_);
        if (!chosen || shutDownDone_) {
            return;
        }
        // After a failed save the previous name stays, so quick saves go on
        // working.
        saveTo(*chosen);
        saveFileName_ = *chosen;
    });
}

void TMainForm::MExitClick() {
    ShutDownGame();
    close();
}

// --- Options --------------------------------------------------------------

void TMainForm::MNoUnsolveableGamesClick() {
    handle([this] {
        bool& option = game_.settings.AvoidUnsolveableGames;
        option = !option;
        MNoUnsolveableGames->setChecked(option);
    });
}

void TMainForm::MShowSpeedClick() {
    handle([this] {
        bool& option = game_.settings.ShowRenderSpeed;
        option = !option;
        MShowSpeed->setChecked(option);
    });
}

void TMainForm::MForceRepaintClick() {
    handle([this] {
        bool& option = game_.settings.ForceRepaint;
        option = !option;
        MForceRepaint->setChecked(option);
    });
}

void TMainForm::MResumeGameClick() {
    handle([this] {
        bool& option = game_.settings.ResumeGame;
        option = !option;
        MResumeGame->setChecked(option);
        resume_->optionChanged();
    });
}

// The chosen format is kept (and checked) even when its pictures fail to
// load; the pictures are reloaded even when the format does not change.
void TMainForm::chooseFormat(QAction* item, PixelFormatSetting format) {
    handle([&] {
        item->setChecked(true);
        view_->ChoosePixelFormat(format);
    });
}

void TMainForm::MFDeviceClick() {
    chooseFormat(MFDevice, PixelFormatSetting::Device);
}
void TMainForm::MF32Click() {
    chooseFormat(MF32, PixelFormatSetting::Bits32);
}
void TMainForm::MF24Click() {
    chooseFormat(MF24, PixelFormatSetting::Bits24);
}
void TMainForm::MF16Click() {
    chooseFormat(MF16, PixelFormatSetting::Bits16);
}
void TMainForm::MF15Click() {
    chooseFormat(MF15, PixelFormatSetting::Bits15);
}
void TMainForm::MF8Click() {
    chooseFormat(MF8, PixelFormatSetting::Bits8);
}
void TMainForm::MF4Click() {
    chooseFormat(MF4, PixelFormatSetting::Bits4);
}

// --- Help and best times --------------------------------------------------

void TMainForm::helpCommand() {
    handle([this] { ShowHelp(helpForm_, services_.openHelp, *services_.messages, this); });
}

void TMainForm::BHelpClick() {
    helpCommand();
}
void TMainForm::MHelpStartClick() {
    helpCommand();
}

void TMainForm::MScoreClick() {
    handle([this] {
        if (scoreForm_ != nullptr) {
            scoreForm_->UseTable(*shownScoreTable(),
                                 QString::fromStdString(boardLayout_ != nullptr
                                                            ? boardLayout_->Name
                                                            : game_.layout->Name));
            scoreForm_->ShowScoreList();
        }
    });
}

} // namespace kelmar
