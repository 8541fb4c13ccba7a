#include "app/main_menu.h"

#include "app/main_window.h"
#include "app/window_geometry.h"
#include "core/zoom.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>
#include <QToolButton>
#include <span>

namespace kelmar {

namespace {

using Slot = void (TMainForm::*)();

constexpr int kButtonWidth = 25;
constexpr int kButtonHeight = 23;

struct ToolEntry {
    const char* name;
    int left; // separators are 8 px gaps, already in these
    const char* hint;
    int image;
    Slot slot;
};

const ToolEntry kTools[] = {
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
// progress away), nor have the shuffle and the demonstration (a slip of the
// keys would cost the game its place in the best times).
struct MenuEntry {
    const char* name;
    const char* caption = nullptr;
    int image = -1; // -1: none
    QKeyCombination key = {};
    Slot slot = nullptr;
};

const MenuEntry kFileItems[] = {
    {"MNew", "&Neues Spiel", 0, Qt::CTRL | Qt::Key_N, &TMainForm::MNewClick},
    {"MLoad", "Spiel &Laden ...", 7, Qt::CTRL | Qt::Key_L, &TMainForm::MLoadClick},
    {"MSave", "Spiel &Speichern", 6, Qt::CTRL | Qt::Key_S, &TMainForm::MSaveClick},
    {"MSaveAs", "Speichern &unter ...", 8, {}, &TMainForm::MSaveAsClick},
    {"MExit", "&Beenden", 5, Qt::CTRL | Qt::Key_Q, &TMainForm::MExitClick},
};

const MenuEntry kGameItems[] = {
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
    {"MShuffle", "&Mischen", -1, {}, &TMainForm::MShuffleClick},
    {"MDemo", "&Vorführen", -1, {}, &TMainForm::MDemoClick},
    {nullptr},
    {"MDealNumber", "Spiel &Nummer ...", -1, {}, &TMainForm::MDealNumberClick},
    {"MDayGame", "Spiel des &Tages", -1, {}, &TMainForm::MDayGameClick},
    {nullptr},
    {"MLayout", "&Aufstellung ...", 10, Qt::CTRL | Qt::Key_A, &TMainForm::MLayoutClick},
    {"MStatistics", "&Statistik ...", -1, {}, &TMainForm::MStatisticsClick},
};

// In "&Optionen", after the pixel format and the size.
const MenuEntry kLookItems[] = {
    {"MTileSet", "&Kacheln ...", -1, {}, &TMainForm::MTileSetClick},
    {"MBackground", "&Hintergrund ...", -1, {}, &TMainForm::MBackgroundClick},
};

const MenuEntry kHelpItems[] = {
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

void addEntries(TMainForm& form, QMenu* menu, std::span<const MenuEntry> items,
                const std::array<QIcon, 20>& symbols) {
    for (const MenuEntry& entry : items) {
        if (entry.name == nullptr) {
            menu->addSeparator();
            continue;
        }
        QAction* item = addItem(menu, entry.name, entry.caption, entry.image, symbols);
        item->setShortcut(QKeySequence(entry.key));
        QObject::connect(item, &QAction::triggered, &form, entry.slot);
    }
}

} // namespace

void TMainMenu::createToolBar(TMainForm& form, QWidget& toolBar) {
    for (const ToolEntry& tool : kTools) {
        auto* button = new QToolButton(&toolBar);
        button->setObjectName(QString::fromLatin1(tool.name));
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setToolTip(QString::fromUtf8(tool.hint));
        button->setIcon(symbols_[static_cast<std::size_t>(tool.image)]);
        button->setIconSize(QSize(16, 16));
        button->setGeometry(tool.left, (kClientFrame.toolBarHeight - kButtonHeight) / 2,
                            kButtonWidth, kButtonHeight);
        QObject::connect(button, &QToolButton::clicked, &form, tool.slot);
    }
}

void TMainMenu::createMenu(TMainForm& form, QMenuBar& bar) {
    addEntries(form, bar.addMenu(QStringLiteral("&Datei")), kFileItems, symbols_);
    addEntries(form, bar.addMenu(QStringLiteral("&Spiel")), kGameItems, symbols_);
    createOptionsMenu(form, bar.addMenu(QStringLiteral("&Optionen")));
    addEntries(form, bar.addMenu(QStringLiteral("&Hilfe")), kHelpItems, symbols_);
}

// The on/off options around the difficulty, pixel-format and size submenus
// and the looks.
void TMainMenu::createOptionsMenu(TMainForm& owner, QMenu* options) {
    addOptionItem(options, 0); // AvoidUnsolveableGames
    addOptionItem(options, 7); // SafeHint
    QMenu* difficulty = options->addMenu(QStringLiteral("&Schwierigkeit"));
    createRadioMenu(owner, difficulty, MDifficultyItems.data(), 4, kDifficultyNames,
                    kDifficultyCaptions, nullptr,
                    [this](int i) { choices_.difficulty(kDifficulties[i]); });
    // Indexed by Grade code, as the check marks are set.
    const std::array<QAction*, 4> byMenu = MDifficultyItems;
    for (std::size_t i = 0; i < byMenu.size(); ++i) {
        MDifficultyItems[static_cast<std::size_t>(kDifficulties[i])] = byMenu[i];
    }
    options->addSeparator();
    QMenu* format = options->addMenu(symbols_[10], QStringLiteral("Pixel&format"));
    createRadioMenu(owner, format, MFormatItems.data(), 7, kFormatNames, kFormatCaptions,
                    kFormatImages, [this](int i) { choices_.format(kFormats[i]); });
    createZoomMenu(owner, options);
    addEntries(owner, options, kLookItems, symbols_);
    options->addSeparator();
    addOptionItem(options, 3); // ShowRenderSpeed
    addOptionItem(options, 4); // ForceRepaint
    addOptionItem(options, 8); // ResumeGame
}

// Without a picture: a menu draws a checkable item's picture in place of its
// check box, and the player could not see whether the option is on.
void TMainMenu::addOptionItem(QMenu* menu, std::size_t option) {
    const OptionEntry& entry = kOptions[option];
    QAction* item = addItem(menu, entry.item, entry.caption, -1, symbols_);
    item->setCheckable(true);
    const char* key = entry.key;
    QObject::connect(item, &QAction::triggered, [this, key] { choices_.toggle(key); });
    optionItems[option] = item;
}

void TMainMenu::createRadioMenu(QObject& owner, QMenu* menu, QAction** items, int count,
                                const char* const* names, const char* const* captions,
                                const int* images, const std::function<void(int)>& choose) {
    auto* group = new QActionGroup(&owner);
    group->setExclusive(true);
    for (int i = 0; i < count; ++i) {
        QAction* item = addItem(menu, names[i], captions[i], images ? images[i] : -1, symbols_);
        item->setCheckable(true);
        QObject::connect(item, &QAction::triggered, [choose, i] { choose(i); });
        group->addAction(item);
        items[i] = item;
    }
}

void TMainMenu::createZoomMenu(QObject& owner, QMenu* options) {
    QMenu* size = options->addMenu(QString::fromUtf8("Grö&ße"));
    MSize = size;
    createRadioMenu(owner, size, MZoomItems.data(), 5, kZoomNames, kZoomCaptions, nullptr,
                    [this](int i) { choices_.zoom(kZoomLevels[static_cast<std::size_t>(i)]); });
    size->addSeparator();
    // Ctrl++ is Ctrl+Shift+= on keyboards without a plus key of its own.
    QAction* in = addItem(size, "MZoomIn", "Ver&größern", -1, symbols_);
    in->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    QObject::connect(in, &QAction::triggered, &owner, [this] { choices_.zoomStep(+1); });
    QAction* out = addItem(size, "MZoomOut", "Ver&kleinern", -1, symbols_);
    out->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus));
    QObject::connect(out, &QAction::triggered, &owner, [this] { choices_.zoomStep(-1); });
    size->addSeparator();
    MFullScreen = addItem(size, "MFullScreen", "&Vollbild", -1, symbols_);
    MFullScreen->setCheckable(true);
    MFullScreen->setShortcut(QKeySequence(Qt::Key_F11));
    QObject::connect(MFullScreen, &QAction::triggered, &owner, [this] { choices_.fullScreen(); });
}

void TMainMenu::showSettings(const GameSettings& settings) {
    for (std::size_t i = 0; i < kOptions.size(); ++i) {
        if (optionItems[i] != nullptr) {
            optionItems[i]->setChecked(settings.*kOptions[i].flag);
        }
    }
    for (std::size_t i = 0; i < MFormatItems.size(); ++i) {
        MFormatItems[i]->setChecked(kFormats[i] == settings.PixelFormat);
    }
    MDifficultyItems[static_cast<std::size_t>(settings.Difficulty)]->setChecked(true);
}

TMainMenu::TMainMenu(TMainForm& form, QWidget& toolBar, QMenuBar& bar,
                     const std::array<QIcon, 20>& symbols, Choices choices)
    : symbols_(symbols), choices_(std::move(choices)) {
    createToolBar(form, toolBar);
    createMenu(form, bar);
}

} // namespace kelmar
