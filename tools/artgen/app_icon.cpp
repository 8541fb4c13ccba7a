#include "app_icon.h"

#include "art_style.h"

#include <QPainter>
#include <QPolygonF>
#include <QStringList>
#include <algorithm>

namespace kelmar::art {
namespace {

struct IconColours {
    QColor outline, face, faceShade, side, sideDark, coin, coinEye, stick;
};

// The 16-colour look: black, white, silver, green, teal and red only.
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

// The smooth icon's two tiles; the upper one lies a layer higher.
constexpr TileShape kLowerTile{2.2, 5.8, 7, 8, 1.7};
constexpr TileShape kUpperTile{8.2, 0.6, 7, 8, 1.7};

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
    drawTile(painter, kLowerTile, kSmooth, outline, false);
    drawTile(painter, kUpperTile, kSmooth, outline, true);
    painter.end();
    return icon;
}

namespace {

QString svgPoints(std::initializer_list<QPointF> points) {
    QStringList parts;
    for (const QPointF& p : points)
        parts << QStringLiteral("%1,%2").arg(p.x(), 0, 'f', 2).arg(p.y(), 0, 'f', 2);
    return parts.join(QLatin1Char(' '));
}

QString svgTile(const TileShape& t, bool coin) {
    const IconColours& c = kSmooth;
    const QString stroke =
        QStringLiteral(" stroke=\"%1\" stroke-width=\"0.35\"").arg(c.outline.name());
    QString svg;
    svg += QStringLiteral("  <polygon points=\"%1\" fill=\"%2\"%3/>\n")
               .arg(svgPoints({{t.x, t.y},
                               {t.x, t.y + t.h},
                               {t.x - t.d, t.y + t.h + t.d},
                               {t.x - t.d, t.y + t.d}}),
                    c.side.name(), stroke);
    svg += QStringLiteral("  <polygon points=\"%1\" fill=\"%2\"%3/>\n")
               .arg(svgPoints({{t.x, t.y + t.h},
                               {t.x + t.w, t.y + t.h},
                               {t.x + t.w - t.d, t.y + t.h + t.d},
                               {t.x - t.d, t.y + t.h + t.d}}),
                    c.sideDark.name(), stroke);
    svg += QStringLiteral("  <rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" fill=\"%5\"%6/>\n")
               .arg(t.x)
               .arg(t.y)
               .arg(t.w)
               .arg(t.h)
               .arg(c.face.name(), stroke);
    const double cx = t.x + t.w / 2, cy = t.y + t.h / 2;
    if (coin) {
        const std::pair<double, QColor> rings[] = {{2.3, c.coin}, {1.25, c.coinEye}, {0.6, c.coin}};
        for (const auto& [radius, colour] : rings)
            svg += QStringLiteral(
                       "  <circle cx=\"%1\" cy=\"%2\" r=\"%3\" fill=\"%4\" stroke=\"none\"/>\n")
                       .arg(cx)
                       .arg(cy)
                       .arg(radius)
                       .arg(colour.name());
    } else {
        svg += QStringLiteral("  <rect x=\"%1\" y=\"%2\" width=\"1.6\" height=\"%3\" rx=\"0.6\" "
                              "fill=\"%4\" stroke=\"none\"/>\n")
                   .arg(cx - 0.8)
                   .arg(t.y + 1.6)
                   .arg(t.h - 3.2)
                   .arg(c.stick.name());
    }
    return svg;
}

} // namespace

QString makeAppIconSvg() {
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" "
                          "height=\"256\" viewBox=\"0 0 16 16\">\n") +
           svgTile(kLowerTile, false) + svgTile(kUpperTile, true) + QStringLiteral("</svg>\n");
}

} // namespace kelmar::art
