// The workers that judge positions off the window's thread (the check and
// the safe hint, the demonstration), the records, the layouts, the tile
// sets and the best-times table a win enters.
#include "app/board_field.h"
#include "app/board_workers.h"
#include "app/error_guard.h"
#include "app/layout_dialog.h"
#include "app/look_commands.h"
#include "app/main_view.h"
#include "app/main_window.h"
#include "app/message_sink.h"
#include "app/record_writer.h"
#include "scores/score_form.h"
#include "storage/layout_files.h"

#include <QAction>

namespace kelmar {

// The answers come for the position on the board now, at once or when the
// worker is done.
void TMainForm::createWorkers() {
    workers_ = std::make_unique<BoardWorkers>(
        play_, *services_.ticks, services_.solve, *Field,
        BoardWorkers::Hooks{[this](const std::function<Effects()>& fn) { command(fn); },
                            [this](const QString& note) {
                                if (note.isEmpty()) {
                                    view_->clearStatusNote();
                                } else {
                                    view_->setStatusNote(note);
                                }
                            }});
}

// The records' warnings reach whoever hears the shutdown's; a win's rank is
// shown while its board is.
void TMainForm::createRecordWriter() {
    records_ = std::make_unique<RecordWriter>(
        play_.settingsPath(),
        [this](const QString& text) {
            MessageSink& to =
                shutdownMessages_ != nullptr ? *shutdownMessages_ : *services_.messages;
            to.showWarning(this, QStringLiteral("Kelmar"), text);
        },
        [this](const QString& note) {
            if (game_.play.GameWon) {
                view_->setWinNote(note);
            }
        });
}

void TMainForm::readLayouts() {
    warn(SkippedLayoutsText(play_.readLayouts(services_.layoutFolder ? *services_.layoutFolder
                                                                     : PlayerLayoutFolder())));
}

void TMainForm::MTileSetClick() {
    command([this] {
        looks_->chooseTileSet(this);
        return Effects{};
    });
}

void TMainForm::MBackgroundClick() {
    command([this] {
        looks_->chooseBackground(this);
        return Effects{};
    });
}

void TMainForm::MLayoutClick() {
    command([this]() -> Effects {
        const std::vector<LayoutChoice> choices =
            LayoutChoices(play_.layouts(), play_.scores(), view_->graphics());
        const int current = play_.currentLayoutIndex();
        const std::optional<int> chosen = services_.askLayout
                                              ? services_.askLayout(this, choices, current)
                                              : AskLayout(this, choices, current);
        if (!chosen || shutDownDone_) {
            return {};
        }
        return play_.chooseLayout(*chosen);
    });
}

// A best time entered is written at once, so that a crash or a power cut
// before the close does not lose it; the name is written when it is
// confirmed.
void TMainForm::enterHighScore(int32_t timeMs) {
    HighScoreTable* table = play_.tableForWin(timeMs);
    if (table == nullptr || scoreForm_ == nullptr) {
        return;
    }
    scoreForm_->UseTable(*table, QString::fromStdString(play_.boardLayoutName()));
    scoreForm_->EnterHighScore(timeMs);
    if (table->NewEntryRow != 0) {
        writeSettings(*services_.messages);
    }
}

} // namespace kelmar
