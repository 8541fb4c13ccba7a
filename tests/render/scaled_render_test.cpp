// The board composed at larger zoom levels, in every pixel format: the same
// picture with each board pixel drawn as percent/100 device pixels, the
// highlight's byte rules on the scaled rectangle, and the pictures of a level
// read from their own files or, when missing, scaled from a smaller level.
#include "core/board.h"
#include "core/deal.h"
#include "core/rules.h"
#include "render/bitmap_ops.h"
#include "render/graphics_error.h"
#include "render/logo_screen.h"
#include "render/picture_file.h"
#include "render/renderer.h"
#include "render_test_support.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <gtest/gtest.h>

namespace kelmar {
namespace {

using test::FormatName;

// Each pixel of `src` as a `factor` x `factor` square, stored values copied.
Bitmap Enlarged(const Bitmap& src, int32_t factor) {
    Bitmap out(src.width() * factor, src.height() * factor, src.format());
    for (int32_t y = 0; y < out.height(); ++y) {
        for (int32_t x = 0; x < out.width(); ++x) {
            out.setRawPixel(x, y, src.rawPixel(x / factor, y / factor));
        }
    }
    return out;
}

// Synthetic pictures at 100 % with structure everywhere: a noisy
// background, the cell sheet and a frame with a hole of black in its side.
Graphics Pictures100(PixelFormatSetting format) {
    Graphics graphics = test::SyntheticGraphics(format);
    *graphics.BackgroundTile = test::Noise(100, 100, format, 7);
    FillRect(*graphics.TileFrame, {4, 20, 6, 30}, Rgb{0, 0, 0});
    return graphics;
}

// The same pictures drawn for 200 %: every pixel doubled.
Graphics Pictures200(PixelFormatSetting format) {
    Graphics graphics = Pictures100(format);
    graphics.ScalePercent = 200;
    for (Bitmap* bitmap :
         {graphics.BackgroundTile.get(), graphics.TileSheet.get(), graphics.TileFrame.get()}) {
        *bitmap = Enlarged(*bitmap, 2);
    }
    graphics.BackgroundWidth = 200;
    graphics.BackgroundHeight = 200;
    graphics.BackBuffer->resize(1280, 960);
    return graphics;
}

Game DealtGame() {
    Game game;
    game.settings.AvoidUnsolveableGames = false;
    SeedRandom(game, 4242u);
    NewGame(game);
    AnalyzeBoard(game);
    return game;
}

// A present slot whose face has even left and right edges, so that the
// Bits4 highlight (whole bytes of two pixels) covers exactly the face at
// both levels.
int32_t SlotWithEvenEdges(const Game& game, int32_t after = 0) {
    for (int32_t slot = after + 1; slot <= game.board.SlotCount; ++slot) {
        const Rect face = TileRect(game.board, slot);
        if (game.board.Slots[slot].Present && face.Left % 2 == 0 && face.Right % 2 == 0) {
            return slot;
        }
    }
    return 0;
}

// At 200 % every board position doubles exactly, so a board composed from
// doubled pictures is the 100 % board with each pixel doubled: background
// tiling, frame placement and transparency, faces, the selection highlight
// (Device merge-paint with the doubled mask; row bytes elsewhere) and the
// press highlight drawn over the finished board.
TEST(ScaledRender, At200PercentIsThe100PercentBoardWithEveryPixelDoubled) {
    for (PixelFormatSetting format : test::kAllFormats) {
        Game game = DealtGame();
        const int32_t selected = SlotWithEvenEdges(game);
        ASSERT_GT(selected, 0);
        game.play.SelectionActive = true;
        game.play.SelectedSlot = selected;
        Graphics small = Pictures100(format);
        Graphics large = Pictures200(format);
        test::RecordingSurface surface;
        test::SteppingTicks ticks(0, 1);
        RenderBoard(game, small, surface, ticks);
        RenderBoard(game, large, surface, ticks);
        const Rect pressed = TileRect(game.board, SlotWithEvenEdges(game, selected));
        HighlightTile(small, pressed);
        HighlightTile(large, pressed);
        ASSERT_EQ(large.BackBuffer->width(), 1280);
        ASSERT_EQ(large.BackBuffer->height(), 960);
        EXPECT_EQ(test::Bytes(*large.BackBuffer), test::Bytes(Enlarged(*small.BackBuffer, 2)))
            << FormatName(format);
    }
}

// At 150 % and 250 % board positions fall on half pixels and are rounded
// down; the face still gets exactly its cell, 57 x 81 or 95 x 135, with the
// frame's side just left of it.
TEST(ScaledRender, AtHalfLevelsFacesLandOnRoundedDownPositions) {
    for (int percent : {150, 250}) {
        for (PixelFormatSetting format : test::kAllFormats) {
            Game game;
            ResetBoard(game);
            AddSlot(game.board, 101, 47, 1, 1); // face at (136, 67) in board pixels
            game.board.DealtCount = 1;
            Graphics graphics = test::SyntheticGraphics(format);
            graphics.ScalePercent = percent;
            const int32_t s2 = percent / 50; // twice the scale
            *graphics.TileSheet =
                BitmapFromImage(test::SheetImage().scaled(342 * s2 / 2, 270 * s2 / 2), format);
            const TileFrameGeometry frame = FrameGeometryAt(percent);
            *graphics.TileFrame = test::Solid(frame.Width, frame.Height, format, {255, 255, 0});
            graphics.BackBuffer->resize(640 * s2 / 2, 480 * s2 / 2);
            test::RecordingSurface surface;
            test::SteppingTicks ticks(0, 1);
            RenderBoard(game, graphics, surface, ticks);

            const Rect face{136 * s2 / 2, 67 * s2 / 2, 136 * s2 / 2 + 38 * s2 / 2,
                            67 * s2 / 2 + 54 * s2 / 2};
            const Bitmap& bb = *graphics.BackBuffer;
            const Rgb cell = test::CellColour(0, 1); // kind 1: row 1, column 0
            const Rgb frameColour = test::Solid(1, 1, format, {255, 255, 0}).pixel(0, 0);
            const std::string where = FormatName(format) + " " + std::to_string(percent);
            const Rgb expected = test::Solid(1, 1, format, cell).pixel(0, 0);
            for (const auto& [x, y] : {std::pair{face.Left, face.Top},
                                       {face.Right - 1, face.Bottom - 1},
                                       {face.Left + 20, face.Top + 40}}) {
                EXPECT_EQ(bb.pixel(x, y), expected) << where << " " << x << "," << y;
            }
            EXPECT_EQ(bb.pixel(face.Left - 1, face.Top + 10), frameColour) << where;
            EXPECT_EQ(bb.pixel(face.Left - frame.FaceLeft, face.Top - frame.FaceTop), frameColour)
                << where;
            EXPECT_NE(bb.pixel(face.Left - frame.FaceLeft - 1, face.Top), frameColour) << where;
        }
    }
}

// The byte rules of the highlight hold on the scaled rectangle:
// (35, 20, 73, 74) at 150 % is (52, 30, 109, 111).
TEST(ScaledRender, HighlightChangesTheBytesOfTheScaledRectangle) {
    struct Case {
        PixelFormatSetting format;
        int32_t firstByte, lastByte;
    };
    const Case cases[] = {
        {PixelFormatSetting::Bits4, 26, 54},    {PixelFormatSetting::Bits8, 52, 108},
        {PixelFormatSetting::Bits15, 104, 217}, {PixelFormatSetting::Bits16, 104, 217},
        {PixelFormatSetting::Bits24, 156, 326}, {PixelFormatSetting::Bits32, 208, 435},
    };
    for (const Case& c : cases) {
        Graphics graphics = test::SyntheticGraphics(c.format);
        graphics.ScalePercent = 150;
        *graphics.BackBuffer = test::Noise(960, 720, c.format, 3);
        const Bitmap before = *graphics.BackBuffer;
        HighlightTile(graphics, {35, 20, 73, 74});
        const Bitmap& after = *graphics.BackBuffer;
        const bool inverts = StorageBitsPerPixel(c.format) <= 16;
        for (int32_t y = 0; y < 720; ++y) {
            for (int32_t i = 0; i < before.stride(); ++i) {
                const uint8_t b = before.row(y)[i];
                const bool inside = y >= 30 && y < 111 && i >= c.firstByte && i <= c.lastByte;
                const uint8_t expected = !inside   ? b
                                         : inverts ? static_cast<uint8_t>(b ^ 0xFF)
                                                   : static_cast<uint8_t>(std::min(b + 32, 255));
                ASSERT_EQ(after.row(y)[i], expected)
                    << FormatName(c.format) << " " << y << "," << i;
            }
        }
    }
}

class LevelPictures : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        graphics_.PictureFolder = dir_.path();
        test::WriteBoardPictures(dir_.path(), QColor(0, 0, 255));
    }
    QString path(const char* name) const { return QDir(dir_.path()).filePath(QLatin1String(name)); }

    QTemporaryDir dir_;
    Graphics graphics_;
};

// Only today's files: every picture is the 100 % one scaled; the frame keeps
// exactly its black (transparent) pixels and no blended near-black.
TEST_F(LevelPictures, MissingLargerPicturesAreScaledFromTheSmallerOnesSilently) {
    graphics_.ScalePercent = 250;
    for (PixelFormatSetting format : test::kAllFormats) {
        LoadGraphics(graphics_, format);
        EXPECT_EQ(graphics_.BackgroundWidth, 250);
        EXPECT_EQ(graphics_.TileSheet->width(), 855);
        EXPECT_EQ(graphics_.TileSheet->height(), 675);
        EXPECT_EQ(graphics_.TileFrame->width(), 120);
        EXPECT_EQ(graphics_.TileFrame->height(), 160);
        EXPECT_EQ(graphics_.TileFrame->pixel(2, 80), (Rgb{0, 0, 0})) << FormatName(format);
        EXPECT_EQ(graphics_.TileFrame->pixel(6, 80), graphics_.TileFrame->pixel(60, 80));
        EXPECT_EQ(graphics_.BackBuffer->width(), 1600);
        EXPECT_EQ(graphics_.BackBuffer->height(), 1200);
        EXPECT_EQ(graphics_.BannerFont.PointSize, 135);
    }
}

// A level's own file wins; where it is missing the nearest smaller level
// that exists is taken; a level's file that exists but is broken is an
// error like a broken 100 % file.
TEST_F(LevelPictures, TheNearestLevelAtOrBelowIsReadAndABrokenOneIsAnError) {
    ASSERT_TRUE(test::SolidImage(192, 192, Qt::red).save(path("KLBack150.bmp"), "BMP"));
    ASSERT_TRUE(test::SolidImage(256, 256, Qt::green).save(path("KLBack200.bmp"), "BMP"));
    const struct {
        int percent;
        int32_t width;
        Rgb colour;
    } cases[] = {{100, 100, {0, 0, 255}},
                 {150, 192, {255, 0, 0}},
                 {200, 256, {0, 255, 0}},
                 {300, 384, {0, 255, 0}}};
    for (const auto& c : cases) {
        graphics_.ScalePercent = c.percent;
        LoadGraphics(graphics_, PixelFormatSetting::Bits24);
        EXPECT_EQ(graphics_.BackgroundWidth, c.width) << c.percent;
        EXPECT_EQ(graphics_.BackgroundTile->pixel(10, 10), c.colour) << c.percent;
    }
    QFile broken(path("KLTiles200.bmp"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("BM not a picture");
    broken.close();
    graphics_.ScalePercent = 200;
    try {
        LoadGraphics(graphics_, PixelFormatSetting::Bits24);
        ADD_FAILURE() << "a broken level picture must not be replaced silently";
    } catch (const GraphicsError& error) {
        EXPECT_STREQ(error.what(), "Bitmap image is not valid");
    }
}

// Changing the level while the game runs composes the board at the new
// size; while a logo screen shows, the logo is drawn again at that size
// and the board is not composed.
TEST_F(LevelPictures, RescaleRedrawsWhatTheScreenShows) {
    Game game = DealtGame();
    game.Running = true;
    test::RecordingSurface surface;
    test::SteppingTicks ticks(0, 1);
    LoadGraphics(graphics_, game.settings.PixelFormat);
    BuildSheetIndex(graphics_);
    EXPECT_FALSE(RescaleGraphics(game, graphics_, surface, ticks, 100));
    EXPECT_EQ(surface.presents, 0);
    EXPECT_TRUE(RescaleGraphics(game, graphics_, surface, ticks, 200));
    EXPECT_EQ(surface.presents, 1);
    EXPECT_EQ(surface.lastPresentedBytes.size(), 1280u * 960u * 4u);

    game.Running = false;
    ASSERT_TRUE(
        test::SolidImage(640, 480, QColor(200, 0, 0)).save(path("KLMRLogo.jpg"), "JPG", 100));
    EXPECT_TRUE(RescaleGraphics(game, graphics_, surface, ticks, 150));
    EXPECT_EQ(surface.presents, 1) << "the caller repaints, keeping the screen's lines";
    ASSERT_EQ(graphics_.BackBuffer->width(), 960);
    EXPECT_NEAR(graphics_.BackBuffer->pixel(950, 700).R, 200, 4) << "the logo, scaled";
    EXPECT_EQ(RescaleGraphics(game, graphics_, surface, ticks, 175), true) << "between levels";
    EXPECT_EQ(graphics_.ScalePercent, 175);
    EXPECT_EQ(graphics_.BackBuffer->width(), 1120);
    EXPECT_NEAR(graphics_.BackBuffer->pixel(1110, 830).R, 200, 4) << "the logo fills the board";
    EXPECT_TRUE(RescaleGraphics(game, graphics_, surface, ticks, 20));
    EXPECT_EQ(graphics_.ScalePercent, kMinScale);
}

} // namespace
} // namespace kelmar
