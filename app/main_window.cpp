// Start-up and shutdown of the main window.
#include "app/main_window.h"

#include "app/board_field.h"
#include "app/error_guard.h"
#include "app/main_view.h"
#include "app/message_sink.h"
#include "app/resume_keeper.h"
#include "app/safe_hint_check.h"
#include "app/solvability_check.h"
#include "app/status_panels.h"
#include "core/deal.h"
#include "core/grade.h"
#include "core/numbered_deal.h"
#include "core/rules.h"
#include "core/tick_source.h"
#include "core/zoom.h"
#include "scores/score_form.h"
#include "storage/replace_file.h"
#include "storage/saved_game.h"
#include "storage/settings_file.h"

#include <QAction>
#include <QCloseEvent>
#include <QDateTime>
#include <QTimer>
#include <ctime>

namespace kelmar {

namespace {

uint32_t systemMsSinceMidnightUtc() {
    return static_cast<uint32_t>(QDateTime::currentDateTimeUtc().time().msecsSinceStartOfDay());
}

const QColor kWhite(255, 255, 255);
const QColor kVersionBlue(160, 180, 192);

} // namespace

TMainForm::TMainForm(MainFormServices services, QWidget* parent)
    : QMainWindow(parent), services_(std::move(services)),
      saveFileName_(QString::fromUtf8(kDefaultSaveFileName)) {
    createControls();
    view_ = std::make_unique<MainView>(game_, *Field, *Status, *services_.ticks);
    game_.view = view_.get();
    createSolvability();
    resume_ = std::make_unique<ResumeKeeper>(game_, *services_.ticks, [this] { catchUpClock(); });
    createSafeHint();
    placeWindow();
    FormCreate();
    centreWindow();
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
        view_->ShowLogoScreen();
        view_->WriteLogoLine(kWhite, continuing_
                                         ? QStringLiteral("Start mit Mausklick – das letzte "
                                                          "Spiel geht weiter")
                                         : QStringLiteral("Start mit Mausklick"));
        view_->WriteLogoLine(kWhite, QString());
        view_->WriteLogoLine(kVersionBlue, QStringLiteral("Kelmar SR1 (12.12.2000)"));
    });
}

void TMainForm::InitializeGame() {
    SeedRandom(game_, services_.msSinceMidnightUtc ? services_.msSinceMidnightUtc()
                                                   : systemMsSinceMidnightUtc());
    // Fresh deal numbers come from a generator of their own: every deal
    // reseeds the deal generator from its number.
    game_.NumberSeed = game_.Seed;
    // Leftovers of writes killed half way; none of ours is busy yet.
    RemoveStaleTemporaries(".", std::time(nullptr));
    const std::string warning = settingsFile_.Read(game_.settings, scores_, &layoutScores_);
    if (!warning.empty()) {
        services_.messages->showWarning(this, QStringLiteral("Kelmar"),
                                        QString::fromStdString(warning));
    }
    readLayouts();
    setCheckMarks();
    // The window takes the chosen size before the pictures are first read,
    // so that they are read once, at the level they are shown at.
    fitWindowToZoom();
    fitBoard();
    view_->CreateBitmaps();
    view_->LoadGraphics();
    view_->BuildSheetIndex();
    const ResumeKeeper::StartResult resumed = resume_->start();
    continuing_ = resumed.continued;
    if (!resumed.warning.empty()) {
        services_.messages->showWarning(this, QStringLiteral("Kelmar"),
                                        QString::fromStdString(resumed.warning));
    }
    if (continuing_) {
        // A stuck game's clock stands still, so no timer event would show
        // its time.
        Status->setPanelText(
            1, QString::fromStdString(ClockText(game_.clock.Elapsed, game_.settings.ShowRenderSpeed,
                                                view_->LastRenderMs())));
        takeLayoutOfLoadedBoard();
        return;
    }
    dealNumbered(DrawDealNumber(game_.NumberSeed));
}

void TMainForm::setCheckMarks() {
    GameSettings& settings = game_.settings;
    settings.PixelFormat = PixelFormatFromCode(static_cast<int>(settings.PixelFormat));
    MNoUnsolveableGames->setChecked(settings.AvoidUnsolveableGames);
    switch (settings.PixelFormat) {
    case PixelFormatSetting::Device:
        MFDevice->setChecked(true);
        break;
    case PixelFormatSetting::Bits4:
        MF4->setChecked(true);
        break;
    case PixelFormatSetting::Bits8:
        MF8->setChecked(true);
        break;
    case PixelFormatSetting::Bits15:
        MF15->setChecked(true);
        break;
    case PixelFormatSetting::Bits16:
        MF16->setChecked(true);
        break;
    case PixelFormatSetting::Bits24:
        MF24->setChecked(true);
        break;
    case PixelFormatSetting::Bits32:
        MF32->setChecked(true);
        break;
    }
    MShowSpeed->setChecked(settings.ShowRenderSpeed);
    MForceRepaint->setChecked(settings.ForceRepaint);
    MResumeGame->setChecked(settings.ResumeGame);
    MSafeHint->setChecked(settings.SafeHint);
    settings.Difficulty = GradeFromCode(static_cast<int32_t>(settings.Difficulty));
    MDifficultyItems[static_cast<std::size_t>(settings.Difficulty)]->setChecked(true);
    settings.Zoom = ZoomFromPercent(settings.Zoom);
    for (std::size_t i = 0; i < MZoomItems.size(); ++i) {
        MZoomItems[i]->setChecked(kZoomLevels[i] == settings.Zoom);
    }
}

void TMainForm::ShutDownGame() {
    if (shutDownDone_) {
        return;
    }
    // A running check or hint judgement would keep the ending process alive.
    solvability_->cancel();
    safeHint_->cancel();
    MessageSink& messages = shutdownMessages_ != nullptr ? *shutdownMessages_ : *services_.messages;
    // Before the timer stops: the clock is caught up for the kept copy.
    guarded(messages, this, [this] { resume_->close(); });
    TimerObject->stop();
    writeSettings(messages);
    view_->FreeBitmaps();
    shutDownDone_ = true;
}

void TMainForm::writeSettings(MessageSink& messages) {
    guarded(messages, this, [this, &messages] {
        const std::string warning = settingsFile_.Write(game_.settings, scores_, layoutScores_);
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
