#include "felt_background.h"

#include "core/zoom.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace kelmar::art {
namespace {

// A small hash so the texture needs no random-number state.
uint32_t hash(uint32_t x, uint32_t y, uint32_t seed) {
    uint32_t h = seed ^ (x * 0x8DA6B343u) ^ (y * 0xD8163841u);
    h ^= h >> 13;
    h *= 0x5BD1E995u;
    h ^= h >> 15;
    return h;
}

double unit(uint32_t h) {
    return (h & 0xFFFFFF) / double(0xFFFFFF);
}

// Value noise on a lattice of `cells` x `cells` that wraps at the picture's
// edge, smoothly interpolated; returns 0..1.
double periodicNoise(double x, double y, int cells, uint32_t seed) {
    const double scale = double(cells) / kFeltSize;
    const double gx = x * scale, gy = y * scale;
    const int x0 = int(std::floor(gx)), y0 = int(std::floor(gy));
    const double fx = gx - x0, fy = gy - y0;
    auto at = [&](int ix, int iy) {
        const uint32_t wx = uint32_t(((ix % cells) + cells) % cells);
        const uint32_t wy = uint32_t(((iy % cells) + cells) % cells);
        return unit(hash(wx, wy, seed + uint32_t(cells)));
    };
    auto smooth = [](double t) { return t * t * (3 - 2 * t); };
    const double sx = smooth(fx), sy = smooth(fy);
    const double top = at(x0, y0) + (at(x0 + 1, y0) - at(x0, y0)) * sx;
    const double bottom = at(x0, y0 + 1) + (at(x0 + 1, y0 + 1) - at(x0, y0 + 1)) * sx;
    return top + (bottom - top) * sy;
}

} // namespace

QImage makeFeltBackground(uint32_t seed, QColor base, int percent) {
    const int size = ScaleLength(kFeltSize, percent);
    QImage felt(size, size, QImage::Format_RGB32);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            // The noise lattice is laid in 100 % pixels; nx, ny are the
            // pixel's place on it (x, y themselves at 100).
            const double nx = x * 100.0 / percent;
            const double ny = y * 100.0 / percent;
            // Broad mottling, a finer cloudiness and per-pixel grain; the
            // sum stays within -16 % .. +11 % of the base colour.
            double v = 0.05 * (periodicNoise(nx, ny, 4, seed) - 0.5) +
                       0.05 * (periodicNoise(nx, ny, 16, seed) - 0.5) +
                       0.05 * (periodicNoise(nx, ny, 64, seed) - 0.5) +
                       0.07 * (unit(hash(uint32_t(x), uint32_t(y), seed)) - 0.5);
            // Scattered darker grains read as fibres of the cloth.
            if ((hash(uint32_t(x), uint32_t(y), seed ^ 0xF1B3u) & 31) == 0)
                v -= 0.05;
            const double f = 1.0 + v;
            felt.setPixel(x, y,
                          qRgb(std::clamp(int(std::lround(base.red() * f)), 1, 255),
                               std::clamp(int(std::lround(base.green() * f)), 1, 255),
                               std::clamp(int(std::lround(base.blue() * f)), 1, 255)));
        }
    }
    return felt;
}

QImage makeFeltBackgroundAt(int percent) {
    return makeFeltBackground(kFeltSeed, kFeltBase, percent);
}

} // namespace kelmar::art
