#include "tile_frame.h"

#include "art_style.h"
#include "core/zoom.h"

#include <QColor>
#include <algorithm>
#include <cstdlib>

namespace kelmar::art {
namespace {

// The frame's lengths in pixels of the picture being drawn.
struct FrameShape {
    int percent;
    int faceLeft;
    int faceTop;
    int faceRight;  // exclusive
    int faceBottom; // exclusive
    int sideDepth;
    int outline;
};

FrameShape frameShape(int percent) {
    const TileFrameGeometry g = FrameGeometryAt(percent);
    return {percent,
            g.FaceLeft,
            g.FaceTop,
            g.FaceLeft + ScaleLength(kFaceWidth, percent),
            g.FaceTop + ScaleLength(kFaceHeight, percent),
            g.SideDepth,
            g.Outline};
}

// Smallest diagonal shift t (0..sideDepth) that carries the pixel back
// onto the face (x + t, y - t), or -1 when the pixel is outside the body.
int bodyDepth(const FrameShape& f, int x, int y) {
    const int t = std::max({0, f.faceLeft - x, y - (f.faceBottom - 1)});
    if (t > f.sideDepth)
        return -1;
    const int fx = x + t;
    const int fy = y - t;
    if (fx < f.faceLeft || fx >= f.faceRight || fy < f.faceTop || fy >= f.faceBottom)
        return -1;
    return t;
}

QColor mix(const QColor& a, const QColor& b, double f) {
    return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * f,
                            a.greenF() + (b.greenF() - a.greenF()) * f,
                            a.blueF() + (b.blueF() - a.blueF()) * f);
}

// The side is layered like a real tile: an ivory top slab over a jade back.
// The left side catches the light, the bottom side lies in clear shade, so
// each layer reads as a raised block against the dark rims of the faces
// below. `depth` is in board pixels (1..8, fractional above 100 %); `band` is
// the board pixel it falls in (1..8), which decides slab or back.
QColor sideColor(const FrameColours& colours, double depth, int band, bool bottomSide) {
    const double shade = bottomSide ? 0.6 : 1.0;
    QColor c =
        band <= 4
            ? mix(colours.slabLight, colours.slabDark, std::clamp((depth - 1) / 3.0, 0.0, 1.0))
            : mix(colours.backLight, colours.backDark, std::clamp((depth - 5) / 3.0, 0.0, 1.0));
    return QColor::fromRgbF(c.redF() * shade, c.greenF() * shade, c.blueF() * shade);
}

// Within `outline` pixels (in both directions) of the body.
bool touchesBody(const FrameShape& f, int x, int y) {
    for (int dy = -f.outline; dy <= f.outline; ++dy)
        for (int dx = -f.outline; dx <= f.outline; ++dx)
            if (bodyDepth(f, x + dx, y + dy) >= 0)
                return true;
    return false;
}

} // namespace

const FrameColours kClassicFrame{
    {252, 246, 228}, {224, 214, 184}, {96, 184, 132},
    {58, 138, 96},   {120, 108, 86}, // between ivory slab and jade back
    {70, 78, 70},                    // the diagonal edge of the body
    {34, 38, 36},    kIvory,
};

QImage makeTileFrame(int percent, const FrameColours& colours) {
    const FrameShape f = frameShape(percent);
    const TileFrameGeometry g = FrameGeometryAt(percent);
    QImage frame(g.Width, g.Height, QImage::Format_RGB32);
    frame.fill(QColor(0, 0, 0));
    for (int y = 0; y < g.Height; ++y) {
        for (int x = 0; x < g.Width; ++x) {
            const int depth = bodyDepth(f, x, y);
            QColor color;
            if (depth == 0) {
                color = colours.hidden; // covered by the face, kept opaque anyway
            } else if (depth > 0) {
                const int leftDepth = f.faceLeft - x;
                const int bottomDepth = y - (f.faceBottom - 1);
                // The board pixel the depth falls in: 1..8 at every level.
                const int band = (depth * 100 + percent - 1) / percent;
                if (std::abs(leftDepth - bottomDepth) < f.outline)
                    color = colours.edge; // as wide as the outline
                else if (band == 5)
                    color = colours.seam;
                else
                    color =
                        sideColor(colours, depth * 100.0 / percent, band, bottomDepth > leftDepth);
            } else if (touchesBody(f, x, y)) {
                color = colours.outline;
            } else {
                continue;
            }
            frame.setPixel(x, y, color.rgb());
        }
    }
    return frame;
}

} // namespace kelmar::art
