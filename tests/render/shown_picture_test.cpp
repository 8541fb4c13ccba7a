#include "core/pixel_format.h"
#include "render/shown_picture.h"
#include "tests/render/render_test_support.h"

#include <gtest/gtest.h>

namespace kelmar {
namespace {

// 101 x 70: the last column of cells is 5 pixels wide (odd, so in Bits4 it
// ends in half a byte) and the last row of cells 6 pixels high.
constexpr int32_t kWidth = 101;
constexpr int32_t kHeight = 70;

Bitmap Picture(PixelFormatSetting format) {
    Bitmap picture(kWidth, kHeight, format);
    for (int32_t y = 0; y < kHeight; ++y) {
        for (int32_t x = 0; x < kWidth; ++x) {
            picture.setRawPixel(x, y, static_cast<uint32_t>(x * 7 + y * 3) % 13);
        }
    }
    return picture;
}

void Flip(Bitmap& picture, int32_t x, int32_t y) {
    picture.setRawPixel(x, y, picture.rawPixel(x, y) ^ 1u);
}

const Rect kWhole{0, 0, kWidth, kHeight};

class ShownPictureFormats : public testing::TestWithParam<PixelFormatSetting> {};

// One changed pixel anywhere, including the first and last pixel of a cell
// and of the narrow last cells, is reported as exactly its cell.
TEST_P(ShownPictureFormats, AChangedPixelIsReportedAsItsCell) {
    struct Case {
        int32_t x, y;
        Rect cell;
    };
    const Case cases[] = {
        {0, 0, {0, 0, 32, 32}},
        {31, 31, {0, 0, 32, 32}},
        {32, 0, {32, 0, 64, 32}},
        {63, 33, {32, 32, 64, 64}},
        {96, 64, {96, 64, kWidth, kHeight}},
        {100, 69, {96, 64, kWidth, kHeight}},
        {1, 69, {0, 64, 32, kHeight}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "pixel " << c.x << ", " << c.y);
        Bitmap picture = Picture(GetParam());
        ShownPicture shown;
        shown.record(picture, kWhole);
        EXPECT_TRUE(shown.changedAreas(picture).empty());
        Flip(picture, c.x, c.y);
        EXPECT_EQ(shown.changedAreas(picture), std::vector<Rect>{c.cell});
        shown.record(picture, c.cell);
        EXPECT_TRUE(shown.changedAreas(picture).empty());
    }
}

INSTANTIATE_TEST_SUITE_P(EveryFormat, ShownPictureFormats, testing::ValuesIn(kAllPixelFormats),
                         [](const auto& info) { return test::FormatName(info.param); });

TEST(ShownPicture, NeighbouringChangedCellsOfARowJoinAndOthersStayApart) {
    Bitmap picture = Picture(PixelFormatSetting::Device);
    ShownPicture shown;
    shown.record(picture, kWhole);
    Flip(picture, 5, 5);   // cell 0 of band 0
    Flip(picture, 40, 10); // cell 1 of band 0, joins cell 0
    Flip(picture, 99, 20); // cell 3 of band 0, apart
    Flip(picture, 40, 40); // band 1
    const std::vector<Rect> expected{{0, 0, 64, 32}, {96, 0, kWidth, 32}, {32, 32, 64, 64}};
    EXPECT_EQ(shown.changedAreas(picture), expected);
}

// Whatever was not recorded, or was recorded for another picture, counts as
// changed: a stale part of the screen must never be taken as current.
TEST(ShownPicture, WhatWasNotRecordedCountsAsChanged) {
    const Bitmap picture = Picture(PixelFormatSetting::Device);
    ShownPicture shown;
    EXPECT_EQ(shown.changedAreas(picture), std::vector<Rect>{kWhole});

    // Parts of a cell recorded on an empty record leave it unknown, even
    // when they add up to the whole cell; only one record of all of it
    // makes it known.
    shown.record(picture, {0, 0, 20, 32});
    shown.record(picture, {20, 0, 32, 32});
    EXPECT_EQ(shown.changedAreas(picture).front(), (Rect{0, 0, kWidth, 32}));
    shown.record(picture, {0, 0, 32, 32});
    EXPECT_EQ(shown.changedAreas(picture).front(), (Rect{32, 0, kWidth, 32}));

    shown.record(picture, kWhole);
    const Bitmap otherSize(kWidth + 1, kHeight, PixelFormatSetting::Device);
    EXPECT_EQ(shown.changedAreas(otherSize), std::vector<Rect>{(Rect{0, 0, kWidth + 1, kHeight})});
    const Bitmap otherFormat = Picture(PixelFormatSetting::Bits32);
    EXPECT_EQ(shown.changedAreas(otherFormat), std::vector<Rect>{kWhole});

    shown.forget();
    EXPECT_EQ(shown.changedAreas(picture), std::vector<Rect>{kWhole});
    EXPECT_TRUE(shown.changedAreas(Bitmap()).empty());
}

// A record that starts or ends in the middle of a Bits4 byte takes only its
// own half: the pixel beside it keeps its old record, so when the picture
// goes back to what the screen still shows there, nothing is reported, and
// when it differs, it is.
TEST(ShownPicture, HalfBytesOfFourBitPicturesAreRecordedAlone) {
    Bitmap picture = Picture(PixelFormatSetting::Bits4);
    ShownPicture shown;
    shown.record(picture, kWhole);
    const uint32_t before = picture.rawPixel(32, 3);
    Flip(picture, 32, 3); // left of the recorded area, same byte as 33
    Flip(picture, 35, 3); // right of it, same byte as 34
    shown.record(picture, {33, 0, 35, 32});
    ASSERT_EQ(shown.changedAreas(picture), std::vector<Rect>{(Rect{32, 0, 64, 32})});
    picture.setRawPixel(32, 3, before);
    Flip(picture, 35, 3);
    EXPECT_TRUE(shown.changedAreas(picture).empty());
}

TEST(ShownPicture, AreasOutsideThePictureAreClipped) {
    const Bitmap picture = Picture(PixelFormatSetting::Bits24);
    ShownPicture shown;
    shown.record(picture, {-50, -50, kWidth + 50, kHeight + 50});
    EXPECT_TRUE(shown.changedAreas(picture).empty());
    shown.record(picture, {kWidth, 0, kWidth + 10, 10}); // wholly outside: no effect
    EXPECT_TRUE(shown.changedAreas(picture).empty());
}

// A record without a copy reads the bytes from the screen's own pixels: what
// the screen shows is the truth, whether the picture or the screen changed,
// and bytes of the screen beside the picture's rows (a wider window) are
// never read.
TEST(ShownPicture, WithoutACopyTheScreensOwnBytesAreCompared) {
    const Bitmap picture = Picture(PixelFormatSetting::Device);
    const std::ptrdiff_t rowBytes = std::ptrdiff_t{kWidth} * 4;
    const std::ptrdiff_t stride = rowBytes + 12; // and some pixels beyond the board
    std::vector<uint8_t> window(static_cast<std::size_t>(stride) * kHeight, 0xAB);
    for (int32_t y = 0; y < kHeight; ++y) {
        std::copy_n(picture.row(y), rowBytes, window.data() + y * stride);
    }
    const ScreenRows screen{window.data(), stride};
    ShownPicture shown;
    EXPECT_EQ(shown.changedAreas(picture, screen), std::vector<Rect>{kWhole}) << "nothing known";
    shown.recordShown(picture, kWhole);
    EXPECT_TRUE(shown.changedAreas(picture, screen).empty());

    struct Case {
        bool inPicture; // else the screen's byte changes
        int32_t x, y;
        Rect cell;
    };
    for (const Case& c :
         {Case{true, 0, 0, {0, 0, 32, 32}}, Case{false, 100, 69, {96, 64, kWidth, kHeight}},
          Case{false, 33, 40, {32, 32, 64, 64}}}) {
        SCOPED_TRACE(testing::Message() << "pixel " << c.x << ", " << c.y);
        Bitmap now = picture;
        uint8_t& shownByte = window[static_cast<std::size_t>(c.y * stride + c.x * 4 + 1)];
        const uint8_t before = shownByte;
        if (c.inPicture) {
            Flip(now, c.x, c.y);
        } else {
            shownByte ^= 0x40;
        }
        EXPECT_EQ(shown.changedAreas(now, screen), std::vector<Rect>{c.cell});
        shownByte = before;
    }
    window[static_cast<std::size_t>(rowBytes + 3)] ^= 0xFF; // beside row 0
    EXPECT_TRUE(shown.changedAreas(picture, screen).empty());

    // Each kind of record starts anew when the other is asked or made.
    EXPECT_EQ(shown.changedAreas(picture), std::vector<Rect>{kWhole});
    shown.record(picture, kWhole);
    EXPECT_EQ(shown.changedAreas(picture, screen), std::vector<Rect>{kWhole});
    EXPECT_TRUE(shown.changedAreas(picture).empty());
    EXPECT_EQ(shown.changedAreas(picture, ScreenRows{}), std::vector<Rect>{kWhole});
}

} // namespace
} // namespace kelmar
