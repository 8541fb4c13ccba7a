// Zoom levels and scales: board pixels to device pixels and back, the scale
// that fits a window, the scale and files the pictures are made from.
#include "core/zoom.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace kelmar {
namespace {

constexpr int32_t kFaceWidthForTest = 38;
constexpr int32_t kFaceHeightForTest = 54;

// Every device pixel maps back to the board pixel whose rounded-down span
// holds it, so a click lands on exactly what was drawn there, at every
// scale the board can take (the levels and everything between, 137 and 183
// among them) and on both sides of the board's origin.
TEST(Zoom, DevicePixelsMapBackToTheBoardPixelDrawnThere) {
    for (int percent = kMinScale; percent <= kMaxScale; ++percent) {
        for (int32_t b = -60; b <= 700; ++b) {
            const int32_t first = ScaleLength(b, percent);
            const int32_t end = ScaleLength(b + 1, percent);
            // Below 100 % some board pixels get no device pixel of their own.
            ASSERT_GE(end - first, percent >= 100 ? 1 : 0) << percent << " " << b;
            for (int32_t d = first; d < end; ++d) {
                ASSERT_EQ(UnscaleLength(d, percent), b) << percent << " " << d;
            }
        }
    }
    EXPECT_EQ(ScaleLength(137, 150), 205); // 205.5 rounded down
    EXPECT_EQ(ScaleLength(-1, 150), -2);
    EXPECT_EQ(ScaleLength(INT32_MAX, 300), INT32_MAX);
}

// The board takes the largest whole percentage at which both its scaled
// sides fit, whatever level was chosen; the edges are exact (one pixel less
// and the scale drops), and it never leaves kMinScale..kMaxScale.
TEST(Zoom, TheBoardTakesTheLargestScaleThatFitsTheRoom) {
    struct Case {
        int32_t width, height;
        int fit;
    };
    const Case cases[] = {
        {640, 480, 100},   {639, 480, 99},    {640, 479, 99},    {642, 530, 100},
        {1918, 1008, 210}, {1364, 688, 143},  {876, 657, 137},   {875, 657, 136},
        {1171, 878, 183},  {1171, 877, 182},  {1280, 960, 200},  {1279, 960, 199},
        {3000, 481, 100},  {320, 240, 50},    {319, 240, 50},    {0, 0, 50},
        {-5, -5, 50},      {3840, 2880, 600}, {9999, 9999, 600}, {INT32_MAX, INT32_MAX, 600},
    };
    for (const Case& c : cases) {
        const int fit = FitScale(c.width, c.height);
        EXPECT_EQ(fit, c.fit) << c.width << "x" << c.height;
        if (fit > kMinScale && fit < kMaxScale) {
            EXPECT_LE(ScaleLength(640, fit), c.width);
            EXPECT_LE(ScaleLength(480, fit), c.height);
            EXPECT_TRUE(ScaleLength(640, fit + 1) > c.width || ScaleLength(480, fit + 1) > c.height)
                << c.width << "x" << c.height;
        }
    }
}

// The pictures are composed for the screen's device pixels: the scale
// times the ratio, rounded down, within the scale limits.
TEST(Zoom, PicturesAreComposedForTheDevicePixels) {
    struct Case {
        int scale;
        double ratio;
        int render;
    };
    const Case cases[] = {{100, 1.0, 100},  {137, 1.0, 137}, {100, 2.0, 200}, {150, 2.0, 300},
                          {137, 1.25, 171}, {100, 1.5, 150}, {400, 2.0, 600}, {60, 0.5, 50}};
    for (const Case& c : cases) {
        EXPECT_EQ(RenderScale(c.scale, c.ratio), c.render) << c.scale << " x" << c.ratio;
    }
}

// Pictures for a scale come from the level files from it up first (scaling
// down loses least), then from below, nearest first; a level reads its own.
TEST(Zoom, PictureFilesAreTakenFromTheNearestLevelAboveFirst) {
    using Order = std::array<int, kZoomLevels.size()>;
    EXPECT_EQ(SourceLevelOrder(137), (Order{150, 200, 250, 300, 100}));
    EXPECT_EQ(SourceLevelOrder(200), (Order{200, 250, 300, 150, 100}));
    EXPECT_EQ(SourceLevelOrder(60), (Order{100, 150, 200, 250, 300}));
    EXPECT_EQ(SourceLevelOrder(437), (Order{300, 250, 200, 150, 100}));
}

// Where a scaled face size is not whole, a sheet cell is one pixel larger
// than the face, so that a face rounded one pixel wider still gets a whole
// cell; at the levels the cell is the face.
TEST(Zoom, SheetCellsHaveRoomForAFaceRoundedOneLarger) {
    for (int percent = kMinScale; percent <= kMaxScale; ++percent) {
        for (int32_t side : {kFaceWidthForTest, kFaceHeightForTest}) {
            int32_t widest = 0;
            for (int32_t left = 0; left < 700; ++left) {
                widest = std::max(widest,
                                  ScaleLength(left + side, percent) - ScaleLength(left, percent));
            }
            ASSERT_EQ(SheetPitch(side, percent), widest) << percent << " " << side;
        }
    }
    EXPECT_EQ(SheetPitch(38, 150), 57);
    EXPECT_EQ(SheetPitch(38, 137), 53);
}

TEST(Zoom, StepsStopAtTheEndsAndStrangeNumbersGive100) {
    EXPECT_EQ(NextZoomLevel(100, +1), 150);
    EXPECT_EQ(NextZoomLevel(300, +1), 300);
    EXPECT_EQ(NextZoomLevel(100, -1), 100);
    EXPECT_EQ(NextZoomLevel(250, -1), 200);
    for (int64_t bad : {int64_t{0}, int64_t{99}, int64_t{101}, int64_t{175}, int64_t{350},
                        int64_t{-100}, int64_t{1} << 40}) {
        EXPECT_EQ(ZoomFromPercent(bad), 100) << bad;
    }
}

TEST(Zoom, FrameGeometryAndFileNamesKeepTodaysAt100) {
    const TileFrameGeometry at100 = FrameGeometryAt(100);
    EXPECT_EQ(at100.FaceLeft, 9);
    EXPECT_EQ(at100.FaceTop, 1);
    EXPECT_EQ(at100.Width, 48);
    EXPECT_EQ(at100.Height, 64);
    const TileFrameGeometry at150 = FrameGeometryAt(150);
    EXPECT_EQ(at150.Width, 13 + 57 + 1);
    EXPECT_EQ(at150.Height, 1 + 81 + 12 + 1);
    EXPECT_EQ(ZoomedFileName("KLTiles.bmp", 100), "KLTiles.bmp");
    EXPECT_EQ(ZoomedFileName("KLMRLogo.jpg", 250), "KLMRLogo250.jpg");
}

} // namespace
} // namespace kelmar
