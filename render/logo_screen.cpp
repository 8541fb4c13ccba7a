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

void DrawLogoPicture(Graphics& graphics) {
    if (!graphics.BackBuffer) {
        return;
    }
    const LevelPicturePath found = FindLevelPicture(graphics, LogoFileName());
    if (found.Percent == graphics.ScalePercent) {
        // A damaged file leaves the board in the BackBuffer.
        DecodeJpegFileInto(found.Path, *graphics.BackBuffer);
        return;
    }
    // Another level's logo, filtered to this scale as it is decoded: a
    // decoded copy of a full-screen logo would take 5 to 8 MB at the moment
    // the pause screen shows.
    DecodeJpegFileScaledInto(found.Path, *graphics.BackBuffer, found.Percent,
                             graphics.ScalePercent);
}

void ShowLogoScreen(Game& game, Graphics& graphics, BoardSurface& surface) {
    game.Running = false;
    if (!graphics.BackBuffer) {
        return;
    }
    DrawLogoPicture(graphics);
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
