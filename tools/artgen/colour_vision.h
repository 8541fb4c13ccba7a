// How a picture looks to a red-green colour-blind eye: the simulation of
// Machado, Oliveira and Fernandes (2009) at full severity, applied in linear
// sRGB. Used to review the tile sets and to check that every face stays
// apart without its colours.
#pragma once

#include <QImage>

namespace kelmar::art {

enum class ColourVision { Protanopia, Deuteranopia };

// `image` as seen with `vision`, RGB32, the same size.
QImage simulateColourVision(const QImage& image, ColourVision vision);

// The luminance (0..255, Rec. 709 weights on the sRGB values) at which a
// shape stands out from what lies beside it even without colour.
constexpr int kShapeContrast = 48;

// How many pixels of two pictures of the same size differ in luminance by
// at least `minDifference`: how much of them tells them apart with the
// colour taken away.
int pixelsApartInLuminance(const QImage& a, const QImage& b, int minDifference = kShapeContrast);

} // namespace kelmar::art
