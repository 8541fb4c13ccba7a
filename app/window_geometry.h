// The main window's geometry around the board.
#pragma once

#include <QtCore/qnamespace.h>

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

// Whether a window going from the states `before` to `now` returns to the
// chosen level's size: it was maximised or full screen and is now neither
// (nor minimised).
bool ReturnsToChosenSize(Qt::WindowStates before, Qt::WindowStates now);

} // namespace kelmar
