// The calls that the game core makes into the screen and the best-times list.
// The main window implements this; tests use a recording fake. The core never
// sees Qt.
#pragma once

#include "core/geometry.h"

#include <cstdint>

namespace kelmar {

class GameView {
public:
    virtual ~GameView() = default;
    // Recompose the whole board into the BackBuffer, present it and clear
    // HintShowing.
    virtual void RenderBoard() = 0;
    // Lighten or invert one face rectangle in the BackBuffer; the caller presents.
    virtual void HighlightTile(const Rect& rect) = 0;
    // Copy the BackBuffer to the board surface.
    virtual void PresentBoard() = 0;
    // A fresh win with the game time in ms.
    virtual void EnterHighScore(int32_t timeMs) = 0;
};

} // namespace kelmar
