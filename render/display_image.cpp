#include "render/display_image.h"

#include "render/pixel_rows.h"

#include <algorithm>
#include <cstring>

namespace kelmar {

namespace {

// Writes pixels [left, right) of rows [top, bottom) of `src` into `dst`, an
// RGB32 image of the same size; the bounds lie inside the picture.
void ConvertArea(const Bitmap& src, QImage& dst, const Rect& area) {
    for (int32_t y = area.Top; y < area.Bottom; ++y) {
        auto* out = reinterpret_cast<uint32_t*>(dst.scanLine(y));
        if (src.format() == PixelFormatSetting::Device) {
            std::memcpy(out + area.Left, src.row(y) + std::size_t{4} * area.Left,
                        static_cast<std::size_t>(area.width()) * 4);
        } else {
            DecodeRow(src.format(), src.row(y), area.Left, area.width(), out + area.Left);
        }
    }
}

// Makes `dst` an RGB32 image of `src`'s size, keeping it if it already is.
// False when there is nothing to convert.
bool PrepareImage(const Bitmap& src, QImage& dst) {
    if (dst.size() != QSize(src.width(), src.height()) || dst.format() != QImage::Format_RGB32) {
        dst = QImage(src.width(), src.height(), QImage::Format_RGB32);
    }
    return !src.isEmpty() && !dst.isNull();
}

} // namespace

void BitmapToImage(const Bitmap& src, QImage& dst) {
    if (PrepareImage(src, dst)) {
        ConvertArea(src, dst, {0, 0, src.width(), src.height()});
    }
}

QImage BitmapToImage(const Bitmap& src) {
    QImage image;
    BitmapToImage(src, image);
    return image;
}

QImage DisplayImage(const Bitmap& src, QImage& scratch) {
    if (src.format() == PixelFormatSetting::Device && !src.isEmpty()) {
        scratch = QImage(); // not needed while the format stays Device
        return QImage(src.row(0), src.width(), src.height(), src.stride(), QImage::Format_RGB32);
    }
    BitmapToImage(src, scratch);
    return scratch;
}

QImage DisplayImage(const Bitmap& src, QImage& scratch, const Rect& area) {
    if (src.format() == PixelFormatSetting::Device) {
        return DisplayImage(src, scratch);
    }
    const Rect clipped{std::max(area.Left, 0), std::max(area.Top, 0),
                       std::min(area.Right, src.width()), std::min(area.Bottom, src.height())};
    if (PrepareImage(src, scratch) && clipped.Left < clipped.Right &&
        clipped.Top < clipped.Bottom) {
        ConvertArea(src, scratch, clipped);
    }
    return scratch;
}

} // namespace kelmar
