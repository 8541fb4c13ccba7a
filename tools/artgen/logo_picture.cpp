#include "logo_picture.h"

#include "art_style.h"
#include "core/zoom.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace kelmar::art {
namespace {

// The felt's deep blue, lighter in the middle. Every shade of it, the
// pyramid's shadow included, stays nearest to one dark blue of each indexed
// palette, so the logo and pause screens show no blotches in 8 and 4 bit.
void paintSky(QPainter& painter) {
    QLinearGradient sky(0, 0, 0, kLogoHeight);
    sky.setColorAt(0.0, QColor(14, 44, 110));
    sky.setColorAt(0.55, QColor(16, 50, 116));
    sky.setColorAt(1.0, QColor(8, 32, 92));
    painter.fillRect(QRect(0, 0, kLogoWidth, kLogoHeight), sky);
}

void paintTitle(QPainter& painter) {
    QPainterPath title;
    title.addText(0, 0, glyphFont(104, true, true), QStringLiteral("Kelmar"));
    const QRectF box = title.boundingRect();
    title.translate(QPointF(kLogoWidth / 2.0, 112) - box.center());
    const QRectF placed = title.boundingRect();

    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 150));
    painter.drawPath(title.translated(5, 6));
    QLinearGradient gold(placed.topLeft(), placed.bottomLeft());
    gold.setColorAt(0.0, QColor(255, 236, 160));
    gold.setColorAt(0.5, QColor(230, 180, 60));
    gold.setColorAt(1.0, QColor(170, 110, 30));
    painter.setPen(QPen(QColor(90, 56, 14), 2.2));
    painter.setBrush(gold);
    painter.drawPath(title);
    painter.restore();

    painter.save();
    QFont subtitle = glyphFont(21, false, true);
    subtitle.setItalic(true);
    painter.setFont(subtitle);
    painter.setPen(QColor(196, 214, 226));
    painter.drawText(QRectF(0, 172, kLogoWidth, 34), Qt::AlignCenter,
                     QString::fromUtf8("Solitär mit 144 Steinen"));
    painter.restore();
}

// A little pyramid: three layers, drawn like the board and then doubled.
std::vector<PreviewTile> pyramidTiles() {
    std::vector<PreviewTile> tiles;
    const int kinds1[] = {28, 5, 32, 14, 39, 23, 9, 35};
    for (int i = 0; i < 4; ++i) {
        tiles.push_back({i * 38, 0, 1, kinds1[i]});
        tiles.push_back({i * 38, 54, 1, kinds1[4 + i]});
    }
    const int kinds2[] = {33, 1, 20, 40};
    for (int i = 0; i < 2; ++i) {
        tiles.push_back({19 + i * 38, 0, 2, kinds2[i]});
        tiles.push_back({19 + i * 38, 54, 2, kinds2[2 + i]});
    }
    tiles.push_back({38, 27, 3, 36});
    return tiles;
}

} // namespace

QImage makeLogo(const TilePictures& pictures, int percent) {
    QImage logo(ScaleLength(kLogoWidth, percent), ScaleLength(kLogoHeight, percent),
                QImage::Format_RGB32);
    QPainter painter(&logo);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    // Everything below is laid out in 640 x 480 units.
    if (percent != 100)
        painter.scale(percent / 100.0, percent / 100.0);
    paintSky(painter);
    paintTitle(painter);

    const QImage pyramid = composeBoard(QSize(ScaleLength(230, percent), ScaleLength(170, percent)),
                                        QImage(), pictures, pyramidTiles(), -1, percent);
    // A soft shadow under the pyramid, then the pyramid at twice its size.
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 60));
    painter.drawEllipse(QPointF(456, 462), 176, 16);
    painter.restore();
    // The pyramid's tiles span (26, 10)..(188, 137) of its picture.
    painter.drawImage(QRectF(238, 198, 460, 340), pyramid);
    painter.end();
    return logo;
}

} // namespace kelmar::art
