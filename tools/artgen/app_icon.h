// The program icon: two stacked tiles, the upper one a layer higher (up and
// to the right), showing a red coin. At 16 x 16 it is drawn pixel by pixel
// in the colours of the standard 16-colour palette without antialiasing
// (the window icon); larger sizes are smooth.
#pragma once

#include <QImage>
#include <QString>
#include <array>

namespace kelmar::art {

constexpr std::array<int, 6> kAppIconSizes{16, 32, 48, 64, 128, 256};

// ARGB32 icon of `size` x `size` pixels (any size of at least 16).
QImage makeAppIcon(int size);

// The smooth icon as a scalable SVG document (the same shapes and colours).
QString makeAppIconSvg();

} // namespace kelmar::art
