// The tile frame KLTFrame.bmp: the tile's body drawn under each face.
//
// At 100 %: 48 x 64 pixels. The face (38 x 54) covers (9, 1)..(47, 55); the
// body shows as an 8-pixel side to the left and below (higher layers lie 9
// pixels up and right), wrapped in a 1-pixel dark outline. Pure black
// (0, 0, 0) marks the transparent pixels and appears nowhere else. At other
// zoom levels every length is scaled as FrameGeometryAt describes.
#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>

namespace kelmar::art {

constexpr int kFrameWidth = 48;
constexpr int kFrameHeight = 64;
// Where the face's top-left corner lands inside the frame picture.
constexpr QPoint kFaceOffsetInFrame{9, 1};
// Depth of the visible side in pixels, outline excluded.
constexpr int kSideDepth = 8;

// The colours of a frame: the side is an upper slab (light to dark with
// depth) over a back (light to dark), a seam between them, the diagonal
// edge of the body and the outline around it. None may be pure black.
struct FrameColours {
    QColor slabLight;
    QColor slabDark;
    QColor backLight;
    QColor backDark;
    QColor seam;
    QColor edge;
    QColor outline;
    QColor hidden; // under the face, never seen
};

// The classic set's ivory slab over a jade back.
extern const FrameColours kClassicFrame;

// The frame drawn for zoom level `percent` (FrameGeometryAt(percent) gives
// its size and where the face lies in it).
QImage makeTileFrame(int percent = 100, const FrameColours& colours = kClassicFrame);

} // namespace kelmar::art
