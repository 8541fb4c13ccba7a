#include "render/text.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <algorithm>
#include <cmath>
#include <deque>

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

namespace {

// The rasterised text: alpha = glyph coverage, `area` its place relative to
// the text cell's top-left corner.
struct Coverage {
    TextStyle style;
    QString text;
    QImage image;
    QRect area;
};

Coverage Rasterise(const TextStyle& style, const QString& text) {
    const QFont font = MakeFont(style);
    const QFontMetrics metrics(font);
    // The glyphs may reach outside the text cell (overhangs, accents): cover
    // the union of the cell and the ink.
    const QRect cell(0, 0, metrics.horizontalAdvance(text), metrics.height());
    const QRect ink = metrics.boundingRect(text).translated(0, metrics.ascent());
    const QRect area = cell.united(ink).adjusted(-1, -1, 1, 1);
    QImage image(area.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(-area.left(), -area.top() + metrics.ascent(), text);
    }
    return {style, text, std::move(image), area};
}

// The banner is drawn at every step of the replay after a win: keep the last
// few rasterised texts instead of asking the font engine each time. Only the
// user-interface thread draws text.
const Coverage& CoverageOf(const TextStyle& style, const QString& text) {
    constexpr std::size_t kCacheSize = 4;
    static std::deque<Coverage> cache;
    for (const Coverage& entry : cache) {
        if (entry.text == text && entry.style.Family == style.Family &&
            entry.style.PointSize == style.PointSize && entry.style.Bold == style.Bold) {
            return entry;
        }
    }
    if (cache.size() == kCacheSize) {
        cache.pop_back();
    }
    cache.push_front(Rasterise(style, text));
    return cache.front();
}

} // namespace

void DrawText(Bitmap& dst, int32_t x, int32_t y, const TextStyle& style, Rgb colour,
              const QString& text) {
    if (text.isEmpty() || dst.isEmpty()) {
        return;
    }
    const Coverage& glyphs = CoverageOf(style, text);
    const QImage& coverage = glyphs.image;
    const QRect& area = glyphs.area;

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
