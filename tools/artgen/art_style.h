// Colours, sizes and small drawing helpers shared by every picture the
// generator makes. All sizes are in pixels of the picture being drawn.
#pragma once

#include <QColor>
#include <QFont>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>

class QPainter;

namespace kelmar::art {

// One tile face: every sheet cell, the mask included, has this size.
constexpr int kFaceWidth = 38;
constexpr int kFaceHeight = 54;

// The face's ivory ground and its rim.
inline const QColor kIvory{244, 236, 212};
inline const QColor kIvoryShade{226, 216, 188};
inline const QColor kFaceRim{146, 134, 112};

// Inks of the three suits and the honours.
inline const QColor kInkBlue{28, 72, 150};
inline const QColor kInkRed{196, 36, 40};
inline const QColor kInkGreen{22, 122, 66};
inline const QColor kInkNavy{30, 38, 70};
inline const QColor kInkGold{196, 150, 40};

// A font for numerals and letters, by pixel size. DejaVu ships with the
// build dependencies; fontconfig substitutes when it is missing.
QFont glyphFont(int pixelSize, bool bold = true, bool serif = false);

// Draws `text` centred on `centre` in `color`, using the tight outline of
// the glyphs (not the font's line box), so small numerals sit exactly.
void drawCentredText(QPainter& painter, const QString& text, const QFont& font, QPointF centre,
                     const QColor& color);

// A smooth five-pointed star centred on `centre`.
QPainterPath starPath(QPointF centre, double outerRadius, double innerRadius, int points = 5);

} // namespace kelmar::art
