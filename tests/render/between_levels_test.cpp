// The board at scales between the picture levels (137 %, 183 %, below 100
// and above 300 %): pictures filtered from another level's files, each face
// filling exactly its rounded scaled rectangle whichever way its edges
// round, the highlight on that rectangle, and the filters' edge cases.
#include "core/board.h"
#include "render/bitmap_ops.h"
#include "render/renderer.h"
#include "render/scaled_pictures.h"
#include "render_test_support.h"

#include <QDir>
#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <random>
#include <set>

namespace kelmar {
namespace {

using test::FormatName;

// Today's pictures and a 200 % sheet and frame, every pixel doubled; the
// background only at 100 %.
class BetweenLevels : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        graphics_.PictureFolder = dir_.path();
        test::WriteBoardPictures(dir_.path(), QColor(0, 0, 255));
        const QDir dir(dir_.path());
        ASSERT_TRUE(test::SheetImage().scaled(684, 540).save(
            dir.filePath(QStringLiteral("KLTiles200.bmp")), "BMP"));
        const QImage frame(dir.filePath(TileFrameFileName()));
        ASSERT_TRUE(
            frame.scaled(96, 128).save(dir.filePath(QStringLiteral("KLTFrame200.bmp")), "BMP"));
    }

    QTemporaryDir dir_;
    Graphics graphics_;
};

// A board of 91 tiles in one layer, their faces spread over every rounding
// of the scaled edges; kinds run through all 42 faces.
Game SpreadBoard() {
    Game game;
    ResetBoard(game);
    for (int row = 0; row < 7; ++row) {
        for (int column = 0; column < 13; ++column) {
            AddSlot(game.board, 46 * column + row, 64 * row + column, 1,
                    static_cast<uint8_t>(1 + (row * 13 + column) % 42));
        }
    }
    game.board.DealtCount = game.board.SlotCount;
    return game;
}

// The colour of `kind`'s cell in the synthetic sheet, stored in `format`.
Rgb FaceColour(const Graphics& graphics, uint8_t kind, PixelFormatSetting format) {
    const Rgb cell =
        test::CellColour(graphics.SheetIndex.X[kind] / 38, graphics.SheetIndex.Y[kind] / 54);
    return test::Solid(1, 1, format, cell).pixel(0, 0);
}

// Every face covers its whole rounded rectangle [ScaleLength(left),
// ScaleLength(right)) with its own cell's colour, corners and edges
// included (a face one pixel wider than the scaled face size takes the
// cell's spare column, never the neighbouring cell), and nothing of it
// lies outside: just left of and below the face is no face colour.
TEST_F(BetweenLevels, EveryFaceFillsItsRoundedRectangleExactly) {
    const PixelFormatSetting formats[] = {PixelFormatSetting::Device, PixelFormatSetting::Bits16,
                                          PixelFormatSetting::Bits8};
    for (int percent : {137, 183, 61, 437}) {
        for (PixelFormatSetting format : formats) {
            SCOPED_TRACE(FormatName(format) + " at " + std::to_string(percent));
            Game game = SpreadBoard();
            graphics_.ScalePercent = percent;
            LoadGraphics(graphics_, format);
            BuildSheetIndex(graphics_);
            test::RecordingSurface surface;
            test::SteppingTicks ticks(0, 1);
            RenderBoard(game, graphics_, surface, ticks);
            const Bitmap& bb = *graphics_.BackBuffer;
            ASSERT_EQ(bb.width(), ScaleLength(640, percent));
            std::set<int32_t> widths;
            for (int32_t slot = 1; slot <= game.board.SlotCount; ++slot) {
                const Rect face = ToBackBuffer(graphics_, TileRect(game.board, slot));
                if (face.Right > bb.width() || face.Bottom > bb.height()) {
                    continue;
                }
                widths.insert(face.width());
                const Rgb colour = FaceColour(graphics_, game.board.Slots[slot].Kind, format);
                for (const auto& [x, y] : {std::pair{face.Left, face.Top},
                                           {face.Right - 1, face.Top},
                                           {face.Left, face.Bottom - 1},
                                           {face.Right - 1, face.Bottom - 1},
                                           {(face.Left + face.Right) / 2, face.Bottom - 1}}) {
                    ASSERT_EQ(bb.pixel(x, y), colour) << "slot " << slot << " at " << x << "," << y;
                }
                if (face.Left > 0) {
                    EXPECT_NE(bb.pixel(face.Left - 1, face.Top + 3), colour) << "slot " << slot;
                }
                if (face.Bottom < bb.height()) {
                    EXPECT_NE(bb.pixel(face.Left + 3, face.Bottom), colour) << "slot " << slot;
                }
            }
            if (percent % 50 != 0) {
                EXPECT_EQ(widths.size(), 2u) << "both roundings of the face width occur";
            }
        }
    }
}

// The Device highlight merge-paints the mask cell onto exactly the face's
// rounded rectangle, at a scale whose cells have a spare column and row.
TEST_F(BetweenLevels, TheHighlightCoversExactlyTheRoundedFace) {
    for (int percent : {137, 183}) {
        SCOPED_TRACE(percent);
        Game game = SpreadBoard();
        graphics_.ScalePercent = percent;
        LoadGraphics(graphics_, PixelFormatSetting::Device);
        BuildSheetIndex(graphics_);
        test::RecordingSurface surface;
        test::SteppingTicks ticks(0, 1);
        RenderBoard(game, graphics_, surface, ticks);
        for (int32_t slot : {1, 2, 15, 40}) {
            const Bitmap before = *graphics_.BackBuffer;
            const Rect board = TileRect(game.board, slot);
            HighlightTile(graphics_, board);
            const Rect face = ToBackBuffer(graphics_, board);
            const Rgb mask = test::CellColour(7, 4);
            const Bitmap& after = *graphics_.BackBuffer;
            for (int32_t y = face.Top - 2; y < face.Bottom + 2; ++y) {
                for (int32_t x = face.Left - 2; x < face.Right + 2; ++x) {
                    const bool inside =
                        x >= face.Left && x < face.Right && y >= face.Top && y < face.Bottom;
                    const Rgb old = before.pixel(x, y);
                    const Rgb expected = inside ? Rgb{static_cast<uint8_t>(~mask.R | old.R),
                                                      static_cast<uint8_t>(~mask.G | old.G),
                                                      static_cast<uint8_t>(~mask.B | old.B)}
                                                : old;
                    ASSERT_EQ(after.pixel(x, y), expected) << slot << " at " << x << "," << y;
                }
            }
        }
    }
}

// The picture sizes at a scale between levels: the sheet on its pitch grid,
// the BackBuffer and the banner font scaled.
TEST_F(BetweenLevels, PicturesTakeTheScaledSizes) {
    graphics_.ScalePercent = 137;
    LoadGraphics(graphics_, PixelFormatSetting::Bits24);
    EXPECT_EQ(graphics_.TileSheet->width(), 9 * 53);
    EXPECT_EQ(graphics_.TileSheet->height(), 5 * 74);
    EXPECT_EQ(graphics_.BackgroundWidth, 137);
    EXPECT_EQ(graphics_.BackBuffer->width(), 876);
    EXPECT_EQ(graphics_.BackBuffer->height(), 657);
    EXPECT_EQ(graphics_.BannerFont.PointSize, 73);
    EXPECT_EQ(graphics_.TileFrame->width(), 96 * 137 / 200);
}

// The filters at their edges: a uniform background stays uniform up to its
// border (no darkening from outside the picture); the keyed frame blends
// only opaque colours (no dark fringe from its transparent black) and never
// turns an opaque blend into pure black: a body of the darkest blue keeps
// exactly as many opaque pixels as a yellow one.
TEST(ScaledPictures, EdgesNeitherDarkenNorTurnTransparent) {
    const auto frameOf = [](QRgb body) {
        QImage frame = test::SolidImage(48, 64, Qt::black);
        for (int y = 0; y < 63; ++y) {
            for (int x = 2; x < 46; ++x) {
                frame.setPixel(x, y, body);
            }
        }
        return frame;
    };
    const auto opaqueCount = [](const QImage& image) {
        int count = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                count += (image.pixel(x, y) & 0xFFFFFFu) != 0 ? 1 : 0;
            }
        }
        return count;
    };
    for (const auto& [from, to] : {std::pair{100, 137}, {200, 137}, {300, 437}, {100, 61}}) {
        SCOPED_TRACE(std::to_string(from) + " -> " + std::to_string(to));
        const QImage felt =
            ScaleRepeatingPicture(test::SolidImage(128, 96, QColor(8, 44, 108)), from, to);
        EXPECT_EQ(felt.size(), QSize(128 * to / from, 96 * to / from));
        for (int y = 0; y < felt.height(); ++y) {
            for (int x = 0; x < felt.width(); ++x) {
                ASSERT_EQ(felt.pixel(x, y), qRgb(8, 44, 108)) << x << "," << y;
            }
        }
        const QImage yellow = ScaleKeyedPicture(frameOf(qRgb(255, 255, 0)), from, to);
        for (int y = 0; y < yellow.height(); ++y) {
            for (int x = 0; x < yellow.width(); ++x) {
                const QRgb p = yellow.pixel(x, y);
                ASSERT_TRUE((p & 0xFFFFFFu) == 0 || (qRed(p) >= 250 && qGreen(p) >= 250))
                    << x << "," << y << ": " << std::hex << p;
            }
        }
        const int opaque = opaqueCount(yellow);
        EXPECT_NEAR(opaque, 44.0 * 63 * to * to / (from * from), 2.0 * (44 + 63) * to / from);
        EXPECT_EQ(opaqueCount(ScaleKeyedPicture(frameOf(qRgb(0, 0, 1)), from, to)), opaque);
    }
}

// Pixels of every colour, the same for every run.
QImage NoiseImage(int width, int height, uint32_t seed) {
    std::mt19937 random(seed);
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            row[x] = 0xFF000000u | (random() & 0xFFFFFFu);
        }
    }
    return image;
}

int CountDifferences(const QImage& a, const QImage& b) {
    EXPECT_EQ(a.size(), b.size());
    int count = 0;
    for (int y = 0; y < std::min(a.height(), b.height()); ++y) {
        for (int x = 0; x < std::min(a.width(), b.width()); ++x) {
            count += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
        }
    }
    return count;
}

// Made smaller, the faces and the background are exactly what Qt's smooth
// scaling gives (face by face; the background as the middle of three by
// three copies), on pictures of noise, where any weight or rounding that
// differs shows: halving (every weight exact), large and slight
// reductions, and scales whose sizes round.
TEST(ScaledPictures, SmallerPicturesAreQtsSmoothScalingBitForBit) {
    const std::pair<int, int> scales[] = {{200, 100}, {300, 50},  {300, 299}, {250, 211},
                                          {150, 143}, {200, 137}, {250, 61},  {300, 151}};
    for (const auto& [from, to] : scales) {
        SCOPED_TRACE(std::to_string(from) + " -> " + std::to_string(to));
        const int cellW = ScaleLength(kFaceWidth, from);
        const int cellH = ScaleLength(kFaceHeight, from);
        const int faceW = ScaleLength(kFaceWidth, to);
        const int faceH = ScaleLength(kFaceHeight, to);
        const QImage sheet = NoiseImage(9 * cellW, 5 * cellH, static_cast<uint32_t>(from + to));
        const QImage scaled = ScaleTileSheet(sheet, from, to);
        for (int row = 0; row < 5; ++row) {
            for (int column = 0; column < 9; ++column) {
                const QImage face =
                    sheet.copy(column * cellW, row * cellH, cellW, cellH)
                        .scaled(faceW, faceH, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
                ASSERT_EQ(
                    CountDifferences(scaled.copy(column * SheetPitch(kFaceWidth, to),
                                                 row * SheetPitch(kFaceHeight, to), faceW, faceH),
                                     face),
                    0)
                    << "face " << column << "," << row;
            }
        }
        for (const QSize tile : {QSize(128, 96), QSize(37, 23)}) {
            const QImage background =
                NoiseImage(tile.width() * from / 100, tile.height() * from / 100, 7);
            const int w = background.width();
            const int h = background.height();
            QImage around(3 * w, 3 * h, QImage::Format_RGB32);
            QPainter painter(&around);
            for (int i = 0; i < 9; ++i) {
                painter.drawImage(i % 3 * w, i / 3 * h, background);
            }
            painter.end();
            const int scaledW = w * to / from;
            const int scaledH = h * to / from;
            const QImage expected = around
                                        .scaled(3 * scaledW, 3 * scaledH, Qt::IgnoreAspectRatio,
                                                Qt::SmoothTransformation)
                                        .copy(scaledW, scaledH, scaledW, scaledH);
            EXPECT_EQ(CountDifferences(ScaleRepeatingPicture(background, from, to), expected), 0)
                << w << " x " << h;
        }
    }
}

} // namespace
} // namespace kelmar
