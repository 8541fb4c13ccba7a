// Start-up and shutdown of the main window.
#include "app/main_window.h"

#include "app/board_field.h"
#include "app/board_workers.h"
#include "app/clock_pacer.h"
#include "app/error_guard.h"
#include "app/look_commands.h"
#include "app/main_menu.h"
#include "app/main_view.h"
#include "app/message_sink.h"
#include "app/record_writer.h"
#include "app/resume_keeper.h"
#include "app/status_panels.h"
#include "app/window_sizer.h"
#include "core/numbered_deal.h"
#include "core/tick_source.h"
#include "core/zoom.h"
#include "scores/score_form.h"

#include <QAction>
#include <QCloseEvent>
#include <QDateTime>
#include <QTimer>

namespace kelmar {

namespace {

uint32_t systemMsSinceMidnightUtc() {
    return static_cast<uint32_t>(QDateTime::currentDateTimeUtc().time().msecsSinceStartOfDay());
}

} // namespace

TMainForm::TMainForm(MainFormServices services, QWidget* parent)
    : QMainWindow(parent), game_(play_.game()), services_(std::move(services)) {
    createControls();
    view_ = std::make_unique<MainView>(game_, *Field, *Status, *services_.ticks);
    game_.view = view_.get();
    sizer_ = std::make_unique<WindowSizer>(
        *this, *Client, *Field, *menu_, game_.settings,
        WindowSizer::Hooks{[this](int w, int h) { layoutClient(w, h); },
                           [this](int scale) {
                               guarded(*services_.messages, this,
                                       [&] { view_->setScalePercent(scale); });
                           },
                           services_.workArea});
    looks_ = std::make_unique<LookCommands>(game_, *view_, services_.askLook, services_.askColour);
    pacer_ = std::make_unique<ClockPacer>(game_, *services_.ticks, *TimerObject, *Status,
                                          [this] { return view_->LastRenderMs(); });
    resume_ = std::make_unique<ResumeKeeper>(
        game_, *services_.ticks, [this] { catchUpClock(); }, [this] { return play_.keptNotes(); });
    createWorkers();
    createRecordWriter();
    sizer_->placeWindow();
    FormCreate();
    sizer_->centreWindow();
    sizer_->restoreState();
    TimerObject->start();
}

TMainForm::~TMainForm() {
    ShutDownGame();
    resume_.reset();
    game_.view = nullptr;
}

void TMainForm::setScoreForm(TScoreForm* form) {
    scoreForm_ = form;
    if (form == nullptr) {
        view_->setHighScoreSink({});
    } else {
        view_->setHighScoreSink([this](int32_t timeMs) { enterHighScore(timeMs); });
        // The confirmed name is written at once, like the time it names.
        connect(form, &TScoreForm::nameConfirmed, this, [this] {
            if (!shutDownDone_) {
                writeSettings(*services_.messages);
            }
        });
    }
}

void TMainForm::FormCreate() {
    guarded(*services_.messages, this, [this] {
        game_.clock.CurrentTick = services_.ticks->now();
        InitializeGame();
        view_->ShowStartScreen(continuing_);
    });
}

void TMainForm::InitializeGame() {
    play_.seed(services_.msSinceMidnightUtc ? services_.msSinceMidnightUtc()
                                            : systemMsSinceMidnightUtc());
    warn(play_.readSettings());
    readLayouts();
    // Once per start: a broken set is named once and not offered.
    warn(looks_->start(services_.tileSetFolder));
    setCheckMarks();
    // The window takes the chosen size before the pictures are first read,
    // so that they are read once, at the level they are shown at.
    sizer_->fitWindowToZoom();
    sizer_->fitBoard();
    view_->CreateBitmaps();
    warn(looks_->loadFirst());
    view_->BuildSheetIndex();
    const ResumeKeeper::StartResult resumed = resume_->start();
    continuing_ = resumed.continued;
    warn(resumed.warning);
    apply(continuing_ ? play_.continueKept(resumed.notes) : play_.newGame());
}

void TMainForm::warn(const std::string& text) {
    if (!text.empty()) {
        services_.messages->showWarning(this, QStringLiteral("Kelmar"),
                                        QString::fromStdString(text));
    }
}

void TMainForm::ShutDownGame() {
    if (shutDownDone_) {
        return;
    }
    // A running check, hint judgement or demonstration would keep the
    // ending process alive, or play on.
    workers_->cancel();
    MessageSink& messages = shutdownMessages_ != nullptr ? *shutdownMessages_ : *services_.messages;
    // Before the timer stops: the clock is caught up for the kept copy and
    // the record. A game not kept ends now.
    guarded(messages, this, [this] {
        catchUpClock();
        if (const auto record = play_.closeGame(resume_->lockHeld())) {
            records_->append(*record, std::nullopt);
        }
        records_->close();
        resume_->close();
    });
    TimerObject->stop();
    writeSettings(messages);
    view_->FreeBitmaps();
    sizer_->stop();
    shutDownDone_ = true;
}

void TMainForm::writeSettings(MessageSink& messages) {
    guarded(messages, this, [this, &messages] {
        const std::string warning = play_.writeSettings();
        if (!warning.empty()) {
            messages.showWarning(this, QStringLiteral("Kelmar"), QString::fromStdString(warning));
        }
    });
}

void TMainForm::closeEvent(QCloseEvent* event) {
    FormCloseQuery(event);
}

// Never refuses: the shutdown runs (once) and the window closes, whatever
// asked for it.
void TMainForm::FormCloseQuery(QCloseEvent* event) {
    ShutDownGame();
    if (scoreForm_ != nullptr) {
        scoreForm_->hide();
    }
    event->accept();
    Q_EMIT closed();
}

} // namespace kelmar
