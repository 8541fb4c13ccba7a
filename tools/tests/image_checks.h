// Small measurements on pictures, shared by the art tests.
#pragma once

#include <QImage>
#include <QRect>

namespace kelmar::art::test {

// Mean of |a - b| over the colour channels of two equally sized areas.
double meanDifference(const QImage& a, QRect areaA, const QImage& b, QRect areaB);

// Mean luminance (0..255) over `area`.
double meanLuminance(const QImage& image, QRect area);

// Highest luminance (0..255) in `area`.
int maxLuminance(const QImage& image, QRect area);

inline bool isPureBlack(QRgb c) {
    return (c & 0xFFFFFF) == 0;
}

} // namespace kelmar::art::test
