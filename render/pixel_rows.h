// Row-wise conversion between the stored pixels of a format and 0xFFRRGGBB
// words (QRgb layout). Internal to the render library.
#pragma once

#include "core/pixel_format.h"
#include "render/bitmap.h"

#include <cstdint>

namespace kelmar {

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
