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

// Board scales: the percentage the board is actually shown and composed at.
// Any whole percentage from kMinScale to kMaxScale, not only a level; the
// chosen level (Zoom=) only sizes a normal window, the board then fills
// whatever window the player makes.
inline constexpr int kMinScale = 50;
inline constexpr int kMaxScale = 600; // 3840 x 2880: a 5K screen, under kMaxPictureSide

constexpr int ClampScale(int64_t percent) {
    return percent < kMinScale   ? kMinScale
           : percent > kMaxScale ? kMaxScale
                                 : static_cast<int>(percent);
}

// The largest scale at which `board` board pixels, scaled and rounded down,
// still fit `room` pixels: ScaleLength(board, p) <= room exactly when
// board * p < 100 * (room + 1). Unbounded; 0 or less when nothing fits.
constexpr int64_t LargestScaleFor(int32_t board, int32_t room) {
    const int64_t limit = 100 * (int64_t{room} + 1) - 1;
    return limit < 0 ? -1 : limit / board;
}

// The largest scale at which a board of 640 x 480 board pixels fits into
// `width` x `height` pixels, clamped to kMinScale..kMaxScale (so a room too
// small even for kMinScale still gets kMinScale).
constexpr int FitScale(int32_t width, int32_t height) {
    const int64_t byWidth = LargestScaleFor(640, width);
    const int64_t byHeight = LargestScaleFor(480, height);
    return ClampScale(byWidth < byHeight ? byWidth : byHeight);
}

// The scale the pictures are composed at for a board shown at `scale` on a
// screen of `devicePixelRatio` device pixels per logical pixel: scale x
// ratio, rounded down, clamped. When that is not exactly the board's
// device size, the window scales the picture the rest of the way.
constexpr int RenderScale(int scale, double devicePixelRatio) {
    const double wanted = scale * devicePixelRatio + 1e-6;
    return ClampScale(wanted < kMaxScale ? static_cast<int64_t>(wanted) : kMaxScale);
}

// The levels whose picture files may serve `percent`, best first: the
// levels from `percent` up (scaled down with a filter loses least), then
// those below it, nearest first. At a level its own file comes first.
constexpr std::array<int, kZoomLevels.size()> SourceLevelOrder(int percent) {
    std::array<int, kZoomLevels.size()> order{};
    std::size_t n = 0;
    for (int level : kZoomLevels) {
        if (level >= percent) {
            order[n++] = level;
        }
    }
    for (auto level = kZoomLevels.rbegin(); level != kZoomLevels.rend(); ++level) {
        if (*level < percent) {
            order[n++] = *level;
        }
    }
    return order;
}

// The pitch of the face cells in a tile sheet composed for `percent` from
// another level's cells: the face size, plus one spare column and row where
// the scaled face size is not whole. A face's scaled rectangle
// [ScaleLength(left), ScaleLength(left + 38)) is then 38p/100 rounded down
// or one more, depending on where it lies; the spare column and row repeat
// the cell's last ones so that either width copies a whole face. At the
// levels (multiples of 50) the sizes are whole and the pitch is the face.
constexpr int32_t SheetPitch(int32_t faceLength, int percent) {
    const int64_t product = int64_t{faceLength} * percent;
    return ScaleLength(faceLength, percent) + (product % 100 != 0 ? 1 : 0);
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
