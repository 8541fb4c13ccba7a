#include "render/scaled_pictures.h"

#include "core/game.h"
#include "core/zoom.h"

#include <QPainter>
#include <algorithm>
#include <cstdint>

namespace kelmar {
namespace {

constexpr int kSheetColumns = 9;
constexpr int kSheetRows = 5;

int ScaledSide(int side, int from, int to) {
    return std::max(1, static_cast<int>(int64_t{side} * to / std::max(1, from)));
}

QImage Rgb32(const QImage& image) {
    return image.format() == QImage::Format_RGB32 ? image
                                                  : image.convertToFormat(QImage::Format_RGB32);
}

// Repeats column `from` of `image` into column `to` between rows top and bottom.
void CopyColumn(QImage& image, int from, int to, int top, int bottom) {
    for (int y = top; y < bottom; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        row[to] = row[from];
    }
}

} // namespace

QImage ScaleRepeatingPicture(const QImage& tile, int from, int to) {
    const QImage source = Rgb32(tile);
    const int w = source.width();
    const int h = source.height();
    const int scaledW = ScaledSide(w, from, to);
    const int scaledH = ScaledSide(h, from, to);
    // Three by three copies, scaled whole; the middle copy has its real
    // neighbours on every side.
    QImage around(3 * w, 3 * h, QImage::Format_RGB32);
    {
        QPainter painter(&around);
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 3; ++x) {
                painter.drawImage(x * w, y * h, source);
            }
        }
    }
    const QImage scaled =
        around.scaled(3 * scaledW, 3 * scaledH, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return scaled.copy(scaledW, scaledH, scaledW, scaledH);
}

QImage ScaleTileSheet(const QImage& sheet, int from, int to) {
    const QImage source = Rgb32(sheet);
    const int cellW = ScaleLength(kFaceWidth, from);
    const int cellH = ScaleLength(kFaceHeight, from);
    const int faceW = ScaleLength(kFaceWidth, to);
    const int faceH = ScaleLength(kFaceHeight, to);
    const int pitchX = SheetPitch(kFaceWidth, to);
    const int pitchY = SheetPitch(kFaceHeight, to);
    QImage out(kSheetColumns * pitchX, kSheetRows * pitchY, QImage::Format_RGB32);
    out.fill(Qt::black);
    for (int row = 0; row < kSheetRows; ++row) {
        for (int column = 0; column < kSheetColumns; ++column) {
            const QRect cellRect(column * cellW, row * cellH, cellW, cellH);
            if (!source.rect().contains(cellRect)) {
                continue; // no face there; stays black
            }
            // The cell read in place, not copied.
            const QImage cell(source.constScanLine(cellRect.top()) + 4 * cellRect.left(), cellW,
                              cellH, source.bytesPerLine(), QImage::Format_RGB32);
            const QImage face =
                cell.scaled(faceW, faceH, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                    .convertToFormat(QImage::Format_RGB32);
            for (int y = 0; y < faceH; ++y) {
                std::copy_n(reinterpret_cast<const QRgb*>(face.constScanLine(y)), faceW,
                            reinterpret_cast<QRgb*>(out.scanLine(row * pitchY + y)) +
                                column * pitchX);
            }
        }
    }
    // The spare column and row repeat the face's last ones.
    for (int row = 0; row < kSheetRows; ++row) {
        const int top = row * pitchY;
        for (int column = 0; column < kSheetColumns && pitchX > faceW; ++column) {
            const int last = column * pitchX + faceW - 1;
            CopyColumn(out, last, last + 1, top, top + faceH);
        }
        if (pitchY > faceH) {
            const int last = top + faceH - 1;
            std::copy_n(reinterpret_cast<const QRgb*>(out.constScanLine(last)), out.width(),
                        reinterpret_cast<QRgb*>(out.scanLine(last + 1)));
        }
    }
    return out;
}

QImage ScaleKeyedPicture(const QImage& picture, int from, int to) {
    const QImage source = Rgb32(picture);
    // Black becomes transparent, everything else opaque; premultiplied, so
    // that the filter averages only opaque colours.
    QImage keyed(source.size(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < source.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(keyed.scanLine(y));
        for (int x = 0; x < source.width(); ++x) {
            out[x] = (in[x] & 0xFFFFFFu) == 0 ? 0u : (in[x] | 0xFF000000u);
        }
    }
    const QImage scaled =
        keyed.scaled(ScaledSide(source.width(), from, to), ScaledSide(source.height(), from, to),
                     Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QImage result(scaled.size(), QImage::Format_RGB32);
    for (int y = 0; y < scaled.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(scaled.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < scaled.width(); ++x) {
            const int alpha = qAlpha(in[x]);
            if (alpha < 128) {
                out[x] = qRgb(0, 0, 0);
                continue;
            }
            const QRgb colour = qUnpremultiply(in[x]);
            // Pure black would turn transparent.
            out[x] = (colour & 0xFFFFFFu) == 0 ? qRgb(0, 0, 1) : (colour | 0xFF000000u);
        }
    }
    return result;
}

} // namespace kelmar
