// The main window's size: the chosen level (settings.Zoom) sizes the normal
// window, the board takes the largest scale that fits the board surface,
// full screen toggles, and a window that stops being maximised or full
// screen returns to the level's size. Watches the window's state and resize
// events itself, so the window only creates it and forwards the menu's
// choices.
#pragma once

#include <QObject>
#include <QRect>
#include <functional>

class QMainWindow;
class QWidget;

namespace kelmar {

struct GameSettings;
class TField;
class TMainMenu;

class WindowSizer final : public QObject {
public:
    struct Hooks {
        // Lays the client area's controls out at this size.
        std::function<void(int width, int height)> layoutClient;
        // Composes the pictures at this scale (a percentage).
        std::function<void(int scale)> compose;
        // The work area the size menu measures against; empty: the
        // screen's available geometry.
        std::function<QRect()> workArea;
    };

    // All references must outlive the sizer. Takes over the board
    // surface's geometry handler and watches `window`'s events.
    WindowSizer(QMainWindow& window, QWidget& client, TField& field, TMainMenu& menu,
                GameSettings& settings, Hooks hooks);

    // The client area plus whatever the menu bar needs: the size at start;
    // the smallest size holds the board at its smallest.
    void placeWindow();
    // Centred on the primary screen at the size the start-up gave it.
    void centreWindow();
    // Maximised or full screen as the settings say (WindowState=), for the
    // window's first showing; a normal window stays as it is. From then on
    // the settings follow the window's state.
    void restoreState();

    // A level of kZoomLevels chosen from the menu, or the next level up
    // (+1) or down (-1).
    void chooseZoom(int percent);
    void zoomStep(int direction);
    // Full screen on or off; a maximised window comes back maximised.
    void toggleFullScreen();

    // A normal window is sized so that the board shows at the chosen level,
    // or at the largest the screen's work area can give when that is
    // smaller; a maximised or full-screen window keeps its size (the board
    // fills it) until it becomes normal again.
    void fitWindowToZoom();
    // The largest scale at which the board fits Field, composed with as
    // many pixels as the screen has for it.
    void fitBoard();

    // The size menu: a level whose window does not fit the work area is
    // disabled, its status tip saying why; the check mark stands on the
    // level the window really has (OfferedZoomLevels), which is returned.
    // Also whenever the menu opens.
    int offerLevels();

    // After the shutdown nothing is composed or resized any more.
    void stop() { stopped_ = true; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void stateChanged(Qt::WindowStates before);

    QMainWindow& window_;
    QWidget& client_;
    TField& field_;
    TMainMenu& menu_;
    GameSettings& settings_;
    Hooks hooks_;
    bool maximizedBeforeFullScreen_ = false;
    bool restoringLevel_ = false; // just left maximised or full screen
    bool stopped_ = false;
};

} // namespace kelmar
