// Zoom levels: board pixels to device pixels and back, the level that fits a
// window and the level the pictures are drawn at.
#include "core/zoom.h"

#include <gtest/gtest.h>

namespace kelmar {
namespace {

// Every device pixel maps back to the board pixel whose rounded-down span
// holds it, so a click lands on exactly what was drawn there, at every
// level and on both sides of the board's origin.
TEST(Zoom, DevicePixelsMapBackToTheBoardPixelDrawnThere) {
    for (int percent : kZoomLevels) {
        for (int32_t b = -60; b <= 700; ++b) {
            const int32_t first = ScaleLength(b, percent);
            const int32_t end = ScaleLength(b + 1, percent);
            ASSERT_GE(end - first, 1) << percent << " " << b;
            for (int32_t d = first; d < end; ++d) {
                ASSERT_EQ(UnscaleLength(d, percent), b) << percent << " " << d;
            }
        }
    }
    EXPECT_EQ(ScaleLength(137, 150), 205); // 205.5 rounded down
    EXPECT_EQ(ScaleLength(-1, 150), -2);
    EXPECT_EQ(ScaleLength(INT32_MAX, 300), INT32_MAX);
}

TEST(Zoom, TheBoardTakesTheLargestLevelUpToTheChosenOneThatFits) {
    struct Case {
        int chosen;
        int32_t width, height;
        int fit;
    };
    const Case cases[] = {
        {100, 640, 480, 100},   {300, 640, 480, 100},   {300, 959, 2000, 100},
        {300, 960, 720, 150},   {300, 1280, 959, 150},  {200, 3000, 2000, 200},
        {300, 1920, 1440, 300}, {250, 1920, 1440, 250}, {300, 500, 400, 100},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FitZoomLevel(c.chosen, c.width, c.height), c.fit)
            << c.chosen << " " << c.width << "x" << c.height;
    }
}

TEST(Zoom, PicturesAreDrawnForTheDevicePixelsUpTo300) {
    struct Case {
        int level;
        double ratio;
        int render;
    };
    const Case cases[] = {{100, 1.0, 100}, {150, 1.0, 150},  {100, 2.0, 200},
                          {150, 2.0, 300}, {200, 2.0, 300},  {100, 1.25, 100},
                          {100, 1.5, 150}, {200, 1.75, 300}, {100, 0.5, 100}};
    for (const Case& c : cases) {
        EXPECT_EQ(RenderZoomLevel(c.level, c.ratio), c.render) << c.level << " x" << c.ratio;
    }
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
