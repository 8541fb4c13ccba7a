#include "tile_faces.h"

#include "art_style.h"

#include <QLinearGradient>
#include <QPainter>

namespace kelmar::art {

void paintFaceGround(QPainter& painter) {
    painter.save();
    QLinearGradient ground(0, 0, kFaceWidth, kFaceHeight);
    ground.setColorAt(0, kIvory.lighter(102));
    ground.setColorAt(1, kIvory.darker(103));
    painter.fillRect(QRectF(0, 0, kFaceWidth, kFaceHeight), ground);
    // Neighbouring faces touch, so each face carries its own rim: a soft
    // light bevel top-left and a shade bottom-right inside a thin outline.
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(255, 255, 250), 1));
    painter.drawLine(QPointF(1.5, 1.5), QPointF(kFaceWidth - 2.5, 1.5));
    painter.drawLine(QPointF(1.5, 1.5), QPointF(1.5, kFaceHeight - 2.5));
    painter.setPen(QPen(kIvoryShade, 1));
    painter.drawLine(QPointF(2.5, kFaceHeight - 1.5), QPointF(kFaceWidth - 1.5, kFaceHeight - 1.5));
    painter.drawLine(QPointF(kFaceWidth - 1.5, 2.5), QPointF(kFaceWidth - 1.5, kFaceHeight - 1.5));
    painter.setPen(QPen(kFaceRim, 1));
    painter.drawRect(QRectF(0.5, 0.5, kFaceWidth - 1, kFaceHeight - 1));
    painter.restore();
}

void paintTileFace(QPainter& painter, int kind) {
    paintFaceGround(painter);
    painter.save();
    if (kind >= 1 && kind <= 9)
        paintCoins(painter, kind);
    else if (kind >= 10 && kind <= 18)
        paintBamboo(painter, kind - 9);
    else if (kind >= 19 && kind <= 27)
        paintCharacter(painter, kind - 18);
    else if (kind >= 28 && kind <= 31)
        paintWind(painter, kind - 27);
    else if (kind >= 32 && kind <= 34)
        paintDragon(painter, kind - 31);
    else if (kind >= 35 && kind <= 38)
        paintFlower(painter, kind - 34);
    else if (kind >= 39 && kind <= 42)
        paintSeason(painter, kind - 38);
    painter.restore();
}

} // namespace kelmar::art
