// The window's controls and their geometry, in client coordinates of the
// area below the menu bar: 642 x 530 at 100 %, any other size when the
// window is resized, maximised or zoomed (down to the board at 50 %). The
// board surface takes all the room between tool bar and status bar.
#include "app/board_field.h"
#include "app/main_window.h"
#include "app/status_panels.h"
#include "app/symbols.h"
#include "core/zoom.h"

#include <QAction>
#include <QActionGroup>
#include <QFrame>
#include <QGuiApplication>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
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
constexpr int kButtonWidth = 25;
constexpr int kButtonHeight = 23;

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
    Symbols = symbols_.get();

    auto* client = new ClientArea(this, [this](int w, int h) { layoutClient(w, h); });
    Client = client;
    QPalette face = client->palette();
    face.setColor(QPalette::Window, face.color(QPalette::Button));
    client->setPalette(face);
    client->setAutoFillBackground(true);
    setCentralWidget(client);

    ToolBar = new QWidget(client);
    ToolBar->setObjectName(QStringLiteral("ToolBar"));
    createToolBar();

    Bevel1 = new QFrame(client);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Bevel1->setLineWidth(1);

    Field = new TField(client);
    Field->setMouseHandlers([this](Qt::MouseButton b, int x, int y) { FieldMouseDown(b, x, y); },
                            [this](Qt::MouseButton b, int x, int y) { FieldMouseUp(b, x, y); });
    Field->setGeometryHandler([this] { fitBoard(); });

    Status = new TStatusBar(client);
    layoutClient(kClientWidth, kClientHeight);

    createMenu();

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

QToolButton* TMainForm::addToolButton(int left, const QString& hint, int image,
                                      void (TMainForm::*handler)()) {
    auto* button = new QToolButton(ToolBar);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setToolTip(hint);
    button->setIcon((*Symbols)[static_cast<std::size_t>(image)]);
    button->setIconSize(QSize(16, 16));
    button->setGeometry(left, (kToolBarHeight - kButtonHeight) / 2, kButtonWidth, kButtonHeight);
    connect(button, &QToolButton::clicked, this, handler);
    return button;
}

// Separators are 8 px gaps, already in the lefts below.
void TMainForm::createToolBar() {
    BNew = addToolButton(0, QStringLiteral("Neues Spiel beginnen"), 0, &TMainForm::BNewClick);
    BLoad = addToolButton(25, QStringLiteral("Spielstand laden"), 7, &TMainForm::BLoadClick);
    BSave = addToolButton(50, QStringLiteral("Spielstand speichern"), 6, &TMainForm::BSaveClick);
    BHint = addToolButton(83, QStringLiteral("Hinweis geben"), 1, &TMainForm::BHintClick);
    BUndo = addToolButton(116, QStringLiteral("Letzten Zug rückgängig machen"), 2,
                          &TMainForm::BUndoClick);
    BRedo =
        addToolButton(141, QStringLiteral("Letzten Zug zurückholen"), 3, &TMainForm::BRedoClick);
    BPause = addToolButton(174, QStringLiteral("Pause-Modus"), 9, &TMainForm::BPauseClick);
    BHelp = addToolButton(207, QStringLiteral("Hilfe"), 17, &TMainForm::BHelpClick);
}

QAction* TMainForm::addMenuItem(QMenu* menu, const QString& caption, int image,
                                void (TMainForm::*handler)(), QKeySequence shortcut) {
    QAction* item = menu->addAction((*Symbols)[static_cast<std::size_t>(image)], caption);
    item->setShortcut(shortcut);
    connect(item, &QAction::triggered, this, handler);
    return item;
}

void TMainForm::createMenu() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&Datei"));
    MNew = addMenuItem(file, QStringLiteral("&Neues Spiel"), 0, &TMainForm::MNewClick,
                       QKeySequence(Qt::CTRL | Qt::Key_N));
    MLoad = addMenuItem(file, QStringLiteral("Spiel &Laden ..."), 7, &TMainForm::MLoadClick,
                        QKeySequence(Qt::CTRL | Qt::Key_L));
    MSave = addMenuItem(file, QStringLiteral("Spiel &Speichern"), 6, &TMainForm::MSaveClick,
                        QKeySequence(Qt::CTRL | Qt::Key_S));
    MSaveAs =
        addMenuItem(file, QStringLiteral("Speichern &unter ..."), 8, &TMainForm::MSaveAsClick);
    MExit = addMenuItem(file, QStringLiteral("&Beenden"), 5, &TMainForm::MExitClick,
                        QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu* game = menuBar()->addMenu(QStringLiteral("&Spiel"));
    MUndo = addMenuItem(game, QStringLiteral("&Rückgängig"), 2, &TMainForm::MUndoClick,
                        QKeySequence(Qt::CTRL | Qt::Key_Z));
    MRedo = addMenuItem(game, QStringLiteral("&Wiederholen"), 3, &TMainForm::MRedoClick,
                        QKeySequence(Qt::CTRL | Qt::Key_Y));
    MHint = addMenuItem(game, QStringLiteral("&Hinweis"), 1, &TMainForm::MHintClick,
                        QKeySequence(Qt::CTRL | Qt::Key_H));
    MPause = addMenuItem(game, QStringLiteral("&Pause"), 9, &TMainForm::MPauseClick,
                         QKeySequence(Qt::CTRL | Qt::Key_P));
    createSolvabilityMenu(game);
    createDealMenu(game);
    game->addSeparator();
    MLayout = addMenuItem(game, QStringLiteral("&Aufstellung ..."), 10, &TMainForm::MLayoutClick,
                          QKeySequence(Qt::CTRL | Qt::Key_A));

    QMenu* options = menuBar()->addMenu(QStringLiteral("&Optionen"));
    MNoUnsolveableGames = addMenuItem(options, QStringLiteral("&Unlösbare Spiele verhindern"), 18,
                                      &TMainForm::MNoUnsolveableGamesClick);
    MNoUnsolveableGames->setCheckable(true);
    MNoUnsolveableGames->setChecked(true);
    MSafeHint = options->addAction(QString::fromUtf8("&Hinweis hält das Spiel lösbar"));
    MSafeHint->setCheckable(true);
    MSafeHint->setChecked(true);
    connect(MSafeHint, &QAction::triggered, this, &TMainForm::MSafeHintClick);
    createDifficultyMenu(options);
    options->addSeparator();
    createFormatMenu(options);
    createZoomMenu(options);
    MShowSpeed = addMenuItem(options, QStringLiteral("&Render-Zeiten anzeigen"), 15,
                             &TMainForm::MShowSpeedClick);
    MShowSpeed->setCheckable(true);
    MForceRepaint = addMenuItem(options, QStringLiteral("&Neuzeichnen erzwingen"), 19,
                                &TMainForm::MForceRepaintClick);
    MForceRepaint->setCheckable(true);
    MResumeGame = options->addAction(QStringLiteral("Spiel beim Beenden &merken"));
    MResumeGame->setCheckable(true);
    MResumeGame->setChecked(true);
    connect(MResumeGame, &QAction::triggered, this, &TMainForm::MResumeGameClick);

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Hilfe"));
    MHelpStart = addMenuItem(help, QStringLiteral("H&ilfe anzeigen"), 17,
                             &TMainForm::MHelpStartClick, QKeySequence(Qt::Key_F1));
    MScore =
        addMenuItem(help, QStringLiteral("&Bestenliste zeigen ..."), 16, &TMainForm::MScoreClick);
    MAbout = addMenuItem(help, QStringLiteral("Inf&o ..."), 4, &TMainForm::MAboutClick);
}

void TMainForm::createFormatMenu(QMenu* options) {
    QMenu* format = options->addMenu((*Symbols)[10], QStringLiteral("Pixel&format"));
    MFormat = new QActionGroup(this);
    MFormat->setExclusive(true);
    const auto item = [&](const QString& caption, int image, void (TMainForm::*handler)()) {
        QAction* action = addMenuItem(format, caption, image, handler);
        action->setCheckable(true);
        MFormat->addAction(action);
        return action;
    };
    MFDevice = item(QStringLiteral("&Automatisch / Optimal"), 11, &TMainForm::MFDeviceClick);
    MF32 = item(QStringLiteral("&32 Bit (TrueColor)"), 14, &TMainForm::MF32Click);
    MF24 = item(QStringLiteral("&24 Bit (TrueColor 16.7M)"), 14, &TMainForm::MF24Click);
    MF16 = item(QStringLiteral("1&6 Bit (HiColor 65K)"), 13, &TMainForm::MF16Click);
    MF15 = item(QStringLiteral("1&5 Bit (HiColor 32K)"), 13, &TMainForm::MF15Click);
    MF8 = item(QStringLiteral("&8 Bit (256 Farben)"), 12, &TMainForm::MF8Click);
    MF4 = item(QStringLiteral("&4 Bit (16 Farben)"), 12, &TMainForm::MF4Click);
    MFDevice->setChecked(true);
}

void TMainForm::createZoomMenu(QMenu* options) {
    QMenu* size = options->addMenu(QString::fromUtf8("Grö&ße"));
    MZoom = new QActionGroup(this);
    MZoom->setExclusive(true);
    const char* const captions[] = {"&100 %", "1&50 %", "&200 %", "25&0 %", "&300 %"};
    for (std::size_t i = 0; i < MZoomItems.size(); ++i) {
        const int percent = kZoomLevels[i];
        QAction* item = size->addAction(QString::fromUtf8(captions[i]));
        item->setCheckable(true);
        connect(item, &QAction::triggered, this, [this, percent] { chooseZoom(percent); });
        MZoom->addAction(item);
        MZoomItems[i] = item;
    }
    MZoomItems[0]->setChecked(true);
    size->addSeparator();
    // Ctrl++ is Ctrl+Shift+= on keyboards without a plus key of its own.
    MZoomIn = size->addAction(QString::fromUtf8("Ver&größern"));
    MZoomIn->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    connect(MZoomIn, &QAction::triggered, this, &TMainForm::MZoomInClick);
    MZoomOut = size->addAction(QStringLiteral("Ver&kleinern"));
    MZoomOut->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus));
    connect(MZoomOut, &QAction::triggered, this, &TMainForm::MZoomOutClick);
    size->addSeparator();
    MFullScreen = size->addAction(QStringLiteral("&Vollbild"));
    MFullScreen->setCheckable(true);
    MFullScreen->setShortcut(QKeySequence(Qt::Key_F11));
    connect(MFullScreen, &QAction::triggered, this, &TMainForm::MFullScreenClick);
}

// The client area plus whatever the menu bar needs: the size at start; the
// smallest size holds the board at its smallest.
void TMainForm::placeWindow() {
    adjustSize();
    setMinimumSize(minimumSizeHint());
    resize(sizeHint());
}

// Centred on the screen the window opens on, at the size the start-up gave
// it (larger when the settings chose a larger board).
void TMainForm::centreWindow() {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

// Ctrl+T ("testen") and Ctrl+B ("zurück bis lösbar") are free; the restart
// has no shortcut, as it throws the game's progress away.
void TMainForm::createSolvabilityMenu(QMenu* game) {
    game->addSeparator();
    MCheckSolvable = game->addAction(QString::fromUtf8("&Lösbarkeit prüfen"));
    MCheckSolvable->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    connect(MCheckSolvable, &QAction::triggered, this, &TMainForm::MCheckSolvableClick);
    MBackToSolvable = game->addAction(QString::fromUtf8("&Zurück bis lösbar"));
    MBackToSolvable->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
    connect(MBackToSolvable, &QAction::triggered, this, &TMainForm::MBackToSolvableClick);
    MSameGame = game->addAction(QStringLiteral("&Gleiches Spiel neu"));
    connect(MSameGame, &QAction::triggered, this, &TMainForm::MSameGameClick);
}

// Ctrl+N is the new game; the numbered game and the game of the day have
// no shortcut of their own.
void TMainForm::createDealMenu(QMenu* game) {
    game->addSeparator();
    MDealNumber = game->addAction(QStringLiteral("Spiel &Nummer ..."));
    connect(MDealNumber, &QAction::triggered, this, &TMainForm::MDealNumberClick);
    MDayGame = game->addAction(QStringLiteral("Spiel des &Tages"));
    connect(MDayGame, &QAction::triggered, this, &TMainForm::MDayGameClick);
}

void TMainForm::createDifficultyMenu(QMenu* options) {
    QMenu* menu = options->addMenu(QStringLiteral("&Schwierigkeit"));
    MDifficulty = new QActionGroup(this);
    MDifficulty->setExclusive(true);
    // In the order the player reads them; "&Beliebig" (any deal) last.
    const struct {
        const char* caption;
        Grade grade;
    } items[] = {{"&Leicht", Grade::Easy},
                 {"&Mittel", Grade::Medium},
                 {"&Schwer", Grade::Hard},
                 {"&Beliebig", Grade::Any}};
    for (const auto& item : items) {
        QAction* action = menu->addAction(QString::fromUtf8(item.caption));
        action->setCheckable(true);
        const Grade grade = item.grade;
        connect(action, &QAction::triggered, this, [this, grade] { chooseDifficulty(grade); });
        MDifficulty->addAction(action);
        MDifficultyItems[static_cast<std::size_t>(grade)] = action;
    }
    MDifficultyItems[0]->setChecked(true);
}

} // namespace kelmar
