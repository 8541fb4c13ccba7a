// How the pictures fare in the game's seven pixel formats: the highlight's
// colour difference in Device, and a review sheet of every face converted
// and highlighted by the game's own conversion and byte rules.
#pragma once

#include "board_preview.h"
#include "core/pixel_format.h"

#include <QImage>
#include <QRgb>

namespace kelmar::art {

// CIE76 colour difference of two sRGB colours (Euclidean in CIE L*a*b*, D65).
double deltaE76(QRgb a, QRgb b);

// Mean difference between each face (kinds 1..42) of `sheet` and the same
// face merge-painted with the sheet's mask cell (the Device highlight):
// over every pixel of every face, and over the pixels within kFaceRimWidth
// board pixels of the face edge (the ring) alone.
struct HighlightDifference {
    double mean = 0;
    double ring = 0;
};
HighlightDifference measureHighlight(const QImage& sheet, int percent = 100);

// All 42 faces and a felt patch in each of the seven pixel formats, each
// face once as drawn and once highlighted, converted and highlighted by the
// game's renderer, shown back as RGB.
QImage makeFormatSheet(const TilePictures& pictures, const QImage& felt);

// Mean CIE76 difference the game's highlight makes on the faces (kinds
// 1..42) of `pictures` in `format`, after the game's conversion.
double highlightDifferenceIn(const TilePictures& pictures, PixelFormatSetting format);

} // namespace kelmar::art
