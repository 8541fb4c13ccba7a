#include "image_checks.h"

#include <algorithm>
#include <cstdlib>

namespace kelmar::art::test {

namespace {
int luminance(QRgb c) {
    return (299 * qRed(c) + 587 * qGreen(c) + 114 * qBlue(c)) / 1000;
}
} // namespace

double meanDifference(const QImage& a, QRect areaA, const QImage& b, QRect areaB) {
    double sum = 0;
    for (int y = 0; y < areaA.height(); ++y)
        for (int x = 0; x < areaA.width(); ++x) {
            const QRgb p = a.pixel(areaA.x() + x, areaA.y() + y);
            const QRgb q = b.pixel(areaB.x() + x, areaB.y() + y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                   std::abs(qBlue(p) - qBlue(q));
        }
    return sum / (3.0 * areaA.width() * areaA.height());
}

double meanLuminance(const QImage& image, QRect area) {
    double sum = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            sum += luminance(image.pixel(x, y));
    return sum / (area.width() * area.height());
}

int maxLuminance(const QImage& image, QRect area) {
    int best = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            best = std::max(best, luminance(image.pixel(x, y)));
    return best;
}

} // namespace kelmar::art::test
