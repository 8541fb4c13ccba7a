// The tile frame KLTFrame.bmp: the tile's body drawn under each face.
//
// At 100 %: 48 x 64 pixels. The face (38 x 54) covers (9, 1)..(47, 55); the
// body shows as an 8-pixel side to the left and below (higher layers lie 9
// pixels up and right), wrapped in a 1-pixel dark outline. Pure black
// (0, 0, 0) marks the transparent pixels and appears nowhere else. At other
// zoom levels every length is scaled as FrameGeometryAt describes.
#pragma once

#include <QImage>
#include <QPoint>

namespace kelmar::art {

constexpr int kFrameWidth = 48;
constexpr int kFrameHeight = 64;
// Where the face's top-left corner lands inside the frame picture.
constexpr QPoint kFaceOffsetInFrame{9, 1};
// Depth of the visible side in pixels, outline excluded.
constexpr int kSideDepth = 8;

// The frame drawn for zoom level `percent` (FrameGeometryAt(percent) gives
// its size and where the face lies in it).
QImage makeTileFrame(int percent = 100);

} // namespace kelmar::art
