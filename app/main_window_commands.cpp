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
#include "app/status_panels.h"
#include "core/board.h"
#include "core/deal.h"
#include "core/history.h"
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

// Behind the logo, pause or about screen, and in a stuck game with the
// render times off, a timer event changes nothing the player can see, so the
// timer rests instead of waking the program a hundred times a second. A
// resting timer no longer samples the counter: every handler samples it
// first, as the timer event just before it would have, so whatever rebases
// the clock (resume, new game, load, undo) starts from the present count.
// The handler after which the clock or the replay moves again restarts it.
bool TMainForm::timerNeeded() const {
    const PlayState& play = game_.play;
    return game_.Running && (play.GameWon || !play.NoMovesLeft || game_.settings.ShowRenderSpeed);
}

void TMainForm::sampleCounterWhileResting() {
    if (timerResting_) {
        game_.clock.CurrentTick = services_.ticks->now();
    }
}

template <typename Fn> void TMainForm::handle(Fn&& fn) {
    // Between the shutdown and the end of the program nothing draws.
    if (shutDownDone_) {
        return;
    }
    sampleCounterWhileResting();
    guarded(*services_.messages, this, std::forward<Fn>(fn));
    if (timerResting_ && !shutDownDone_ && timerNeeded()) {
        timerResting_ = false;
        TimerObject->start();
    }
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

void TMainForm::TimerObjectTimer() {
    handle([this] {
        game_.clock.CurrentTick = services_.ticks->now();
        if (const auto text = ClockTick(game_, view_->LastRenderMs())) {
            Status->setPanelText(1, QString::fromStdString(*text));
        }
        // Only a timer that runs rests; one stopped from outside (a caller
        // that delivers the events itself) stays under that caller's control.
        if (TimerObject->isActive() && !timerNeeded()) {
            TimerObject->stop();
            timerResting_ = true;
        }
    });
}

// --- Game commands --------------------------------------------------------

void TMainForm::newGameCommand() {
    handle([this] {
        NewGame(game_);
        AnalyzeBoard(game_);
        view_->RenderBoard();
    });
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

void TMainForm::hintCommand() {
    handle([this] {
        if (game_.Running && !game_.play.GameWon) {
            GiveHint(game_);
        }
    });
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
    sampleCounterWhileResting(); // the counter moved while a dialog was open
    LoadGame(game_, fileName.toStdString());
    // A stuck game's time display would otherwise wait for a change that the
    // stopped clock never brings.
    Status->setPanelText(
        1, QString::fromStdString(ClockText(game_.clock.Elapsed, game_.settings.ShowRenderSpeed,
                                            view_->LastRenderMs())));
}

void TMainForm::saveTo(const QString& fileName) {
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
            scoreForm_->ShowScoreList();
        }
    });
}

} // namespace kelmar
