// The background tile KLBack.bmp: a calm dark blue felt, 128 x 128 pixels at
// 100 % (128 x percent/100 at other levels, the same cloth with a grain of
// one pixel), seamless when repeated (every noise layer has a period
// dividing the size).
#pragma once

#include <QColor>
#include <QImage>
#include <cstdint>

namespace kelmar::art {

constexpr int kFeltSize = 128;

// Deterministic: the same seed gives the same picture on every build.
constexpr uint32_t kFeltSeed = 0x4B454C4Du;
inline const QColor kFeltBase{8, 44, 108};

QImage makeFeltBackground(uint32_t seed = kFeltSeed, QColor base = kFeltBase, int percent = 100);
// The game's felt at zoom level `percent`.
QImage makeFeltBackgroundAt(int percent);

} // namespace kelmar::art
