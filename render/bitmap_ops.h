// Whole-picture conversion and the raster copies between bitmaps.
//
// Every copy takes a source rectangle (right and bottom exclusive) and the
// destination top-left corner, and clips against both bitmaps: the parts of
// the rectangle outside the source or landing outside the destination are
// skipped, so no rectangle, however far outside, writes outside a buffer.
// When the two formats differ, the source pixels are converted by colour on
// the way (the renderer always passes bitmaps of one format, which is fast).
#pragma once

#include "core/geometry.h"
#include "core/pixel_format.h"
#include "render/bitmap.h"

#include <cstdint>
#include <vector>

namespace kelmar {

// Converts the picture to `format`, keeping its size and colours as far as
// the format can hold them; `key` as for the picture's use (ColourKey::Black
// for one drawn with black transparent). Same format: no change at all
// (stored bytes kept).
void ConvertBitmap(Bitmap& bitmap, PixelFormatSetting format, ColourKey key = ColourKey::None);
// The converted copy of `source`.
Bitmap ConvertedBitmap(const Bitmap& source, PixelFormatSetting format,
                       ColourKey key = ColourKey::None);

// SRCCOPY: the source pixels replace the destination pixels.
void CopyRect(Bitmap& dst, int32_t dx, int32_t dy, const Bitmap& src, const Rect& srcRect);

// Like CopyRect, but source pixels of colour value 0 (black) leave the
// destination unchanged.
void CopyTransparent(Bitmap& dst, int32_t dx, int32_t dy, const Bitmap& src, const Rect& srcRect);

// The horizontal runs of pixels of a bitmap that are not colour value 0,
// row by row: runs [Begin, End) of row y are Runs[RowStart[y]] ..
// Runs[RowStart[y + 1] - 1]. Lets a picture with a fixed transparent colour
// be drawn many times with plain row copies.
struct OpaqueRuns {
    struct Run {
        int32_t Begin;
        int32_t End;
    };
    std::vector<int32_t> RowStart;
    std::vector<Run> Runs;
};

// Fills `runs` for `src` (reusing its storage).
void FindOpaqueRuns(const Bitmap& src, OpaqueRuns& runs);

// `out` := `runs` without the pixels inside `hole` (in the coordinates of the
// runs' picture; right and bottom exclusive). Reuses out's storage; `out`
// must not be `runs`.
void CutOpaqueRuns(const OpaqueRuns& runs, const Rect& hole, OpaqueRuns& out);

// The same effect as CopyTransparent of the whole of `src` to (dx, dy), using
// the runs FindOpaqueRuns found for `src` (or those runs after CutOpaqueRuns:
// then the hole's pixels are left as they were). Bitmaps of different
// formats go through CopyTransparent.
void CopyOpaqueRuns(Bitmap& dst, int32_t dx, int32_t dy, const Bitmap& src, const OpaqueRuns& runs);

// MERGEPAINT (raster code 0xBB0226): every stored bit becomes
// (NOT source bit) OR destination bit. In Device format all four bytes of a
// pixel take part; the X byte stays 0xFF.
void MergePaint(Bitmap& dst, int32_t dx, int32_t dy, const Bitmap& src, const Rect& srcRect);

// Fills a rectangle with one colour (clipped).
void FillRect(Bitmap& dst, const Rect& rect, Rgb colour);

} // namespace kelmar
