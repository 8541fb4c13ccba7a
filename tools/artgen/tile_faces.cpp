#include "tile_faces.h"

#include "art_style.h"

#include <QPainter>

namespace kelmar::art {

void paintFaceGround(QPainter& painter) {
    // One flat colour: a gradient would be dithered into bands and wedges by
    // the nearest-colour conversion of the 8- and 4-bit formats.
    painter.fillRect(QRectF(0, 0, kFaceWidth, kFaceHeight), kIvory);
    // Neighbouring faces touch, so each face carries its own rim: the lit
    // half (top and left) and the shaded half meet on the diagonals of the
    // top-right and bottom-left corners.
    constexpr double w = kFaceWidth, h = kFaceHeight, r = kFaceRimWidth;
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(kFaceRimLit);
    painter.drawPath(polygonPath({{0, 0}, {w, 0}, {w - r, r}, {r, r}, {r, h - r}, {0, h}}));
    painter.setBrush(kFaceRimShade);
    painter.drawPath(polygonPath({{w, 0}, {w, h}, {0, h}, {r, h - r}, {w - r, h - r}, {w - r, r}}));
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
