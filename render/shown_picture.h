// What the screen shows of a picture, so that a new version of the picture
// need only be sent where it differs.
//
// The picture is seen in square cells of kCellSide pixels (the last column
// and row of cells may be narrower). A cell is known once a single record has
// covered all of it since the record last started anew (a picture of another
// size or format, or the other kind of record); a cell that is not known
// counts as changed.
// Two kinds of record: a copy of the picture's bytes, or, where the screen's
// own pixels hold the picture's bytes unchanged (ScreenRows), only which
// cells are known, the bytes being read from the screen's pixels when
// compared. Comparing is exact (bytes, not a hash) either way, so a changed
// pixel is never missed.
#pragma once

#include "core/geometry.h"
#include "core/pixel_format.h"
#include "render/bitmap.h"

#include <cstdint>
#include <vector>

namespace kelmar {

// Bytes laid out as the picture's own rows, kept by someone else (the
// window's pixels): row y of the picture is shown at first + y * stride.
struct ScreenRows {
    const uint8_t* first = nullptr;
    std::ptrdiff_t stride = 0;
};

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
    // The same against the bytes the screen shows, for a record made with
    // recordShown. `screen` must hold all of `now`'s rows.
    std::vector<Rect> changedAreas(const Bitmap& now, const ScreenRows& screen) const;

    // Records that the screen now shows `area` of `now` (clipped to the
    // picture), keeping a copy of its bytes. Starts a new, empty record when
    // `now` has another size or format than the record, or the record was
    // made with recordShown.
    void record(const Bitmap& now, const Rect& area);
    // The same without a copy: the screen's pixels hold the bytes (compare
    // with the ScreenRows overload). Frees a copy kept before.
    void recordShown(const Bitmap& now, const Rect& area);

    // Forgets everything: every cell counts as changed.
    void forget();

private:
    bool fits(const Bitmap& picture, bool copy) const;
    std::vector<Rect> compare(const Bitmap& now, const uint8_t* shownFirst,
                              std::ptrdiff_t shownStride) const;
    void mark(const Bitmap& now, const Rect& area, bool copy);

    PixelFormatSetting format_ = PixelFormatSetting::Device;
    int32_t width_ = 0;
    int32_t height_ = 0;
    int32_t stride_ = 0;
    int32_t columns_ = 0; // cells across
    bool copy_ = true;    // the record keeps the bytes in bytes_
    std::vector<uint8_t> bytes_;
    std::vector<bool> known_; // per cell, row by row
};

} // namespace kelmar
