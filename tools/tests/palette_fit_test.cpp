// The pictures in the 8- and 4-bit formats: the game converts them by
// nearest palette colour, so the colours are chosen to land on the intended
// entries with room to spare.
#include "art_style.h"
#include "core/zoom.h"
#include "felt_background.h"
#include "render/palette.h"
#include "tile_faces.h"
#include "tile_sheet.h"

#include <gtest/gtest.h>
#include <set>

namespace kelmar::art {
namespace {

Rgb toRgb(QRgb c) {
    return {uint8_t(qRed(c)), uint8_t(qGreen(c)), uint8_t(qBlue(c))};
}

uint8_t index8(QRgb c) {
    return NearestHalftoneIndex(toRgb(c));
}

uint8_t index4(QRgb c) {
    return NearestStandard16Index(toRgb(c));
}

constexpr uint8_t kDarkBlue16 = 4;
constexpr uint8_t kWhite16 = 15;

// Noise that crossed a palette boundary would show as specks.
TEST(PaletteFit, FeltIsOneDarkBlueIn4BitAndOneColourIn8BitAtEveryLevel) {
    for (int percent : kZoomLevels) {
        const QImage felt = makeFeltBackgroundAt(percent);
        std::set<uint8_t> in4, in8;
        for (int y = 0; y < felt.height(); ++y)
            for (int x = 0; x < felt.width(); ++x) {
                in4.insert(index4(felt.pixel(x, y)));
                in8.insert(index8(felt.pixel(x, y)));
            }
        EXPECT_EQ(in4, std::set<uint8_t>{kDarkBlue16}) << percent;
        EXPECT_EQ(in8.size(), 1u) << percent;
    }
}

// The ground of every face is one flat colour (a gradient would dither into
// wedges), and it lands on white in 4 bit and on one light entry in 8 bit.
TEST(PaletteFit, EveryFaceHasOneFlatGroundThatStaysLight) {
    const QImage sheet = makeTileSheet();
    const Rgb ground8 = HalftonePalette()[index8(kIvory.rgb())];
    EXPECT_EQ(index4(kIvory.rgb()), kWhite16);
    EXPECT_GE(std::min({ground8.R, ground8.G, ground8.B}), 200);
    // A gradient would leave hardly a pixel of exactly kIvory.
    for (int kind = kFirstKind; kind <= kLastKind; ++kind) {
        int ivory = 0;
        const QPoint origin = sheetCellOrigin(kind);
        for (int y = 0; y < kFaceHeight; ++y)
            for (int x = 0; x < kFaceWidth; ++x)
                ivory += sheet.pixel(origin + QPoint(x, y)) == kIvory.rgb();
        EXPECT_GT(ivory, kFaceWidth * kFaceHeight / 8) << "kind " << kind;
    }
}

struct InkCase {
    const char* name;
    QColor ink;
    std::set<uint8_t> entries16; // the dark and bright entry of its hue
};

// Suit colours stay apart and keep their hue in 4 bit (blue must not turn
// teal, green must not turn teal).
TEST(PaletteFit, InksKeepTheirHueIn4Bit) {
    const InkCase cases[] = {
        {"blue", kInkBlue, {4, 12}},       {"red", kInkRed, {1, 9}},
        {"green", kInkGreen, {2, 10}},     {"navy", kInkNavy, {4, 12}},
        {"lit rim", kFaceRimLit, {2, 10}}, {"shaded rim", kFaceRimShade, {0, 2}},
    };
    for (const InkCase& c : cases)
        EXPECT_TRUE(c.entries16.count(index4(c.ink.rgb()))) << c.name;
}

} // namespace
} // namespace kelmar::art
