// The three numbered suits: coins, bamboo and characters.
#include "art_style.h"
#include "tile_faces.h"

#include <QPainter>
#include <QPainterPath>
#include <array>
#include <vector>

namespace kelmar::art {
namespace {

struct Coin {
    double x;
    double y;
    double radius;
    QColor color;
};

// A coin: a coloured ring round an ivory disc with a coloured eye.
void drawCoin(QPainter& painter, const Coin& coin) {
    const QPointF centre(coin.x, coin.y);
    painter.setPen(Qt::NoPen);
    painter.setBrush(coin.color);
    painter.drawEllipse(centre, coin.radius, coin.radius);
    painter.setBrush(kIvory);
    painter.drawEllipse(centre, coin.radius * 0.62, coin.radius * 0.62);
    painter.setBrush(coin.color);
    painter.drawEllipse(centre, coin.radius * 0.3, coin.radius * 0.3);
}

void drawBigCoin(QPainter& painter) {
    const QPointF centre(19, 27);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kInkGreen);
    painter.drawEllipse(centre, 14, 14);
    painter.setBrush(kIvory);
    painter.drawEllipse(centre, 11.5, 11.5);
    painter.setBrush(kInkBlue);
    painter.drawEllipse(centre, 10, 10);
    painter.setBrush(kIvory);
    painter.drawEllipse(centre, 7, 7);
    // Eight petals round the eye make the ace unmistakable.
    painter.setBrush(kInkRed);
    for (int i = 0; i < 8; ++i) {
        painter.save();
        painter.translate(centre);
        painter.rotate(i * 45.0);
        painter.drawEllipse(QPointF(0, -4.6), 1.3, 1.9);
        painter.restore();
    }
    painter.drawEllipse(centre, 2.4, 2.4);
}

std::vector<Coin> coinLayout(int value) {
    const QColor b = kInkBlue, r = kInkRed, g = kInkGreen;
    switch (value) {
    case 2:
        return {{19, 15, 7.5, g}, {19, 39, 7.5, b}};
    case 3:
        return {{10, 12, 6.2, b}, {19, 27, 6.2, r}, {28, 42, 6.2, g}};
    case 4:
        return {{11, 15, 6.5, b}, {27, 15, 6.5, g}, {11, 39, 6.5, g}, {27, 39, 6.5, b}};
    case 5:
        return {{10, 12, 6, b}, {28, 12, 6, g}, {19, 27, 6, r}, {10, 42, 6, g}, {28, 42, 6, b}};
    case 6:
        return {{11, 10, 5.6, g}, {27, 10, 5.6, g}, {11, 27, 5.6, r},
                {27, 27, 5.6, r}, {11, 44, 5.6, r}, {27, 44, 5.6, r}};
    case 7:
        return {{9, 8, 4.4, g},   {19, 13, 4.4, g}, {29, 18, 4.4, g}, {12, 32, 5.4, r},
                {26, 32, 5.4, r}, {12, 45, 5.4, r}, {26, 45, 5.4, r}};
    case 8: {
        std::vector<Coin> coins;
        for (int row = 0; row < 4; ++row)
            for (int col = 0; col < 2; ++col)
                coins.push_back({11.0 + 16 * col, 9.0 + 12 * row, 5.3, b});
        return coins;
    }
    case 9: {
        std::vector<Coin> coins;
        const std::array<QColor, 3> rows{b, r, g};
        for (int row = 0; row < 3; ++row)
            for (int col = 0; col < 3; ++col)
                coins.push_back({9.0 + 10 * col, 11.0 + 16 * row, 4.8, rows[row]});
        return coins;
    }
    default:
        return {};
    }
}

struct Stick {
    double x; // centre
    double top;
    double bottom;
    double width;
    QColor color;
};

// A bamboo stick: a rounded cane with a light stripe and knots at its ends
// and in the middle.
void drawStick(QPainter& painter, const Stick& stick) {
    const QRectF cane(stick.x - stick.width / 2, stick.top, stick.width, stick.bottom - stick.top);
    painter.setPen(QPen(stick.color.darker(150), 0.8));
    painter.setBrush(stick.color);
    painter.drawRoundedRect(cane, stick.width / 2.5, stick.width / 2.5);
    painter.setPen(QPen(stick.color.lighter(165), 0.9));
    painter.drawLine(QPointF(stick.x - stick.width / 5, stick.top + 2),
                     QPointF(stick.x - stick.width / 5, stick.bottom - 2));
    painter.setPen(QPen(stick.color.darker(170), 1.1));
    const double mid = (stick.top + stick.bottom) / 2;
    const double half = stick.width / 2 + 0.6;
    painter.drawLine(QPointF(stick.x - half, mid), QPointF(stick.x + half, mid));
}

std::vector<Stick> stickLayout(int value) {
    const QColor g = kInkGreen, r = kInkRed, b = kInkBlue;
    constexpr double top0 = 5, top1 = 25, bot0 = 29, bot1 = 49;
    switch (value) {
    case 2:
        return {{19, top0, top1, 6.5, g}, {19, bot0, bot1, 6.5, b}};
    case 3:
        return {{19, top0, top1, 6, b}, {12, bot0, bot1, 6, g}, {26, bot0, bot1, 6, g}};
    case 4:
        return {{12, top0, top1, 6, b},
                {26, top0, top1, 6, g},
                {12, bot0, bot1, 6, g},
                {26, bot0, bot1, 6, b}};
    case 5:
        return {{9, top0, top1, 5.5, g},
                {29, top0, top1, 5.5, b},
                {19, 17, 37, 5.5, r},
                {9, bot0, bot1, 5.5, b},
                {29, bot0, bot1, 5.5, g}};
    case 6: {
        std::vector<Stick> sticks;
        for (int col = 0; col < 3; ++col) {
            sticks.push_back({9.0 + 10 * col, top0, top1, 5.5, g});
            sticks.push_back({9.0 + 10 * col, bot0, bot1, 5.5, b});
        }
        return sticks;
    }
    case 7: {
        std::vector<Stick> sticks{{19, 4, 18, 5.5, r}};
        for (int col = 0; col < 3; ++col) {
            sticks.push_back({9.0 + 10 * col, 20, 34, 5.5, g});
            sticks.push_back({9.0 + 10 * col, 36, 50, 5.5, g});
        }
        return sticks;
    }
    case 8: {
        std::vector<Stick> sticks;
        for (int col = 0; col < 4; ++col) {
            sticks.push_back({7.0 + 8 * col, top0, top1, 4.6, col % 3 == 0 ? b : g});
            sticks.push_back({7.0 + 8 * col, bot0, bot1, 4.6, col % 3 == 0 ? g : b});
        }
        return sticks;
    }
    case 9: {
        std::vector<Stick> sticks;
        for (int row = 0; row < 3; ++row)
            for (int col = 0; col < 3; ++col)
                sticks.push_back(
                    {9.0 + 10 * col, 4.0 + 16 * row, 18.0 + 16 * row, 5.5, col == 1 ? r : g});
        return sticks;
    }
    default:
        return {};
    }
}

// The ace of bamboo: one tall cane with leaves, so it does not read as a
// lone stick of the twos.
void drawBambooAce(QPainter& painter) {
    drawStick(painter, {16, 9, 49, 7.5, kInkGreen});
    painter.setPen(QPen(kInkGreen.darker(150), 0.8));
    painter.setBrush(kInkGreen.lighter(125));
    QPainterPath leaf;
    leaf.moveTo(0, 0);
    leaf.cubicTo(3.5, -4.5, 9, -4.5, 12, -1);
    leaf.cubicTo(8, 2, 3.5, 2, 0, 0);
    const std::array<std::array<double, 3>, 3> leaves{
        {{19, 15, -35}, {19, 27, -10}, {13, 21, 200}}};
    for (const auto& l : leaves) {
        painter.save();
        painter.translate(l[0], l[1]);
        painter.rotate(l[2]);
        painter.drawPath(leaf);
        painter.restore();
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(kInkRed);
    painter.drawEllipse(QPointF(16, 7), 3.2, 3.2);
}

// The seal under each character numeral: a red square stamp with an ivory
// lattice, the same for all nine values.
void drawSeal(QPainter& painter) {
    const QRectF stamp(8.5, 30.5, 21, 19);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kInkRed);
    painter.drawRoundedRect(stamp, 2.5, 2.5);
    painter.setPen(QPen(kIvory, 1.4));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(stamp.adjusted(3, 3, -3, -3));
    painter.drawLine(QPointF(stamp.center().x(), stamp.top() + 3),
                     QPointF(stamp.center().x(), stamp.bottom() - 3));
    painter.drawLine(QPointF(stamp.left() + 3, stamp.center().y()),
                     QPointF(stamp.right() - 3, stamp.center().y()));
}

} // namespace

void paintCoins(QPainter& painter, int value) {
    if (value == 1) {
        drawBigCoin(painter);
        return;
    }
    for (const Coin& coin : coinLayout(value))
        drawCoin(painter, coin);
}

void paintBamboo(QPainter& painter, int value) {
    if (value == 1) {
        drawBambooAce(painter);
        return;
    }
    for (const Stick& stick : stickLayout(value))
        drawStick(painter, stick);
}

void paintCharacter(QPainter& painter, int value) {
    drawCentredText(painter, QString::number(value), glyphFont(25, true, true), QPointF(19, 16),
                    kInkNavy);
    drawSeal(painter);
}

} // namespace kelmar::art
