// The logo screen that covers the board at start, in pause and for "about".
#pragma once

#include "core/game.h"
#include "core/tick_source.h"
#include "render/board_surface.h"
#include "render/graphics.h"

#include <QColor>
#include <QString>

namespace kelmar {

constexpr int32_t kLogoLineStart = 460; // y of the lowest line
constexpr int32_t kLogoLineStep = 14;   // each further line this much higher
constexpr int32_t kLogoLineX = 10;

// "KLMRLogo.jpg"
QString LogoFileName();

// Running := false; draws the logo picture (DrawLogoPicture); presents;
// LogoLineCursor := 460. A missing or damaged file throws GraphicsError
// ("Cannot open file <path>" / "JPEG error #<code>") after Running was
// cleared, with the BackBuffer, the surface and the cursor untouched.
void ShowLogoScreen(Game& game, Graphics& graphics, BoardSurface& surface);

// Decodes KLMRLogo.jpg (in PictureFolder; above 100 % the level's own
// KLMRLogo200.jpg ..., or the nearest smaller level's scaled when that is
// missing) and draws it at (0, 0) of the BackBuffer at its own size
// (clipped). Throws as ShowLogoScreen, leaving the BackBuffer as it was.
void DrawLogoPicture(Graphics& graphics);

// Draws `text` on the surface (not into the BackBuffer) at (10,
// LogoLineCursor): first in black at the eight points around it, then in
// `colour`; then LogoLineCursor -= 14. An empty text draws nothing but still
// moves the cursor.
void WriteLogoLine(Graphics& graphics, BoardSurface& surface, const QColor& colour,
                   const QString& text);

// Running := true; rebases the clock (BaseElapsed := Elapsed, BaseTick :=
// CurrentTick); converts the BackBuffer to the current PixelFormat;
// RenderBoard; PresentBoard once more.
void ResumeFromLogo(Game& game, Graphics& graphics, BoardSurface& surface, TickSource& ticks);

} // namespace kelmar
