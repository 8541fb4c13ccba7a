// Text drawn into a Bitmap and measured, in a named font.
//
// Sizes are in points at 96 dots per inch (1 pt = 4/3 pixel, rounded), so a
// 54 pt font has a 72-pixel em and an 8 pt font an 11-pixel em, whatever the
// screen. A font that is not installed is replaced by fontconfig's nearest
// match. Needs a QGuiApplication.
#pragma once

#include "render/bitmap.h"

#include <QFont>
#include <QSize>
#include <QString>
#include <cstdint>

namespace kelmar {

struct TextStyle {
    QString Family;
    int PointSize = 8;
    bool Bold = false;
};

// "Trebuchet MS", bold, 54 pt: the end-of-game banner.
TextStyle BannerFontStyle();
// "Tahoma", regular, 8 pt: the lines of the logo screen.
TextStyle LogoLineFontStyle();

// The QFont of a style, pixel-sized as described above.
QFont MakeFont(const TextStyle& style);

// Width (advance of the whole text) and height (the font's text-cell height,
// ascent + descent) in pixels.
QSize MeasureText(const TextStyle& style, const QString& text);

// Draws `text` with its text cell's top-left corner at (x, y), in `colour`,
// without background: only the glyph pixels change. Anti-aliased edges are
// blended with the picture in the true-colour formats; in Bits4 and Bits8 a
// pixel takes the colour when it is at least half covered, so the text keeps
// its exact palette colour. Clipped to the bitmap.
void DrawText(Bitmap& dst, int32_t x, int32_t y, const TextStyle& style, Rgb colour,
              const QString& text);

} // namespace kelmar
