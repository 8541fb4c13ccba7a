// The board's size: the zoom menu, the window's size, full screen.
#include "app/board_field.h"
#include "app/error_guard.h"
#include "app/main_menu.h"
#include "app/main_view.h"
#include "app/main_window.h"
#include "core/zoom.h"

#include <QAction>
#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QTimer>
#include <QWindowStateChangeEvent>

namespace kelmar {

namespace {
// How long after leaving maximised or full screen a resize is taken for the
// window manager's restore, in ms.
constexpr int kRestoreMs = 500;
} // namespace

void TMainForm::chooseZoom(int percent) {
    if (shutDownDone_) {
        return;
    }
    game_.settings.Zoom = ZoomFromPercent(percent);
    setCheckMarks();
    fitWindowToZoom();
    fitBoard();
}

void TMainForm::MZoomInClick() {
    chooseZoom(NextZoomLevel(game_.settings.Zoom, +1));
}

void TMainForm::MZoomOutClick() {
    chooseZoom(NextZoomLevel(game_.settings.Zoom, -1));
}

// A maximised window comes back maximised when full screen ends.
void TMainForm::MFullScreenClick() {
    if (isFullScreen()) {
        if (maximizedBeforeFullScreen_) {
            showMaximized();
        } else {
            showNormal();
        }
    } else {
        maximizedBeforeFullScreen_ = isMaximized();
        showFullScreen();
    }
    menu_->MFullScreen->setChecked(isFullScreen());
}

// A normal window is sized so that the board shows at the chosen level,
// as far as the screen allows; a maximised or full-screen window keeps its
// size (the board fills it) until it becomes normal again.
void TMainForm::fitWindowToZoom() {
    if (isMaximized() || isFullScreen()) {
        return;
    }
    if (layout() != nullptr) {
        layout()->activate(); // the client area's size as it is laid out now
    }
    const int percent = game_.settings.Zoom;
    // The menu bar: as laid out in a shown window (it may wrap in a narrow
    // one); a hidden window has placed nothing yet, so its size hints.
    const QSize chrome = isVisible() ? size() - Client->size() : sizeHint() - Client->sizeHint();
    QSize wanted = chrome + QSize(ScaleLength(kBoardWidth, percent) + kClientFrame.width(),
                                  ScaleLength(kBoardHeight, percent) + kClientFrame.height());
    const QScreen* screen = this->screen();
    if (screen != nullptr) {
        const QRect available = screen->availableGeometry();
        const QSize decoration = frameGeometry().size() - size();
        wanted = wanted.boundedTo(available.size() - decoration).expandedTo(minimumSize());
        resize(wanted);
        // Keep the grown window on the screen.
        QRect frame = frameGeometry();
        frame.moveRight(std::min(frame.right(), available.right()));
        frame.moveBottom(std::min(frame.bottom(), available.bottom()));
        frame.moveLeft(std::max(frame.left(), available.left()));
        frame.moveTop(std::max(frame.top(), available.top()));
        move(frame.topLeft());
    } else {
        resize(wanted);
    }
    // A window not yet shown gets no resize events; lay the client area out
    // now, so that the board's level is known before the first pictures
    // are read.
    if (!isVisible()) {
        Client->resize(size() - chrome);
        layoutClient(Client->width(), Client->height());
    }
}

// The largest scale at which the board fits Field, composed with as many
// pixels as the screen has for it.
void TMainForm::fitBoard() {
    if (!view_ || shutDownDone_) {
        return;
    }
    const int scale = FitScale(Field->width(), Field->height());
    Field->setBoardLevel(scale);
    guarded(*services_.messages, this,
            [&] { view_->setScalePercent(RenderScale(scale, Field->devicePixelRatioF())); });
}

// Leaving the maximised or full-screen state returns to the size of the
// chosen level, not to whatever size the window had before: the level is
// the normal window's size. A window manager applies its own restore size
// after it has announced the new state, so the level's size is asked for
// at once and again after every resize within a moment (a size that is
// already the level's asks for nothing).
void TMainForm::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || menu_ == nullptr) {
        return;
    }
    menu_->MFullScreen->setChecked(isFullScreen());
    const Qt::WindowStates before = static_cast<QWindowStateChangeEvent*>(event)->oldState();
    if (ReturnsToChosenSize(before, windowState())) {
        restoringLevel_ = true;
        QTimer::singleShot(0, this, [this] { fitWindowToZoom(); });
        QTimer::singleShot(kRestoreMs, this, [this] { restoringLevel_ = false; });
    }
}

void TMainForm::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (restoringLevel_) {
        QTimer::singleShot(0, this, [this] { fitWindowToZoom(); });
    }
}

bool ReturnsToChosenSize(Qt::WindowStates before, Qt::WindowStates now) {
    constexpr Qt::WindowStates large = Qt::WindowMaximized | Qt::WindowFullScreen;
    return (before & large) != 0 && (now & (large | Qt::WindowMinimized)) == 0;
}

} // namespace kelmar
