#include "app_icon.h"

#include "art_style.h"

#include <QPainter>
#include <QPolygonF>
#include <algorithm>

namespace kelmar::art {
namespace {

struct IconColours {
    QColor outline, face, faceShade, side, sideDark, coin, coinEye, stick;
};

// The 16-colour look: black, white, silver, green, red, navy only.
const IconColours kRetro{QColor(0, 0, 0),       QColor(255, 255, 255), QColor(192, 192, 192),
                         QColor(0, 128, 0),     QColor(0, 128, 128),   QColor(255, 0, 0),
                         QColor(255, 255, 255), QColor(0, 128, 0)};
const IconColours kSmooth{QColor(28, 32, 30),  kIvory,  kIvoryShade, QColor(64, 146, 104),
                          QColor(36, 104, 72), kInkRed, kIvory,      kInkGreen};

// One tile in 16-unit space: face top-left at (x, y), `w` x `h`, with a side
// of depth `d` to the left and below, each part outlined.
struct TileShape {
    double x, y, w, h, d;
};

void drawTile(QPainter& p, const TileShape& t, const IconColours& c, double outline, bool coin) {
    p.setPen(QPen(c.outline, outline, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    const QPolygonF left{QPointF(t.x, t.y), QPointF(t.x, t.y + t.h),
                         QPointF(t.x - t.d, t.y + t.h + t.d), QPointF(t.x - t.d, t.y + t.d)};
    p.setBrush(c.side);
    p.drawPolygon(left);
    const QPolygonF bottom{QPointF(t.x, t.y + t.h), QPointF(t.x + t.w, t.y + t.h),
                           QPointF(t.x + t.w - t.d, t.y + t.h + t.d),
                           QPointF(t.x - t.d, t.y + t.h + t.d)};
    p.setBrush(c.sideDark);
    p.drawPolygon(bottom);
    const QRectF face(t.x, t.y, t.w, t.h);
    p.setBrush(c.face);
    p.drawRect(face);
    p.setPen(Qt::NoPen);
    const QPointF centre = face.center();
    if (coin) {
        p.setBrush(c.coin);
        p.drawEllipse(centre, 2.3, 2.3);
        p.setBrush(c.coinEye);
        p.drawEllipse(centre, 1.25, 1.25);
        p.setBrush(c.coin);
        p.drawEllipse(centre, 0.6, 0.6);
    } else {
        p.setBrush(c.stick);
        p.drawRoundedRect(QRectF(centre.x() - 0.8, t.y + 1.6, 1.6, t.h - 3.2), 0.6, 0.6);
    }
}

// The 16 x 16 window icon, pixel by pixel: per tile a face with a black rim,
// a 2-pixel side (green left, teal below) and a black outline round the body.
void drawRetroTile(QImage& icon, int fx, int fy, int fw, int fh, bool coin) {
    constexpr int depth = 2;
    const auto bodyDepth = [&](int x, int y) {
        const int t = std::max({0, fx - x, y - (fy + fh - 1)});
        if (t > depth || x + t >= fx + fw || y - t < fy)
            return -1;
        return t;
    };
    const auto touches = [&](int x, int y) {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (bodyDepth(x + dx, y + dy) >= 0)
                    return true;
        return false;
    };
    for (int y = 0; y < icon.height(); ++y) {
        for (int x = 0; x < icon.width(); ++x) {
            const int t = bodyDepth(x, y);
            QColor c;
            if (t == 0) {
                const bool rim = x == fx || y == fy || x == fx + fw - 1 || y == fy + fh - 1;
                c = rim ? kRetro.faceShade : kRetro.face;
            } else if (t > 0) {
                c = fx - x >= y - (fy + fh - 1) ? kRetro.side : kRetro.sideDark;
            } else if (touches(x, y)) {
                c = kRetro.outline;
            } else {
                continue;
            }
            icon.setPixel(x, y, c.rgba());
        }
    }
    if (coin) {
        // A 4 x 4 red ring with a white eye, centred on the face.
        const int left = fx + (fw - 4) / 2, top = fy + (fh - 4) / 2;
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x) {
                const bool corner = (y == 0 || y == 3) && (x == 0 || x == 3);
                const bool eye = (y == 1 || y == 2) && (x == 1 || x == 2);
                if (!corner)
                    icon.setPixel(left + x, top + y, (eye ? kRetro.coinEye : kRetro.coin).rgba());
            }
    } else {
        // A bamboo cane in the part of the face that the upper tile leaves free.
        for (int y = fy + 2; y <= fy + fh - 3; ++y)
            icon.setPixel(fx + 1, y, kRetro.stick.rgba());
    }
}

} // namespace

QImage makeAppIcon(int size) {
    QImage icon(size, size, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    if (size < 32) {
        drawRetroTile(icon, 3, 4, 6, 8, false);
        drawRetroTile(icon, 9, 1, 6, 8, true);
        return icon;
    }
    QPainter painter(&icon);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 16.0, size / 16.0);
    const double outline = std::max(0.35, 16.0 / size);
    drawTile(painter, {2.2, 5.8, 7, 8, 1.7}, kSmooth, outline, false);
    drawTile(painter, {8.2, 0.6, 7, 8, 1.7}, kSmooth, outline, true);
    painter.end();
    return icon;
}

} // namespace kelmar::art
