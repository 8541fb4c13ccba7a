// Colours, sizes and small drawing helpers shared by every picture the
// generator makes. All sizes are in pixels of the picture being drawn.
#pragma once

#include <QColor>
#include <QFont>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <initializer_list>
#include <span>

class QPainter;

namespace kelmar::art {

// One tile face: every sheet cell, the mask included, has this size.
constexpr int kFaceWidth = 38;
constexpr int kFaceHeight = 54;

// The face's ivory ground, one flat colour: the nearest entry of the 8-bit
// palette is its pale ivory (255, 255, 204), of the 16-colour palette white.
// Its low bits are chosen for the highlight: merge-paint ORs the mask's
// inverse into it (see kHighlightTint).
inline const QColor kIvory{240, 232, 208};
// A darker ivory for shaded parts of drawings (not the face ground).
inline const QColor kIvoryShade{226, 216, 188};
// The face's rim: a jade band kFaceRimWidth board pixels wide along every
// edge of the face, so each face sits in its tile like an inlay; lit along
// the top and left edges, in shade along the bottom and right ones, so the
// tile reads as a raised block. Blue is low and green has bit 7 clear, so
// the highlight ring below turns it yellow (lit) and amber (shade).
inline const QColor kFaceRimLit{40, 120, 50};
inline const QColor kFaceRimShade{8, 48, 32};
constexpr int kFaceRimWidth = 3;

// The highlight mask, as the bits that merge-paint (NOT mask OR face) sets
// in each colour byte. Over the rim: all of red and bit 7 of green, so the
// jade becomes yellow (255, 248, 50) and amber (255, 176, 32). Inside: the bits the ivory
// lacks in red and green, so it turns a light yellow (255, 255, 208) while
// dark inks gain at most 0x17 and stay readable.
inline const QColor kHighlightRing{0xFF, 0x80, 0x00};
inline const QColor kHighlightTint{0x0F, 0x17, 0x00};

// Inks of the three suits and the honours.
inline const QColor kInkBlue{24, 48, 160};
inline const QColor kInkRed{196, 36, 40};
inline const QColor kInkGreen{20, 124, 48};
inline const QColor kInkNavy{15, 23, 72};
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

// An open path: a moveTo to the first point, then a lineTo to each of the
// others in order. Callers may go on drawing from the last point. An empty
// list gives an empty path.
QPainterPath polylinePath(std::span<const QPointF> points);
QPainterPath polylinePath(std::initializer_list<QPointF> points);

// The same path closed back to its first point.
QPainterPath polygonPath(std::span<const QPointF> points);
QPainterPath polygonPath(std::initializer_list<QPointF> points);

// One cubic Bézier segment: two control points and where it ends.
struct CubicSegment {
    QPointF control1;
    QPointF control2;
    QPointF end;
};

// A path from `start` through `segments` in order, left open (an outline
// that returns to `start` ends there with its last segment).
QPainterPath cubicPath(QPointF start, std::initializer_list<CubicSegment> segments);

// Draws `path` in `painter`'s current pen and brush, moved to `origin` and
// turned by `degrees` (clockwise) about it; the painter's state is kept.
void drawPathAt(QPainter& painter, const QPainterPath& path, QPointF origin, double degrees);

} // namespace kelmar::art
