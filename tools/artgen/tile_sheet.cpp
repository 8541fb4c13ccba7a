#include "tile_sheet.h"

#include "art_style.h"
#include "core/zoom.h"
#include "tile_faces.h"

#include <QPainter>
#include <algorithm>

namespace kelmar::art {

QPoint sheetCellOrigin(int kind) {
    int column = -1;
    int row = -1;
    if (kind == 0) {
        column = 7;
        row = 4;
    } else if (kind >= 1 && kind <= 9) {
        column = kind - 1;
        row = 1;
    } else if (kind >= 10 && kind <= 18) {
        column = kind - 10;
        row = 0;
    } else if (kind >= 19 && kind <= 27) {
        column = kind - 19;
        row = 2;
    } else if (kind >= 28 && kind <= 31) {
        column = 4 + kind - 28;
        row = 3;
    } else if (kind >= 32 && kind <= 34) {
        column = 4 + kind - 32;
        row = 4;
    } else if (kind >= 35 && kind <= 38) {
        column = kind - 35;
        row = 3;
    } else if (kind >= 39 && kind <= 42) {
        column = kind - 39;
        row = 4;
    } else {
        return {-1, -1};
    }
    return {column * kFaceWidth, row * kFaceHeight};
}

QPoint sheetCellOrigin(int kind, int percent) {
    const QPoint origin = sheetCellOrigin(kind);
    if (origin.x() < 0)
        return origin;
    return {ScaleLength(origin.x(), percent), ScaleLength(origin.y(), percent)};
}

int highlightMaskLevel(int x, int y, int percent) {
    // Merge-paint ORs the inverted mask into the face. The middle level 0xA0
    // ORs 0x5F (0101 1111) into every colour byte: the ivory ground turns a
    // pale yellow (its blue byte lacks bit 5), inks lift to mid tones and
    // stay readable. The rim (0..3 px from the edge) goes down to 0x80,
    // which ORs 0x7F, so a highlighted face also glows at its border.
    // The rim is measured in board pixels, so it is as wide at every level.
    const int width = ScaleLength(kFaceWidth, percent);
    const int height = ScaleLength(kFaceHeight, percent);
    const int edge = std::min({x, y, width - 1 - x, height - 1 - y}) * 100 / percent;
    constexpr int rimLevels[] = {0x80, 0x80, 0x90, 0x98};
    return edge < 4 ? rimLevels[edge] : 0xA0;
}

void mergePaint(QImage& dest, QPoint at, const QImage& sheet, QPoint maskOrigin, QSize cell) {
    for (int y = 0; y < cell.height(); ++y) {
        for (int x = 0; x < cell.width(); ++x) {
            const QPoint d = at + QPoint(x, y);
            const QPoint m = maskOrigin + QPoint(x, y);
            if (!dest.rect().contains(d) || !sheet.rect().contains(m))
                continue;
            const QRgb mask = sheet.pixel(m);
            const QRgb face = dest.pixel(d);
            dest.setPixel(d, qRgb((~qRed(mask) | qRed(face)) & 0xFF,
                                  (~qGreen(mask) | qGreen(face)) & 0xFF,
                                  (~qBlue(mask) | qBlue(face)) & 0xFF));
        }
    }
}

QImage makeTileSheet(int percent) {
    const int cellWidth = ScaleLength(kFaceWidth, percent);
    const int cellHeight = ScaleLength(kFaceHeight, percent);
    QImage sheet(ScaleLength(kSheetWidth, percent), ScaleLength(kSheetHeight, percent),
                 QImage::Format_RGB32);
    sheet.fill(QColor(128, 128, 128));
    QPainter painter(&sheet);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    for (int kind = kFirstKind; kind <= kLastKind; ++kind) {
        const QPoint origin = sheetCellOrigin(kind, percent);
        painter.save();
        painter.translate(origin);
        painter.setClipRect(0, 0, cellWidth, cellHeight);
        // The faces are outlines in 38 x 54 units; larger levels draw the
        // same outlines scaled, so they stay sharp.
        if (percent != 100)
            painter.scale(percent / 100.0, percent / 100.0);
        paintTileFace(painter, kind);
        painter.restore();
    }
    painter.end();
    const QPoint maskOrigin = sheetCellOrigin(0, percent);
    for (int y = 0; y < cellHeight; ++y)
        for (int x = 0; x < cellWidth; ++x) {
            const int level = highlightMaskLevel(x, y, percent);
            sheet.setPixel(maskOrigin + QPoint(x, y), qRgb(level, level, level));
        }
    return sheet;
}

} // namespace kelmar::art
