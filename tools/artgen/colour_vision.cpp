#include "colour_vision.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace kelmar::art {
namespace {

using Matrix = std::array<std::array<double, 3>, 3>;

// Rows give the simulated linear red, green and blue.
constexpr Matrix kProtanopia{{{0.152286, 1.052583, -0.204868},
                              {0.114503, 0.786281, 0.099216},
                              {-0.003882, -0.048116, 1.051998}}};
constexpr Matrix kDeuteranopia{{{0.367322, 0.860646, -0.227968},
                                {0.280085, 0.672501, 0.047413},
                                {-0.011820, 0.042940, 0.968881}}};

double toLinear(int channel) {
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

int toSrgb(double linear) {
    const double c = std::clamp(linear, 0.0, 1.0);
    const double s = c <= 0.0031308 ? c * 12.92 : 1.055 * std::pow(c, 1 / 2.4) - 0.055;
    return static_cast<int>(std::lround(s * 255));
}

double luminance(QRgb c) {
    return 0.2126 * qRed(c) + 0.7152 * qGreen(c) + 0.0722 * qBlue(c);
}

} // namespace

QImage simulateColourVision(const QImage& image, ColourVision vision) {
    const Matrix& m = vision == ColourVision::Protanopia ? kProtanopia : kDeuteranopia;
    std::array<double, 256> linear{};
    for (int i = 0; i < 256; ++i)
        linear[static_cast<std::size_t>(i)] = toLinear(i);
    QImage out = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const std::array<double, 3> in{linear[static_cast<std::size_t>(qRed(row[x]))],
                                           linear[static_cast<std::size_t>(qGreen(row[x]))],
                                           linear[static_cast<std::size_t>(qBlue(row[x]))]};
            std::array<int, 3> rgb{};
            for (std::size_t i = 0; i < 3; ++i)
                rgb[i] = toSrgb(m[i][0] * in[0] + m[i][1] * in[1] + m[i][2] * in[2]);
            row[x] = qRgb(rgb[0], rgb[1], rgb[2]);
        }
    }
    return out;
}

int pixelsApartInLuminance(const QImage& a, const QImage& b, int minDifference) {
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (std::abs(luminance(a.pixel(x, y)) - luminance(b.pixel(x, y))) >= minDifference)
                ++count;
    return count;
}

} // namespace kelmar::art
