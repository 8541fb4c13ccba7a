#include "render/logo_screen.h"

#include "render/bitmap_ops.h"
#include "render/jpeg_decoder.h"
#include "render/renderer.h"

namespace kelmar {
namespace {

// The outline is the text in black at the eight neighbours of its position,
// in this order, before the text itself.
constexpr int kOutline[8][2] = {{1, -1}, {0, -1}, {-1, -1}, {-1, 0},
                                {-1, 1}, {0, 1},  {1, 1},   {1, 0}};

} // namespace

QString LogoFileName() {
    return QStringLiteral("KLMRLogo.jpg");
}

void ShowLogoScreen(Game& game, Graphics& graphics, BoardSurface& surface) {
    game.Running = false;
    if (!graphics.BackBuffer) {
        return;
    }
    // A damaged file leaves the board in the BackBuffer.
    DecodeJpegFileInto(PicturePath(graphics, LogoFileName()), *graphics.BackBuffer);
    PresentBoard(graphics, surface);
    graphics.LogoLineCursor = kLogoLineStart;
}

void WriteLogoLine(Graphics& graphics, BoardSurface& surface, const QColor& colour,
                   const QString& text) {
    const int32_t y = graphics.LogoLineCursor;
    if (!text.isEmpty()) {
        for (const auto& offset : kOutline) {
            surface.drawSurfaceText(kLogoLineX + offset[0], y + offset[1], QColor(0, 0, 0), text);
        }
        surface.drawSurfaceText(kLogoLineX, y, colour, text);
    }
    graphics.LogoLineCursor = y - kLogoLineStep;
}

void ResumeFromLogo(Game& game, Graphics& graphics, BoardSurface& surface, TickSource& ticks) {
    game.Running = true;
    RebaseClock(game.clock, game.clock.Elapsed);
    if (graphics.BackBuffer) {
        ConvertBitmap(*graphics.BackBuffer, game.settings.PixelFormat);
    }
    RenderBoard(game, graphics, surface, ticks);
    PresentBoard(graphics, surface);
}

} // namespace kelmar
