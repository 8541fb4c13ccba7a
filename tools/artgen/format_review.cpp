#include "format_review.h"

#include "art_style.h"
#include "core/pixel_format.h"
#include "core/zoom.h"
#include "render/bitmap_ops.h"
#include "render/display_image.h"
#include "render/graphics.h"
#include "render/picture_file.h"
#include "render/renderer.h"
#include "tile_sheet.h"

#include <QPainter>
#include <algorithm>
#include <array>
#include <cmath>
#include <memory>

namespace kelmar::art {
namespace {

struct Lab {
    double l, a, b;
};

double linear(int channel) {
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

Lab toLab(QRgb c) {
    const double r = linear(qRed(c)), g = linear(qGreen(c)), b = linear(qBlue(c));
    // sRGB primaries, D65 white.
    const double x = (0.4124 * r + 0.3576 * g + 0.1805 * b) / 0.95047;
    const double y = 0.2126 * r + 0.7152 * g + 0.0722 * b;
    const double z = (0.0193 * r + 0.1192 * g + 0.9505 * b) / 1.08883;
    auto f = [](double t) {
        return t > 216.0 / 24389 ? std::cbrt(t) : (24389.0 / 27 * t + 16) / 116;
    };
    const double fx = f(x), fy = f(y), fz = f(z);
    return {116 * fy - 16, 500 * (fx - fy), 200 * (fy - fz)};
}

const char* formatLabel(PixelFormatSetting format) {
    switch (format) {
    case PixelFormatSetting::Bits32:
        return "32 Bit";
    case PixelFormatSetting::Bits24:
        return "24 Bit";
    case PixelFormatSetting::Bits16:
        return "16 Bit";
    case PixelFormatSetting::Bits15:
        return "15 Bit";
    case PixelFormatSetting::Bits8:
        return "8 Bit";
    case PixelFormatSetting::Bits4:
        return "4 Bit";
    default:
        return "Automatisch";
    }
}

} // namespace

double deltaE76(QRgb a, QRgb b) {
    const Lab p = toLab(a), q = toLab(b);
    return std::hypot(p.l - q.l, p.a - q.a, p.b - q.b);
}

HighlightDifference measureHighlight(const QImage& sheet, int percent) {
    const int width = ScaleLength(kFaceWidth, percent);
    const int height = ScaleLength(kFaceHeight, percent);
    const QPoint mask = sheetCellOrigin(0, percent);
    double sum = 0, ringSum = 0;
    long count = 0, ringCount = 0;
    for (int kind = 1; kind <= 42; ++kind) {
        const QPoint origin = sheetCellOrigin(kind, percent);
        QImage face = sheet.copy(QRect(origin, QSize(width, height)));
        const QImage plain = face;
        mergePaint(face, QPoint(0, 0), sheet, mask, QSize(width, height));
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const double d = deltaE76(plain.pixel(x, y), face.pixel(x, y));
                sum += d;
                ++count;
                if (inHighlightRing(x, y, percent)) {
                    ringSum += d;
                    ++ringCount;
                }
            }
    }
    return {sum / double(count), ringSum / double(ringCount)};
}

namespace {

constexpr int kStep = kFaceWidth + 2;

// All 42 faces twice, and the felt, drawn and then converted to `format`
// as the game converts pictures; the second row highlighted by the game's
// HighlightTile. Shown back as RGB.
QImage formatBlock(const TilePictures& pictures, const QImage& felt, PixelFormatSetting format) {
    const QSize blockSize(42 * kStep + 8 + felt.width(), 2 * kFaceHeight + 4);
    QImage block(blockSize, QImage::Format_RGB32);
    block.fill(QColor(214, 214, 210));
    {
        QPainter p(&block);
        for (int kind = 1; kind <= 42; ++kind)
            for (int row = 0; row < 2; ++row)
                p.drawImage(QPoint((kind - 1) * kStep, row * (kFaceHeight + 4)), pictures.sheet,
                            QRect(sheetCellOrigin(kind), QSize(kFaceWidth, kFaceHeight)));
        p.drawImage(42 * kStep + 8, 0, felt);
    }
    Graphics graphics;
    graphics.TileSheet = std::make_unique<Bitmap>(BitmapFromImage(pictures.sheet, format));
    graphics.BackBuffer = std::make_unique<Bitmap>(BitmapFromImage(block, format));
    const QPoint mask = sheetCellOrigin(0);
    graphics.HighlightMask = {mask.x(), mask.y(), mask.x() + kFaceWidth, mask.y() + kFaceHeight};
    for (int kind = 1; kind <= 42; ++kind) {
        const int left = (kind - 1) * kStep;
        const int top = kFaceHeight + 4;
        HighlightTile(graphics, {left, top, left + kFaceWidth, top + kFaceHeight});
    }
    return BitmapToImage(*graphics.BackBuffer);
}

} // namespace

double highlightDifferenceIn(const TilePictures& pictures, PixelFormatSetting format) {
    const QImage block = formatBlock(pictures, QImage(1, 1, QImage::Format_RGB32), format);
    double sum = 0;
    for (int kind = 1; kind <= 42; ++kind)
        for (int y = 0; y < kFaceHeight; ++y)
            for (int x = 0; x < kFaceWidth; ++x) {
                const int left = (kind - 1) * kStep + x;
                sum += deltaE76(block.pixel(left, y), block.pixel(left, y + kFaceHeight + 4));
            }
    return sum / (42.0 * kFaceWidth * kFaceHeight);
}

QImage makeFormatSheet(const TilePictures& pictures, const QImage& felt) {
    constexpr int kLabel = 20;
    constexpr int kBlock = kLabel + 2 * kFaceHeight + 12;
    const int width = 42 * kStep + 8 + felt.width();
    QImage out(width, int(kAllPixelFormats.size()) * kBlock, QImage::Format_RGB32);
    out.fill(QColor(214, 214, 210));
    QPainter painter(&out);
    for (std::size_t f = 0; f < kAllPixelFormats.size(); ++f) {
        const PixelFormatSetting format = kAllPixelFormats[f];
        const int y = int(f) * kBlock;
        painter.setPen(QColor(30, 30, 30));
        painter.setFont(glyphFont(14, true));
        painter.drawText(4, y + 15, QString::fromLatin1(formatLabel(format)));
        painter.drawImage(0, y + kLabel, formatBlock(pictures, felt, format));
    }
    return out;
}

} // namespace kelmar::art
