// Zoom levels: how many device pixels the board takes per board pixel.
//
// The game keeps its 640 x 480 board coordinates at every size; only the
// renderer and the window know the level. A level is a percentage from
// kZoomLevels: at level p one board pixel is p / 100 device pixels, so a
// tile face of 38 x 54 board pixels is 38p/100 x 54p/100 device pixels, a
// whole number at every level (the levels are multiples of 50). Plain data,
// shared by the game, the settings file, the renderer and the picture
// generator; no Qt.
#pragma once

#include <array>
#include <climits>
#include <cstdint>
#include <string>
#include <string_view>

namespace kelmar {

inline constexpr std::array<int, 5> kZoomLevels = {100, 150, 200, 250, 300};
inline constexpr int kDefaultZoom = 100;

constexpr bool IsZoomLevel(int percent) {
    for (int level : kZoomLevels) {
        if (level == percent) {
            return true;
        }
    }
    return false;
}

// A stored or chosen number as a level: anything that is not one gives 100.
constexpr int ZoomFromPercent(int64_t percent) {
    return percent >= 0 && percent <= 1000 && IsZoomLevel(static_cast<int>(percent))
               ? static_cast<int>(percent)
               : kDefaultZoom;
}

// The next level up or down from `percent` (a level), staying at the ends.
constexpr int NextZoomLevel(int percent, int step) {
    int index = 0;
    for (int i = 0; i < static_cast<int>(kZoomLevels.size()); ++i) {
        if (kZoomLevels[static_cast<std::size_t>(i)] == percent) {
            index = i;
        }
    }
    index += step > 0 ? 1 : (step < 0 ? -1 : 0);
    if (index < 0) {
        index = 0;
    }
    if (index >= static_cast<int>(kZoomLevels.size())) {
        index = static_cast<int>(kZoomLevels.size()) - 1;
    }
    return kZoomLevels[static_cast<std::size_t>(index)];
}

// Board pixels to device pixels at `percent`, rounded down (towards minus
// infinity, so that the edges of neighbouring rectangles stay neighbours):
// floor(v * percent / 100).
// Results beyond the 32-bit range are clamped to it.
constexpr int32_t ScaleLength(int32_t v, int percent) {
    const int64_t product = static_cast<int64_t>(v) * percent;
    int64_t quotient = product / 100;
    if (product % 100 < 0) {
        --quotient;
    }
    if (quotient > INT32_MAX) {
        return INT32_MAX;
    }
    return quotient < INT32_MIN ? INT32_MIN : static_cast<int32_t>(quotient);
}

// Device pixels back to board pixels at `percent`: the board pixel b whose
// drawn span [ScaleLength(b), ScaleLength(b + 1)) holds v, that is
// ceil((v + 1) * 100 / percent) - 1. So a device pixel lies inside a scaled
// rectangle exactly when its board pixel lies inside the rectangle, also at
// 150 and 250 %, where scaled edges fall on half pixels and are rounded down.
constexpr int32_t UnscaleLength(int32_t v, int percent) {
    if (percent <= 0) {
        return v;
    }
    const int64_t n = (static_cast<int64_t>(v) + 1) * 100;
    int64_t ceiling = n / percent;
    if (n % percent > 0) {
        ++ceiling;
    }
    return static_cast<int32_t>(ceiling - 1);
}

// The largest level up to `chosen` at which a board of 640 x 480 board
// pixels fits into `width` x `height` pixels; 100 when none fits.
constexpr int FitZoomLevel(int chosen, int32_t width, int32_t height) {
    int fit = kZoomLevels[0];
    for (int level : kZoomLevels) {
        if (level <= chosen && ScaleLength(640, level) <= width &&
            ScaleLength(480, level) <= height) {
            fit = level;
        }
    }
    return fit;
}

// The level the pictures are drawn at for a board shown at `level` on a
// screen of `devicePixelRatio` device pixels per logical pixel: the largest
// level not above level x ratio (at least 100, at most 300). When it is
// below that product, the window scales the picture up the rest of the way.
constexpr int RenderZoomLevel(int level, double devicePixelRatio) {
    const double wanted = level * devicePixelRatio + 1e-6;
    int best = kZoomLevels[0];
    for (int candidate : kZoomLevels) {
        if (candidate <= wanted) {
            best = candidate;
        }
    }
    return best;
}

// Where the tile face lies in the tile-frame picture drawn for `percent`, and
// the picture's size. At 100: the face's top-left corner at (9, 1) of a
// 48 x 64 picture; in general a dark outline of percent/100 pixels (whole
// pixels, rounded down) around a side of 8 board pixels, scaled.
struct TileFrameGeometry {
    int32_t FaceLeft;
    int32_t FaceTop;
    int32_t Width;
    int32_t Height;
    int32_t Outline;
    int32_t SideDepth;
};

constexpr TileFrameGeometry FrameGeometryAt(int percent) {
    const int32_t outline = percent / 100 > 0 ? percent / 100 : 1;
    const int32_t side = ScaleLength(8, percent);
    const int32_t faceWidth = ScaleLength(38, percent);
    const int32_t faceHeight = ScaleLength(54, percent);
    return {outline + side,
            outline,
            outline + side + faceWidth + outline,
            outline + faceHeight + side + outline,
            outline,
            side};
}

// The file name of a picture drawn for `percent`: the name itself at 100
// ("KLTiles.bmp"), otherwise the level before the extension
// ("KLTiles200.bmp").
inline std::string ZoomedFileName(std::string_view name, int percent) {
    if (percent == kDefaultZoom) {
        return std::string(name);
    }
    const std::size_t dot = name.rfind('.');
    const std::string_view stem = dot == std::string_view::npos ? name : name.substr(0, dot);
    const std::string_view extension =
        dot == std::string_view::npos ? std::string_view() : name.substr(dot);
    return std::string(stem) + std::to_string(percent) + std::string(extension);
}

} // namespace kelmar
