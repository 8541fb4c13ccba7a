// What the screen shows of a picture, so that a new version of the picture
// need only be sent where it differs.
//
// The record is a copy of the picture's bytes in square cells of kCellSide
// pixels (the last column and row of cells may be narrower). A cell is known
// once a single record has covered all of it since the record last started
// anew (a picture of another size or format); a cell that is not known counts
// as changed.
// Comparing is exact (bytes, not a hash), so a changed pixel is never missed.
#pragma once

#include "core/geometry.h"
#include "core/pixel_format.h"
#include "render/bitmap.h"

#include <cstdint>
#include <vector>

namespace kelmar {

class ShownPicture {
public:
    // Cell side in picture pixels. Even, so that a cell starts on a byte in
    // Bits4 (two pixels to the byte).
    static constexpr int32_t kCellSide = 32;

    // The parts of `now` that differ from the record: changed cells, with
    // neighbouring changed cells of one row of cells joined into one
    // rectangle, in `now`'s pixels, top to bottom and left to right. The
    // whole picture (one rectangle) when the record holds another size or
    // format; nothing for an empty picture.
    std::vector<Rect> changedAreas(const Bitmap& now) const;

    // Records that the screen now shows `area` of `now` (clipped to the
    // picture). Starts a new, empty record when `now` has another size or
    // format than the record.
    void record(const Bitmap& now, const Rect& area);

    // Forgets everything: every cell counts as changed.
    void forget();

private:
    bool fits(const Bitmap& picture) const;

    PixelFormatSetting format_ = PixelFormatSetting::Device;
    int32_t width_ = 0;
    int32_t height_ = 0;
    int32_t stride_ = 0;
    int32_t columns_ = 0; // cells across
    std::vector<uint8_t> bytes_;
    std::vector<bool> known_; // per cell, row by row
};

} // namespace kelmar
