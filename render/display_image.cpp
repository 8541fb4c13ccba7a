#include "render/display_image.h"

#include "render/pixel_rows.h"

#include <cstring>

namespace kelmar {

void BitmapToImage(const Bitmap& src, QImage& dst) {
    if (dst.size() != QSize(src.width(), src.height()) || dst.format() != QImage::Format_RGB32) {
        dst = QImage(src.width(), src.height(), QImage::Format_RGB32);
    }
    if (src.isEmpty() || dst.isNull()) {
        return;
    }
    const auto rowBytes = static_cast<std::size_t>(src.width()) * 4;
    for (int32_t y = 0; y < src.height(); ++y) {
        auto* out = reinterpret_cast<uint32_t*>(dst.scanLine(y));
        if (src.format() == PixelFormatSetting::Device) {
            std::memcpy(out, src.row(y), rowBytes);
        } else {
            DecodeRow(src.format(), src.row(y), 0, src.width(), out);
        }
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

} // namespace kelmar
