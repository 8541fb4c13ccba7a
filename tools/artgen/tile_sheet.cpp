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

bool inHighlightRing(int x, int y, int percent) {
    const int width = ScaleLength(kFaceWidth, percent);
    const int height = ScaleLength(kFaceHeight, percent);
    // Rounded up: at 150 and 250 the rim ends in a half-covered pixel,
    // which the ring includes.
    return std::min({x, y, width - 1 - x, height - 1 - y}) < (kFaceRimWidth * percent + 99) / 100;
}

QRgb highlightMaskColor(int x, int y, int percent, const QColor& ring, const QColor& tint) {
    // The mask holds the inverse of the bits to set: a ring over the face's
    // rim, a tint inside.
    const QColor& set = inHighlightRing(x, y, percent) ? ring : tint;
    return qRgb(~set.red() & 0xFF, ~set.green() & 0xFF, ~set.blue() & 0xFF);
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

const SheetArt kClassicSheetArt{paintTileFace, kHighlightRing, kHighlightTint};

QImage makeTileSheet(int percent, const SheetArt& art) {
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
        art.paintFace(painter, kind);
        painter.restore();
    }
    painter.end();
    const QPoint maskOrigin = sheetCellOrigin(0, percent);
    for (int y = 0; y < cellHeight; ++y)
        for (int x = 0; x < cellWidth; ++x) {
            sheet.setPixel(maskOrigin + QPoint(x, y),
                           highlightMaskColor(x, y, percent, art.ring, art.tint));
        }
    return sheet;
}

} // namespace kelmar::art
