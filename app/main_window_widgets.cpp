// The window's controls and their geometry, in client coordinates of the
// area below the menu bar: 642 x 530 at 100 %, any other size when the
// window is resized, maximised or zoomed (down to the board at 50 %). The
// board surface takes all the room between tool bar and status bar.
#include "app/board_field.h"
#include "app/main_menu.h"
#include "app/main_window.h"
#include "app/status_panels.h"
#include "app/symbols.h"
#include "app/window_geometry.h"
#include "app/window_sizer.h"
#include "core/zoom.h"

#include <QAction>
#include <QActionGroup>
#include <QFrame>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QToolButton>
#include <functional>

namespace kelmar {

namespace {
constexpr int kClientWidth = kBoardWidth + kClientFrame.width();
constexpr int kClientHeight = kBoardHeight + kClientFrame.height();
constexpr int kMinClientWidth = ScaleLength(kBoardWidth, kMinScale) + kClientFrame.width();
constexpr int kMinClientHeight = ScaleLength(kBoardHeight, kMinScale) + kClientFrame.height();
constexpr int kToolBarHeight = kClientFrame.toolBarHeight;
constexpr int kStatusHeight = kClientFrame.statusHeight;

// The client area: 642 x 530 at first, at least as much as the board at
// its smallest needs, and lays its controls out again whenever it is resized.
class ClientArea final : public QWidget {
public:
    ClientArea(QWidget* parent, std::function<void(int, int)> layout)
        : QWidget(parent), layout_(std::move(layout)) {
        setMinimumSize(kMinClientWidth, kMinClientHeight);
    }
    QSize sizeHint() const override { return {kClientWidth, kClientHeight}; }

protected:
    void resizeEvent(QResizeEvent*) override { layout_(width(), height()); }

private:
    std::function<void(int, int)> layout_;
};
} // namespace

void TMainForm::createControls() {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Kelmar"));
    setWindowIcon(WindowIcon());
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPixelSize(11); // 8 pt at 96 dpi, whatever the screen says
    setFont(tahoma);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    symbols_ = std::make_unique<std::array<QIcon, 20>>(LoadSymbols());

    auto* client = new ClientArea(this, [this](int w, int h) { layoutClient(w, h); });
    Client = client;
    QPalette face = client->palette();
    face.setColor(QPalette::Window, face.color(QPalette::Button));
    client->setPalette(face);
    client->setAutoFillBackground(true);
    setCentralWidget(client);

    ToolBar = new QWidget(client);
    ToolBar->setObjectName(QStringLiteral("ToolBar"));

    Bevel1 = new QFrame(client);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Bevel1->setLineWidth(1);

    Field = new TField(client);
    Field->setMouseHandlers([this](Qt::MouseButton b, int x, int y) { FieldMouseDown(b, x, y); },
                            [this](Qt::MouseButton b, int x, int y) { FieldMouseUp(b, x, y); });

    Status = new TStatusBar(client);
    layoutClient(kClientWidth, kClientHeight);

    menu_ = std::make_unique<TMainMenu>(
        *this, *ToolBar, *menuBar(), *symbols_,
        TMainMenu::Choices{[this](const char* key) { toggleOption(key); },
                           [this](PixelFormatSetting format) { chooseFormat(format); },
                           [this](Grade grade) { chooseDifficulty(grade); },
                           [this](int percent) { sizer_->chooseZoom(percent); },
                           [this](int direction) { sizer_->zoomStep(direction); },
                           [this] { MFullScreenClick(); }});
    setCheckMarks();

    TimerObject = new QTimer(this);
    TimerObject->setObjectName(QStringLiteral("TimerObject"));
    TimerObject->setTimerType(Qt::PreciseTimer);
    TimerObject->setInterval(10);
    connect(TimerObject, &QTimer::timeout, this, &TMainForm::TimerObjectTimer);
}

// At 642 x 530: tool bar (0, 0, 642, 29), frame (0, 29, 642, 482), Field
// (1, 30, 640, 480), status bar (0, 511, 642, 19); a larger area widens
// them all and gives the extra height to the frame and Field.
void TMainForm::layoutClient(int width, int height) {
    if (Status == nullptr) {
        return; // still being built
    }
    const int boardHeight = height - kToolBarHeight - kStatusHeight;
    ToolBar->setGeometry(0, 0, width, kToolBarHeight);
    const int bevel = kClientFrame.bevel;
    Bevel1->setGeometry(0, kToolBarHeight, width, boardHeight);
    Field->setGeometry(bevel, kToolBarHeight + bevel, width - 2 * bevel, boardHeight - 2 * bevel);
    Status->setGeometry(0, height - kStatusHeight, width, kStatusHeight);
}

void TMainForm::setCheckMarks() {
    menu_->showSettings(game_.settings);
}

void TMainForm::MZoomInClick() {
    sizer_->zoomStep(+1);
}

void TMainForm::MZoomOutClick() {
    sizer_->zoomStep(-1);
}

void TMainForm::MFullScreenClick() {
    sizer_->toggleFullScreen();
}

} // namespace kelmar
