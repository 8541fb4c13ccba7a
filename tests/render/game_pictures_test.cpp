// The board as the game's own pictures compose it at 100 %: pinned by a
// checksum of the whole BackBuffer per pixel format, so that no change of the
// renderer or of the pictures alters a byte of what the game shows unnoticed.
// New pictures are pinned anew, deliberately.
#include "core/board.h"
#include "core/deal.h"
#include "core/rules.h"
#include "render/renderer.h"
#include "render_test_support.h"

#include <gtest/gtest.h>

namespace kelmar {
namespace {

using test::FormatName;

// FNV-1a, 64 bits, over the BackBuffer's stored bytes (padding included).
uint64_t Checksum(const Bitmap& bitmap) {
    uint64_t h = 0xCBF29CE484222325u;
    for (std::size_t i = 0; i < bitmap.byteCount(); ++i) {
        h = (h ^ bitmap.bits()[i]) * 0x100000001B3u;
    }
    return h;
}

// A fixed deal with a selected tile, rendered from the built game pictures,
// then a second tile highlighted as a hint would.
uint64_t DealtBoardChecksum(PixelFormatSetting format) {
    Game game;
    game.settings.AvoidUnsolveableGames = false;
    SeedRandom(game, 12345678u);
    NewGame(game);
    AnalyzeBoard(game);
    game.play.SelectionActive = true;
    game.play.SelectedSlot = 40;
    Graphics graphics;
    graphics.PictureFolder = QStringLiteral(KELMAR_TEST_GAME_DIR);
    LoadGraphics(graphics, format);
    BuildSheetIndex(graphics);
    test::RecordingSurface surface;
    test::SteppingTicks ticks(0, 1);
    RenderBoard(game, graphics, surface, ticks);
    HighlightTile(graphics, TileRect(game.board, 100));
    return Checksum(*graphics.BackBuffer);
}

TEST(GamePictures, ComposeThePinnedBoardAt100Percent) {
    const std::pair<PixelFormatSetting, uint64_t> pinned[] = {
        {PixelFormatSetting::Device, 0x66712a9004953d7u},
        {PixelFormatSetting::Bits32, 0x4431b36194fc94a0u},
        {PixelFormatSetting::Bits24, 0x60e8cda961a60da6u},
        {PixelFormatSetting::Bits16, 0x5548927f5a7da9a7u},
        {PixelFormatSetting::Bits15, 0x98268c0f0a561945u},
        {PixelFormatSetting::Bits8, 0x7ea3e4144c0b8bf6u},
        {PixelFormatSetting::Bits4, 0x2858c1016f83b0cau},
    };
    for (const auto& [format, checksum] : pinned) {
        EXPECT_EQ(DealtBoardChecksum(format), checksum)
            << FormatName(format) << std::hex << " 0x" << DealtBoardChecksum(format);
    }
}

} // namespace
} // namespace kelmar
