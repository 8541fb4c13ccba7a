#include "symbol_icons.h"

#include "art_style.h"

#include <QPainter>
#include <QPainterPath>
#include <array>
#include <functional>

namespace kelmar::art {
namespace {

const QColor kOutlineDark(40, 44, 52);
const QColor kBlue(44, 104, 196);
const QColor kBlueDark(24, 60, 130);
const QColor kGreen(46, 150, 70);
const QColor kYellow(250, 204, 60);
const QColor kRed(210, 48, 44);

// A small tile: ivory face with an outline and a jade side, top-left at (x, y).
void drawMiniTile(QPainter& p, double x, double y, double w, double h) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(46, 128, 88));
    p.drawRect(QRectF(x - 2, y + 2, w, h));
    p.setPen(QPen(kOutlineDark, 1));
    p.setBrush(kIvory);
    p.drawRect(QRectF(x + 0.5, y + 0.5, w - 1, h - 1));
}

void newGame(QPainter& p) {
    drawMiniTile(p, 3, 3, 10, 12);
    p.setPen(Qt::NoPen);
    p.setBrush(kRed);
    p.drawEllipse(QPointF(8, 9), 2.2, 2.2);
    p.setPen(QPen(QColor(150, 100, 0), 0.7));
    p.setBrush(kYellow);
    p.drawPath(starPath(QPointF(12, 4), 4.2, 1.8, 4));
}

void hint(QPainter& p) {
    p.setPen(QPen(QColor(150, 110, 20), 1));
    p.setBrush(kYellow);
    p.drawEllipse(QPointF(8, 6.5), 4.8, 4.8);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 250, 210));
    p.drawEllipse(QPointF(6.8, 5.3), 1.6, 1.6);
    p.setBrush(QColor(130, 136, 146));
    p.drawRect(QRectF(6, 11, 4, 3));
    p.setPen(QPen(QColor(80, 84, 92), 1));
    p.drawLine(QPointF(6, 12.5), QPointF(10, 12.5));
    p.drawLine(QPointF(7, 14.5), QPointF(9, 14.5));
}

// A curved arrow: an arc from the right round to the left with a head at the
// left end; mirrored for redo.
void curvedArrow(QPainter& p, bool mirrored) {
    if (mirrored) {
        p.translate(16, 0);
        p.scale(-1, 1);
    }
    QPainterPath arc;
    arc.moveTo(13, 13);
    arc.cubicTo(14.5, 7, 11, 4.5, 7.5, 5.5);
    arc.lineTo(6, 6);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kBlueDark, 3.4, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(arc);
    p.setPen(QPen(kBlue, 1.8, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(arc);
    p.setPen(QPen(kBlueDark, 1));
    p.setBrush(kBlue);
    p.drawPath(polygonPath({{1.5, 6.5}, {7.5, 1.5}, {7.5, 11.5}}));
}

void undo(QPainter& p) {
    curvedArrow(p, false);
}
void redo(QPainter& p) {
    curvedArrow(p, true);
}

void roundBadge(QPainter& p, const QColor& fill) {
    p.setPen(QPen(fill.darker(160), 1));
    p.setBrush(fill);
    p.drawEllipse(QPointF(8, 8), 7, 7);
}

void about(QPainter& p) {
    roundBadge(p, kBlue);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(8, 4.6), 1.3, 1.3);
    p.drawRect(QRectF(7, 7, 2, 5.5));
    p.drawRect(QRectF(6, 7, 2, 1));
    p.drawRect(QRectF(6, 11.5, 4, 1));
}

void exitGame(QPainter& p) {
    // A door ajar and an arrow leaving through it.
    p.setPen(QPen(QColor(90, 56, 28), 1));
    p.setBrush(QColor(160, 104, 56));
    p.drawRect(QRectF(1.5, 1.5, 8, 13));
    p.setBrush(QColor(60, 40, 24));
    p.drawRect(QRectF(2.5, 2.5, 4, 11));
    p.setPen(Qt::NoPen);
    p.setBrush(kGreen.darker(110));
    p.setPen(QPen(QColor(20, 80, 30), 0.8));
    p.drawPath(polygonPath({{6, 7}, {10, 7}, {10, 4}, {15, 8.5}, {10, 13}, {10, 10}, {6, 10}}));
}

void floppy(QPainter& p) {
    p.setPen(QPen(kBlueDark, 1));
    p.setBrush(kBlue);
    p.drawPath(polygonPath({{1.5, 1.5}, {12.5, 1.5}, {14.5, 3.5}, {14.5, 14.5}, {1.5, 14.5}}));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(236, 240, 246));
    p.drawRect(QRectF(4, 2, 7, 5));
    p.setBrush(kBlueDark);
    p.drawRect(QRectF(8, 3, 2, 3));
    p.setBrush(QColor(250, 250, 250));
    p.drawRect(QRectF(3, 9, 10, 5));
    p.setPen(QPen(QColor(150, 160, 176), 1));
    p.drawLine(QPointF(4, 10.5), QPointF(12, 10.5));
    p.drawLine(QPointF(4, 12.5), QPointF(12, 12.5));
}

void save(QPainter& p) {
    floppy(p);
}

void load(QPainter& p) {
    // An open folder.
    p.setPen(QPen(QColor(150, 110, 20), 1));
    p.setBrush(QColor(232, 186, 70));
    p.drawPath(polygonPath({{1.5, 3.5}, {6, 3.5}, {7.5, 5}, {13.5, 5}, {13.5, 13.5}, {1.5, 13.5}}));
    p.setBrush(kYellow);
    p.drawPath(polygonPath({{1.5, 13.5}, {4, 7.5}, {15.5, 7.5}, {13.5, 13.5}}));
}

void saveAs(QPainter& p) {
    floppy(p);
    // A pencil across the label.
    p.save();
    p.translate(10, 10);
    p.rotate(-45);
    p.setPen(QPen(QColor(60, 40, 20), 0.8));
    p.setBrush(QColor(240, 150, 40));
    p.drawRect(QRectF(-2, -2, 9, 4));
    p.setBrush(QColor(250, 220, 170));
    p.drawPath(polygonPath({{-2, -2}, {-5.5, 0}, {-2, 2}}));
    p.restore();
}

void pause(QPainter& p) {
    p.setPen(QPen(kBlueDark, 1));
    p.setBrush(kBlue);
    p.drawRoundedRect(QRectF(3.5, 2.5, 3.5, 11), 1, 1);
    p.drawRoundedRect(QRectF(9, 2.5, 3.5, 11), 1, 1);
}

void palette(QPainter& p) {
    QPainterPath board;
    board.addEllipse(QPointF(8, 8.5), 7, 6);
    QPainterPath hole;
    hole.addEllipse(QPointF(10.5, 11.5), 1.6, 1.4);
    p.setPen(QPen(QColor(120, 84, 40), 1));
    p.setBrush(QColor(226, 190, 130));
    p.drawPath(board.subtracted(hole));
    const std::array<QColor, 4> paints{kRed, kYellow, kGreen, kBlue};
    const std::array<QPointF, 4> spots{QPointF(4.5, 8), QPointF(6.5, 5), QPointF(10, 4.8),
                                       QPointF(12.5, 7.5)};
    p.setPen(Qt::NoPen);
    for (std::size_t i = 0; i < paints.size(); ++i) {
        p.setBrush(paints[i]);
        p.drawEllipse(spots[i], 1.5, 1.5);
    }
}

void monitor(QPainter& p) {
    p.setPen(QPen(kOutlineDark, 1));
    p.setBrush(QColor(90, 96, 108));
    p.drawRect(QRectF(0.5, 1.5, 15, 10));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 64, 72));
    p.drawRect(QRectF(6, 12, 4, 2));
    p.drawRect(QRectF(4, 14, 8, 1.5));
}

void autoFormat(QPainter& p) {
    monitor(p);
    QLinearGradient screen(2, 0, 14, 0);
    screen.setColorAt(0, QColor(120, 180, 250));
    screen.setColorAt(1, QColor(40, 90, 200));
    p.fillRect(QRectF(2, 3, 12, 7), screen);
    // A check mark: the display's own format is picked for you.
    p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(polylinePath({{5, 6.5}, {7.2, 8.5}, {11, 4.2}}));
}

// A square of n x n colour blocks; more blocks mean more colours.
void colourBlocks(QPainter& p, int n) {
    monitor(p);
    static const std::array<QColor, 16> colours{
        QColor(200, 40, 40),   QColor(240, 200, 40),  QColor(40, 160, 60),   QColor(40, 90, 200),
        QColor(240, 120, 40),  QColor(120, 200, 60),  QColor(40, 180, 200),  QColor(140, 60, 190),
        QColor(250, 160, 170), QColor(250, 240, 140), QColor(150, 220, 150), QColor(150, 180, 240),
        QColor(120, 30, 30),   QColor(140, 110, 20),  QColor(20, 90, 50),    QColor(30, 40, 120)};
    const double w = 12.0 / n, h = 7.0 / (n == 4 ? 2 : n);
    const int rows = n == 4 ? 2 : n;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < n; ++c)
            p.fillRect(QRectF(2 + c * w, 3 + r * h, w, h),
                       colours[static_cast<std::size_t>((r * 5 + c * 3) % 16)]);
}

void bits8(QPainter& p) {
    colourBlocks(p, 2);
}
void bits16(QPainter& p) {
    colourBlocks(p, 4);
}

void bits32(QPainter& p) {
    monitor(p);
    QLinearGradient rainbow(2, 0, 14, 0);
    rainbow.setColorAt(0.0, QColor(230, 40, 40));
    rainbow.setColorAt(0.2, QColor(250, 200, 40));
    rainbow.setColorAt(0.4, QColor(60, 190, 70));
    rainbow.setColorAt(0.6, QColor(40, 190, 220));
    rainbow.setColorAt(0.8, QColor(50, 80, 220));
    rainbow.setColorAt(1.0, QColor(180, 60, 200));
    p.fillRect(QRectF(2, 3, 12, 7), rainbow);
    QLinearGradient fade(0, 3, 0, 10);
    fade.setColorAt(0, QColor(255, 255, 255, 90));
    fade.setColorAt(1, QColor(0, 0, 0, 90));
    p.fillRect(QRectF(2, 3, 12, 7), fade);
}

void renderTimes(QPainter& p) {
    // A stopwatch.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 96, 108));
    p.drawRect(QRectF(6.5, 0.5, 3, 2));
    p.setPen(QPen(kOutlineDark, 1.2));
    p.setBrush(QColor(245, 245, 240));
    p.drawEllipse(QPointF(8, 9), 6, 6);
    p.setPen(QPen(kRed, 1.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(8, 9), QPointF(11, 5.5));
    p.setPen(QPen(kOutlineDark, 1.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(8, 9), QPointF(8, 5));
}

void bestTimes(QPainter& p) {
    // A cup on a plinth.
    p.setPen(QPen(QColor(150, 100, 10), 1));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(3.5, 5.5), 2.2, 2.2);
    p.drawEllipse(QPointF(12.5, 5.5), 2.2, 2.2);
    p.setBrush(kYellow);
    QPainterPath cup = polylinePath({{3.5, 1.5}, {12.5, 1.5}});
    cup.cubicTo(12.5, 7, 10.5, 9.5, 8, 9.5);
    cup.cubicTo(5.5, 9.5, 3.5, 7, 3.5, 1.5);
    p.drawPath(cup);
    p.drawRect(QRectF(7, 9.5, 2, 2.5));
    p.setBrush(QColor(120, 80, 40));
    p.setPen(QPen(QColor(70, 44, 20), 1));
    p.drawRect(QRectF(4.5, 12.5, 7, 2.5));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 248, 200));
    p.drawRect(QRectF(5.5, 2.5, 1.5, 4));
}

void help(QPainter& p) {
    roundBadge(p, kGreen);
    p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    QPainterPath q;
    q.moveTo(5.2, 6);
    q.cubicTo(5.2, 2.6, 10.8, 2.6, 10.8, 5.8);
    q.cubicTo(10.8, 7.8, 8, 7.8, 8, 10);
    p.drawPath(q);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(8, 12.4), 1.2, 1.2);
}

void preventUnsolvable(QPainter& p) {
    // A shield with a check mark: deals that can be won.
    QPainterPath shield;
    shield.moveTo(8, 0.8);
    shield.lineTo(14.5, 3);
    shield.cubicTo(14.5, 9, 12, 13, 8, 15.2);
    shield.cubicTo(4, 13, 1.5, 9, 1.5, 3);
    shield.closeSubpath();
    p.setPen(QPen(QColor(20, 90, 40), 1));
    p.setBrush(kGreen);
    p.drawPath(shield);
    p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(polylinePath({{4.8, 8}, {7.3, 10.5}, {11.4, 5.2}}));
}

void forceRepaint(QPainter& p) {
    // A paint brush laying down a stroke.
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawRoundedRect(QRectF(1, 12, 12, 3), 1.5, 1.5);
    p.save();
    p.translate(10, 6);
    p.rotate(45);
    p.setPen(QPen(QColor(90, 56, 20), 0.8));
    p.setBrush(QColor(170, 110, 50));
    p.drawRect(QRectF(-1.5, -8, 3, 8));
    p.setBrush(QColor(190, 196, 206));
    p.drawRect(QRectF(-2, 0, 4, 2.5));
    p.setBrush(kBlue);
    QPainterPath hair;
    hair.moveTo(-2, 2.5);
    hair.lineTo(2, 2.5);
    hair.cubicTo(2, 5.5, 0.5, 6.5, 0, 7.5);
    hair.cubicTo(-0.5, 6.5, -2, 5.5, -2, 2.5);
    p.drawPath(hair);
    p.restore();
}

} // namespace

QImage makeSymbol(int index) {
    static const std::array<std::function<void(QPainter&)>, kSymbolCount> painters{
        newGame,
        hint,
        undo,
        redo,
        about,
        exitGame,
        save,
        load,
        saveAs,
        pause,
        palette,
        autoFormat,
        bits8,
        bits16,
        bits32,
        renderTimes,
        bestTimes,
        help,
        preventUnsolvable,
        forceRepaint};
    QImage image(kSymbolSize, kSymbolSize, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    if (index < 0 || index >= kSymbolCount)
        return image;
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painters[static_cast<std::size_t>(index)](painter);
    painter.end();
    return image;
}

} // namespace kelmar::art
