#include "render/shown_picture.h"

#include <algorithm>
#include <cstring>

namespace kelmar {

namespace {

// Bytes [first, last) of a row that hold pixels [x0, x1).
struct ByteSpan {
    std::size_t first;
    std::size_t last;
};

ByteSpan BytesOf(int32_t x0, int32_t x1, int bitsPerPixel) {
    return {static_cast<std::size_t>(x0) * bitsPerPixel / 8,
            (static_cast<std::size_t>(x1) * bitsPerPixel + 7) / 8};
}

int32_t CellCount(int32_t length) {
    return (length + ShownPicture::kCellSide - 1) / ShownPicture::kCellSide;
}

// Copies pixels [x0, x1) of one Bits4 row; an odd end shares its byte with a
// pixel that is not copied, so that half is left as it was.
void CopyNibbles(uint8_t* to, const uint8_t* from, int32_t x0, int32_t x1) {
    if (x0 % 2 == 1 && x0 < x1) {
        to[x0 / 2] = static_cast<uint8_t>((to[x0 / 2] & 0xF0) | (from[x0 / 2] & 0x0F));
        ++x0;
    }
    if (x1 % 2 == 1 && x0 < x1) {
        --x1;
        to[x1 / 2] = static_cast<uint8_t>((to[x1 / 2] & 0x0F) | (from[x1 / 2] & 0xF0));
    }
    if (x0 < x1) {
        std::memcpy(to + x0 / 2, from + x0 / 2, static_cast<std::size_t>(x1 - x0) / 2);
    }
}

} // namespace

bool ShownPicture::fits(const Bitmap& picture, bool copy) const {
    return !known_.empty() && copy == copy_ && picture.format() == format_ &&
           picture.width() == width_ && picture.height() == height_ && picture.stride() == stride_;
}

std::vector<Rect> ShownPicture::changedAreas(const Bitmap& now) const {
    if (now.isEmpty()) {
        return {};
    }
    if (!fits(now, true)) {
        return {Rect{0, 0, now.width(), now.height()}};
    }
    return compare(now, bytes_.data(), stride_);
}

std::vector<Rect> ShownPicture::changedAreas(const Bitmap& now, const ScreenRows& screen) const {
    if (now.isEmpty()) {
        return {};
    }
    if (!fits(now, false) || screen.first == nullptr) {
        return {Rect{0, 0, now.width(), now.height()}};
    }
    return compare(now, screen.first, screen.stride);
}

std::vector<Rect> ShownPicture::compare(const Bitmap& now, const uint8_t* shownFirst,
                                        std::ptrdiff_t shownStride) const {
    const int bits = StorageBitsPerPixel(format_);
    const std::size_t rowBytes = BytesOf(0, width_, bits).last;
    std::vector<Rect> areas;
    std::vector<char> changed(static_cast<std::size_t>(columns_));
    for (int32_t top = 0, band = 0; top < height_; top += kCellSide, ++band) {
        const int32_t bottom = std::min(top + kCellSide, height_);
        for (int32_t column = 0; column < columns_; ++column) {
            changed[column] = !known_[static_cast<std::size_t>(band) * columns_ + column];
        }
        for (int32_t y = top; y < bottom; ++y) {
            const uint8_t* row = now.row(y);
            const uint8_t* shown = shownFirst + y * shownStride;
            // Most rows of a move are untouched: one comparison settles them.
            if (std::memcmp(row, shown, rowBytes) == 0) {
                continue;
            }
            for (int32_t column = 0; column < columns_; ++column) {
                if (!changed[column]) {
                    const int32_t left = column * kCellSide;
                    const ByteSpan span = BytesOf(left, std::min(left + kCellSide, width_), bits);
                    changed[column] = std::memcmp(row + span.first, shown + span.first,
                                                  span.last - span.first) != 0;
                }
            }
        }
        int32_t runStart = -1; // left pixel of the run of changed cells, or -1
        for (int32_t column = 0; column <= columns_; ++column) {
            const bool isChanged = column < columns_ && changed[column] != 0;
            if (isChanged && runStart < 0) {
                runStart = column * kCellSide;
            } else if (!isChanged && runStart >= 0) {
                areas.push_back({runStart, top, std::min(column * kCellSide, width_), bottom});
                runStart = -1;
            }
        }
    }
    return areas;
}

void ShownPicture::record(const Bitmap& now, const Rect& area) {
    mark(now, area, true);
}

void ShownPicture::recordShown(const Bitmap& now, const Rect& area) {
    mark(now, area, false);
}

void ShownPicture::mark(const Bitmap& now, const Rect& area, bool copy) {
    if (now.isEmpty()) {
        forget();
        return;
    }
    if (!fits(now, copy)) {
        format_ = now.format();
        width_ = now.width();
        height_ = now.height();
        stride_ = now.stride();
        columns_ = CellCount(width_);
        copy_ = copy;
        if (copy) {
            bytes_.assign(now.byteCount(), 0);
        } else {
            std::vector<uint8_t>().swap(bytes_); // the memory back, not only the size
        }
        known_.assign(static_cast<std::size_t>(columns_) * CellCount(height_), false);
    }
    const int32_t left = std::max(area.Left, 0);
    const int32_t top = std::max(area.Top, 0);
    const int32_t right = std::min(area.Right, width_);
    const int32_t bottom = std::min(area.Bottom, height_);
    if (left >= right || top >= bottom) {
        return;
    }
    const int bits = StorageBitsPerPixel(format_);
    const ByteSpan span = BytesOf(left, right, bits);
    for (int32_t y = copy ? top : bottom; y < bottom; ++y) {
        uint8_t* shown = bytes_.data() + static_cast<std::size_t>(y) * stride_;
        if (bits == 4) {
            CopyNibbles(shown, now.row(y), left, right);
        } else {
            std::memcpy(shown + span.first, now.row(y) + span.first, span.last - span.first);
        }
    }
    // Cells wholly inside the area are known now; a cell it only touches
    // keeps its state (its other pixels are still as recorded, or unknown).
    for (int32_t band = top / kCellSide; band * kCellSide < bottom; ++band) {
        const int32_t cellTop = band * kCellSide;
        if (cellTop < top || std::min(cellTop + kCellSide, height_) > bottom) {
            continue;
        }
        for (int32_t column = left / kCellSide; column * kCellSide < right; ++column) {
            const int32_t cellLeft = column * kCellSide;
            if (cellLeft >= left && std::min(cellLeft + kCellSide, width_) <= right) {
                known_[static_cast<std::size_t>(band) * columns_ + column] = true;
            }
        }
    }
}

void ShownPicture::forget() {
    known_.clear();
    std::vector<uint8_t>().swap(bytes_);
    width_ = height_ = stride_ = columns_ = 0;
}

} // namespace kelmar
