// The main window's geometry around the board.
#pragma once

#include "core/zoom.h"

#include <QtCore/qnamespace.h>
#include <array>

namespace kelmar {

// The client area around the board at every size: the tool bar above, the
// status bar below and the sunken frame's line on every side, in pixels;
// so 642 x 530 around the board at 100 %.
struct ClientFrame {
    int toolBarHeight = 29;
    int statusHeight = 19;
    int bevel = 1;
    constexpr int width() const { return 2 * bevel; }
    constexpr int height() const { return toolBarHeight + statusHeight + 2 * bevel; }
};
inline constexpr ClientFrame kClientFrame{};

// The sizes the size menu offers on a screen whose work area leaves
// `roomWidth` x `roomHeight` pixels for the client area of a normal window
// (the work area less the window's frame and menu bar). A level is offered
// when the client area that shows the board at it (the board at that level
// plus kClientFrame) fits the room; 100 % is always offered. `shown` is the
// level the window really has when `chosen` was chosen: the chosen one when
// it is offered, else the largest offered level below it.
struct ZoomOffer {
    std::array<bool, kZoomLevels.size()> offered{};
    int shown = kDefaultZoom;
};
ZoomOffer OfferedZoomLevels(int chosen, int roomWidth, int roomHeight);

// Whether a window going from the states `before` to `now` returns to the
// chosen level's size: it was maximised or full screen and is now neither
// (nor minimised).
bool ReturnsToChosenSize(Qt::WindowStates before, Qt::WindowStates now);

} // namespace kelmar
