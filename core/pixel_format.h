// The pixel format in which all four bitmaps are held. Plain data, shared by
// the renderer (which owns its meaning) and the settings (which persist it).
#pragma once

#include <cstdint>

namespace kelmar {

// The in-memory code follows device, 1, 4, 8, 15, 16, 24, 32 bits per pixel;
// code 1 is never used and any code outside the table acts as Device.
enum class PixelFormatSetting : uint8_t {
    Device = 0,
    Bits4 = 2,
    Bits8 = 3,
    Bits15 = 4,
    Bits16 = 5,
    Bits24 = 6,
    Bits32 = 7,
};

// Maps any stored code to one of the seven values (unknown codes give Device).
constexpr PixelFormatSetting PixelFormatFromCode(int code) {
    switch (code) {
    case 2:
        return PixelFormatSetting::Bits4;
    case 3:
        return PixelFormatSetting::Bits8;
    case 4:
        return PixelFormatSetting::Bits15;
    case 5:
        return PixelFormatSetting::Bits16;
    case 6:
        return PixelFormatSetting::Bits24;
    case 7:
        return PixelFormatSetting::Bits32;
    default:
        return PixelFormatSetting::Device;
    }
}

} // namespace kelmar
