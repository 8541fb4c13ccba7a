// Composes tiles the way the game draws its board: background repeated from
// the top-left corner, then per layer all frames (black transparent) and
// then all faces. Used for the logo and for the contact sheet.
#pragma once

#include <QImage>
#include <QSize>
#include <vector>

namespace kelmar::art {

struct PreviewTile {
    int x; // board position before the layer shift, pixels
    int y;
    int layer; // 1..5
    int kind;  // 1..42
};

struct TilePictures {
    QImage sheet;
    QImage frame;
};

// Face rectangle top-left of a tile: (x + 26 + 9 * layer, y + 29 - 9 * layer),
// in pixels of zoom level `percent` (scaled and rounded down like the game).
QPoint previewFaceOrigin(const PreviewTile& tile, int percent = 100);

// A picture of `size`: `background` repeated (or transparent when it is
// null), the tiles on top. `highlighted` is an index into `tiles` whose face
// gets the merge-paint highlight, or -1. `pictures` are those drawn for zoom
// level `percent`, and `size` is in its pixels.
QImage composeBoard(QSize size, const QImage& background, const TilePictures& pictures,
                    const std::vector<PreviewTile>& tiles, int highlighted = -1, int percent = 100);

// The frame with its black pixels made transparent (ARGB32).
QImage frameWithAlpha(const QImage& frame);

} // namespace kelmar::art
