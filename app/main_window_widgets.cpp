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

namespace {

using Slot = void (TMainForm::*)();

struct ToolSpec {
    const char* name;
    int left; // separators are 8 px gaps, already in these
    const char* hint;
    int image;
    Slot slot;
};

const ToolSpec kTools[] = {
    {"BNew", 0, "Neues Spiel beginnen", 0, &TMainForm::BNewClick},
    {"BLoad", 25, "Spielstand laden", 7, &TMainForm::BLoadClick},
    {"BSave", 50, "Spielstand speichern", 6, &TMainForm::BSaveClick},
    {"BHint", 83, "Hinweis geben", 1, &TMainForm::BHintClick},
    {"BUndo", 116, "Letzten Zug rückgängig machen", 2, &TMainForm::BUndoClick},
    {"BRedo", 141, "Letzten Zug zurückholen", 3, &TMainForm::BRedoClick},
    {"BPause", 174, "Pause-Modus", 9, &TMainForm::BPauseClick},
    {"BHelp", 207, "Hilfe", 17, &TMainForm::BHelpClick},
};

// A menu item; a null name is a separator line. Ctrl+T ("testen") and
// Ctrl+B ("zurück bis lösbar") were free; the restart, the numbered game
// and the game of the day have no shortcut (the restart throws the game's
// progress away).
struct ItemSpec {
    const char* name;
    const char* caption = nullptr;
    int image = -1; // -1: none
    QKeyCombination key = {};
    Slot slot = nullptr;
};

const ItemSpec kFileItems[] = {
    {"MNew", "&Neues Spiel", 0, Qt::CTRL | Qt::Key_N, &TMainForm::MNewClick},
    {"MLoad", "Spiel &Laden ...", 7, Qt::CTRL | Qt::Key_L, &TMainForm::MLoadClick},
    {"MSave", "Spiel &Speichern", 6, Qt::CTRL | Qt::Key_S, &TMainForm::MSaveClick},
    {"MSaveAs", "Speichern &unter ...", 8, {}, &TMainForm::MSaveAsClick},
    {"MExit", "&Beenden", 5, Qt::CTRL | Qt::Key_Q, &TMainForm::MExitClick},
};

const ItemSpec kGameItems[] = {
    {"MUndo", "&Rückgängig", 2, Qt::CTRL | Qt::Key_Z, &TMainForm::MUndoClick},
    {"MRedo", "&Wiederholen", 3, Qt::CTRL | Qt::Key_Y, &TMainForm::MRedoClick},
    {"MHint", "&Hinweis", 1, Qt::CTRL | Qt::Key_H, &TMainForm::MHintClick},
    {"MPause", "&Pause", 9, Qt::CTRL | Qt::Key_P, &TMainForm::MPauseClick},
    {nullptr},
    {"MCheckSolvable", "&Lösbarkeit prüfen", -1, Qt::CTRL | Qt::Key_T,
     &TMainForm::MCheckSolvableClick},
    {"MBackToSolvable", "&Zurück bis lösbar", -1, Qt::CTRL | Qt::Key_B,
     &TMainForm::MBackToSolvableClick},
    {"MSameGame", "&Gleiches Spiel neu", -1, {}, &TMainForm::MSameGameClick},
    {nullptr},
    {"MDealNumber", "Spiel &Nummer ...", -1, {}, &TMainForm::MDealNumberClick},
    {"MDayGame", "Spiel des &Tages", -1, {}, &TMainForm::MDayGameClick},
    {nullptr},
    {"MLayout", "&Aufstellung ...", 10, Qt::CTRL | Qt::Key_A, &TMainForm::MLayoutClick},
};

const ItemSpec kHelpItems[] = {
    {"MHelpStart", "H&ilfe anzeigen", 17, Qt::Key_F1, &TMainForm::MHelpStartClick},
    {"MScore", "&Bestenliste zeigen ...", 16, {}, &TMainForm::MScoreClick},
    {"MAbout", "Inf&o ...", 4, {}, &TMainForm::MAboutClick},
};

// In the order of PixelFormatSetting codes' menu: the automatic format first.
const char* const kFormatNames[] = {"MFDevice", "MF32", "MF24", "MF16", "MF15", "MF8", "MF4"};
const char* const kFormatCaptions[] = {"&Automatisch / Optimal",    "&32 Bit (TrueColor)",
                                       "&24 Bit (TrueColor 16.7M)", "1&6 Bit (HiColor 65K)",
                                       "1&5 Bit (HiColor 32K)",     "&8 Bit (256 Farben)",
                                       "&4 Bit (16 Farben)"};
const int kFormatImages[] = {11, 14, 14, 13, 13, 12, 12};
constexpr PixelFormatSetting kFormats[] = {PixelFormatSetting::Device, PixelFormatSetting::Bits32,
                                           PixelFormatSetting::Bits24, PixelFormatSetting::Bits16,
                                           PixelFormatSetting::Bits15, PixelFormatSetting::Bits8,
                                           PixelFormatSetting::Bits4};

const char* const kZoomNames[] = {"MZoom100", "MZoom150", "MZoom200", "MZoom250", "MZoom300"};
const char* const kZoomCaptions[] = {"&100 %", "1&50 %", "&200 %", "25&0 %", "&300 %"};

// In the order the player reads them; "&Beliebig" (any deal) last.
const char* const kDifficultyNames[] = {"MEasy", "MMedium", "MHard", "MAnyGrade"};
const char* const kDifficultyCaptions[] = {"&Leicht", "&Mittel", "&Schwer", "&Beliebig"};
constexpr Grade kDifficulties[] = {Grade::Easy, Grade::Medium, Grade::Hard, Grade::Any};

QAction* addItem(QMenu* menu, const char* name, const char* caption, int image,
                 const std::array<QIcon, 20>& symbols) {
    QAction* item = menu->addAction(QString::fromUtf8(caption));
    item->setObjectName(QString::fromLatin1(name));
    if (image >= 0) {
        item->setIcon(symbols[static_cast<std::size_t>(image)]);
    }
    return item;
}

} // namespace

void TMainForm::createToolBar() {
    for (const ToolSpec& tool : kTools) {
        auto* button = new QToolButton(ToolBar);
        button->setObjectName(QString::fromLatin1(tool.name));
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setToolTip(QString::fromUtf8(tool.hint));
        button->setIcon((*symbols_)[static_cast<std::size_t>(tool.image)]);
        button->setIconSize(QSize(16, 16));
        button->setGeometry(tool.left, (kToolBarHeight - kButtonHeight) / 2, kButtonWidth,
                            kButtonHeight);
        connect(button, &QToolButton::clicked, this, tool.slot);
    }
}

void TMainForm::createMenu() {
    const auto menu = [this](const char* caption, const auto& items) {
        QMenu* m = menuBar()->addMenu(QString::fromUtf8(caption));
        for (const ItemSpec& spec : items) {
            if (spec.name == nullptr) {
                m->addSeparator();
                continue;
            }
            QAction* item = addItem(m, spec.name, spec.caption, spec.image, *symbols_);
            item->setShortcut(QKeySequence(spec.key));
            connect(item, &QAction::triggered, this, spec.slot);
        }
        return m;
    };
    menu("&Datei", kFileItems);
    menu("&Spiel", kGameItems);
    createOptionsMenu(menuBar()->addMenu(QStringLiteral("&Optionen")));
    menu("&Hilfe", kHelpItems);
}

// The on/off options around the difficulty, pixel-format and size submenus.
void TMainForm::createOptionsMenu(QMenu* options) {
    addOptionItem(options, 0); // AvoidUnsolveableGames
    addOptionItem(options, 7); // SafeHint
    QMenu* difficulty = options->addMenu(QStringLiteral("&Schwierigkeit"));
    createRadioMenu(difficulty, MDifficulty, MDifficultyItems.data(), 4, kDifficultyNames,
                    kDifficultyCaptions, nullptr,
                    [this](int i) { chooseDifficulty(kDifficulties[i]); });
    // Indexed by Grade code, as the check marks are set.
    const std::array<QAction*, 4> byMenu = MDifficultyItems;
    for (std::size_t i = 0; i < byMenu.size(); ++i) {
        MDifficultyItems[static_cast<std::size_t>(kDifficulties[i])] = byMenu[i];
    }
    options->addSeparator();
    QMenu* format = options->addMenu((*symbols_)[10], QStringLiteral("Pixel&format"));
    createRadioMenu(format, MFormat, MFormatItems.data(), 7, kFormatNames, kFormatCaptions,
                    kFormatImages, [this](int i) { chooseFormat(kFormats[i]); });
    createZoomMenu(options);
    addOptionItem(options, 3); // ShowRenderSpeed
    addOptionItem(options, 4); // ForceRepaint
    addOptionItem(options, 8); // ResumeGame
}

void TMainForm::addOptionItem(QMenu* menu, std::size_t option) {
    const OptionSpec& spec = kOptions[option];
    QAction* item = addItem(menu, spec.item, spec.caption, spec.image, *symbols_);
    item->setCheckable(true);
    const char* key = spec.key;
    connect(item, &QAction::triggered, this, [this, key] { toggleOption(key); });
    optionItems_[option] = item;
}

void TMainForm::createRadioMenu(QMenu* menu, QActionGroup*& group, QAction** items, int count,
                                const char* const* names, const char* const* captions,
                                const int* images, const std::function<void(int)>& choose) {
    group = new QActionGroup(this);
    group->setExclusive(true);
    for (int i = 0; i < count; ++i) {
        QAction* item = addItem(menu, names[i], captions[i], images ? images[i] : -1, *symbols_);
        item->setCheckable(true);
        connect(item, &QAction::triggered, this, [choose, i] { choose(i); });
        group->addAction(item);
        items[i] = item;
    }
}

void TMainForm::createZoomMenu(QMenu* options) {
    QMenu* size = options->addMenu(QString::fromUtf8("Grö&ße"));
    createRadioMenu(size, MZoom, MZoomItems.data(), 5, kZoomNames, kZoomCaptions, nullptr,
                    [this](int i) { chooseZoom(kZoomLevels[static_cast<std::size_t>(i)]); });
    size->addSeparator();
    // Ctrl++ is Ctrl+Shift+= on keyboards without a plus key of its own.
    QAction* in = addItem(size, "MZoomIn", "Ver&größern", -1, *symbols_);
    in->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    connect(in, &QAction::triggered, this, &TMainForm::MZoomInClick);
    QAction* out = addItem(size, "MZoomOut", "Ver&kleinern", -1, *symbols_);
    out->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus));
    connect(out, &QAction::triggered, this, &TMainForm::MZoomOutClick);
    size->addSeparator();
    MFullScreen = addItem(size, "MFullScreen", "&Vollbild", -1, *symbols_);
    MFullScreen->setCheckable(true);
    MFullScreen->setShortcut(QKeySequence(Qt::Key_F11));
    connect(MFullScreen, &QAction::triggered, this, &TMainForm::MFullScreenClick);
}

// From the settings; the only place the menu's check marks are decided.
void TMainForm::setCheckMarks() {
    const GameSettings& settings = game_.settings;
    for (std::size_t i = 0; i < kOptions.size(); ++i) {
        if (optionItems_[i] != nullptr) {
            optionItems_[i]->setChecked(settings.*kOptions[i].flag);
        }
    }
    for (std::size_t i = 0; i < MFormatItems.size(); ++i) {
        MFormatItems[i]->setChecked(kFormats[i] == settings.PixelFormat);
    }
    MDifficultyItems[static_cast<std::size_t>(settings.Difficulty)]->setChecked(true);
    for (std::size_t i = 0; i < MZoomItems.size(); ++i) {
        MZoomItems[i]->setChecked(kZoomLevels[i] == settings.Zoom);
    }
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

} // namespace kelmar
