// The main window's tool bar buttons and menu bar, built from tables. Every
// button and item carries its name (BNew, MNew, MSafeHint, ...) as object
// name; the commands trigger the window's slot of the same name, the
// choices (options, pixel format, difficulty, size) go to the window's
// handlers, and the check marks show the settings.
#pragma once

#include "core/game.h"
#include "storage/options.h"

#include <QIcon>
#include <array>
#include <functional>

class QAction;
class QMenu;
class QMenuBar;
class QObject;
class QWidget;

namespace kelmar {

class TMainForm;

class TMainMenu {
public:
    struct Choices {
        std::function<void(const char* optionKey)> toggle; // an on/off option of kOptions
        std::function<void(PixelFormatSetting)> format;
        std::function<void(Grade)> difficulty;
        std::function<void(int percent)> zoom;
        std::function<void(int direction)> zoomStep; // +1 larger, -1 smaller
        std::function<void()> fullScreen;
    };

    // The buttons go into `toolBar`, the menus into `bar`; `symbols` must
    // outlive the menu.
    TMainMenu(TMainForm& form, QWidget& toolBar, QMenuBar& bar,
              const std::array<QIcon, 20>& symbols, Choices choices);

    // The check marks of the options, the pixel format and the difficulty;
    // the only place they are decided. The size's are the WindowSizer's.
    void showSettings(const GameSettings& settings);

    // The items with a check mark: the on/off options (by their place in
    // kOptions; null for the other options), the pixel formats (MFDevice,
    // MF32, ... MF4), the zoom levels (by kZoomLevels), the difficulties (by
    // Grade code: 0 is "&Beliebig"), full screen.
    std::array<QAction*, kOptions.size()> optionItems{};
    std::array<QAction*, 7> MFormatItems{};
    std::array<QAction*, 5> MZoomItems{};
    std::array<QAction*, 4> MDifficultyItems{};
    QAction* MFullScreen = nullptr;
    QMenu* MSize = nullptr; // "Grö&ße", the zoom levels' menu

private:
    void createToolBar(TMainForm& form, QWidget& toolBar);
    void createMenu(TMainForm& form, QMenuBar& bar);
    void createOptionsMenu(TMainForm& owner, QMenu* options);
    void createZoomMenu(QObject& owner, QMenu* options);
    void addOptionItem(QMenu* menu, std::size_t option);
    void createRadioMenu(QObject& owner, QMenu* menu, QAction** items, int count,
                         const char* const* names, const char* const* captions, const int* images,
                         const std::function<void(int)>& choose);

    const std::array<QIcon, 20>& symbols_;
    Choices choices_;
};

} // namespace kelmar
