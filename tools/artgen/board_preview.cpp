#include "board_preview.h"

#include "art_style.h"
#include "core/zoom.h"
#include "tile_frame.h"
#include "tile_sheet.h"

#include <QPainter>
#include <algorithm>

namespace kelmar::art {

QPoint previewFaceOrigin(const PreviewTile& tile, int percent) {
    return {ScaleLength(tile.x + 26 + 9 * tile.layer, percent),
            ScaleLength(tile.y + 29 - 9 * tile.layer, percent)};
}

QImage frameWithAlpha(const QImage& frame) {
    QImage result = frame.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < result.height(); ++y)
        for (int x = 0; x < result.width(); ++x)
            if ((result.pixel(x, y) & 0xFFFFFF) == 0)
                result.setPixel(x, y, 0);
    return result;
}

QImage composeBoard(QSize size, const QImage& background, const TilePictures& pictures,
                    const std::vector<PreviewTile>& tiles, int highlighted, int percent) {
    QImage board(size, QImage::Format_ARGB32_Premultiplied);
    board.fill(Qt::transparent);
    QPainter painter(&board);
    if (!background.isNull())
        for (int y = 0; y < size.height(); y += background.height())
            for (int x = 0; x < size.width(); x += background.width())
                painter.drawImage(x, y, background);
    const QImage frame = frameWithAlpha(pictures.frame);
    const TileFrameGeometry frameAt = FrameGeometryAt(percent);
    const QPoint faceInFrame(frameAt.FaceLeft, frameAt.FaceTop);
    const QSize cell(ScaleLength(kFaceWidth, percent), ScaleLength(kFaceHeight, percent));
    int maxLayer = 0;
    for (const PreviewTile& tile : tiles)
        maxLayer = std::max(maxLayer, tile.layer);
    for (int layer = 1; layer <= maxLayer; ++layer) {
        for (const PreviewTile& tile : tiles)
            if (tile.layer == layer)
                painter.drawImage(previewFaceOrigin(tile, percent) - faceInFrame, frame);
        for (std::size_t i = 0; i < tiles.size(); ++i) {
            const PreviewTile& tile = tiles[i];
            if (tile.layer != layer)
                continue;
            const QPoint origin = previewFaceOrigin(tile, percent);
            painter.drawImage(origin, pictures.sheet,
                              QRect(sheetCellOrigin(tile.kind, percent), cell));
            if (int(i) == highlighted) {
                painter.end();
                mergePaint(board, origin, pictures.sheet, sheetCellOrigin(0, percent), cell);
                painter.begin(&board);
            }
        }
    }
    painter.end();
    return board;
}

} // namespace kelmar::art
