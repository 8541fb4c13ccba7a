// The board renderer: composes the whole board into the BackBuffer, the tile
// highlight per pixel format, and presenting the BackBuffer.
//
// All three do nothing when the bitmaps have not been created or were freed.
#pragma once

#include "core/game.h"
#include "core/geometry.h"
#include "core/tick_source.h"
#include "render/board_surface.h"
#include "render/graphics.h"

namespace kelmar {

// All board positions (TileRect, the rect of HighlightTile) are in board
// pixels; the renderer draws them at the zoom level of the graphics
// (Graphics::ScalePercent), rounding scaled edges down.
//
// Recomposes everything: the background tiled from (0, 0), rows outer; for
// each layer 1..MaxLayer the frames of that layer's present slots in slot
// order (black transparent, 9 pixels left of and 1 above the face rectangle
// TileRect), then their faces, the selected one highlighted right after its
// face; LastRenderMs := ticks spent on background and tiles; status panel 0
// ("mögliche Züge: N", "GEWONNEN!" or "KEINE WEITEREN ZÜGE!") and, on a
// finished game, the banner over a black shadow 4 pixels right and down;
// PresentBoard; HintShowing := false.
void RenderBoard(Game& game, Graphics& graphics, BoardSurface& surface, TickSource& ticks);

// Marks `rect` (a face rectangle in board pixels; scaled to the zoom level
// first) in the BackBuffer by its format: Device
// merge-paints the HighlightMask cell of TileSheet onto it; Bits4/8/15/16
// invert the bytes of rows top..bottom-1 that hold the rectangle (Bits4: byte
// left/2 .. (right-1)/2, so an odd edge inverts the neighbour pixel in that
// byte too); Bits24/32 add 32 to each such byte, at most 255 (Bits32: the
// fourth byte too). Clipped to the BackBuffer. Does not present.
void HighlightTile(Graphics& graphics, const Rect& rect);

// Shows the BackBuffer on the board surface at (0, 0).
void PresentBoard(Graphics& graphics, BoardSurface& surface);

} // namespace kelmar
