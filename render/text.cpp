#include "render/text.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <algorithm>
#include <cmath>

namespace kelmar {
namespace {

constexpr int kDotsPerInch = 96;
constexpr int kPointsPerInch = 72;

uint8_t Blend(uint8_t over, uint8_t under, int alpha) {
    return static_cast<uint8_t>((over * alpha + under * (255 - alpha) + 127) / 255);
}

bool IsIndexed(PixelFormatSetting format) {
    return format == PixelFormatSetting::Bits4 || format == PixelFormatSetting::Bits8;
}

} // namespace

TextStyle BannerFontStyle() {
    return {QStringLiteral("Trebuchet MS"), 54, true};
}

TextStyle LogoLineFontStyle() {
    return {QStringLiteral("Tahoma"), 8, false};
}

QFont MakeFont(const TextStyle& style) {
    QFont font(style.Family);
    const int points = std::clamp(style.PointSize, 1, 1000);
    font.setPixelSize((points * kDotsPerInch + kPointsPerInch / 2) / kPointsPerInch);
    font.setBold(style.Bold);
    font.setItalic(false);
    font.setUnderline(false);
    return font;
}

QSize MeasureText(const TextStyle& style, const QString& text) {
    const QFontMetrics metrics(MakeFont(style));
    return {metrics.horizontalAdvance(text), metrics.height()};
}

void DrawText(Bitmap& dst, int32_t x, int32_t y, const TextStyle& style, Rgb colour,
              const QString& text) {
    if (text.isEmpty() || dst.isEmpty()) {
        return;
    }
    const QFont font = MakeFont(style);
    const QFontMetrics metrics(font);
    // The glyphs may reach outside the text cell (overhangs, accents): cover
    // the union of the cell and the ink, relative to the cell's top-left.
    const QRect cell(0, 0, metrics.horizontalAdvance(text), metrics.height());
    const QRect ink = metrics.boundingRect(text).translated(0, metrics.ascent());
    const QRect area = cell.united(ink).adjusted(-1, -1, 1, 1);

    QImage coverage(area.size(), QImage::Format_ARGB32_Premultiplied);
    coverage.fill(Qt::transparent);
    {
        QPainter painter(&coverage);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(-area.left(), -area.top() + metrics.ascent(), text);
    }

    const PixelFormatSetting format = dst.format();
    const bool indexed = IsIndexed(format);
    const uint32_t solid = EncodeColour(format, colour);
    for (int iy = 0; iy < coverage.height(); ++iy) {
        const int64_t ty = int64_t{y} + area.top() + iy;
        if (ty < 0 || ty >= dst.height()) {
            continue;
        }
        const auto* line = reinterpret_cast<const QRgb*>(coverage.constScanLine(iy));
        for (int ix = 0; ix < coverage.width(); ++ix) {
            const int alpha = qAlpha(line[ix]);
            const int64_t tx = int64_t{x} + area.left() + ix;
            if (alpha == 0 || tx < 0 || tx >= dst.width()) {
                continue;
            }
            const auto px = static_cast<int32_t>(tx);
            const auto py = static_cast<int32_t>(ty);
            if (alpha == 255 || (indexed && alpha >= 128)) {
                dst.setRawPixel(px, py, solid);
            } else if (!indexed) {
                const Rgb under = dst.pixel(px, py);
                dst.setPixel(px, py,
                             {Blend(colour.R, under.R, alpha), Blend(colour.G, under.G, alpha),
                              Blend(colour.B, under.B, alpha)});
            }
        }
    }
}

} // namespace kelmar
