#include "sheet_layout.h"

#include "art_style.h"
#include "tile_sheet.h"

#include <QPainter>
#include <array>

namespace kelmar::art {
namespace {

constexpr int kZoom = 2;
constexpr int kMargin = 40; // room for the pixel positions

// The German label of the cell of `kind` (0 is the highlight mask).
QString cellLabel(int kind) {
    static const std::array<QString, 4> winds{QStringLiteral("Nord"), QStringLiteral("Ost"),
                                              QStringLiteral("Süd"), QStringLiteral("West")};
    static const std::array<QString, 3> dragons{QStringLiteral("Drache\nrot"),
                                                QStringLiteral("Drache\ngrün"),
                                                QStringLiteral("Drache\nweiß")};
    if (kind == 0)
        return QStringLiteral("Maske");
    if (kind <= 9)
        return QStringLiteral("Münze\n%1").arg(kind);
    if (kind <= 18)
        return QStringLiteral("Bambus\n%1").arg(kind - 9);
    if (kind <= 27)
        return QStringLiteral("Zeichen\n%1").arg(kind - 18);
    if (kind <= 31)
        return winds[static_cast<std::size_t>(kind - 28)];
    if (kind <= 34)
        return dragons[static_cast<std::size_t>(kind - 32)];
    if (kind <= 38)
        return QStringLiteral("Blume\n%1").arg(kind - 34);
    return QStringLiteral("Jahres-\nzeit %1").arg(kind - 38);
}

} // namespace

QImage makeSheetLayoutPicture() {
    const QImage sheet = makeTileSheet();
    const int cellW = kFaceWidth * kZoom, cellH = kFaceHeight * kZoom;
    QImage out(kMargin + 9 * cellW + 8, kMargin + 5 * cellH + 8, QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    p.drawImage(QRect(kMargin, kMargin, 9 * cellW, 5 * cellH), sheet);
    p.fillRect(QRect(kMargin, kMargin, 9 * cellW, 5 * cellH), QColor(255, 255, 255, 170));
    p.setPen(QPen(QColor(40, 40, 40), 1));
    p.setFont(glyphFont(11, false));
    for (int column = 0; column <= 9; ++column) {
        const int x = kMargin + column * cellW;
        p.drawLine(x, kMargin, x, kMargin + 5 * cellH);
        p.drawText(QRect(x - 20, 6, 40, 16), Qt::AlignCenter, QString::number(column * kFaceWidth));
    }
    for (int row = 0; row <= 5; ++row) {
        const int y = kMargin + row * cellH;
        p.drawLine(kMargin, y, kMargin + 9 * cellW, y);
        p.drawText(QRect(0, y - 8, kMargin - 4, 16), Qt::AlignRight | Qt::AlignVCenter,
                   QString::number(row * kFaceHeight));
    }
    p.setFont(glyphFont(13, true));
    for (int kind = 0; kind <= 42; ++kind) {
        const QPoint cell = sheetCellOrigin(kind) * kZoom + QPoint(kMargin, kMargin);
        p.drawText(QRect(cell, QSize(cellW, cellH)), Qt::AlignCenter, cellLabel(kind));
    }
    for (int row = 3; row <= 4; ++row)
        p.drawText(QRect(kMargin + 8 * cellW, kMargin + row * cellH, cellW, cellH), Qt::AlignCenter,
                   QStringLiteral("frei"));
    return out;
}

} // namespace kelmar::art
