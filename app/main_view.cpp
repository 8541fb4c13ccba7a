#include "app/main_view.h"

#include "app/board_field.h"
#include "app/status_panels.h"
#include "render/logo_screen.h"
#include "render/renderer.h"

#include <malloc.h>

namespace kelmar {

namespace {
const QColor kWhite(255, 255, 255);
const QColor kVersionBlue(160, 180, 192);
} // namespace

MainView::MainView(Game& game, TField& field, TStatusBar& status, TickSource& ticks)
    : game_(game), field_(field), status_(status), ticks_(ticks) {
    field_.setPictureSource([this] { return graphics_.BackBuffer.get(); });
    field_.setBackgroundSource([this] { return graphics_.BackgroundTile.get(); });
    field_.setScreenSource([this] { return !game_.Running; });
    // The decoded pictures a resize filters from are worth keeping only
    // while the window is being resized: a second later they are let go.
    releaseSources_.setSingleShot(true);
    releaseSources_.setInterval(kKeepSourcesMs);
    // The pictures of a resize are megabytes each, freed and made anew at
    // every step; the allocator keeps such freed heap unless told, and the
    // next screen (a pause's logo) would be built on top of it.
    QObject::connect(&releaseSources_, &QTimer::timeout, [this] {
        graphics_.Sources = {};
        malloc_trim(0);
    });
}

// The field outlives the view by a moment while the window is destroyed.
MainView::~MainView() {
    field_.setPictureSource({});
    field_.setBackgroundSource({});
    field_.setScreenSource({});
}

void MainView::RenderBoard() {
    kelmar::RenderBoard(game_, graphics_, *this, ticks_);
}

void MainView::HighlightTile(const Rect& rect) {
    kelmar::HighlightTile(graphics_, rect);
}

void MainView::PresentBoard() {
    kelmar::PresentBoard(graphics_, *this);
}

void MainView::EnterHighScore(int32_t timeMs) {
    if (enterHighScore_) {
        enterHighScore_(timeMs);
    }
}

// Paints draw the BackBuffer itself (see the constructor), so presenting is
// only a request to paint.
void MainView::present(const Bitmap&) {
    field_.present();
}

void MainView::setStatusText(const QString& text) {
    outcomeText_ = text;
    if (game_.play.GameWon && !winNote_.isEmpty()) {
        status_.setPanelText(0, winNote_);
        return;
    }
    if (note_ && note_->position == PositionKey::Of(game_.board)) {
        status_.setPanelText(0, note_->text);
        return;
    }
    note_.reset(); // the board has changed since the note
    status_.setPanelText(0, text);
}

void MainView::setStatusNote(const QString& text) {
    note_ = StatusNote{text, PositionKey::Of(game_.board)};
    status_.setPanelText(0, text);
}

void MainView::clearStatusNote() {
    if (note_ || !winNote_.isEmpty()) {
        note_.reset();
        winNote_.clear();
        status_.setPanelText(0, outcomeText_);
    }
}

void MainView::setWinNote(const QString& text) {
    winNote_ = text;
    status_.setPanelText(0, text);
}

void MainView::drawSurfaceText(int x, int y, const QColor& color, const QString& text) {
    field_.drawTextLine(x, y, color, text);
}

void MainView::ShowStartScreen(bool continuing) {
    ShowLogoScreen();
    WriteLogoLine(kWhite, continuing
                              ? QStringLiteral("Start mit Mausklick – das letzte Spiel geht weiter")
                              : QStringLiteral("Start mit Mausklick"));
    WriteLogoLine(kWhite, QString());
    WriteLogoLine(kVersionBlue, QStringLiteral("Kelmar SR1 (12.12.2000)"));
}

void MainView::ShowScreen(Screen screen) {
    switch (screen) {
    case Screen::Keep:
        break;
    case Screen::Board:
        ResumeFromLogo();
        break;
    case Screen::Pause:
        ShowLogoScreen();
        WriteLogoLine(kWhite, QStringLiteral("weiter mit Mausklick"));
        WriteLogoLine(kWhite, QStringLiteral("PAUSE-MODUS"));
        break;
    case Screen::About:
        ShowLogoScreen();
        WriteLogoLine(kWhite, QStringLiteral("Entwickelt mit C++ und Qt 6"));
        WriteLogoLine(kWhite, QString());
        WriteLogoLine(kWhite, QStringLiteral("Hilfe: Kelmar.htm (F1)"));
        WriteLogoLine(kWhite, QStringLiteral("Kelmar SR1 (2000)"));
        break;
    }
}

void MainView::ShowLogoScreen() {
    kelmar::ShowLogoScreen(game_, graphics_, *this);
}

void MainView::WriteLogoLine(const QColor& colour, const QString& text) {
    kelmar::WriteLogoLine(graphics_, *this, colour, text);
}

void MainView::ResumeFromLogo() {
    kelmar::ResumeFromLogo(game_, graphics_, *this, ticks_);
}

void MainView::CreateBitmaps() {
    kelmar::CreateBitmaps(graphics_, game_.settings.PixelFormat);
}

void MainView::LoadGraphics() {
    field_.backgroundChanged();
    kelmar::LoadGraphics(graphics_, game_.settings.PixelFormat);
}

void MainView::BuildSheetIndex() {
    kelmar::BuildSheetIndex(graphics_);
}

void MainView::FreeBitmaps() {
    kelmar::FreeBitmaps(graphics_);
}

void MainView::ChoosePixelFormat(PixelFormatSetting format) {
    field_.backgroundChanged();
    kelmar::ChoosePixelFormat(game_, graphics_, *this, ticks_, format);
}

void MainView::ChooseLooks(const LookSetting& looks) {
    field_.backgroundChanged();
    kelmar::ChooseLooks(game_, graphics_, *this, ticks_, looks);
}

void MainView::setScalePercent(int percent) {
    if (!graphics_.BackBuffer) {
        graphics_.ScalePercent = ClampScale(percent); // read by the first load
        return;
    }
    field_.backgroundChanged();
    if (kelmar::RescaleGraphics(game_, graphics_, *this, ticks_, percent) && !game_.Running) {
        field_.requestFullPaint(); // the logo anew, under the screen's lines
    }
    releaseSources_.start();
}

} // namespace kelmar
