#include "render_test_support.h"

#include "render/bitmap_ops.h"
#include "render/picture_file.h"

#include <QDir>

namespace kelmar::test {

void RecordingSurface::present(const Bitmap& backBuffer) {
    ++presents;
    lastPresentedBytes = Bytes(backBuffer);
}

Bitmap Solid(int32_t width, int32_t height, PixelFormatSetting format, Rgb colour) {
    Bitmap bitmap(width, height, format);
    FillRect(bitmap, {0, 0, width, height}, colour);
    return bitmap;
}

Bitmap Noise(int32_t width, int32_t height, PixelFormatSetting format, uint32_t seed) {
    Bitmap bitmap(width, height, format);
    uint32_t state = seed;
    for (std::size_t i = 0; i < bitmap.byteCount(); ++i) {
        state = state * 1103515245u + 12345u;
        bitmap.bits()[i] = static_cast<uint8_t>(state >> 16);
    }
    return bitmap;
}

std::vector<uint8_t> Bytes(const Bitmap& bitmap) {
    return {bitmap.bits(), bitmap.bits() + bitmap.byteCount()};
}

Rgb CellColour(int column, int row) {
    return {static_cast<uint8_t>(40 + 20 * column), static_cast<uint8_t>(60 + 30 * row), 200};
}

QImage SheetImage() {
    QImage sheet(342, 270, QImage::Format_RGB32);
    for (int y = 0; y < 270; ++y) {
        for (int x = 0; x < 342; ++x) {
            const Rgb c = CellColour(x / 38, y / 54);
            sheet.setPixel(x, y, qRgb(c.R, c.G, c.B));
        }
    }
    return sheet;
}

QImage SolidImage(int width, int height, QColor colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

Graphics SyntheticGraphics(PixelFormatSetting format, int32_t bgWidth, int32_t bgHeight, Rgb bg) {
    Graphics graphics;
    CreateBitmaps(graphics, format);
    *graphics.BackgroundTile = Solid(bgWidth, bgHeight, format, bg);
    graphics.BackgroundWidth = bgWidth;
    graphics.BackgroundHeight = bgHeight;
    *graphics.TileSheet = BitmapFromImage(SheetImage(), format);
    Bitmap frame(48, 64, format);
    FillRect(frame, {2, 0, 46, 63}, Rgb{255, 255, 0});
    *graphics.TileFrame = std::move(frame);
    graphics.BannerFont = BannerFontStyle();
    ComputeBannerLayout(graphics);
    BuildSheetIndex(graphics);
    return graphics;
}

void WriteBoardPictures(const QString& dir, QColor background) {
    SolidImage(100, 100, background).save(QDir(dir).filePath(BackgroundFileName()), "BMP");
    SheetImage().save(QDir(dir).filePath(TileSheetFileName()), "BMP");
    QImage frame = SolidImage(48, 64, Qt::black);
    for (int y = 0; y < 63; ++y) {
        for (int x = 2; x < 46; ++x) {
            frame.setPixel(x, y, qRgb(255, 255, 0));
        }
    }
    frame.save(QDir(dir).filePath(TileFrameFileName()), "BMP");
}

} // namespace kelmar::test
