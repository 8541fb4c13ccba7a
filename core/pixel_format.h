// The pixel format in which all four bitmaps are held. Plain data, shared by
// the renderer (which owns its meaning) and the settings (which persist it).
#pragma once

#include <array>
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

// The seven values in menu order, for code that visits every format.
inline constexpr std::array<PixelFormatSetting, 7> kAllPixelFormats = {
    PixelFormatSetting::Device, PixelFormatSetting::Bits4,  PixelFormatSetting::Bits8,
    PixelFormatSetting::Bits15, PixelFormatSetting::Bits16, PixelFormatSetting::Bits24,
    PixelFormatSetting::Bits32,
};

// The value's name as written in code ("Device", "Bits4", ...), for test
// messages and benchmark labels.
constexpr const char* PixelFormatName(PixelFormatSetting format) {
    switch (format) {
    case PixelFormatSetting::Bits4:
        return "Bits4";
    case PixelFormatSetting::Bits8:
        return "Bits8";
    case PixelFormatSetting::Bits15:
        return "Bits15";
    case PixelFormatSetting::Bits16:
        return "Bits16";
    case PixelFormatSetting::Bits24:
        return "Bits24";
    case PixelFormatSetting::Bits32:
        return "Bits32";
    default:
        return "Device";
    }
}

} // namespace kelmar
