#include "render/bitmap.h"

#include "render/graphics_error.h"
#include "render/pixel_rows.h"

#include <algorithm>
#include <cstring>

namespace kelmar {

PixelFormatSetting NormalizePixelFormat(PixelFormatSetting format) {
    return PixelFormatFromCode(static_cast<int>(format));
}

int BitsPerPixel(PixelFormatSetting format) {
    switch (NormalizePixelFormat(format)) {
    case PixelFormatSetting::Bits4:
        return 4;
    case PixelFormatSetting::Bits8:
        return 8;
    case PixelFormatSetting::Bits15:
        return 15;
    case PixelFormatSetting::Bits16:
        return 16;
    case PixelFormatSetting::Bits24:
        return 24;
    default:
        return 32;
    }
}

int StorageBitsPerPixel(PixelFormatSetting format) {
    const int bits = BitsPerPixel(format);
    return bits == 15 ? 16 : bits;
}

int32_t RowStride(int32_t width, PixelFormatSetting format) {
    const int64_t bits = static_cast<int64_t>(std::max(width, 0)) * StorageBitsPerPixel(format);
    return static_cast<int32_t>((bits + 31) / 32 * 4);
}

Bitmap::Bitmap(int32_t width, int32_t height, PixelFormatSetting format)
    : format_(NormalizePixelFormat(format)) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width > kMaxBitmapSide || height > kMaxBitmapSide) {
        throw InvalidBitmapError();
    }
    width_ = width;
    height_ = height;
    stride_ = RowStride(width, format_);
    bytes_.resize(static_cast<std::size_t>(stride_) * height_); // zeros: black but in Device
    if (format_ == PixelFormatSetting::Device) {
        fillBlack();
    }
}

void Bitmap::fillBlack() {
    if (format_ != PixelFormatSetting::Device || isEmpty()) {
        std::fill(bytes_.begin(), bytes_.end(), uint8_t{0});
        return;
    }
    // Black with the X byte set, like every Device pixel: the first row
    // pixel by pixel, the others copied from it.
    constexpr uint32_t kBlack = 0xFF000000u;
    for (int32_t x = 0; x < width_; ++x) {
        std::memcpy(row(0) + std::size_t{4} * x, &kBlack, 4);
    }
    for (int32_t y = 1; y < height_; ++y) {
        std::memcpy(row(y), row(0), static_cast<std::size_t>(stride_));
    }
}

void Bitmap::reset(int32_t width, int32_t height, PixelFormatSetting format) {
    format = NormalizePixelFormat(format);
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width > kMaxBitmapSide || height > kMaxBitmapSide) {
        throw InvalidBitmapError();
    }
    const int32_t stride = RowStride(width, format);
    const std::size_t size = static_cast<std::size_t>(stride) * height;
    if (size > bytes_.capacity() || size < bytes_.capacity() / 2) {
        std::vector<uint8_t>().swap(bytes_); // freed before the new storage is taken
    }
    format_ = format;
    width_ = width;
    height_ = height;
    stride_ = stride;
    bytes_.resize(size);
    fillBlack();
}

uint32_t Bitmap::rawPixel(int32_t x, int32_t y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        return 0;
    }
    const uint8_t* p = row(y);
    switch (format_) {
    case PixelFormatSetting::Bits4: {
        const uint8_t byte = p[x >> 1];
        return (x & 1) ? (byte & 0x0F) : (byte >> 4);
    }
    case PixelFormatSetting::Bits8:
        return p[x];
    case PixelFormatSetting::Bits15:
    case PixelFormatSetting::Bits16:
        return p[2 * x] | (p[2 * x + 1] << 8);
    case PixelFormatSetting::Bits24:
        return (p[3 * x + 2] << 16) | (p[3 * x + 1] << 8) | p[3 * x];
    default: {
        uint32_t v;
        std::memcpy(&v, p + 4 * x, 4);
        return v;
    }
    }
}

void Bitmap::setRawPixel(int32_t x, int32_t y, uint32_t value) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        return;
    }
    uint8_t* p = row(y);
    switch (format_) {
    case PixelFormatSetting::Bits4: {
        uint8_t& byte = p[x >> 1];
        const uint8_t nibble = value & 0x0F;
        byte = (x & 1) ? static_cast<uint8_t>((byte & 0xF0) | nibble)
                       : static_cast<uint8_t>((byte & 0x0F) | (nibble << 4));
        return;
    }
    case PixelFormatSetting::Bits8:
        p[x] = static_cast<uint8_t>(value);
        return;
    case PixelFormatSetting::Bits15:
    case PixelFormatSetting::Bits16:
        p[2 * x] = static_cast<uint8_t>(value);
        p[2 * x + 1] = static_cast<uint8_t>(value >> 8);
        return;
    case PixelFormatSetting::Bits24:
        p[3 * x] = static_cast<uint8_t>(value);
        p[3 * x + 1] = static_cast<uint8_t>(value >> 8);
        p[3 * x + 2] = static_cast<uint8_t>(value >> 16);
        return;
    default:
        std::memcpy(p + 4 * x, &value, 4);
        return;
    }
}

Rgb Bitmap::pixel(int32_t x, int32_t y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        return {};
    }
    return DecodeColour(format_, rawPixel(x, y));
}

void Bitmap::setPixel(int32_t x, int32_t y, Rgb c) {
    setRawPixel(x, y, EncodeColour(format_, c));
}

void Bitmap::resize(int32_t width, int32_t height) {
    if (width == width_ && height == height_) {
        return; // nothing moves; no second picture held for a moment
    }
    Bitmap resized(width, height, format_);
    const int32_t rows = std::min(height_, resized.height_);
    const int32_t bytes = std::min(stride_, resized.stride_);
    for (int32_t y = 0; y < rows; ++y) {
        std::memcpy(resized.row(y), row(y), static_cast<std::size_t>(bytes));
    }
    // Pixels past the old right edge that shared the last copied bytes (or
    // the row padding) must be black, not stale padding.
    if (resized.width_ > width_) {
        for (int32_t y = 0; y < rows; ++y) {
            for (int32_t x = width_; x < resized.width_; ++x) {
                resized.setRawPixel(x, y, EncodeColour(format_, Rgb{}));
            }
        }
    }
    *this = std::move(resized);
}

uint32_t EncodeColour(PixelFormatSetting format, Rgb c) {
    const uint32_t in = (c.R << 16) | (c.G << 8) | c.B;
    uint8_t bytes[4] = {0, 0, 0, 0};
    format = NormalizePixelFormat(format);
    EncodeRow(format, &in, 0, 1, bytes);
    switch (format) {
    case PixelFormatSetting::Bits4:
        return bytes[0] >> 4;
    case PixelFormatSetting::Bits8:
        return bytes[0];
    case PixelFormatSetting::Bits15:
    case PixelFormatSetting::Bits16:
        return bytes[0] | (bytes[1] << 8);
    case PixelFormatSetting::Bits24:
        return (bytes[2] << 16) | (bytes[1] << 8) | bytes[0];
    default: {
        uint32_t v;
        std::memcpy(&v, bytes, 4);
        return v;
    }
    }
}

Rgb DecodeColour(PixelFormatSetting format, uint32_t raw) {
    format = NormalizePixelFormat(format);
    uint8_t bytes[4];
    switch (format) {
    case PixelFormatSetting::Bits4:
        bytes[0] = static_cast<uint8_t>((raw & 0x0F) << 4);
        break;
    case PixelFormatSetting::Bits24:
        bytes[0] = static_cast<uint8_t>(raw);
        bytes[1] = static_cast<uint8_t>(raw >> 8);
        bytes[2] = static_cast<uint8_t>(raw >> 16);
        break;
    default:
        std::memcpy(bytes, &raw, 4);
        break;
    }
    uint32_t out = 0;
    DecodeRow(format, bytes, 0, 1, &out);
    return {static_cast<uint8_t>(out >> 16), static_cast<uint8_t>(out >> 8),
            static_cast<uint8_t>(out)};
}

} // namespace kelmar
