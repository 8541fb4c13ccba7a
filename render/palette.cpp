#include "render/palette.h"

#include <vector>

namespace kelmar {
namespace {

constexpr Rgb Complement(Rgb c) {
    return {static_cast<uint8_t>(255 - c.R), static_cast<uint8_t>(255 - c.G),
            static_cast<uint8_t>(255 - c.B)};
}

constexpr bool LessThan(Rgb a, Rgb b) {
    if (a.R != b.R) {
        return a.R < b.R;
    }
    if (a.G != b.G) {
        return a.G < b.G;
    }
    return a.B < b.B;
}

// Entries 0..127 are chosen; entry 255 - i is always the complement of entry
// i. 0..107: the darker half of the 6x6x6 cube (black first), 108..127:
// greys and dark standard colours that the cube lacks.
std::array<Rgb, 256> BuildHalftone() {
    std::array<Rgb, 256> palette{};
    int next = 0;
    constexpr uint8_t kLevels[6] = {0, 51, 102, 153, 204, 255};
    for (uint8_t r : kLevels) {
        for (uint8_t g : kLevels) {
            for (uint8_t b : kLevels) {
                const Rgb c{r, g, b};
                if (LessThan(c, Complement(c))) {
                    palette[next++] = c;
                }
            }
        }
    }
    // Greys at values that a 5-bit channel widens to exactly ((v << 3) | (v >> 2)),
    // avoiding the cells of the cube levels, so that every entry maps back to
    // itself through the lookup cube (conversions there and back are exact).
    constexpr Rgb kExtras[20] = {
        {8, 8, 8},       {16, 16, 16},    {24, 24, 24},    {33, 33, 33},  {41, 41, 41},
        {57, 57, 57},    {66, 66, 66},    {74, 74, 74},    {82, 82, 82},  {90, 90, 90},
        {107, 107, 107}, {115, 115, 115}, {123, 123, 123}, {128, 0, 0},   {0, 128, 0},
        {0, 0, 128},     {128, 128, 0},   {128, 0, 128},   {0, 128, 128}, {255, 128, 0},
    };
    for (const Rgb& c : kExtras) {
        palette[next++] = c;
    }
    for (int i = 0; i < 128; ++i) {
        palette[255 - i] = Complement(palette[i]);
    }
    return palette;
}

template <std::size_t N> std::vector<uint8_t> BuildCube(const std::array<Rgb, N>& palette) {
    std::vector<uint8_t> cube(32 * 32 * 32);
    for (int r5 = 0; r5 < 32; ++r5) {
        for (int g5 = 0; g5 < 32; ++g5) {
            for (int b5 = 0; b5 < 32; ++b5) {
                // Representative colour of the cell: the 5-bit value widened.
                const int r = (r5 << 3) | (r5 >> 2);
                const int g = (g5 << 3) | (g5 >> 2);
                const int b = (b5 << 3) | (b5 >> 2);
                int best = 0;
                int bestDistance = 1 << 30;
                for (std::size_t i = 0; i < N; ++i) {
                    const int dr = r - palette[i].R;
                    const int dg = g - palette[i].G;
                    const int db = b - palette[i].B;
                    const int d = dr * dr + dg * dg + db * db;
                    if (d < bestDistance) {
                        bestDistance = d;
                        best = static_cast<int>(i);
                    }
                }
                cube[(r5 << 10) | (g5 << 5) | b5] = static_cast<uint8_t>(best);
            }
        }
    }
    return cube;
}

inline int CubeKey(Rgb c) {
    return ((c.R >> 3) << 10) | ((c.G >> 3) << 5) | (c.B >> 3);
}

// The non-black entry whose direction in RGB space is closest to (r, g, b),
// which must not be (0, 0, 0); the nearer one when directions are equal.
// Cosines are compared without division: cos^2 = dot^2 / (|c|^2 |p|^2), the
// |c|^2 is common; all products stay below 2^63.
template <std::size_t N>
uint8_t SimilarHueEntry(const std::array<Rgb, N>& palette, int r, int g, int b) {
    std::size_t best = 0;
    int64_t bestDot2 = 0;
    int64_t bestNorm = 1;
    int64_t bestDistance = 0;
    for (std::size_t i = 1; i < N; ++i) {
        const Rgb& p = palette[i];
        const int64_t dot = int64_t{r} * p.R + int64_t{g} * p.G + int64_t{b} * p.B;
        const int64_t norm = int64_t{p.R} * p.R + int64_t{p.G} * p.G + int64_t{p.B} * p.B;
        const int64_t dr = r - p.R, dg = g - p.G, db = b - p.B;
        const int64_t distance = dr * dr + dg * dg + db * db;
        const int64_t lhs = dot * dot * bestNorm;
        const int64_t rhs = bestDot2 * norm;
        if (best == 0 || lhs > rhs || (lhs == rhs && distance < bestDistance)) {
            best = i;
            bestDot2 = dot * dot;
            bestNorm = norm;
            bestDistance = distance;
        }
    }
    return static_cast<uint8_t>(best);
}

// The ordinary cube with every black cell replaced by SimilarHueEntry of the
// cell's centre colour (never black itself, so it has a direction).
template <std::size_t N>
std::vector<uint8_t> BuildNonBlackCube(const std::array<Rgb, N>& palette,
                                       std::vector<uint8_t> cube) {
    for (int key = 0; key < 32 * 32 * 32; ++key) {
        if (cube[key] == 0) {
            const int r = (((key >> 10) & 31) << 3) + 4;
            const int g = (((key >> 5) & 31) << 3) + 4;
            const int b = ((key & 31) << 3) + 4;
            cube[key] = SimilarHueEntry(palette, r, g, b);
        }
    }
    return cube;
}

} // namespace

const std::array<Rgb, 256>& HalftonePalette() {
    static const std::array<Rgb, 256> palette = BuildHalftone();
    return palette;
}

const std::array<Rgb, 16>& StandardPalette16() {
    static const std::array<Rgb, 16> palette = {{
        {0, 0, 0},
        {128, 0, 0},
        {0, 128, 0},
        {128, 128, 0},
        {0, 0, 128},
        {128, 0, 128},
        {0, 128, 128},
        {192, 192, 192},
        {128, 128, 128},
        {255, 0, 0},
        {0, 255, 0},
        {255, 255, 0},
        {0, 0, 255},
        {255, 0, 255},
        {0, 255, 255},
        {255, 255, 255},
    }};
    return palette;
}

uint8_t NearestHalftoneIndex(Rgb c) {
    static const std::vector<uint8_t> cube = BuildCube(HalftonePalette());
    return cube[CubeKey(c)];
}

uint8_t NearestStandard16Index(Rgb c) {
    static const std::vector<uint8_t> cube = BuildCube(StandardPalette16());
    return cube[CubeKey(c)];
}

uint8_t NearestNonBlackHalftoneIndex(Rgb c) {
    static const std::vector<uint8_t> cube =
        BuildNonBlackCube(HalftonePalette(), BuildCube(HalftonePalette()));
    return cube[CubeKey(c)];
}

uint8_t NearestNonBlackStandard16Index(Rgb c) {
    static const std::vector<uint8_t> cube =
        BuildNonBlackCube(StandardPalette16(), BuildCube(StandardPalette16()));
    return cube[CubeKey(c)];
}

} // namespace kelmar
