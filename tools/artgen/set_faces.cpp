#include "set_faces.h"

#include "art_style.h"

#include <QPainter>
#include <QPainterPath>
#include <array>
#include <cmath>
#include <numbers>

namespace kelmar::art {

// Kontrast: black, blue and vermillion on ivory, every filled shape edged
// in black; the colours stay apart for red-green blind eyes, and the shapes
// do the rest. The rim is dark so that the highlight turns it bright.
const SetStyle kContrastStyle{
    FaceLayout::Pips,
    {240, 234, 216},
    {72, 72, 84},
    {28, 28, 36},
    {{0, 90, 180}, {28, 28, 28}, {213, 94, 0}},
    {20, 20, 24},
    {213, 94, 0},
    {0, 150, 110},
    {170, 60, 140},
    {230, 150, 0},
    {16, 16, 16},
    false,
};

// Großdruck: dark inks on a light cream face with a navy rim.
const SetStyle kLargePrintStyle{
    FaceLayout::LargePrint,
    {244, 238, 220},
    {40, 56, 120},
    {16, 24, 64},
    {{16, 52, 160}, {12, 100, 44}, {176, 24, 24}},
    {20, 20, 28},
    {176, 24, 24},
    {12, 110, 60},
    {150, 40, 130},
    {150, 96, 0},
    {244, 238, 220},
    false,
};

// Nacht: light outlines on a slate face, for a dark board.
const SetStyle kNightStyle{
    FaceLayout::Pips,
    {40, 44, 58},
    {74, 82, 104},
    {20, 22, 32},
    {{120, 190, 255}, {130, 225, 140}, {255, 150, 120}},
    {236, 232, 220},
    {255, 120, 100},
    {110, 220, 150},
    {250, 150, 210},
    {250, 205, 90},
    {40, 44, 58},
    true,
};

namespace {

constexpr double kW = kFaceWidth;
constexpr double kH = kFaceHeight;
constexpr double kRim = kFaceRimWidth;

enum class Suit { Coins, Bamboo, Characters };

QColor blend(const QColor& a, const QColor& b, double f) {
    return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * f,
                            a.greenF() + (b.greenF() - a.greenF()) * f,
                            a.blueF() + (b.blueF() - a.blueF()) * f);
}

void paintGround(QPainter& painter, const SetStyle& style) {
    painter.fillRect(QRectF(0, 0, kW, kH), style.ground);
    painter.setPen(Qt::NoPen);
    painter.setBrush(style.rimLit);
    painter.drawPath(polygonPath(
        {{0, 0}, {kW, 0}, {kW - kRim, kRim}, {kRim, kRim}, {kRim, kH - kRim}, {0, kH}}));
    painter.setBrush(style.rimShade);
    painter.drawPath(polygonPath({{kW, 0},
                                  {kW, kH},
                                  {0, kH},
                                  {kRim, kH - kRim},
                                  {kW - kRim, kH - kRim},
                                  {kW - kRim, kRim}}));
}

// A shape in `colour`: filled and edged, or in the hollow style an outline
// over a faint fill of the colour.
void drawShape(QPainter& painter, const SetStyle& style, const QPainterPath& path,
               const QColor& colour) {
    if (style.hollow) {
        painter.setPen(QPen(colour, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(blend(style.ground, colour, 0.28));
    } else {
        painter.setPen(style.edge == style.ground
                           ? QPen(Qt::NoPen)
                           : QPen(style.edge, 0.9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(colour);
    }
    painter.drawPath(path);
}

// A mark on a shape in the ground colour (a coin's hole, a bar's knot).
void drawMark(QPainter& painter, const SetStyle& style, const QPainterPath& path,
              const QColor& colour) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(style.hollow ? colour : style.ground);
    painter.drawPath(path);
}

// One pip of `suit`, `size` units high, centred on `c`.
void drawPip(QPainter& painter, const SetStyle& style, Suit suit, QPointF c, double size) {
    const QColor& colour = style.suit[static_cast<int>(suit)];
    const double r = size / 2;
    QPainterPath shape;
    QPainterPath mark;
    switch (suit) {
    case Suit::Coins:
        shape.addEllipse(c, r, r);
        mark.addEllipse(c, r * 0.3, r * 0.3);
        break;
    case Suit::Bamboo: {
        const double w = std::max(3.0, size * 0.5);
        shape.addRoundedRect(QRectF(c.x() - w / 2, c.y() - r, w, size), w / 2.5, w / 2.5);
        mark.addRect(QRectF(c.x() - w / 2, c.y() - 0.5, w, 1.0));
        break;
    }
    case Suit::Characters:
        shape = polygonPath({c + QPointF(0, -r), c + QPointF(r * 0.8, 0), c + QPointF(0, r),
                             c + QPointF(-r * 0.8, 0)});
        mark.addEllipse(c, r * 0.2, r * 0.2);
        break;
    }
    drawShape(painter, style, shape, colour);
    drawMark(painter, style, mark, colour);
}

// Pips per row for each value: the layouts of dice and cards.
const std::array<std::array<int, 3>, 10> kRows{{
    {0, 0, 0},
    {1, 0, 0},
    {1, 1, 0},
    {1, 1, 1},
    {2, 2, 0},
    {2, 1, 2},
    {2, 2, 2},
    {2, 3, 2},
    {3, 2, 3},
    {3, 3, 3},
}};

void drawPips(QPainter& painter, const SetStyle& style, Suit suit, int value) {
    const QRectF area(5, 17, 28, 33);
    const auto& rows = kRows[static_cast<std::size_t>(value)];
    const int rowCount = rows[2] > 0 ? 3 : (rows[1] > 0 ? 2 : 1);
    const double rowHeight = area.height() / rowCount;
    const int columns = std::max({rows[0], rows[1], rows[2], 2});
    const double pitch = area.width() / columns;
    const double size = value == 1 ? 20.0 : std::min(pitch, rowHeight) * 0.86;
    for (int row = 0; row < rowCount; ++row) {
        const int count = rows[static_cast<std::size_t>(row)];
        const double y = area.top() + (row + 0.5) * rowHeight;
        for (int i = 0; i < count; ++i) {
            const double x = area.center().x() + (i - (count - 1) / 2.0) * pitch;
            drawPip(painter, style, suit, QPointF(x, y), size);
        }
    }
}

// Large print: the numeral over a band of the suit's shape.
void drawLargeSuit(QPainter& painter, const SetStyle& style, Suit suit, int value) {
    const QColor& colour = style.suit[static_cast<int>(suit)];
    drawCentredText(painter, QString::number(value), glyphFont(32, true), QPointF(19, 19), colour);
    switch (suit) {
    case Suit::Coins:
        drawPip(painter, style, suit, QPointF(19, 42.5), 14);
        break;
    case Suit::Bamboo:
        drawPip(painter, style, suit, QPointF(14, 42.5), 14);
        drawPip(painter, style, suit, QPointF(24, 42.5), 14);
        break;
    case Suit::Characters:
        drawPip(painter, style, suit, QPointF(19, 42.5), 15);
        break;
    }
}

void drawSuit(QPainter& painter, const SetStyle& style, Suit suit, int value) {
    if (style.layout == FaceLayout::LargePrint) {
        drawLargeSuit(painter, style, suit, value);
        return;
    }
    drawCentredText(painter, QString::number(value), glyphFont(12, true), QPointF(10, 10.5),
                    style.suit[static_cast<int>(suit)]);
    drawPips(painter, style, suit, value);
}

// An arrow pointing north, east, south or west (wind 1..4), centred on `c`.
void drawArrow(QPainter& painter, const SetStyle& style, int wind, QPointF c, double size) {
    const double h = size / 2;
    QPainterPath arrow = polygonPath({{0, -h},
                                      {h * 0.8, h * 0.1},
                                      {h * 0.28, h * 0.1},
                                      {h * 0.28, h},
                                      {-h * 0.28, h},
                                      {-h * 0.28, h * 0.1},
                                      {-h * 0.8, h * 0.1}});
    painter.save();
    painter.translate(c);
    painter.rotate((wind - 1) * 90.0);
    drawShape(painter, style, arrow, style.honour);
    painter.restore();
}

void drawWind(QPainter& painter, const SetStyle& style, int wind) {
    static const std::array<QString, 4> letters{QStringLiteral("N"), QStringLiteral("O"),
                                                QStringLiteral("S"), QStringLiteral("W")};
    const QString& letter = letters[static_cast<std::size_t>((wind - 1) & 3)];
    const bool large = style.layout == FaceLayout::LargePrint;
    drawCentredText(painter, letter, glyphFont(large ? 30 : 22, true),
                    QPointF(19, large ? 19.5 : 17), style.honour);
    drawArrow(painter, style, wind, QPointF(19, large ? 41.5 : 38.5), large ? 13 : 15);
}

void drawDragon(QPainter& painter, const SetStyle& style, int dragon) {
    if (dragon == 1) {
        const QPainterPath flame = cubicPath(QPointF(19, 6), {{{26, 16}, {32, 27}, {31, 37}},
                                                              {{30, 45}, {24, 49}, {19, 49}},
                                                              {{14, 49}, {8, 45}, {7, 37}},
                                                              {{6, 27}, {12, 16}, {19, 6}}});
        drawShape(painter, style, flame, style.redDragon);
        const QPainterPath core = cubicPath(QPointF(19, 27), {{{23, 32}, {25, 37}, {24, 41}},
                                                              {{23, 45}, {15, 45}, {14, 41}},
                                                              {{13, 37}, {15, 32}, {19, 27}}});
        drawMark(painter, style, core, style.redDragon);
    } else if (dragon == 2) {
        std::array<QPointF, 6> outer{}, inner{};
        for (int i = 0; i < 6; ++i) {
            const double a = -std::numbers::pi / 2 + i * std::numbers::pi / 3;
            outer[static_cast<std::size_t>(i)] = {19 + 14 * std::cos(a), 27.5 + 16 * std::sin(a)};
            inner[static_cast<std::size_t>(i)] = {19 + 6 * std::cos(a), 27.5 + 7 * std::sin(a)};
        }
        drawShape(painter, style, polygonPath(outer), style.greenDragon);
        drawMark(painter, style, polygonPath(inner), style.greenDragon);
    } else {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(style.honour, 2.4));
        painter.drawRect(QRectF(7.2, 7.2, 23.6, 39.6));
        painter.setPen(QPen(style.honour, 1.2));
        painter.drawRect(QRectF(11.6, 11.6, 14.8, 30.8));
    }
}

// Flowers: a five-petal blossom; seasons: an eight-point star. Both over
// their numeral.
void drawBonus(QPainter& painter, const SetStyle& style, bool season, int number) {
    const bool large = style.layout == FaceLayout::LargePrint;
    const QPointF centre(19, large ? 16 : 18);
    const QColor& colour = season ? style.season : style.flower;
    QPainterPath shape;
    if (season) {
        shape = starPath(centre, 12, 5.5, 8);
    } else {
        for (int i = 0; i < 5; ++i) {
            const double a = -std::numbers::pi / 2 + i * 2 * std::numbers::pi / 5;
            QPainterPath petal;
            petal.addEllipse(QPointF(centre.x() + 6 * std::cos(a), centre.y() + 6 * std::sin(a)),
                             4.8, 4.8);
            shape = shape.united(petal);
        }
    }
    drawShape(painter, style, shape, colour);
    QPainterPath eye;
    eye.addEllipse(centre, 2.6, 2.6);
    drawMark(painter, style, eye, colour);
    drawCentredText(painter, QString::number(number), glyphFont(large ? 22 : 17, true),
                    QPointF(19, large ? 40 : 41), style.honour);
}

} // namespace

void paintSetFace(QPainter& painter, const SetStyle& style, int kind) {
    painter.save();
    paintGround(painter, style);
    if (kind >= 1 && kind <= 9) {
        drawSuit(painter, style, Suit::Coins, kind);
    } else if (kind >= 10 && kind <= 18) {
        drawSuit(painter, style, Suit::Bamboo, kind - 9);
    } else if (kind >= 19 && kind <= 27) {
        drawSuit(painter, style, Suit::Characters, kind - 18);
    } else if (kind >= 28 && kind <= 31) {
        drawWind(painter, style, kind - 27);
    } else if (kind >= 32 && kind <= 34) {
        drawDragon(painter, style, kind - 31);
    } else if (kind >= 35 && kind <= 38) {
        drawBonus(painter, style, false, kind - 34);
    } else if (kind >= 39 && kind <= 42) {
        drawBonus(painter, style, true, kind - 38);
    }
    painter.restore();
}

} // namespace kelmar::art
