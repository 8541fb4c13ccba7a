#include "render/logo_screen.h"

#include "render/bitmap_ops.h"
#include "render/display_image.h"
#include "render/graphics_error.h"
#include "render/jpeg_decoder.h"
#include "render/picture_file.h"
#include "render/pixel_rows.h"
#include "render/renderer.h"

#include <QFile>
#include <QPainter>
#include <algorithm>

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
    // Another level's logo, decoded whole and filtered to this scale. A
    // full-screen board takes 5 to 8 MB per copy, so no more copies are held
    // than needed: in Device the decoded logo is filtered straight into the
    // BackBuffer, in the other formats through one scaled copy.
    QFile file(found.Path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw CannotOpenFileError(found.Path.toStdString());
    }
    const QByteArray bytes = file.readAll();
    const Bitmap logo = DecodeJpegBytes(reinterpret_cast<const unsigned char*>(bytes.constData()),
                                        static_cast<unsigned long>(bytes.size()),
                                        PixelFormatSetting::Device, kMaxBitmapSide, kMaxBitmapSide);
    QImage scratch;
    const QImage image = DisplayImage(logo, scratch); // Device rows, not copied
    const QSize size(
        static_cast<int>(int64_t{image.width()} * graphics.ScalePercent / found.Percent),
        static_cast<int>(int64_t{image.height()} * graphics.ScalePercent / found.Percent));
    Bitmap& target = *graphics.BackBuffer;
    if (target.format() == PixelFormatSetting::Device) {
        // Device rows are RGB32: filtered straight into the BackBuffer.
        QImage rows(target.row(0), target.width(), target.height(), target.stride(),
                    QImage::Format_RGB32);
        QPainter painter(&rows);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRect(QPoint(0, 0), size), image);
        return;
    }
    const QImage scaled = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                              .convertToFormat(QImage::Format_RGB32);
    const int32_t rows = std::min(scaled.height(), target.height());
    const int32_t columns = std::min(scaled.width(), target.width());
    for (int32_t y = 0; y < rows; ++y) {
        EncodeRow(target.format(), reinterpret_cast<const uint32_t*>(scaled.constScanLine(y)), 0,
                  columns, target.row(y));
    }
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
