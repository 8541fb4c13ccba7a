#include "render/pixel_rows.h"

#include "render/palette.h"

#include <array>
#include <cstring>
#include <vector>

namespace kelmar {
namespace {

constexpr uint32_t Pack(Rgb c) {
    return 0xFF000000u | (c.R << 16) | (c.G << 8) | c.B;
}

constexpr Rgb Unpack(uint32_t v) {
    return {static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
}

// Lookup tables from a stored 16-bit word to 0xFFRRGGBB.
std::vector<uint32_t> BuildWordTable(bool sixBitGreen) {
    std::vector<uint32_t> table(65536);
    for (uint32_t w = 0; w < 65536; ++w) {
        table[w] = sixBitGreen ? DecodeWord16(w) : DecodeWord15(w);
    }
    return table;
}

const std::vector<uint32_t>& Table15() {
    static const std::vector<uint32_t> table = BuildWordTable(false);
    return table;
}

const std::vector<uint32_t>& Table16() {
    static const std::vector<uint32_t> table = BuildWordTable(true);
    return table;
}

template <std::size_t N> std::array<uint32_t, N> PackPalette(const std::array<Rgb, N>& palette) {
    std::array<uint32_t, N> packed{};
    for (std::size_t i = 0; i < N; ++i) {
        packed[i] = Pack(palette[i]);
    }
    return packed;
}

const std::array<uint32_t, 256>& Packed256() {
    static const std::array<uint32_t, 256> table = PackPalette(HalftonePalette());
    return table;
}

const std::array<uint32_t, 16>& Packed16() {
    static const std::array<uint32_t, 16> table = PackPalette(StandardPalette16());
    return table;
}

inline uint16_t LoadWord(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

inline void StoreWord(uint8_t* p, uint32_t w) {
    p[0] = static_cast<uint8_t>(w);
    p[1] = static_cast<uint8_t>(w >> 8);
}

void Decode4(const uint8_t* row, int32_t x0, int32_t count, uint32_t* out) {
    const auto& pal = Packed16();
    for (int32_t i = 0; i < count; ++i) {
        const int32_t x = x0 + i;
        const uint8_t byte = row[x >> 1];
        out[i] = pal[(x & 1) ? (byte & 0x0F) : (byte >> 4)];
    }
}

void Encode4(const uint32_t* in, int32_t x0, int32_t count, uint8_t* row) {
    for (int32_t i = 0; i < count; ++i) {
        const int32_t x = x0 + i;
        const uint8_t index = NearestStandard16Index(Unpack(in[i]));
        uint8_t& byte = row[x >> 1];
        byte = (x & 1) ? static_cast<uint8_t>((byte & 0xF0) | index)
                       : static_cast<uint8_t>((byte & 0x0F) | (index << 4));
    }
}

void EncodeRowPlain(PixelFormatSetting format, const uint32_t* in, int32_t x0, int32_t count,
                    uint8_t* row) {
    switch (format) {
    case PixelFormatSetting::Bits4:
        Encode4(in, x0, count, row);
        return;
    case PixelFormatSetting::Bits8:
        for (int32_t i = 0; i < count; ++i) {
            row[x0 + i] = NearestHalftoneIndex(Unpack(in[i]));
        }
        return;
    case PixelFormatSetting::Bits15: {
        uint8_t* p = row + 2 * x0;
        for (int32_t i = 0; i < count; ++i, p += 2) {
            const uint32_t v = in[i];
            StoreWord(p, EncodeWord15(v));
        }
        return;
    }
    case PixelFormatSetting::Bits16: {
        uint8_t* p = row + 2 * x0;
        for (int32_t i = 0; i < count; ++i, p += 2) {
            const uint32_t v = in[i];
            StoreWord(p, EncodeWord16(v));
        }
        return;
    }
    case PixelFormatSetting::Bits24: {
        uint8_t* p = row + 3 * x0;
        for (int32_t i = 0; i < count; ++i, p += 3) {
            p[0] = static_cast<uint8_t>(in[i]);
            p[1] = static_cast<uint8_t>(in[i] >> 8);
            p[2] = static_cast<uint8_t>(in[i] >> 16);
        }
        return;
    }
    case PixelFormatSetting::Bits32: {
        uint8_t* p = row + 4 * x0;
        for (int32_t i = 0; i < count; ++i, p += 4) {
            const uint32_t v = in[i] & 0x00FFFFFFu; // fourth byte 0, as a plain 32-bit DIB
            std::memcpy(p, &v, 4);
        }
        return;
    }
    case PixelFormatSetting::Device:
    default: {
        uint8_t* p = row + 4 * x0;
        for (int32_t i = 0; i < count; ++i, p += 4) {
            const uint32_t v = in[i] | 0xFF000000u;
            std::memcpy(p, &v, 4);
        }
        return;
    }
    }
}

// The lowest non-zero level in each channel that is non-zero in `c`:
// the dimmest word of about the same hue.
uint32_t DimmestWord(uint32_t c, uint32_t redOne, uint32_t greenOne) {
    return ((c & 0xFF0000u) ? redOne : 0) | ((c & 0x00FF00u) ? greenOne : 0) |
           ((c & 0x0000FFu) ? 1u : 0);
}

// ColourKey::Black after the plain encoding: every pixel that was stored as
// colour value 0 although its colour is not pure black gets a non-zero value.
// The true-colour formats store such colours exactly and are not passed here.
void KeepNonBlackOpaque(PixelFormatSetting format, const uint32_t* in, int32_t x0, int32_t count,
                        uint8_t* row) {
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t c = in[i] & 0x00FFFFFFu;
        if (c == 0) {
            continue;
        }
        const int32_t x = x0 + i;
        switch (format) {
        case PixelFormatSetting::Bits4: {
            uint8_t& byte = row[x >> 1];
            const int shift = (x & 1) ? 0 : 4;
            if (((byte >> shift) & 0x0F) == 0) {
                byte = static_cast<uint8_t>(byte |
                                            (NearestNonBlackStandard16Index(Unpack(c)) << shift));
            }
            break;
        }
        case PixelFormatSetting::Bits8:
            if (row[x] == 0) {
                row[x] = NearestNonBlackHalftoneIndex(Unpack(c));
            }
            break;
        case PixelFormatSetting::Bits15:
            if ((LoadWord(row + 2 * x) & 0x7FFF) == 0) {
                StoreWord(row + 2 * x, DimmestWord(c, 0x0400, 0x0020));
            }
            break;
        case PixelFormatSetting::Bits16:
            if (LoadWord(row + 2 * x) == 0) {
                StoreWord(row + 2 * x, DimmestWord(c, 0x0800, 0x0020));
            }
            break;
        default:
            return;
        }
    }
}

} // namespace

void DecodeRow(PixelFormatSetting format, const uint8_t* row, int32_t x0, int32_t count,
               uint32_t* out) {
    switch (format) {
    case PixelFormatSetting::Bits4:
        Decode4(row, x0, count, out);
        return;
    case PixelFormatSetting::Bits8: {
        const auto& pal = Packed256();
        for (int32_t i = 0; i < count; ++i) {
            out[i] = pal[row[x0 + i]];
        }
        return;
    }
    case PixelFormatSetting::Bits15:
    case PixelFormatSetting::Bits16: {
        const auto& table = format == PixelFormatSetting::Bits15 ? Table15() : Table16();
        const uint8_t* p = row + 2 * x0;
        for (int32_t i = 0; i < count; ++i, p += 2) {
            out[i] = table[LoadWord(p)];
        }
        return;
    }
    case PixelFormatSetting::Bits24: {
        const uint8_t* p = row + 3 * x0;
        for (int32_t i = 0; i < count; ++i, p += 3) {
            out[i] = 0xFF000000u | (p[2] << 16) | (p[1] << 8) | p[0];
        }
        return;
    }
    case PixelFormatSetting::Bits32:
    case PixelFormatSetting::Device:
    default: {
        std::memcpy(out, row + 4 * x0, static_cast<std::size_t>(count) * 4);
        for (int32_t i = 0; i < count; ++i) {
            out[i] |= 0xFF000000u;
        }
        return;
    }
    }
}

void EncodeRow(PixelFormatSetting format, const uint32_t* in, int32_t x0, int32_t count,
               uint8_t* row, ColourKey key) {
    EncodeRowPlain(format, in, x0, count, row);
    if (key == ColourKey::Black) {
        KeepNonBlackOpaque(format, in, x0, count, row);
    }
}

} // namespace kelmar
