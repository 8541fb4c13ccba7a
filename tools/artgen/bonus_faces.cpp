// The two bonus families. Flowers stand on a stem inside a rounded raspberry
// border and are numbered by round dots; seasons sit in a deep blue medallion
// inside a square double gold border and are numbered by diamonds, so each
// family reads as one at a glance and the two never mix. The colours keep
// their hue in the 8- and 4-bit palettes: raspberry becomes dark magenta,
// gold dark yellow, the medallion bright blue.
#include "art_style.h"
#include "tile_faces.h"

#include <QPainter>
#include <QPainterPath>
#include <array>
#include <cmath>
#include <numbers>

namespace kelmar::art {
namespace {

const QColor kRaspberry{200, 40, 120};
const QColor kLeafGreen{62, 140, 58};
const QColor kNightSky{40, 80, 220};

// Just inside the face's rim.
constexpr double kBorderInset = kFaceRimWidth + 1.2;

void drawFlowerBorder(QPainter& painter) {
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(kRaspberry, 2));
    painter.drawRoundedRect(QRectF(kBorderInset, kBorderInset, kFaceWidth - 2 * kBorderInset,
                                   kFaceHeight - 2 * kBorderInset),
                            4, 4);
}

void drawSeasonBorder(QPainter& painter) {
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(kInkGold, 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.drawRect(QRectF(kBorderInset, kBorderInset, kFaceWidth - 2 * kBorderInset,
                            kFaceHeight - 2 * kBorderInset));
    painter.setPen(QPen(kInkGold, 0.8, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    const double inner = kBorderInset + 2.2;
    painter.drawRect(QRectF(inner, inner, kFaceWidth - 2 * inner, kFaceHeight - 2 * inner));
}

// Four small corner marks number the bonus tile (1 to 4), top-left onwards:
// round dots for flowers, diamonds for seasons.
void drawCornerMarks(QPainter& painter, int count, const QColor& color, bool diamonds) {
    const std::array<QPointF, 4> corners{QPointF(9.5, 9.5), QPointF(28.5, 9.5), QPointF(28.5, 44.5),
                                         QPointF(9.5, 44.5)};
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    for (int i = 0; i < count && i < 4; ++i) {
        const QPointF c = corners[static_cast<std::size_t>(i)];
        if (diamonds)
            painter.drawPath(polygonPath({c + QPointF(0, -2.2), c + QPointF(2.2, 0),
                                          c + QPointF(0, 2.2), c + QPointF(-2.2, 0)}));
        else
            painter.drawEllipse(c, 1.7, 1.7);
    }
}

QPainterPath leafPath(double length, double width) {
    QPainterPath leaf;
    leaf.moveTo(0, 0);
    leaf.cubicTo(length * 0.3, -width, length * 0.7, -width, length, 0);
    leaf.cubicTo(length * 0.7, width, length * 0.3, width, 0, 0);
    return leaf;
}

void drawStem(QPainter& painter, QPointF head) {
    painter.setPen(QPen(kLeafGreen.darker(120), 1.6));
    painter.setBrush(Qt::NoBrush);
    QPainterPath stem;
    stem.moveTo(19, 47);
    stem.cubicTo(18, 40, 21, 32, head.x(), head.y());
    painter.drawPath(stem);
    painter.setPen(QPen(kLeafGreen.darker(150), 0.6));
    painter.setBrush(kLeafGreen);
    const QPainterPath leaf = leafPath(10, 3.2);
    drawPathAt(painter, leaf, QPointF(19, 42), -150);
    drawPathAt(painter, leaf, QPointF(19.5, 38), -30);
}

void drawPetalRing(QPainter& painter, QPointF centre, int petals, double distance, double rx,
                   double ry, const QColor& color, double turn = 0) {
    painter.setPen(QPen(color.darker(140), 0.6));
    painter.setBrush(color);
    for (int i = 0; i < petals; ++i) {
        painter.save();
        painter.translate(centre);
        painter.rotate(turn + i * 360.0 / petals);
        painter.drawEllipse(QPointF(0, -distance), rx, ry);
        painter.restore();
    }
}

// A round flower head: its petals (see drawPetalRing) round a plain eye.
struct Blossom {
    int petals;
    double distance;
    double rx;
    double ry;
    QColor petalColor;
    QColor eyeColor;
    double eyeRadius;
};

void drawBlossom(QPainter& painter, QPointF head, const Blossom& blossom) {
    drawPetalRing(painter, head, blossom.petals, blossom.distance, blossom.rx, blossom.ry,
                  blossom.petalColor);
    painter.setPen(Qt::NoPen);
    painter.setBrush(blossom.eyeColor);
    painter.drawEllipse(head, blossom.eyeRadius, blossom.eyeRadius);
}

void drawRedBlossom(QPainter& painter) {
    const QPointF head(19, 19);
    drawStem(painter, head);
    drawBlossom(painter, head, {5, 5.2, 4.4, 5, QColor(214, 40, 56), QColor(250, 214, 70), 3});
}

void drawYellowDaisy(QPainter& painter) {
    const QPointF head(19, 19);
    drawStem(painter, head);
    drawBlossom(painter, head, {12, 6.5, 1.8, 4.2, QColor(246, 200, 30), QColor(140, 84, 30), 3.4});
}

void drawPurpleTulip(QPainter& painter) {
    const QPointF head(19, 22);
    drawStem(painter, head);
    const QColor purple(136, 56, 170);
    // A crown of three points, closed below by a round bowl.
    QPainterPath cup = polylinePath({{11, 12}, {15, 16}, {19, 10}, {23, 16}, {27, 12}});
    cup.cubicTo(28, 20, 25, 25, 19, 25);
    cup.cubicTo(13, 25, 10, 20, 11, 12);
    painter.setPen(QPen(purple.darker(140), 0.8));
    painter.setBrush(purple);
    painter.drawPath(cup);
    painter.setPen(QPen(purple.lighter(150), 0.9));
    painter.drawLine(QPointF(19, 14), QPointF(19, 23));
}

void drawBlueCluster(QPainter& painter) {
    drawStem(painter, QPointF(19, 22));
    const QColor blue(50, 80, 220);
    const std::array<QPointF, 3> heads{QPointF(13, 17), QPointF(25, 17), QPointF(19, 25)};
    for (const QPointF& head : heads)
        drawBlossom(painter, head, {5, 2.7, 2.3, 2.6, blue, QColor(250, 230, 90), 1.3});
}

void drawMedallion(QPainter& painter) {
    painter.setPen(QPen(kInkGold, 1.6));
    painter.setBrush(kNightSky);
    painter.drawEllipse(QPointF(19, 27), 12.5, 12.5);
}

void drawSprout(QPainter& painter) {
    painter.setPen(QPen(QColor(120, 86, 50), 1.4));
    painter.drawLine(QPointF(10.5, 35.5), QPointF(27.5, 35.5));
    painter.setPen(QPen(kLeafGreen.darker(120), 1.5));
    painter.drawLine(QPointF(19, 35), QPointF(19, 24));
    painter.setPen(QPen(kLeafGreen.darker(150), 0.6));
    painter.setBrush(QColor(40, 150, 40));
    const QPainterPath leaf = leafPath(10, 3.6);
    drawPathAt(painter, leaf, QPointF(19, 25), -155);
    drawPathAt(painter, leaf, QPointF(19, 25), -25);
}

void drawSun(QPainter& painter) {
    const QPointF centre(19, 27);
    painter.setPen(QPen(QColor(232, 120, 20), 1.6, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 12; ++i) {
        const double a = i * std::numbers::pi / 6;
        painter.drawLine(QPointF(centre.x() + 7.5 * std::cos(a), centre.y() + 7.5 * std::sin(a)),
                         QPointF(centre.x() + 11 * std::cos(a), centre.y() + 11 * std::sin(a)));
    }
    painter.setPen(QPen(QColor(232, 120, 20), 1));
    painter.setBrush(QColor(252, 196, 40));
    painter.drawEllipse(centre, 6, 6);
}

void drawAutumnLeaf(QPainter& painter) {
    const QColor orange(220, 70, 24);
    painter.setPen(QPen(QColor(120, 60, 24), 1.2));
    painter.drawLine(QPointF(19, 29), QPointF(21, 38));
    QPainterPath leaf = starPath(QPointF(19, 25), 10, 5, 5);
    painter.setPen(QPen(orange.darker(150), 0.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(orange);
    painter.drawPath(leaf);
    painter.setPen(QPen(orange.darker(170), 0.7));
    painter.drawLine(QPointF(19, 29), QPointF(19, 15));
}

void drawSnowflake(QPainter& painter) {
    const QPointF centre(19, 27);
    painter.setPen(QPen(QColor(236, 244, 255), 1.3, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 6; ++i) {
        painter.save();
        painter.translate(centre);
        painter.rotate(i * 60.0);
        painter.drawLine(QPointF(0, 0), QPointF(0, -10.5));
        painter.drawLine(QPointF(0, -6), QPointF(-3, -9));
        painter.drawLine(QPointF(0, -6), QPointF(3, -9));
        painter.restore();
    }
}

// The picture of bonus tile `number` (1 to 4) of a family, drawn by
// `pictures[number - 1]`; any other number draws the fourth.
using Picture = void (*)(QPainter&);
void drawNumbered(QPainter& painter, const std::array<Picture, 4>& pictures, int number) {
    const bool known = number >= 1 && number <= 3;
    pictures[known ? static_cast<std::size_t>(number - 1) : 3](painter);
}

} // namespace

void paintFlower(QPainter& painter, int flower) {
    drawFlowerBorder(painter);
    drawNumbered(painter, {drawRedBlossom, drawYellowDaisy, drawPurpleTulip, drawBlueCluster},
                 flower);
    drawCornerMarks(painter, flower, kRaspberry, false);
}

void paintSeason(QPainter& painter, int season) {
    drawSeasonBorder(painter);
    drawMedallion(painter);
    drawNumbered(painter, {drawSprout, drawSun, drawAutumnLeaf, drawSnowflake}, season);
    drawCornerMarks(painter, season, kInkGold, true);
}

} // namespace kelmar::art
