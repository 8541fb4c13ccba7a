#include "tile_frame.h"

#include "art_style.h"

#include <QColor>
#include <algorithm>

namespace kelmar::art {
namespace {

constexpr int faceLeft = kFaceOffsetInFrame.x();
constexpr int faceTop = kFaceOffsetInFrame.y();
constexpr int faceRight = faceLeft + kFaceWidth;  // exclusive
constexpr int faceBottom = faceTop + kFaceHeight; // exclusive

// Smallest diagonal shift t (0..kSideDepth) that carries the pixel back
// onto the face (x + t, y - t), or -1 when the pixel is outside the body.
int bodyDepth(int x, int y) {
    const int t = std::max({0, faceLeft - x, y - (faceBottom - 1)});
    if (t > kSideDepth)
        return -1;
    const int fx = x + t;
    const int fy = y - t;
    if (fx < faceLeft || fx >= faceRight || fy < faceTop || fy >= faceBottom)
        return -1;
    return t;
}

QColor mix(const QColor& a, const QColor& b, double f) {
    return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * f,
                            a.greenF() + (b.greenF() - a.greenF()) * f,
                            a.blueF() + (b.blueF() - a.blueF()) * f);
}

// The side is layered like a real tile: an ivory top slab over a jade back.
// The left side catches the light, the bottom side lies in shade.
QColor sideColor(int depth, bool bottomSide) {
    const QColor boneLight(232, 222, 194), boneDark(206, 194, 160);
    const QColor jadeLight(64, 146, 104), jadeDark(36, 104, 72);
    const double shade = bottomSide ? 0.78 : 1.0;
    QColor c = depth <= 4 ? mix(boneLight, boneDark, (depth - 1) / 3.0)
                          : mix(jadeLight, jadeDark, (depth - 5) / 3.0);
    return QColor::fromRgbF(c.redF() * shade, c.greenF() * shade, c.blueF() * shade);
}

const QColor kOutline(34, 38, 36);
const QColor kSeam(120, 108, 86); // between ivory slab and jade back
const QColor kEdge(70, 78, 70);   // the diagonal edge of the body

bool touchesBody(int x, int y) {
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (bodyDepth(x + dx, y + dy) >= 0)
                return true;
    return false;
}

} // namespace

QImage makeTileFrame() {
    QImage frame(kFrameWidth, kFrameHeight, QImage::Format_RGB32);
    frame.fill(QColor(0, 0, 0));
    for (int y = 0; y < kFrameHeight; ++y) {
        for (int x = 0; x < kFrameWidth; ++x) {
            const int depth = bodyDepth(x, y);
            QColor color;
            if (depth == 0) {
                color = kIvory; // covered by the face, kept opaque anyway
            } else if (depth > 0) {
                const int leftDepth = faceLeft - x;
                const int bottomDepth = y - (faceBottom - 1);
                if (leftDepth == bottomDepth)
                    color = kEdge;
                else if (depth == 5)
                    color = kSeam;
                else
                    color = sideColor(depth, bottomDepth > leftDepth);
            } else if (touchesBody(x, y)) {
                color = kOutline;
            } else {
                continue;
            }
            frame.setPixel(x, y, color.rgb());
        }
    }
    return frame;
}

} // namespace kelmar::art
