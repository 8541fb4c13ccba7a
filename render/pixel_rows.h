// Row-wise conversion between the stored pixels of a format and 0xFFRRGGBB
// words (QRgb layout). Internal to the render library.
#pragma once

#include "core/pixel_format.h"
#include "render/bitmap.h"

#include <cstdint>

namespace kelmar {

// The stored word of a colour 0x??RRGGBB (top byte ignored): the top 5 bits
// of each channel, 6 of green in Bits16; the spare top bit of Bits15 is 0.
constexpr uint32_t EncodeWord15(uint32_t v) {
    return ((v >> 9) & 0x7C00) | ((v >> 6) & 0x03E0) | ((v >> 3) & 0x001F);
}
constexpr uint32_t EncodeWord16(uint32_t v) {
    return ((v >> 8) & 0xF800) | ((v >> 5) & 0x07E0) | ((v >> 3) & 0x001F);
}

// The colour 0xFFRRGGBB of a stored Bits15 / Bits16 word (spare bit
// ignored): each channel widened to 8 bits by repeating its top bits, so
// that full channels become 255.
constexpr uint32_t DecodeWord15(uint32_t w) {
    const uint32_t r = (w >> 10) & 31, g = (w >> 5) & 31, b = w & 31;
    return 0xFF000000u | (((r << 3) | (r >> 2)) << 16) | (((g << 3) | (g >> 2)) << 8) |
           ((b << 3) | (b >> 2));
}
constexpr uint32_t DecodeWord16(uint32_t w) {
    const uint32_t r = (w >> 11) & 31, g = (w >> 5) & 63, b = w & 31;
    return 0xFF000000u | (((r << 3) | (r >> 2)) << 16) | (((g << 2) | (g >> 4)) << 8) |
           ((b << 3) | (b >> 2));
}

// Reads pixels x0 .. x0+count-1 of one stored row into `out` as 0xFFRRGGBB.
// `format` must be normalised.
void DecodeRow(PixelFormatSetting format, const uint8_t* row, int32_t x0, int32_t count,
               uint32_t* out);

// Stores `count` colours (0x??RRGGBB, top byte ignored) as pixels x0 ..
// x0+count-1 of one row. Indexed formats take the nearest palette entry.
// With ColourKey::Black only pure black is stored as colour value 0.
void EncodeRow(PixelFormatSetting format, const uint32_t* in, int32_t x0, int32_t count,
               uint8_t* row, ColourKey key = ColourKey::None);

} // namespace kelmar
