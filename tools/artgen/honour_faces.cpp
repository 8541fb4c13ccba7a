// Winds and dragons.
#include "art_style.h"
#include "tile_faces.h"

#include <QPainter>
#include <QPainterPath>
#include <array>
#include <cmath>

namespace kelmar::art {
namespace {

// A compass under the wind's letter; the red needle points the wind's way.
void drawCompass(QPainter& painter, int wind) {
    const QPointF centre(19, 39);
    painter.setPen(QPen(kInkNavy, 1.2));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(centre, 10, 10);
    painter.setPen(QPen(kInkNavy, 1));
    for (int i = 0; i < 4; ++i) {
        painter.save();
        painter.translate(centre);
        painter.rotate(i * 90.0);
        painter.drawLine(QPointF(0, -10), QPointF(0, -7.5));
        painter.restore();
    }
    painter.save();
    painter.translate(centre);
    painter.rotate((wind - 1) * 90.0);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kInkRed);
    painter.drawPath(polygonPath({{0, -8.5}, {3.3, 0}, {-3.3, 0}}));
    painter.setBrush(kInkNavy.lighter(220));
    painter.drawPath(polygonPath({{3.3, 0}, {0, 7}, {-3.3, 0}}));
    painter.restore();
}

// Red dragon: a flame.
void drawFlame(QPainter& painter) {
    const QPainterPath flame = cubicPath(QPointF(19, 5), {{{23, 13}, {33, 20}, {31, 34}},
                                                          {{30, 43}, {25, 49}, {19, 49}},
                                                          {{13, 49}, {7, 43}, {7, 35}},
                                                          {{7, 27}, {12, 24}, {13, 16}},
                                                          {{16, 21}, {16, 26}, {18, 28}},
                                                          {{20, 22}, {20, 13}, {19, 5}}});
    painter.setPen(QPen(kInkRed.darker(140), 1));
    painter.setBrush(kInkRed);
    painter.drawPath(flame);
    const QPainterPath core = cubicPath(QPointF(19, 29), {{{22, 34}, {26, 37}, {25, 42}},
                                                          {{24, 46}, {21, 47}, {19, 47}},
                                                          {{16, 47}, {13, 45}, {13, 41}},
                                                          {{13, 37}, {17, 35}, {19, 29}}});
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(248, 176, 48));
    painter.drawPath(core);
}

// Green dragon: a cut jade gem.
void drawGem(QPainter& painter) {
    const std::array<QPointF, 6> rim{QPointF(19, 7),  QPointF(33, 17), QPointF(33, 37),
                                     QPointF(19, 47), QPointF(5, 37),  QPointF(5, 17)};
    const std::array<QPointF, 6> table{QPointF(19, 17), QPointF(26, 22), QPointF(26, 32),
                                       QPointF(19, 37), QPointF(12, 32), QPointF(12, 22)};
    const std::array<int, 6> shade{125, 105, 80, 70, 95, 115};
    painter.setPen(QPen(kInkGreen.darker(170), 0.8));
    for (int i = 0; i < 6; ++i) {
        const int j = (i + 1) % 6;
        painter.setBrush(kInkGreen.lighter(shade[i]));
        painter.drawPath(polygonPath({rim[i], rim[j], table[j], table[i]}));
    }
    painter.setBrush(kInkGreen.lighter(150));
    painter.drawPath(polygonPath(table));
}

// White dragon: an empty blue double frame.
void drawWhiteFrame(QPainter& painter) {
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(kInkBlue, 2.2));
    painter.drawRoundedRect(QRectF(6, 6, 26, 42), 2, 2);
    painter.setPen(QPen(kInkBlue, 1.1));
    painter.drawRoundedRect(QRectF(10.5, 10.5, 17, 33), 1, 1);
}

} // namespace

void paintWind(QPainter& painter, int wind) {
    static const std::array<QString, 4> letters{QStringLiteral("N"), QStringLiteral("O"),
                                                QStringLiteral("S"), QStringLiteral("W")};
    const QString& letter = letters[static_cast<std::size_t>((wind - 1) & 3)];
    drawCentredText(painter, letter, glyphFont(21, true, true), QPointF(19, 15), kInkNavy);
    drawCompass(painter, wind);
}

void paintDragon(QPainter& painter, int dragon) {
    switch (dragon) {
    case 1:
        drawFlame(painter);
        break;
    case 2:
        drawGem(painter);
        break;
    default:
        drawWhiteFrame(painter);
        break;
    }
}

} // namespace kelmar::art
