// Composition of the board, the highlight per pixel format, status and banner.
#include "core/board.h"
#include "core/deal.h"
#include "render/bitmap_ops.h"
#include "render/renderer.h"
#include "render_test_support.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <set>

namespace kelmar {
namespace {

using test::FormatName;
using test::kAllFormats;

// A game holding only the given tiles (x, y, layer, kind).
struct TilePlacement {
    int32_t x, y;
    uint8_t layer, kind;
};

Game GameWith(std::initializer_list<TilePlacement> tiles) {
    Game game;
    ResetBoard(game);
    for (const TilePlacement& t : tiles) {
        AddSlot(game.board, t.x, t.y, t.layer, t.kind);
    }
    game.board.DealtCount = game.board.SlotCount;
    return game;
}

// Bytes changed in each row of the rectangle, per format; a byte of 200
// becomes 232 and then 255 in the true-colour formats.
struct HighlightCase {
    PixelFormatSetting format;
    Rect rect;
    int32_t firstByte, lastByte;
    bool inverts; // otherwise lightens by 32, saturating
};

TEST(HighlightTile, ChangesExactlyTheBytesOfItsRowsPerFormat) {
    const Rect odd{35, 20, 73, 74};
    const Rect even{36, 20, 74, 74};
    const HighlightCase cases[] = {
        {PixelFormatSetting::Bits4, odd, 17, 36, true}, // pixels 34 and 73 change too
        {PixelFormatSetting::Bits4, even, 18, 36, true},
        {PixelFormatSetting::Bits8, odd, 35, 72, true},
        {PixelFormatSetting::Bits15, odd, 70, 145, true},
        {PixelFormatSetting::Bits16, odd, 70, 145, true},
        {PixelFormatSetting::Bits24, odd, 105, 218, false},
        {PixelFormatSetting::Bits32, odd, 140, 291, false},
    };
    for (const HighlightCase& c : cases) {
        Graphics graphics = test::SyntheticGraphics(c.format);
        *graphics.BackBuffer = test::Noise(640, 480, c.format, 21);
        const Bitmap before = *graphics.BackBuffer;
        HighlightTile(graphics, c.rect);
        const Bitmap once = *graphics.BackBuffer;
        HighlightTile(graphics, c.rect);
        const Bitmap& twice = *graphics.BackBuffer;
        for (int32_t y = 0; y < 480; ++y) {
            const bool inRows = y >= c.rect.Top && y < c.rect.Bottom;
            for (int32_t i = 0; i < before.stride(); ++i) {
                const uint8_t b = before.row(y)[i];
                const bool inside = inRows && i >= c.firstByte && i <= c.lastByte;
                uint8_t expectOnce = b, expectTwice = b;
                if (inside && c.inverts) {
                    expectOnce = b ^ 0xFF;
                } else if (inside) {
                    expectOnce = static_cast<uint8_t>(std::min(b + 32, 255));
                    expectTwice = static_cast<uint8_t>(std::min(b + 64, 255));
                }
                ASSERT_EQ(once.row(y)[i], expectOnce)
                    << FormatName(c.format) << " " << y << "," << i;
                ASSERT_EQ(twice.row(y)[i], expectTwice)
                    << FormatName(c.format) << " " << y << "," << i;
            }
        }
    }
}

TEST(HighlightTile, DeviceMergePaintsTheMaskOnceAndChangesNothingMore) {
    Graphics graphics = test::SyntheticGraphics(PixelFormatSetting::Device);
    *graphics.BackBuffer = test::Noise(640, 480, PixelFormatSetting::Device, 4);
    for (int32_t y = 0; y < 480; ++y) {
        for (int32_t x = 0; x < 640; ++x) {
            graphics.BackBuffer->setRawPixel(x, y,
                                             graphics.BackBuffer->rawPixel(x, y) | 0xFF000000u);
        }
    }
    const Bitmap before = *graphics.BackBuffer;
    const Rect rect{100, 50, 138, 104};
    HighlightTile(graphics, rect);
    const Bitmap once = *graphics.BackBuffer;
    const Bitmap& sheet = *graphics.TileSheet;
    for (int32_t y = 40; y < 120; ++y) {
        for (int32_t x = 90; x < 150; ++x) {
            const bool inside =
                x >= rect.Left && x < rect.Right && y >= rect.Top && y < rect.Bottom;
            const uint32_t mask = sheet.rawPixel(266 + x - rect.Left, 216 + y - rect.Top);
            const uint32_t expected =
                inside ? (~mask | before.rawPixel(x, y)) : before.rawPixel(x, y);
            ASSERT_EQ(once.rawPixel(x, y), expected) << x << "," << y;
        }
    }
    HighlightTile(graphics, rect);
    EXPECT_EQ(test::Bytes(*graphics.BackBuffer), test::Bytes(once));
}

TEST(HighlightTile, RectanglesOutsideTheBackBufferAreClipped) {
    const Rect rects[] = {{-20, -10, 18, 44},
                          {630, 470, 668, 524},
                          {1000, 1000, 1038, 1054},
                          {-100, 0, -62, 54},
                          {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}};
    for (PixelFormatSetting format : kAllFormats) {
        for (const Rect& rect : rects) {
            Graphics graphics = test::SyntheticGraphics(format);
            *graphics.BackBuffer = test::Solid(640, 480, format, {0, 0, 255});
            HighlightTile(graphics, rect);
            const Bitmap& bb = *graphics.BackBuffer;
            // Pixels inside the clipped rectangle change, nothing else does.
            for (int32_t y = 0; y < 480; y += 3) {
                for (int32_t x = 0; x < 640; x += 3) {
                    const bool inside = int64_t{x} >= rect.Left && int64_t{x} < rect.Right &&
                                        int64_t{y} >= rect.Top && int64_t{y} < rect.Bottom;
                    const bool changed = bb.pixel(x, y) != Rgb{0, 0, 255};
                    if (!inside && changed) {
                        // Bits4 may touch the neighbour in the same byte.
                        ASSERT_TRUE(format == PixelFormatSetting::Bits4 &&
                                    (int64_t{x} + 1 == rect.Left || x == rect.Right))
                            << FormatName(format) << " " << x << "," << y;
                    }
                }
            }
        }
    }
}

TEST(RenderBoard, SmallBackgroundIsTiledFromTheTopLeftCorner) {
    Graphics graphics = test::SyntheticGraphics(PixelFormatSetting::Bits24);
    graphics.BackgroundTile->setPixel(0, 0, {255, 0, 0}); // marks each copy's corner
    Game game = GameWith({});
    test::RecordingSurface surface;
    ManualTickSource ticks;
    RenderBoard(game, graphics, surface, ticks);
    std::set<std::pair<int, int>> corners;
    for (int32_t y = 0; y < 480; ++y) {
        for (int32_t x = 0; x < 640; ++x) {
            if (graphics.BackBuffer->pixel(x, y) == Rgb{255, 0, 0}) {
                corners.insert({x, y});
            }
        }
    }
    std::set<std::pair<int, int>> expected;
    for (int y = 0; y < 480; y += 100) {
        for (int x = 0; x < 640; x += 100) {
            expected.insert({x, y});
        }
    }
    EXPECT_EQ(corners.size(), 35u);
    EXPECT_EQ(corners, expected);
}

TEST(RenderBoard, LargeBackgroundIsDrawnOnceAndClipped) {
    Graphics graphics = test::SyntheticGraphics(PixelFormatSetting::Bits24, 700, 500);
    *graphics.BackgroundTile = test::Noise(700, 500, PixelFormatSetting::Bits24, 8);
    Game game = GameWith({});
    test::RecordingSurface surface;
    ManualTickSource ticks;
    RenderBoard(game, graphics, surface, ticks);
    for (int32_t y = 0; y < 480; y += 7) {
        for (int32_t x = 0; x < 640; x += 7) {
            ASSERT_EQ(graphics.BackBuffer->pixel(x, y), graphics.BackgroundTile->pixel(x, y));
        }
    }
}

TEST(RenderBoard, BlackFramePixelsNeverReachTheBackBuffer) {
    for (PixelFormatSetting format : kAllFormats) {
        Graphics graphics = test::SyntheticGraphics(format);
        Game game;
        game.settings.AvoidUnsolveableGames = false;
        SeedRandom(game, 4711);
        NewGame(game);
        test::RecordingSurface surface;
        ManualTickSource ticks;
        RenderBoard(game, graphics, surface, ticks);
        int black = 0;
        for (int32_t y = 0; y < 480; ++y) {
            for (int32_t x = 0; x < 640; ++x) {
                black += graphics.BackBuffer->pixel(x, y) == Rgb{} ? 1 : 0;
            }
        }
        EXPECT_EQ(black, 0) << FormatName(format);
    }
}

TEST(RenderBoard, FramesOfALayerLieUnderItsFacesAndOverLowerLayers) {
    Graphics graphics = test::SyntheticGraphics(PixelFormatSetting::Bits24);
    // Slot 1's frame reaches 9 pixels into slot 2's face; slot 3 (layer 2)
    // covers part of slot 2.
    Game game = GameWith({{38, 100, 1, 1}, {0, 100, 1, 10}, {0, 100, 2, 19}});
    test::RecordingSurface surface;
    ManualTickSource ticks;
    RenderBoard(game, graphics, surface, ticks);
    const Rect face2 = TileRect(game.board, 2);
    const Rect face3 = TileRect(game.board, 3);
    const Bitmap& bb = *graphics.BackBuffer;
    EXPECT_EQ(bb.pixel(face2.Right - 2, face2.Bottom - 1), test::CellColour(0, 0))
        << "a later frame of the same layer must not cover a face";
    EXPECT_EQ(bb.pixel(face3.Left - 4, face2.Top + 30), (Rgb{255, 255, 0}))
        << "a higher layer's frame covers the lower face";
    EXPECT_EQ(bb.pixel(face3.Left + 3, face3.Top + 3), test::CellColour(0, 2));
}

// The composition step by step with the plain copies, as a model of what
// RenderBoard must produce whatever work it saves.
void ModelComposition(const Game& game, Graphics& graphics) {
    Bitmap& bb = *graphics.BackBuffer;
    for (int32_t y = 0; y < 480; y += graphics.BackgroundHeight) {
        for (int32_t x = 0; x < 640; x += graphics.BackgroundWidth) {
            CopyRect(bb, x, y, *graphics.BackgroundTile,
                     {0, 0, graphics.BackgroundWidth, graphics.BackgroundHeight});
        }
    }
    const Bitmap& frame = *graphics.TileFrame;
    for (int layer = 1; layer <= game.board.MaxLayer; ++layer) {
        for (int32_t slot = 1; slot <= game.board.SlotCount; ++slot) {
            const TileSlot& s = game.board.Slots[slot];
            if (s.Present && s.Layer == layer) {
                const Rect face = TileRect(game.board, slot);
                CopyTransparent(bb, face.Left - 9, face.Top - 1, frame,
                                {0, 0, frame.width(), frame.height()});
            }
        }
        for (int32_t slot = 1; slot <= game.board.SlotCount; ++slot) {
            const TileSlot& s = game.board.Slots[slot];
            if (s.Present && s.Layer == layer) {
                const Rect face = TileRect(game.board, slot);
                const int32_t cx = graphics.SheetIndex.X[s.Kind];
                const int32_t cy = graphics.SheetIndex.Y[s.Kind];
                CopyRect(bb, face.Left, face.Top, *graphics.TileSheet,
                         {cx, cy, cx + kFaceWidth, cy + kFaceHeight});
                if (game.play.SelectionActive && game.play.SelectedSlot == slot) {
                    HighlightTile(graphics, face);
                }
            }
        }
    }
}

// A dealt board in every format, and a sheet too small for some cells, whose
// faces are clipped so that the frame under them must show.
TEST(RenderBoard, MatchesTheStepByStepComposition) {
    for (PixelFormatSetting format : kAllFormats) {
        for (bool smallSheet : {false, true}) {
            Graphics graphics = test::SyntheticGraphics(format);
            if (smallSheet) {
                graphics.TileSheet->resize(200, 140);
            }
            Game game;
            game.settings.AvoidUnsolveableGames = false;
            SeedRandom(game, 31337);
            NewGame(game);
            game.board.Slots[5].Present = false;
            game.play.SelectionActive = true;
            game.play.SelectedSlot = 40;
            test::RecordingSurface surface;
            ManualTickSource ticks;
            RenderBoard(game, graphics, surface, ticks);
            const std::vector<uint8_t> rendered = test::Bytes(*graphics.BackBuffer);
            *graphics.BackBuffer = Bitmap(640, 480, format);
            ModelComposition(game, graphics);
            EXPECT_TRUE(rendered == test::Bytes(*graphics.BackBuffer))
                << FormatName(format) << (smallSheet ? " small sheet" : "");
        }
    }
}

TEST(RenderBoard, FacesComeFromTheirSheetCells) {
    const struct {
        uint8_t kind;
        int column, row;
    } cases[] = {{1, 0, 1},  {9, 8, 1},  {10, 0, 0}, {27, 8, 2},
                 {31, 7, 3}, {34, 6, 4}, {35, 0, 3}, {42, 3, 4}};
    for (const auto& c : cases) {
        Graphics graphics = test::SyntheticGraphics(PixelFormatSetting::Device);
        Game game = GameWith({{0, 189, 1, c.kind}});
        test::RecordingSurface surface;
        ManualTickSource ticks;
        RenderBoard(game, graphics, surface, ticks);
        EXPECT_EQ(TileRect(game.board, 1), (Rect{35, 209, 73, 263}));
        EXPECT_EQ(graphics.BackBuffer->pixel(40, 215), test::CellColour(c.column, c.row))
            << "kind " << int{c.kind};
    }
}

TEST(RenderBoard, SelectionHighlightIsCoveredByHigherTiles) {
    Graphics graphics = test::SyntheticGraphics(PixelFormatSetting::Bits8);
    Game game = GameWith({{100, 100, 2, 1}, {100, 100, 3, 10}});
    game.play.SelectionActive = true;
    game.play.SelectedSlot = 1;
    test::RecordingSurface surface;
    ManualTickSource ticks;
    RenderBoard(game, graphics, surface, ticks);
    const Rect face1 = TileRect(game.board, 1);
    const Bitmap& sheet = *graphics.TileSheet;
    const Bitmap& bb = *graphics.BackBuffer;
    // The synthetic frame is transparent in its two left columns, so the
    // selected face shows there, inverted.
    EXPECT_EQ(bb.rawPixel(face1.Left + 1, face1.Top + 30), sheet.rawPixel(1, 84) ^ 0xFFu);
    // Where the layer-3 face lies over it, that face shows unchanged.
    EXPECT_EQ(bb.rawPixel(face1.Left + 20, face1.Top + 10), sheet.rawPixel(11, 19));
}

// Bounding box of the pixels of exactly one colour.
Rect BoxOf(const Bitmap& bitmap, Rgb colour) {
    Rect box{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (int32_t y = 0; y < bitmap.height(); ++y) {
        for (int32_t x = 0; x < bitmap.width(); ++x) {
            if (bitmap.pixel(x, y) == colour) {
                box = {std::min(box.Left, x), std::min(box.Top, y), std::max(box.Right, x + 1),
                       std::max(box.Bottom, y + 1)};
            }
        }
    }
    return box;
}

TEST(RenderBoard, FinishedGameShowsBannerWithShadowAndOutcomeText) {
    const struct {
        bool won;
        Rgb colour;
        const char* status;
    } outcomes[] = {{true, {0, 255, 0}, "GEWONNEN!"}, {false, {255, 0, 0}, "KEINE WEITEREN ZÜGE!"}};
    for (PixelFormatSetting format : kAllFormats) {
        for (const auto& outcome : outcomes) {
            Graphics graphics = test::SyntheticGraphics(format);
            Game game = GameWith({});
            game.play.NoMovesLeft = true;
            game.play.GameWon = outcome.won;
            test::RecordingSurface surface;
            ManualTickSource ticks;
            RenderBoard(game, graphics, surface, ticks);
            ASSERT_EQ(surface.statusTexts.size(), 1u);
            EXPECT_EQ(surface.statusTexts[0], QString::fromUtf8(outcome.status));
            const Rect text = BoxOf(*graphics.BackBuffer, outcome.colour);
            const Rect shadow = BoxOf(*graphics.BackBuffer, Rgb{});
            ASSERT_LT(text.Left, text.Right) << FormatName(format) << " no banner pixels";
            EXPECT_EQ(shadow.Right, text.Right + 4) << FormatName(format);
            EXPECT_EQ(shadow.Bottom, text.Bottom + 4) << FormatName(format);
            const int32_t x =
                outcome.won ? graphics.BannerLayout.WonX : graphics.BannerLayout.StuckX;
            EXPECT_NEAR(text.Left, x, 8) << FormatName(format);
            EXPECT_NEAR((text.Left + text.Right) / 2, 320, 8) << "centred, " << FormatName(format);
            EXPECT_GE(text.Top, graphics.BannerLayout.Y);
        }
    }
}

TEST(RenderBoard, RunningGameShowsMoveCountAndNoBanner) {
    Graphics graphics = test::SyntheticGraphics(PixelFormatSetting::Bits16);
    Game game = GameWith({{0, 189, 1, 1}});
    game.play.MoveCount = 17;
    game.play.HintShowing = true;
    test::RecordingSurface surface;
    test::SteppingTicks ticks(0xFFFFFFFEu, 5); // across the 32-bit wrap
    RenderBoard(game, graphics, surface, ticks);
    EXPECT_EQ(surface.statusTexts, std::vector<QString>{QString::fromUtf8("mögliche Züge: 17")});
    EXPECT_EQ(BoxOf(*graphics.BackBuffer, Rgb{0, 255, 0}).Left, INT32_MAX);
    EXPECT_EQ(graphics.LastRenderMs, 5);
    EXPECT_FALSE(game.play.HintShowing);
    EXPECT_EQ(surface.presents, 1);
    EXPECT_EQ(surface.lastPresentedBytes, test::Bytes(*graphics.BackBuffer));
}

TEST(RenderBoard, DrawsNothingOnceTheBitmapsAreFreed) {
    Graphics graphics = test::SyntheticGraphics(PixelFormatSetting::Device);
    FreeBitmaps(graphics);
    Game game = GameWith({{0, 189, 1, 1}});
    test::RecordingSurface surface;
    ManualTickSource ticks;
    RenderBoard(game, graphics, surface, ticks);
    HighlightTile(graphics, {0, 0, 38, 54});
    PresentBoard(graphics, surface);
    EXPECT_EQ(surface.presents, 0);
    EXPECT_TRUE(surface.statusTexts.empty());
}

TEST(DrawText, TextReachingPastTheEdgesIsClipped) {
    for (PixelFormatSetting format : kAllFormats) {
        Bitmap bitmap = test::Solid(64, 32, format, {0, 0, 255});
        const Bitmap before = bitmap;
        for (const auto& [x, y] : {std::pair{-40, -30}, std::pair{50, 20}, std::pair{-5000, 0},
                                   std::pair{INT32_MAX - 10, INT32_MIN + 10}}) {
            DrawText(bitmap, x, y, BannerFontStyle(), {255, 255, 0}, QStringLiteral("GEWONNEN!"));
        }
        EXPECT_NE(test::Bytes(bitmap), test::Bytes(before)) << "the visible parts are drawn";
    }
}

TEST(SheetIndex, LocatesEveryKindsCell) {
    Graphics graphics;
    BuildSheetIndex(graphics);
    const struct {
        int kind, x, y;
    } cells[] = {{0, 266, 216},  {1, 0, 54},     {9, 304, 54},   {10, 0, 0},     {18, 304, 0},
                 {19, 0, 108},   {27, 304, 108}, {28, 152, 162}, {31, 266, 162}, {32, 152, 216},
                 {34, 228, 216}, {35, 0, 162},   {38, 114, 162}, {39, 0, 216},   {42, 114, 216}};
    for (const auto& c : cells) {
        EXPECT_EQ(graphics.SheetIndex.X[c.kind], c.x) << c.kind;
        EXPECT_EQ(graphics.SheetIndex.Y[c.kind], c.y) << c.kind;
    }
    std::set<std::pair<int, int>> distinct;
    for (int kind = 0; kind <= 42; ++kind) {
        distinct.insert({graphics.SheetIndex.X[kind], graphics.SheetIndex.Y[kind]});
    }
    EXPECT_EQ(distinct.size(), 43u);
    for (int kind = 43; kind < kSheetIndexSize; ++kind) {
        EXPECT_EQ(graphics.SheetIndex.X[kind] | graphics.SheetIndex.Y[kind], 0);
    }
    EXPECT_EQ(graphics.HighlightMask, (Rect{266, 216, 304, 270}));
}

} // namespace
} // namespace kelmar
