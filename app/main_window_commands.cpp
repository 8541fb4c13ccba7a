// Every command of the main window: its guard and its action. A tool button
// and its menu item call the same action. Nothing is ever disabled; a
// command given while its guard holds is ignored without a message.
#include "app/board_field.h"
#include "app/board_workers.h"
#include "app/clock_pacer.h"
#include "app/error_guard.h"
#include "app/file_requester.h"
#include "app/main_view.h"
#include "app/main_window.h"
#include "app/message_sink.h"
#include "app/record_writer.h"
#include "app/resume_keeper.h"
#include "app/status_panels.h"
#include "core/board.h"
#include "core/numbered_deal.h"
#include "core/tick_source.h"
#include "scores/score_form.h"
#include "storage/options.h"

#include <QAction>
#include <QTimer>

namespace kelmar {

namespace {
// The quick-load and quick-save name, the dialogs' preset.
QString savedName(const PlayController& play) {
    return QString::fromStdString(play.saveFileName());
}
} // namespace

void TMainForm::catchUpClock() {
    pacer_->catchUp();
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
    const bool wasStuck = play_.stuck();
    guarded(*services_.messages, this, std::forward<Fn>(fn));
    if (!shutDownDone_) {
        pacer_->pace();
    }
    if (!shutDownDone_) {
        guarded(*services_.messages, this, [this] { resume_->afterCommand(); });
    }
    if (!wasStuck && play_.stuck() && !shutDownDone_) {
        offerWayOut();
    }
}

void TMainForm::command(const std::function<Effects()>& fn) {
    handle([&] { apply(fn()); });
}

void TMainForm::apply(const Effects& effects) {
    workers_->changed(effects);
    if (effects.newBoard) {
        view_->clearStatusNote();
        showDeal();
        setWindowTitle(QStringLiteral("Kelmar – ") +
                       QString::fromStdString(play_.boardLayoutName()));
    }
    view_->ShowScreen(effects.screen);
    if (effects.pressed > 0) {
        view_->HighlightTile(TileRect(game_.board, effects.pressed));
        view_->PresentBoard();
    }
    if (effects.render) {
        view_->RenderBoard();
    }
    if (effects.note) {
        view_->setStatusNote(QString::fromStdString(*effects.note));
    }
    if (effects.showTime) {
        showTime();
    }
    if (effects.record) {
        records_->append(*effects.record, effects.rankUnder);
    }
    workers_->ask(effects.ask);
}

void TMainForm::showDeal() {
    Status->setDealText(QString::fromStdString(DealLabel(game_.deal)));
}

// A stuck game's time display would otherwise wait for a change that the
// stopped clock never brings.
void TMainForm::showTime() {
    pacer_->showTime();
}

// --- Board and timer events ---------------------------------------------

void TMainForm::FieldMouseDown(Qt::MouseButton, int x, int y) {
    command([&] { return play_.press(x, y); });
}

void TMainForm::FieldMouseUp(Qt::MouseButton, int x, int y) {
    command([&] { return play_.release(x, y); });
}

// A stepping timer runs the clock step of every 10 ms event; a quiet one
// catches up with the events it skipped, the one now included, which shows
// the new time text (or, woken early, nothing yet and the pace waits again).
void TMainForm::TimerObjectTimer() {
    if (shutDownDone_) {
        return;
    }
    guarded(*services_.messages, this, [this] { pacer_->step(); });
    pacer_->pace();
}

// --- Game commands --------------------------------------------------------

void TMainForm::MCheckSolvableClick() {
    command([this] { return play_.check(SolvabilityAction::Show); });
}

void TMainForm::MBackToSolvableClick() {
    command([this] { return play_.check(SolvabilityAction::GoBack); });
}

// Like the new-game command: no guard, ends a pause.
void TMainForm::MDealNumberClick() {
    handle([this] {
        const auto ask = services_.askDealNumber ? services_.askDealNumber : AskDealNumber;
        const std::optional<uint32_t> number = ask(this, game_.deal.Number);
        if (number && !shutDownDone_) {
            // The game starts now, not when the dialog opened, also when
            // the caller delivers the timer events itself.
            catchUpClock();
            game_.clock.CurrentTick = services_.ticks->now();
            apply(play_.dealNumber(*number));
        }
    });
}

void TMainForm::MDayGameClick() {
    command([this] {
        const std::array<int, 3> date = services_.today ? services_.today() : SystemToday();
        return play_.dayGame(date[0], date[1], date[2]);
    });
}

// After the handler that got the game stuck, its "VERLOREN!" already drawn.
// Indexed by StuckChoice; "Schließen" does nothing.
void TMainForm::offerWayOut() {
    using Way = void (TMainForm::*)();
    constexpr Way kWays[] = {&TMainForm::MBackToSolvableClick, &TMainForm::MShuffleClick,
                             &TMainForm::MSameGameClick, &TMainForm::MNewClick, nullptr};
    const StuckChoice choice = services_.askStuck ? services_.askStuck(this) : AskStuckChoice(this);
    if (const Way way = kWays[static_cast<std::size_t>(choice)]) {
        (this->*way)();
    }
}

// --- Files ----------------------------------------------------------------

void TMainForm::loadFrom(const QString& fileName) {
    catchUpClock(); // the counter moved while a dialog was open
    apply(play_.load(fileName.toStdString()));
}

void TMainForm::saveTo(const QString& fileName) {
    catchUpClock(); // the game time moved while a dialog was open
    play_.save(fileName.toStdString());
}

void TMainForm::quickLoadCommand() {
    handle([this] { loadFrom(savedName(play_)); });
}

void TMainForm::MLoadClick() {
    handle([this] {
        const auto chosen = services_.files->askOpen(this, savedName(play_));
        if (chosen && !shutDownDone_) {
            loadFrom(*chosen);
        }
    });
}

// Refused silently when the game cannot be saved.
void TMainForm::saveCommand() {
    handle([this] {
        if (play_.savable()) {
            saveTo(savedName(play_));
        }
    });
}

void TMainForm::MSaveAsClick() {
    handle([this] {
        if (!play_.savable()) {
            return;
        }
        const auto chosen = services_.files->askSave(this, savedName(play_));
        if (chosen && !shutDownDone_) {
            saveTo(*chosen);
        }
    });
}

void TMainForm::MExitClick() {
    ShutDownGame();
    close();
}

// --- Options --------------------------------------------------------------

// An on/off option: the current game goes on, the option acts where it is
// read. Turning the kept game on takes its lock (off removes the copy);
// turning the safe hint off forgets a hint still waiting for its judgement,
// so the next press gives the plain hint.
void TMainForm::toggleOption(const char* key) {
    handle([this, key] {
        bool& option = game_.settings.*OptionOf(key).flag;
        option = !option;
        setCheckMarks();
        if (std::string_view(key) == "ResumeGame") {
            resume_->optionChanged();
        } else if (std::string_view(key) == "SafeHint") {
            workers_->forgetHint();
        }
    });
}

// The chosen format is kept (and checked) even when its pictures fail to
// load; the pictures are reloaded even when the format does not change.
void TMainForm::chooseFormat(PixelFormatSetting format) {
    handle([this, format] {
        game_.settings.PixelFormat = format;
        setCheckMarks();
        view_->ChoosePixelFormat(format);
    });
}

// Like "Unlösbare Spiele verhindern": the current game goes on, the choice
// acts at the next deal.
void TMainForm::chooseDifficulty(Grade grade) {
    handle([this, grade] {
        game_.settings.Difficulty = grade;
        setCheckMarks();
    });
}

// --- Help and best times --------------------------------------------------

void TMainForm::helpCommand() {
    handle([this] { ShowHelp(helpForm_, services_.openHelp, *services_.messages, this); });
}

void TMainForm::MStatisticsClick() {
    handle([this] { ShowStatistics(this, *records_, play_.layouts()); });
}

void TMainForm::MScoreClick() {
    handle([this] {
        if (scoreForm_ != nullptr) {
            scoreForm_->UseTable(play_.shownTable(),
                                 QString::fromStdString(play_.shownLayoutName()));
            scoreForm_->ShowScoreList();
        }
    });
}

} // namespace kelmar
