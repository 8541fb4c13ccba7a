#include "app/window_sizer.h"

#include "app/board_field.h"
#include "app/main_menu.h"
#include "app/window_geometry.h"
#include "core/game.h"
#include "core/zoom.h"

#include <QAction>
#include <QGuiApplication>
#include <QLayout>
#include <QMainWindow>
#include <QMenu>
#include <QProxyStyle>
#include <QScreen>
#include <QTimer>
#include <QWindowStateChangeEvent>
#include <algorithm>

namespace kelmar {

namespace {
// How long after leaving maximised or full screen a resize is taken for the
// window manager's restore, in ms.
constexpr int kRestoreMs = 500;

// Lets the size menu highlight its disabled levels too, so that the status
// tip saying why a level is disabled shows when the pointer rests on it.
class DisabledItemsActive final : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returned) const override {
        return hint == SH_Menu_AllowActiveAndDisabled
                   ? 1
                   : QProxyStyle::styleHint(hint, option, widget, returned);
    }
};
} // namespace

WindowSizer::WindowSizer(QMainWindow& window, QWidget& client, TField& field, TMainMenu& menu,
                         GameSettings& settings, Hooks hooks)
    : window_(window), client_(client), field_(field), menu_(menu), settings_(settings),
      hooks_(std::move(hooks)) {
    field_.setGeometryHandler([this] { fitBoard(); });
    window_.installEventFilter(this);
    QObject::connect(menu_.MSize, &QMenu::aboutToShow, this, [this] { offerLevels(); });
    auto* style = new DisabledItemsActive;
    style->setParent(this);
    menu_.MSize->setStyle(style);
    offerLevels();
}

int WindowSizer::offerLevels() {
    QRect area;
    if (hooks_.workArea) {
        area = hooks_.workArea();
    } else if (const QScreen* screen = window_.screen()) {
        area = screen->availableGeometry();
    }
    const QSize chrome = window_.size() - client_.size();
    const QSize decoration = window_.frameGeometry().size() - window_.size();
    const QSize room = area.size() - decoration - chrome;
    const ZoomOffer offer = OfferedZoomLevels(settings_.Zoom, room.width(), room.height());
    for (std::size_t i = 0; i < kZoomLevels.size(); ++i) {
        QAction* item = menu_.MZoomItems[i];
        item->setEnabled(offer.offered[i]);
        item->setStatusTip(
            offer.offered[i]
                ? QString()
                : QStringLiteral("%1 % passt nicht auf diesen Bildschirm: Spielfeld %2 × %3, "
                                 "Platz für %4 × %5.")
                      .arg(kZoomLevels[i])
                      .arg(ScaleLength(kBoardWidth, kZoomLevels[i]))
                      .arg(ScaleLength(kBoardHeight, kZoomLevels[i]))
                      .arg(std::max(0, room.width() - kClientFrame.width()))
                      .arg(std::max(0, room.height() - kClientFrame.height())));
        item->setChecked(kZoomLevels[i] == offer.shown);
    }
    return offer.shown;
}

ZoomOffer OfferedZoomLevels(int chosen, int roomWidth, int roomHeight) {
    ZoomOffer offer;
    for (std::size_t i = 0; i < kZoomLevels.size(); ++i) {
        const int level = kZoomLevels[i];
        offer.offered[i] = level == kDefaultZoom ||
                           (ScaleLength(kBoardWidth, level) + kClientFrame.width() <= roomWidth &&
                            ScaleLength(kBoardHeight, level) + kClientFrame.height() <= roomHeight);
        if (offer.offered[i] && level <= chosen) {
            offer.shown = level;
        }
    }
    return offer;
}

void WindowSizer::placeWindow() {
    window_.adjustSize();
    window_.setMinimumSize(window_.minimumSizeHint());
    window_.resize(window_.sizeHint());
}

void WindowSizer::centreWindow() {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = window_.frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        window_.move(frame.topLeft());
    }
}

void WindowSizer::restoreState() {
    switch (settings_.WindowState) {
    case WindowMode::Normal:
        break;
    case WindowMode::Maximized:
        window_.setWindowState(Qt::WindowMaximized);
        break;
    case WindowMode::FullScreen:
        window_.setWindowState(Qt::WindowFullScreen);
        break;
    }
}

void WindowSizer::chooseZoom(int percent) {
    if (stopped_) {
        return;
    }
    settings_.Zoom = ZoomFromPercent(percent);
    fitWindowToZoom();
    fitBoard();
}

// From the level the window has, to the next one the screen can give.
void WindowSizer::zoomStep(int direction) {
    offerLevels();
    const auto checked = std::find_if(menu_.MZoomItems.begin(), menu_.MZoomItems.end(),
                                      [](const QAction* item) { return item->isChecked(); });
    const int shown =
        checked == menu_.MZoomItems.end()
            ? settings_.Zoom
            : kZoomLevels[static_cast<std::size_t>(checked - menu_.MZoomItems.begin())];
    const int next = NextZoomLevel(shown, direction);
    const auto at = std::find(kZoomLevels.begin(), kZoomLevels.end(), next);
    if (menu_.MZoomItems[static_cast<std::size_t>(at - kZoomLevels.begin())]->isEnabled()) {
        chooseZoom(next);
    }
}

void WindowSizer::toggleFullScreen() {
    if (window_.isFullScreen()) {
        if (maximizedBeforeFullScreen_) {
            window_.showMaximized();
        } else {
            window_.showNormal();
        }
    } else {
        maximizedBeforeFullScreen_ = window_.isMaximized();
        window_.showFullScreen();
    }
    menu_.MFullScreen->setChecked(window_.isFullScreen());
}

void WindowSizer::fitWindowToZoom() {
    // The level the screen can give: a chosen level too large for it sizes
    // the window as the largest that fits, as its tick says.
    const int percent = offerLevels();
    if (window_.isMaximized() || window_.isFullScreen()) {
        return;
    }
    if (window_.layout() != nullptr) {
        window_.layout()->activate(); // the client area's size as it is laid out now
    }
    // The menu bar: as laid out in a shown window (it may wrap in a narrow
    // one); a hidden window has placed nothing yet, so its size hints.
    const QSize chrome = window_.isVisible() ? window_.size() - client_.size()
                                             : window_.sizeHint() - client_.sizeHint();
    QSize wanted = chrome + QSize(ScaleLength(kBoardWidth, percent) + kClientFrame.width(),
                                  ScaleLength(kBoardHeight, percent) + kClientFrame.height());
    const QScreen* screen = window_.screen();
    if (screen != nullptr) {
        const QRect available = screen->availableGeometry();
        const QSize decoration = window_.frameGeometry().size() - window_.size();
        wanted = wanted.boundedTo(available.size() - decoration).expandedTo(window_.minimumSize());
        window_.resize(wanted);
        // Keep the grown window on the screen.
        QRect frame = window_.frameGeometry();
        frame.moveRight(std::min(frame.right(), available.right()));
        frame.moveBottom(std::min(frame.bottom(), available.bottom()));
        frame.moveLeft(std::max(frame.left(), available.left()));
        frame.moveTop(std::max(frame.top(), available.top()));
        window_.move(frame.topLeft());
    } else {
        window_.resize(wanted);
    }
    // A window not yet shown gets no resize events; lay the client area out
    // now, so that the board's level is known before the first pictures
    // are read.
    if (!window_.isVisible()) {
        client_.resize(window_.size() - chrome);
        hooks_.layoutClient(client_.width(), client_.height());
    }
}

void WindowSizer::fitBoard() {
    if (stopped_) {
        return;
    }
    const int scale = FitScale(field_.width(), field_.height());
    field_.setBoardLevel(scale);
    hooks_.compose(RenderScale(scale, field_.devicePixelRatioF()));
}

// Leaving the maximised or full-screen state returns to the size of the
// chosen level, not to whatever size the window had before: the level is
// the normal window's size. A window manager applies its own restore size
// after it has announced the new state, so the level's size is asked for
// at once and again after every resize within a moment (a size that is
// already the level's asks for nothing).
void WindowSizer::stateChanged(Qt::WindowStates before) {
    menu_.MFullScreen->setChecked(window_.isFullScreen());
    if (!window_.isMinimized()) {
        settings_.WindowState = window_.isFullScreen()  ? WindowMode::FullScreen
                                : window_.isMaximized() ? WindowMode::Maximized
                                                        : WindowMode::Normal;
    }
    if (ReturnsToChosenSize(before, window_.windowState())) {
        restoringLevel_ = true;
        QTimer::singleShot(0, this, [this] { fitWindowToZoom(); });
        QTimer::singleShot(kRestoreMs, this, [this] { restoringLevel_ = false; });
    }
}

bool WindowSizer::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &window_) {
        if (event->type() == QEvent::WindowStateChange) {
            stateChanged(static_cast<QWindowStateChangeEvent*>(event)->oldState());
        } else if (event->type() == QEvent::Resize && restoringLevel_) {
            QTimer::singleShot(0, this, [this] { fitWindowToZoom(); });
        }
    }
    return false;
}

bool ReturnsToChosenSize(Qt::WindowStates before, Qt::WindowStates now) {
    constexpr Qt::WindowStates large = Qt::WindowMaximized | Qt::WindowFullScreen;
    return (before & large) != 0 && (now & (large | Qt::WindowMinimized)) == 0;
}

} // namespace kelmar
