// Choosing the tile set and the background: names, plain colours, reading
// from a set's own folder, and the redraw on a switch.
#include "core/board.h"
#include "core/deal.h"
#include "core/rules.h"
#include "render/graphics_error.h"
#include "render/looks.h"
#include "render/picture_file.h"
#include "render/renderer.h"
#include "render_test_support.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace kelmar {
namespace {

TEST(PlainColour, OnlySixHexDigitsAfterAHashAreAColour) {
    const struct {
        const char* text;
        std::optional<QRgb> colour;
    } cases[] = {
        {"#00ff80", qRgb(0, 255, 128)}, {"#A0B1C2", qRgb(160, 177, 194)},
        {"#000000", qRgb(0, 0, 0)},     {"00ff80", std::nullopt},
        {"#0f8", std::nullopt},         {"#00ff800", std::nullopt},
        {"#00ff8g", std::nullopt},      {"#+0ff80", std::nullopt},
        {"# 0ff80", std::nullopt},      {"", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParsePlainColour(QString::fromLatin1(c.text)), c.colour) << c.text;
        if (c.colour) {
            EXPECT_EQ(ParsePlainColour(PlainColourText(*c.colour)), c.colour) << c.text;
        }
    }
    EXPECT_EQ(PlainColourText(qRgb(0, 15, 255)), QStringLiteral("#000fff"));
}

TEST(ResolveLooks, UnknownNamesGiveTodaysLookAndCaseDoesNotMatter) {
    const struct {
        const char* tileSet;
        const char* background;
        const char* wantSet;
        const char* wantBackground; // null: the plain colour
    } cases[] = {
        {"", "", "klassisch", "blau"},
        {"unbekannt", "unbekannt", "klassisch", "blau"},
        {"NACHT", "Wein", "nacht", "wein"},
        {"kontrast", "#102030", "kontrast", nullptr},
        {"grossdruck", "#10203", "grossdruck", "blau"},
    };
    for (const auto& c : cases) {
        const LookSetting s =
            ResolveLooks(BuiltInTileSets(), BuiltInBackgrounds(), QString::fromLatin1(c.tileSet),
                         QString::fromLatin1(c.background));
        EXPECT_EQ(s.TileSet->ShortName, QString::fromLatin1(c.wantSet)) << c.tileSet;
        if (c.wantBackground) {
            ASSERT_NE(s.Background, nullptr) << c.background;
            EXPECT_EQ(s.Background->ShortName, QString::fromLatin1(c.wantBackground));
            EXPECT_FALSE(s.PlainColour);
        } else {
            EXPECT_EQ(s.Background, nullptr);
            EXPECT_EQ(s.PlainColour, qRgb(0x10, 0x20, 0x30));
        }
    }
}

// A game folder with the synthetic pictures, a set "rot" whose sheet is
// one red (given only at 300 %, as a player might), and a dealt, running
// game composed with the game's own set.
class ChooseLooksTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        test::WriteBoardPictures(dir_.path(), QColor(0, 0, 255));
        QDir(dir_.path()).mkpath(QStringLiteral("sets/rot"));
        test::SolidImage(1026, 810, QColor(255, 0, 0))
            .save(QDir(dir_.path()).filePath(QStringLiteral("sets/rot/KLTiles300.bmp")), "BMP");
        QFile::copy(QDir(dir_.path()).filePath(TileFrameFileName()),
                    QDir(dir_.path()).filePath(QStringLiteral("sets/rot/KLTFrame.bmp")));
        red_ = {QStringLiteral("rot"), QStringLiteral("Rot"), QStringLiteral("sets/rot")};
        graphics_.PictureFolder = dir_.path();
        BuildSheetIndex(graphics_);
        game_.Seed = 4711;
        NewGame(game_);
        AnalyzeBoard(game_);
        game_.Running = true;
    }
    void load(PixelFormatSetting format, int percent) {
        game_.settings.PixelFormat = format;
        graphics_.ScalePercent = percent;
        ApplyLooks(graphics_, ResolveLooks(BuiltInTileSets(), BuiltInBackgrounds(), {}, {}));
        LoadGraphics(graphics_, format);
        RenderBoard(game_, graphics_, surface_, ticks_);
    }
    LookSetting redSet() const { return {&red_, &BuiltInBackgrounds()[0], std::nullopt}; }
    // The BackBuffer pixel in the middle of the face of the first present tile.
    Rgb faceMiddle() const {
        for (int32_t slot = 1; slot <= game_.board.SlotCount; ++slot) {
            if (game_.board.Slots[slot].Present && game_.board.Slots[slot].Layer == 5) {
                const Rect r = ToBackBuffer(graphics_, TileRect(game_.board, slot));
                return graphics_.BackBuffer->pixel((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
            }
        }
        ADD_FAILURE() << "no tile on layer 5";
        return {};
    }

    QTemporaryDir dir_;
    LookChoice red_;
    Graphics graphics_;
    Game game_;
    test::RecordingSurface surface_;
    ManualTickSource ticks_;
};

TEST_F(ChooseLooksTest, SwitchingTheSetRedrawsTheBoardAndLeavesTheGameAlone) {
    const struct {
        PixelFormatSetting format;
        int percent;
    } cases[] = {
        {PixelFormatSetting::Device, 100}, {PixelFormatSetting::Bits32, 100},
        {PixelFormatSetting::Bits24, 100}, {PixelFormatSetting::Bits16, 100},
        {PixelFormatSetting::Bits15, 100}, {PixelFormatSetting::Bits8, 100},
        {PixelFormatSetting::Bits4, 100},  {PixelFormatSetting::Device, 50},
        {PixelFormatSetting::Device, 225}, {PixelFormatSetting::Bits4, 600},
    };
    for (const auto& c : cases) {
        const std::string where = test::FormatName(c.format) + " " + std::to_string(c.percent);
        load(c.format, c.percent);
        const Game before = game_;
        const int presents = surface_.presents;
        ChooseLooks(game_, graphics_, surface_, ticks_, redSet());
        EXPECT_EQ(surface_.presents, presents + 1) << where;
        const Rgb red =
            BitmapFromImage(test::SolidImage(1, 1, QColor(255, 0, 0)), c.format).pixel(0, 0);
        EXPECT_EQ(faceMiddle(), red) << where;
        for (int32_t slot = 1; slot <= before.board.SlotCount; ++slot) {
            ASSERT_EQ(game_.board.Slots[slot].Present, before.board.Slots[slot].Present);
            ASSERT_EQ(game_.board.Slots[slot].Kind, before.board.Slots[slot].Kind);
        }
        EXPECT_EQ(game_.history.Position, before.history.Position) << where;
        EXPECT_EQ(game_.clock.Elapsed, before.clock.Elapsed) << where;
        EXPECT_EQ(game_.Seed, before.Seed) << where;
        // Back to today's set: the board is composed as before the switch.
        const std::vector<uint8_t> redBytes = surface_.lastPresentedBytes;
        ChooseLooks(game_, graphics_, surface_, ticks_,
                    ResolveLooks(BuiltInTileSets(), BuiltInBackgrounds(), {}, {}));
        EXPECT_NE(surface_.lastPresentedBytes, redBytes) << where;
    }
}

TEST_F(ChooseLooksTest, BehindTheLogoScreenTheSetIsReadButNothingIsComposed) {
    load(PixelFormatSetting::Device, 100);
    game_.Running = false;
    const int presents = surface_.presents;
    ChooseLooks(game_, graphics_, surface_, ticks_, redSet());
    EXPECT_EQ(surface_.presents, presents);
    EXPECT_EQ(graphics_.TileSheet->pixel(10, 10), (Rgb{255, 0, 0}));
}

TEST_F(ChooseLooksTest, ASetThatCannotBeReadLeavesTheOldOneInPlace) {
    load(PixelFormatSetting::Bits8, 150);
    const std::vector<uint8_t> sheet = test::Bytes(*graphics_.TileSheet);
    const LookChoice missing{QStringLiteral("weg"), QStringLiteral("Weg"),
                             QDir(dir_.path()).filePath(QStringLiteral("sets/weg"))};
    EXPECT_THROW(ChooseLooks(game_, graphics_, surface_, ticks_,
                             {&missing, &BuiltInBackgrounds()[0], std::nullopt}),
                 GraphicsError);
    EXPECT_EQ(graphics_.TileSetFolder, QString());
    EXPECT_EQ(test::Bytes(*graphics_.TileSheet), sheet);
}

TEST_F(ChooseLooksTest, APlainColourFillsTheBackgroundInEveryFormat) {
    for (PixelFormatSetting format : test::kAllFormats) {
        load(format, 100);
        ChooseLooks(game_, graphics_, surface_, ticks_,
                    {&BuiltInTileSets()[0], nullptr, qRgb(0x20, 0x40, 0x60)});
        EXPECT_EQ(graphics_.BackgroundWidth, 64);
        EXPECT_EQ(graphics_.BackBuffer->pixel(0, 0),
                  PlainBackgroundTile(qRgb(0x20, 0x40, 0x60), format).pixel(0, 0))
            << test::FormatName(format);
        EXPECT_EQ(graphics_.BackBuffer->pixel(639, 0), graphics_.BackBuffer->pixel(0, 0))
            << test::FormatName(format);
    }
}

} // namespace
} // namespace kelmar
