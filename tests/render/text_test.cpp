// DrawText against a plain per-pixel reference: the drawn bytes must not
// differ by a single bit in any format, wherever the text lands.
#include "render/text.h"
#include "render_test_support.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <climits>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace kelmar {
namespace {

using test::kAllFormats;

// The straightforward algorithm, one pixel at a time through the Bitmap
// accessors: rasterise the text over the union of its cell and its ink
// (one pixel of margin), then per covered pixel write the colour when fully
// covered (or at least half covered in Bits4/Bits8), blend it with the pixel
// under it in the true-colour formats otherwise.
uint8_t ReferenceBlend(uint8_t over, uint8_t under, int alpha) {
    return static_cast<uint8_t>((over * alpha + under * (255 - alpha) + 127) / 255);
}

void ReferenceDrawText(Bitmap& dst, int32_t x, int32_t y, const TextStyle& style, Rgb colour,
                       const QString& text) {
    if (text.isEmpty() || dst.isEmpty()) {
        return;
    }
    const QFont font = MakeFont(style);
    const QFontMetrics metrics(font);
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
    const bool indexed = format == PixelFormatSetting::Bits4 || format == PixelFormatSetting::Bits8;
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
                             {ReferenceBlend(colour.R, under.R, alpha),
                              ReferenceBlend(colour.G, under.G, alpha),
                              ReferenceBlend(colour.B, under.B, alpha)});
            }
        }
    }
}

struct Placement {
    const char* what;
    int32_t x;
    int32_t y;
};

// Around a 640 x 480 board, for a banner about 350 x 90 pixels: inside, odd
// and even columns (the two nibbles of Bits4), cut by each edge, cut by two
// edges at once, beyond the picture, and coordinates whose sums with the
// text's margin would overflow 32 bits.
constexpr Placement kPlacements[] = {
    {"inside", 150, 180},
    {"inside at an odd column", 151, 181},
    {"cut by the left edge", -101, 100},
    {"cut by the right edge", 500, 200},
    {"cut by the top edge", 200, -40},
    {"cut by the bottom edge", 120, 430},
    {"cut at the top-left corner", -57, -33},
    {"cut at the bottom-right corner", 433, 447},
    {"far left of the picture", -10000, 0},
    {"past the right edge", 640, 100},
    {"below the picture", 0, 480},
    {"at the extreme coordinates", INT32_MAX, INT32_MIN},
    {"at the other extreme coordinates", INT32_MIN, INT32_MAX},
};

struct Ink {
    TextStyle style;
    Rgb colour;
    QString text;
};

// The banner as the renderer draws it, shadow then colour, for both
// outcomes, and a small text in the logo-line font with umlauts.
std::vector<Ink> Inks() {
    return {
        {BannerFontStyle(), {0, 0, 0}, QStringLiteral("GEWONNEN!")},
        {BannerFontStyle(), {0, 255, 0}, QStringLiteral("GEWONNEN!")},
        {BannerFontStyle(), {0, 0, 0}, QStringLiteral("VERLOREN!")},
        {BannerFontStyle(), {255, 0, 0}, QStringLiteral("VERLOREN!")},
        {LogoLineFontStyle(), {200, 180, 40}, QString::fromUtf8("Größe: 17 Züge")},
    };
}

class DrawTextBytes : public ::testing::TestWithParam<PixelFormatSetting> {};

TEST_P(DrawTextBytes, EqualThePerPixelReferenceAtEveryPlacement) {
    const PixelFormatSetting format = GetParam();
    for (const Placement& at : kPlacements) {
        SCOPED_TRACE(at.what);
        // Noise underneath, so that every blended edge pixel depends on what
        // lies under it, and Device X bytes and Bits15 spare bits are not
        // what a write would store.
        Bitmap drawn = test::Noise(640, 480, format, 77);
        Bitmap expected = drawn;
        for (const Ink& ink : Inks()) {
            DrawText(drawn, at.x, at.y, ink.style, ink.colour, ink.text);
            ReferenceDrawText(expected, at.x, at.y, ink.style, ink.colour, ink.text);
        }
        ASSERT_EQ(test::Bytes(drawn), test::Bytes(expected));
    }
}

TEST_P(DrawTextBytes, EqualTheReferenceWhenTheBannerShadowOverlapsTheColour) {
    const PixelFormatSetting format = GetParam();
    Bitmap drawn = test::Noise(640, 480, format, 5);
    Bitmap expected = drawn;
    for (Bitmap* bitmap : {&drawn, &expected}) {
        const auto draw = bitmap == &drawn ? DrawText : ReferenceDrawText;
        draw(*bitmap, 144 + 4, 150 + 4, BannerFontStyle(), {0, 0, 0}, QStringLiteral("GEWONNEN!"));
        draw(*bitmap, 144, 150, BannerFontStyle(), {0, 255, 0}, QStringLiteral("GEWONNEN!"));
    }
    EXPECT_EQ(test::Bytes(drawn), test::Bytes(expected));
    EXPECT_NE(test::Bytes(drawn), test::Bytes(test::Noise(640, 480, format, 5)));
}

TEST_P(DrawTextBytes, EqualTheReferenceInPicturesNarrowerThanTheText) {
    const PixelFormatSetting format = GetParam();
    // Odd widths leave Bits4 with a half-used last byte and give rows padding
    // that must stay untouched.
    for (const auto& [width, height] : {std::pair{1, 1}, std::pair{7, 90}, std::pair{33, 5}}) {
        Bitmap drawn = test::Noise(width, height, format, 9);
        Bitmap expected = drawn;
        DrawText(drawn, -20, -10, BannerFontStyle(), {0, 255, 0}, QStringLiteral("GEWONNEN!"));
        ReferenceDrawText(expected, -20, -10, BannerFontStyle(), {0, 255, 0},
                          QStringLiteral("GEWONNEN!"));
        EXPECT_EQ(test::Bytes(drawn), test::Bytes(expected)) << width << " x " << height;
    }
}

INSTANTIATE_TEST_SUITE_P(AllFormats, DrawTextBytes, ::testing::ValuesIn(kAllFormats),
                         [](const auto& info) { return test::FormatName(info.param); });

// The prepared text is kept per text, style, colour and format: drawing
// many different texts, colours and formats in turn must never reuse one
// that belongs to another combination.
TEST(DrawText, AlternatingTextsColoursAndFormatsEachDrawTheirOwn) {
    // More distinct texts than are kept prepared at once.
    std::vector<Ink> inks = Inks();
    for (const char* line : {"Zeile 1", "Zeile 2", "Zeile 3"}) {
        inks.push_back({LogoLineFontStyle(), {90, 40, 250}, QString::fromUtf8(line)});
    }
    for (int round = 0; round < 3; ++round) {
        for (PixelFormatSetting format : kAllFormats) {
            for (std::size_t i = 0; i < inks.size(); ++i) {
                const Ink& ink = inks[(i * 3 + static_cast<std::size_t>(round)) % inks.size()];
                Bitmap drawn = test::Noise(420, 120, format, 3);
                Bitmap expected = drawn;
                DrawText(drawn, 10, 10, ink.style, ink.colour, ink.text);
                ReferenceDrawText(expected, 10, 10, ink.style, ink.colour, ink.text);
                ASSERT_EQ(test::Bytes(drawn), test::Bytes(expected))
                    << test::FormatName(format) << " " << ink.text.toStdString();
            }
        }
    }
}

} // namespace
} // namespace kelmar
