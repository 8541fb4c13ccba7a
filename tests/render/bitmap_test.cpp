// Pixel layouts, palettes, conversion and the clipped raster copies.
#include "render/bitmap.h"
#include "render/bitmap_ops.h"
#include "render/display_image.h"
#include "render/graphics_error.h"
#include "render/palette.h"
#include "render_test_support.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <gtest/gtest.h>
#include <iterator>
#include <tuple>

namespace kelmar {
namespace {

using test::FormatName;
using test::kAllFormats;

// The stored bytes of pixel 1 of a one-row bitmap after setPixel.
struct LayoutCase {
    PixelFormatSetting format;
    Rgb colour;
    std::vector<uint8_t> rowStart; // the first bytes of the row
};

TEST(BitmapLayout, PixelBytesFollowEachFormatsRowLayout) {
    const LayoutCase cases[] = {
        // Bits4: pixel 0 in the high nibble; red is index 9, white 15.
        {PixelFormatSetting::Bits4, {255, 0, 0}, {0x09}},
        {PixelFormatSetting::Bits15, {255, 0, 0}, {0, 0, 0x00, 0x7C}},
        {PixelFormatSetting::Bits15, {0, 255, 0}, {0, 0, 0xE0, 0x03}},
        {PixelFormatSetting::Bits16, {255, 0, 0}, {0, 0, 0x00, 0xF8}},
        {PixelFormatSetting::Bits16, {0, 255, 0}, {0, 0, 0xE0, 0x07}},
        {PixelFormatSetting::Bits16, {0, 0, 255}, {0, 0, 0x1F, 0x00}},
        {PixelFormatSetting::Bits24, {1, 2, 3}, {0, 0, 0, 3, 2, 1}},
        {PixelFormatSetting::Bits32, {1, 2, 3}, {0, 0, 0, 0, 3, 2, 1, 0}},
        {PixelFormatSetting::Device, {1, 2, 3}, {0, 0, 0, 0xFF, 3, 2, 1, 0xFF}},
    };
    for (const LayoutCase& c : cases) {
        Bitmap bitmap(3, 1, c.format);
        bitmap.setPixel(1, 0, c.colour);
        const std::vector<uint8_t> start(bitmap.row(0), bitmap.row(0) + c.rowStart.size());
        EXPECT_EQ(start, c.rowStart) << FormatName(c.format);
        EXPECT_EQ(bitmap.pixel(1, 0), c.colour) << FormatName(c.format);
    }
    Bitmap four(2, 1, PixelFormatSetting::Bits4);
    four.setPixel(0, 0, {255, 255, 255});
    EXPECT_EQ(four.row(0)[0], 0xF0) << "left pixel in the high nibble";
}

TEST(BitmapLayout, RowsArePaddedToFourBytes) {
    for (PixelFormatSetting format : kAllFormats) {
        for (int32_t width = 1; width <= 9; ++width) {
            const Bitmap bitmap(width, 2, format);
            const int bits = StorageBitsPerPixel(format);
            EXPECT_EQ(bitmap.stride() % 4, 0) << FormatName(format) << " width " << width;
            EXPECT_GE(bitmap.stride() * 8, width * bits);
            EXPECT_LT((bitmap.stride() - 4) * 8, width * bits);
        }
    }
}

TEST(BitmapLayout, UnknownCodesActAsDeviceAndHugeSizesAreRefused) {
    EXPECT_EQ(Bitmap(1, 1, static_cast<PixelFormatSetting>(1)).format(),
              PixelFormatSetting::Device);
    EXPECT_EQ(Bitmap(1, 1, static_cast<PixelFormatSetting>(12)).format(),
              PixelFormatSetting::Device);
    EXPECT_TRUE(Bitmap(-5, 3, PixelFormatSetting::Bits8).isEmpty());
    EXPECT_THROW(Bitmap(kMaxBitmapSide + 1, 1, PixelFormatSetting::Bits8), GraphicsError);
    // Points outside read as black and are not written.
    Bitmap bitmap(2, 2, PixelFormatSetting::Bits24);
    bitmap.setPixel(-1, 0, {9, 9, 9});
    bitmap.setPixel(2, 1, {9, 9, 9});
    EXPECT_EQ(bitmap.pixel(5, 5), Rgb{});
    EXPECT_EQ(test::Bytes(bitmap), std::vector<uint8_t>(bitmap.byteCount(), 0));
}

TEST(Palettes, BlackOnlyAtIndexZeroAndEveryEntryMapsBackToItself) {
    const auto& halftone = HalftonePalette();
    const auto& standard = StandardPalette16();
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(halftone[i] == Rgb{}, i == 0) << i;
        EXPECT_EQ(NearestHalftoneIndex(halftone[i]), i) << i;
        const Rgb& c = halftone[i];
        EXPECT_EQ(halftone[255 - i],
                  (Rgb{static_cast<uint8_t>(255 - c.R), static_cast<uint8_t>(255 - c.G),
                       static_cast<uint8_t>(255 - c.B)}))
            << "inverting index " << i << " must give the inverse colour";
    }
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(standard[i] == Rgb{}, i == 0) << i;
        EXPECT_EQ(NearestStandard16Index(standard[i]), i) << i;
    }
    EXPECT_EQ(standard[15], (Rgb{255, 255, 255}));
    EXPECT_EQ(NearestStandard16Index({250, 10, 5}), 9) << "near-red gives bright red";
}

// The lookups for keyed pictures never give black, agree with the plain
// lookup wherever that is not black, and keep the hue of near-black colours.
TEST(Palettes, NonBlackLookupsAvoidIndexZeroAndKeepTheHue) {
    const auto& halftone = HalftonePalette();
    const auto& standard = StandardPalette16();
    for (int key = 0; key < 32 * 32 * 32; ++key) {
        const Rgb c{static_cast<uint8_t>((key >> 10) << 3), static_cast<uint8_t>((key >> 5) << 3),
                    static_cast<uint8_t>(key << 3)};
        const uint8_t h = NearestNonBlackHalftoneIndex(c);
        const uint8_t s = NearestNonBlackStandard16Index(c);
        ASSERT_NE(h, 0) << key;
        ASSERT_NE(s, 0) << key;
        if (NearestHalftoneIndex(c) != 0) {
            ASSERT_EQ(h, NearestHalftoneIndex(c)) << key;
        }
        if (NearestStandard16Index(c) != 0) {
            ASSERT_EQ(s, NearestStandard16Index(c)) << key;
        }
    }
    const struct {
        Rgb colour;
        Rgb standard; // expected Bits4 colour
        Rgb halftone; // expected Bits8 colour
    } cases[] = {
        {{1, 1, 1}, {128, 128, 128}, {8, 8, 8}},
        {{30, 30, 30}, {128, 128, 128}, {24, 24, 24}},
        {{34, 38, 36}, {128, 128, 128}, {33, 33, 33}},
        {{40, 0, 0}, {128, 0, 0}, {51, 0, 0}},
        {{0, 0, 44}, {0, 0, 128}, {0, 0, 51}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(standard[NearestNonBlackStandard16Index(c.colour)], c.standard)
            << int{c.colour.R} << "," << int{c.colour.G} << "," << int{c.colour.B};
        EXPECT_EQ(halftone[NearestNonBlackHalftoneIndex(c.colour)], c.halftone)
            << int{c.colour.R} << "," << int{c.colour.G} << "," << int{c.colour.B};
    }
}

// Keyed conversion (a picture drawn with black transparent): only pure black
// becomes colour value 0; 5-bit truncation and palette rounding of near-black
// colours give the dimmest value of about the same hue instead.
TEST(Conversion, KeyedConversionStoresValueZeroOnlyForPureBlack) {
    const Rgb colours[] = {{0, 0, 0}, {1, 1, 1}, {8, 8, 8}, {30, 30, 30},
                           {3, 0, 0}, {0, 2, 0}, {0, 0, 7}, {200, 100, 50}};
    Bitmap source(static_cast<int32_t>(std::size(colours)), 1, PixelFormatSetting::Bits24);
    for (int32_t x = 0; x < source.width(); ++x) {
        source.setPixel(x, 0, colours[x]);
    }
    for (PixelFormatSetting format : kAllFormats) {
        const Bitmap keyed = ConvertedBitmap(source, format, ColourKey::Black);
        const Bitmap plain = ConvertedBitmap(source, format);
        for (int32_t x = 0; x < source.width(); ++x) {
            EXPECT_EQ(keyed.pixel(x, 0) == Rgb{}, x == 0) << FormatName(format) << " " << x;
            if (plain.pixel(x, 0) != Rgb{}) {
                EXPECT_EQ(keyed.rawPixel(x, 0), plain.rawPixel(x, 0)) << FormatName(format);
            }
        }
    }
    // 5-bit channels: each non-zero channel at its lowest level.
    const Bitmap b15 = ConvertedBitmap(source, PixelFormatSetting::Bits15, ColourKey::Black);
    const Bitmap b16 = ConvertedBitmap(source, PixelFormatSetting::Bits16, ColourKey::Black);
    EXPECT_EQ(b15.rawPixel(1, 0), 0x0421u);
    EXPECT_EQ(b15.rawPixel(4, 0), 0x0400u);
    EXPECT_EQ(b16.rawPixel(1, 0), 0x0821u);
    EXPECT_EQ(b16.rawPixel(5, 0), 0x0020u);
    EXPECT_EQ(b16.rawPixel(6, 0), 0x0001u);
}

// Converting to another format and back gives the same stored picture for
// every picture that format can hold; the colours stay within the format's
// precision on the way.
TEST(Conversion, RoundTripsKeepThePicture) {
    for (PixelFormatSetting format : kAllFormats) {
        const Bitmap original =
            ConvertedBitmap(test::Noise(37, 11, PixelFormatSetting::Bits24, 7), format);
        for (PixelFormatSetting via : kAllFormats) {
            if (BitsPerPixel(via) < BitsPerPixel(format)) {
                continue; // a smaller format cannot hold it
            }
            const Bitmap back = ConvertedBitmap(ConvertedBitmap(original, via), format);
            for (int32_t y = 0; y < original.height(); ++y) {
                for (int32_t x = 0; x < original.width(); ++x) {
                    ASSERT_EQ(back.pixel(x, y), original.pixel(x, y))
                        << FormatName(format) << " via " << FormatName(via) << " at " << x << ","
                        << y;
                }
            }
        }
    }
}

// The screen shows each format as its conversion to RGB32; a Device bitmap is
// shown from its own bytes, so a change to it shows at the next paint.
TEST(DisplayImage, ShowsEveryFormatAsItsConversionAndDeviceWithoutACopy) {
    for (PixelFormatSetting format : kAllFormats) {
        Bitmap bitmap = ConvertedBitmap(test::Noise(37, 11, PixelFormatSetting::Bits24, 5), format);
        QImage scratch;
        const QImage shown = DisplayImage(bitmap, scratch);
        const QImage expected = BitmapToImage(bitmap);
        ASSERT_EQ(shown.size(), expected.size()) << FormatName(format);
        for (int y = 0; y < shown.height(); ++y) {
            for (int x = 0; x < shown.width(); ++x) {
                ASSERT_EQ(shown.pixel(x, y) & 0xFFFFFFu, expected.pixel(x, y) & 0xFFFFFFu)
                    << FormatName(format) << " at " << x << "," << y;
            }
        }
        const bool shared = shown.constBits() == bitmap.row(0);
        EXPECT_EQ(shared, format == PixelFormatSetting::Device) << FormatName(format);
        EXPECT_EQ(scratch.isNull(), format == PixelFormatSetting::Device) << FormatName(format);
    }
}

TEST(Conversion, SameFormatKeepsTheStoredBytes) {
    Bitmap bitmap = test::Noise(5, 3, PixelFormatSetting::Bits32, 11); // fourth bytes set
    const auto before = test::Bytes(bitmap);
    ConvertBitmap(bitmap, PixelFormatSetting::Bits32);
    EXPECT_EQ(test::Bytes(bitmap), before);
}

// A plain model of the three copies, pixel by pixel with explicit bounds,
// to hold the fast paths (whole rows, Bits4 nibble shifting) against.
enum class Op { Copy, Transparent, Merge };

void ModelCopy(Bitmap& dst, int32_t dx, int32_t dy, const Bitmap& src, const Rect& r, Op op) {
    const uint32_t bits = StorageBitsPerPixel(src.format());
    const uint32_t mask = bits == 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
    // Only source pixels can be copied: walk the rectangle's part inside it.
    for (int64_t y = std::max<int64_t>(r.Top, 0); y < std::min<int64_t>(r.Bottom, src.height());
         ++y) {
        for (int64_t x = std::max<int64_t>(r.Left, 0); x < std::min<int64_t>(r.Right, src.width());
             ++x) {
            const int64_t tx = dx + (x - int64_t{r.Left});
            const int64_t ty = dy + (y - int64_t{r.Top});
            if (x < 0 || y < 0 || x >= src.width() || y >= src.height() || tx < 0 || ty < 0 ||
                tx >= dst.width() || ty >= dst.height()) {
                continue;
            }
            const auto sx = static_cast<int32_t>(x), sy = static_cast<int32_t>(y);
            const auto px = static_cast<int32_t>(tx), py = static_cast<int32_t>(ty);
            const uint32_t value = src.rawPixel(sx, sy);
            if (op == Op::Transparent && src.pixel(sx, sy) == Rgb{}) {
                continue;
            }
            dst.setRawPixel(px, py,
                            op == Op::Merge ? ((~value & mask) | dst.rawPixel(px, py)) : value);
        }
    }
}

TEST(RasterCopies, MatchThePixelModelAtEveryAlignmentAndClipping) {
    const int32_t offsets[] = {-40, -3, 0, 1, 2, 7, 26, 29, 33};
    const Rect rects[] = {
        {0, 0, 13, 9},
        {1, 2, 12, 7},
        {3, 1, 4, 2},
        {-5, -4, 8, 6},
        {10, 5, 40, 30},
        {50, 50, 60, 60},
        {INT_MIN, INT_MIN, INT_MAX, INT_MAX},
        {5, 5, 5, 9},
        {INT_MAX - 2, 0, INT_MAX, 4},
    };
    for (PixelFormatSetting format : kAllFormats) {
        const Bitmap src = test::Noise(15, 11, format, 5);
        for (Op op : {Op::Copy, Op::Transparent, Op::Merge}) {
            for (const Rect& rect : rects) {
                for (int32_t dx : offsets) {
                    for (int32_t dy : {-2, 0, 3, 28}) {
                        Bitmap fast = test::Noise(33, 31, format, 9);
                        Bitmap model = fast;
                        if (op == Op::Copy) {
                            CopyRect(fast, dx, dy, src, rect);
                        } else if (op == Op::Transparent) {
                            CopyTransparent(fast, dx, dy, src, rect);
                        } else {
                            MergePaint(fast, dx, dy, src, rect);
                        }
                        ModelCopy(model, dx, dy, src, rect, op);
                        for (int32_t y = 0; y < fast.height(); ++y) {
                            for (int32_t x = 0; x < fast.width(); ++x) {
                                ASSERT_EQ(fast.rawPixel(x, y), model.rawPixel(x, y))
                                    << FormatName(format) << " op " << static_cast<int>(op)
                                    << " rect " << rect.Left << "," << rect.Top << " to " << dx
                                    << "," << dy << " pixel " << x << "," << y;
                            }
                        }
                    }
                }
            }
        }
    }
}

// The frame is drawn through its opaque runs, whole or with the face's
// rectangle cut out: inside the destination (the unclipped fast path) and
// across each of its edges, the result is the transparent copy, and pixels
// of the hole are left as they were.
TEST(OpaqueRuns, DrawLikeTheTransparentCopyAndLeaveTheHoleAlone) {
    const Rect holes[] = {{0, 0, 0, 0}, {3, 1, 10, 6}, {-2, -2, 4, 30}, {5, 0, 40, 2}};
    const struct {
        int32_t dx, dy;
    } places[] = {{0, 0}, {4, 3}, {18, 20}, {-3, 5}, {7, -2}, {25, 26}, {-20, 0}};
    for (PixelFormatSetting format : kAllFormats) {
        // Black pixels in every third place so that rows have several runs.
        Bitmap src = test::Noise(13, 9, format, 3);
        for (int32_t y = 0; y < src.height(); ++y) {
            for (int32_t x = 0; x < src.width(); ++x) {
                if ((x * 7 + y * 3) % 3 == 0 || src.pixel(x, y) == Rgb{}) {
                    src.setRawPixel(x, y, 0);
                }
            }
        }
        OpaqueRuns whole, cut;
        FindOpaqueRuns(src, whole);
        for (const Rect& hole : holes) {
            CutOpaqueRuns(whole, hole, cut);
            for (const auto& place : places) {
                Bitmap drawn = test::Noise(31, 29, format, 8);
                Bitmap model = drawn;
                CopyOpaqueRuns(drawn, place.dx, place.dy, src, cut);
                ModelCopy(model, place.dx, place.dy, src, {0, 0, src.width(), src.height()},
                          Op::Transparent);
                const Bitmap before = test::Noise(31, 29, format, 8);
                for (int32_t y = 0; y < drawn.height(); ++y) {
                    for (int32_t x = 0; x < drawn.width(); ++x) {
                        const int32_t sx = x - place.dx, sy = y - place.dy;
                        const bool inHole = sx >= hole.Left && sx < hole.Right && sy >= hole.Top &&
                                            sy < hole.Bottom;
                        ASSERT_EQ(drawn.rawPixel(x, y),
                                  inHole ? before.rawPixel(x, y) : model.rawPixel(x, y))
                            << FormatName(format) << " hole " << hole.Left << "," << hole.Top
                            << " at " << place.dx << "," << place.dy << " pixel " << x << "," << y;
                    }
                }
            }
        }
    }
}

TEST(RasterCopies, TransparencyIsColourValueZeroWhateverTheSpareBits) {
    // Bits32 black with a fourth byte and Bits15 black with the spare bit set
    // are still colour value 0.
    Bitmap src32(1, 1, PixelFormatSetting::Bits32);
    src32.setRawPixel(0, 0, 0x7F000000u);
    Bitmap dst32 = test::Solid(1, 1, PixelFormatSetting::Bits32, {9, 9, 9});
    CopyTransparent(dst32, 0, 0, src32, {0, 0, 1, 1});
    EXPECT_EQ(dst32.pixel(0, 0), (Rgb{9, 9, 9}));

    Bitmap src15(1, 1, PixelFormatSetting::Bits15);
    src15.setRawPixel(0, 0, 0x8000u);
    Bitmap dst15 = test::Solid(1, 1, PixelFormatSetting::Bits15, {255, 255, 255});
    CopyTransparent(dst15, 0, 0, src15, {0, 0, 1, 1});
    EXPECT_EQ(dst15.pixel(0, 0), (Rgb{255, 255, 255}));
}

TEST(BitmapResize, KeepsTheTopLeftAndBlackensTheRest) {
    Bitmap bitmap = test::Solid(3, 2, PixelFormatSetting::Bits4, {255, 255, 255});
    bitmap.resize(6, 3);
    EXPECT_EQ(bitmap.pixel(2, 1), (Rgb{255, 255, 255}));
    EXPECT_EQ(bitmap.pixel(3, 1), Rgb{}) << "the nibble next to the old edge";
    EXPECT_EQ(bitmap.pixel(0, 2), Rgb{});
}

// A reset picture is black in its new format with nothing of the old one
// left (the X bytes of Device set), whether it reuses the storage or not; the
// storage is reused when the new picture needs at least half of it.
TEST(BitmapReset, BlackInTheNewSizeAndFormatReusingStorageOnlyWhenItFits) {
    struct Case {
        int32_t width;
        int32_t height;
        PixelFormatSetting format;
        bool reused;
    };
    const Case cases[] = {
        {90, 60, PixelFormatSetting::Device, true},   // smaller, more than half
        {100, 70, PixelFormatSetting::Device, true},  // the same
        {101, 70, PixelFormatSetting::Device, false}, // larger
        {40, 40, PixelFormatSetting::Device, false},  // less than half
        {100, 70, PixelFormatSetting::Bits24, true},  // another format, fewer bytes
        {0, 0, PixelFormatSetting::Device, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height) + " " +
                     test::FormatName(c.format));
        Bitmap bitmap = test::Solid(100, 70, PixelFormatSetting::Device, {200, 100, 50});
        const uint8_t* before = bitmap.bits();
        bitmap.reset(c.width, c.height, c.format);
        EXPECT_EQ(bitmap.width(), c.width);
        EXPECT_EQ(bitmap.height(), c.height);
        EXPECT_EQ(bitmap.format(), c.format);
        EXPECT_EQ(bitmap.stride(), RowStride(c.width, c.format));
        if (c.reused) {
            EXPECT_EQ(bitmap.bits(), before); // (freed storage may come back at the same place)
        }
        const Bitmap black(c.width, c.height, c.format);
        ASSERT_EQ(bitmap.byteCount(), black.byteCount());
        EXPECT_TRUE(std::equal(black.bits(), black.bits() + black.byteCount(), bitmap.bits()));
    }
    Bitmap tooLarge(1, 1, PixelFormatSetting::Device);
    EXPECT_THROW(tooLarge.reset(kMaxBitmapSide + 1, 1, PixelFormatSetting::Device), GraphicsError);
}

} // namespace
} // namespace kelmar
