// The workers that judge positions off the window's thread (the check and
// the safe hint, the demonstration), the records, the layouts, the tile
// sets and the best-times table a win enters.
#include "app/board_field.h"
#include "app/demo_runner.h"
#include "app/error_guard.h"
#include "app/layout_dialog.h"
#include "app/look_commands.h"
#include "app/main_view.h"
#include "app/main_window.h"
#include "app/message_sink.h"
#include "app/record_writer.h"
#include "app/safe_hint_check.h"
#include "app/solvability_check.h"
#include "scores/score_form.h"
#include "scores/score_text.h"
#include "storage/layout_files.h"

#include <QAction>

namespace kelmar {

namespace {
// Width of a picture in the chooser, in pixels.
constexpr int kPreviewWidth = 192;
} // namespace

// The answers come for the position on the board now, at once or when the
// worker is done.
void TMainForm::createWorkers() {
    solvability_ = std::make_unique<SolvabilityCheck>(
        game_, play_.verdicts(), *services_.ticks, services_.solve,
        [this](const SolvabilityAnswer& answer, SolvabilityAction action) {
            command([&] { return play_.checkAnswered(answer, action); });
        });
    safeHint_ = std::make_unique<SafeHintCheck>(
        game_, play_.verdicts(), *services_.ticks, services_.solve,
        [this](const std::vector<SolverMove>& candidates,
               const std::optional<HintJudgement>& judgement) {
            command([&] { return play_.hintJudged(candidates, judgement); });
        });
    demo_ = std::make_unique<DemoRunner>(
        game_, play_.verdicts(), *services_.ticks, *Field,
        DemoRunner::Sinks{
            [this](DemoVerdict verdict) { command([&] { return play_.demoPlanned(verdict); }); },
            [this](SolverMove step) { command([&] { return play_.demoStep(step); }); },
            [this] { view_->clearStatusNote(); }});
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

// A check that cannot answer at once says so until its answer comes.
void TMainForm::askWorker(Ask ask) {
    switch (ask) {
    case Ask::Nothing:
        break;
    case Ask::SafeHint:
        safeHint_->ask();
        break;
    case Ask::Demo:
        demo_->start();
        break;
    case Ask::Check:
    case Ask::CheckGoBack:
        if (!solvability_->ask(ask == Ask::Check ? SolvabilityAction::Show
                                                 : SolvabilityAction::GoBack)) {
            view_->setStatusNote(QString::fromStdString(CheckingText()));
        }
        break;
    }
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
    chooseLayoutCommand();
}

void TMainForm::chooseLayoutCommand() {
    command([this]() -> Effects {
        std::vector<LayoutChoice> choices;
        for (const Layout& l : play_.layouts()) {
            const int32_t best = play_.scores().playerBest(l.ShortName);
            choices.push_back(
                {QString::fromStdString(l.Name), l.LayerCount(),
                 best >= 0 ? QString::fromStdString(FormatScoreTime(best)) : QStringLiteral("–"),
                 LayoutPreview(l, view_->graphics(), kPreviewWidth), TypicalGradeWord(l)});
        }
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
