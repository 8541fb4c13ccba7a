// The background tile KLBack.bmp: a calm blue-grey felt, 128 x 128 pixels,
// seamless when repeated (every noise layer has a period dividing 128).
#pragma once

#include <QColor>
#include <QImage>
#include <cstdint>

namespace kelmar::art {

constexpr int kFeltSize = 128;

// Deterministic: the same seed gives the same picture on every build.
QImage makeFeltBackground(uint32_t seed = 0x4B454C4Du, QColor base = QColor(46, 70, 96));

} // namespace kelmar::art
