// An off-screen picture in one of the seven pixel formats, with byte access
// to its rows.
//
// Rows are stored top-down: row(0) is the top row. Each row is `stride()`
// bytes, a multiple of 4. Per-row byte layout of pixel x:
//   Bits4   byte x/2; the left pixel (even x) in the high nibble, the right
//           one in the low nibble; each nibble an index into StandardPalette16
//   Bits8   byte x, an index into HalftonePalette
//   Bits15  bytes 2x, 2x+1: little-endian word 0RRRRRGG GGGBBBBB (top bit
//           spare, written as 0)
//   Bits16  bytes 2x, 2x+1: little-endian word RRRRRGGG GGGBBBBB
//   Bits24  bytes 3x..3x+2: blue, green, red
//   Bits32  bytes 4x..4x+3: blue, green, red, fourth byte (0 after conversion)
//   Device  bytes 4x..4x+3: blue, green, red, X (0xFF) -- the layout of the X
//           server and of QImage::Format_RGB32, so it shows without
//           conversion. The highlight of Device works through MergePaint,
//           never on the row bytes.
// A pixel holds "colour value 0" when its colour bits are all zero: index 0,
// word 0 (spare bit ignored), or blue = green = red = 0 (fourth byte ignored).
// That colour is black in every format.
#pragma once

#include "core/pixel_format.h"
#include "render/palette.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kelmar {

// Largest width or height a Bitmap accepts; larger pictures are refused as
// not valid rather than risking a huge allocation.
constexpr int32_t kMaxBitmapSide = 16384;

// How a picture will be drawn, which decides what its conversion may store
// as colour value 0.
//   None   plain conversion: colours near black may become colour value 0
//          (nearest palette entry, 5/6-bit truncation).
//   Black  the picture is drawn with colour value 0 transparent (the tile
//          frame): only pure black (0, 0, 0) is stored as colour value 0.
//          Any other colour whose plain conversion would be 0 is stored as
//          the non-black entry of NearestNonBlackHalftoneIndex /
//          NearestNonBlackStandard16Index (Bits8, Bits4), or in Bits15/Bits16
//          with each of its non-zero channels at the lowest non-zero level,
//          so near-black outlines stay opaque. The true-colour formats keep
//          every colour exactly and need no change.
enum class ColourKey : uint8_t { None, Black };

// Any code outside the seven values acts as Device.
PixelFormatSetting NormalizePixelFormat(PixelFormatSetting format);
// 4, 8, 15, 16, 24, 32; Device counts as 32.
int BitsPerPixel(PixelFormatSetting format);
// Storage bits per pixel: like BitsPerPixel but 16 for Bits15.
int StorageBitsPerPixel(PixelFormatSetting format);
// Row length in bytes for `width` pixels, rounded up to a multiple of 4.
int32_t RowStride(int32_t width, PixelFormatSetting format);

class Bitmap {
public:
    // 0 x 0 in Device format.
    Bitmap() = default;
    // A black picture (every pixel colour value 0, Device X bytes 0xFF).
    // Negative sizes count as 0. Throws GraphicsError ("Bitmap image is not
    // valid") when a side exceeds kMaxBitmapSide.
    Bitmap(int32_t width, int32_t height, PixelFormatSetting format);

    PixelFormatSetting format() const { return format_; }
    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    int32_t stride() const { return stride_; }
    bool isEmpty() const { return width_ == 0 || height_ == 0; }

    // Row y (0 = top), valid for 0 <= y < height(); stride() bytes.
    uint8_t* row(int32_t y) { return bytes_.data() + static_cast<std::size_t>(y) * stride_; }
    const uint8_t* row(int32_t y) const {
        return bytes_.data() + static_cast<std::size_t>(y) * stride_;
    }
    uint8_t* bits() { return bytes_.data(); }
    const uint8_t* bits() const { return bytes_.data(); }
    std::size_t byteCount() const { return bytes_.size(); }

    // The stored value of a pixel: the palette index (Bits4, Bits8), the
    // 16-bit word (Bits15, Bits16), 0x00RRGGBB (Bits24) or the little-endian
    // 32-bit word (Bits32, Device: fourth byte in bits 24..31).
    // 0 for a point outside the picture.
    uint32_t rawPixel(int32_t x, int32_t y) const;
    // Stores a raw value (masked to the pixel's width); outside: no effect.
    void setRawPixel(int32_t x, int32_t y, uint32_t value);
    // The colour of a pixel; black outside the picture.
    Rgb pixel(int32_t x, int32_t y) const;
    // Stores `c` in the bitmap's format (nearest palette entry in Bits4 and
    // Bits8, reduced to 5/6 bits in Bits15/16); outside: no effect.
    void setPixel(int32_t x, int32_t y, Rgb c);

    // Changes the size, keeping the overlapping top-left part of the picture;
    // new pixels are black. Same limits as the constructor.
    void resize(int32_t width, int32_t height);
    // A black picture of the new size and format, as the constructor makes
    // it, in the storage the bitmap has when that is large enough and not
    // more than twice what is needed (a picture redrawn at every step of a
    // resize neither gets fresh pages each time nor holds a large size for
    // long). Otherwise the old storage is freed before the new one is
    // taken, so the two are never held at once. Same limits as the
    // constructor.
    void reset(int32_t width, int32_t height, PixelFormatSetting format);

private:
    void fillBlack();

    PixelFormatSetting format_ = PixelFormatSetting::Device;
    int32_t width_ = 0;
    int32_t height_ = 0;
    int32_t stride_ = 0;
    std::vector<uint8_t> bytes_;
};

// Encodes a colour as the raw value of `format` (see Bitmap::rawPixel).
uint32_t EncodeColour(PixelFormatSetting format, Rgb c);
// Decodes a raw value of `format` into its colour.
Rgb DecodeColour(PixelFormatSetting format, uint32_t raw);

} // namespace kelmar
