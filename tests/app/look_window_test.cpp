// The looks through the window: "Kacheln ..." and "Hintergrund ..." redraw
// the running game without touching it, and the player's own sets are
// offered or named once at start.
#include "app/main_window_inside.h"
#include "tests/app/app_test_support.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace kelmar::testing {
namespace {

class LookWindow : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        for (const char* looks : {"sets", "felts"}) {
            ASSERT_TRUE(QFile::link(
                QDir(QStringLiteral(KELMAR_TEST_GAME_DIR)).filePath(QLatin1String(looks)),
                QDir(folder.path()).filePath(QLatin1String(looks))));
        }
    }
    // Copies the game's picture `from` into the player's set `set` as `to`.
    void giveSetFile(const char* set, const char* from, const char* to) {
        const QDir sets(QDir(folder.path()).filePath(QStringLiteral("tilesets")));
        ASSERT_TRUE(sets.mkpath(QLatin1String(set)));
        ASSERT_TRUE(
            QFile::copy(QDir(QStringLiteral(KELMAR_TEST_GAME_DIR)).filePath(QLatin1String(from)),
                        sets.filePath(QLatin1String(set) + QLatin1Char('/') + QLatin1String(to))));
    }
    void trigger(const char* item) { Inside(*form).action(item)->trigger(); }
    // What a redraw must leave alone: every tile, every recorded move.
    std::vector<int32_t> played() {
        std::vector<int32_t> state{game().board.SlotCount, game().history.Position};
        for (const TileSlot& slot : game().board.Slots) {
            state.insert(state.end(), {slot.Present, slot.X, slot.Y, slot.Layer, slot.Kind});
        }
        for (const MoveRecord& move : game().history.Records) {
            state.insert(state.end(), {move.Time, move.First, move.Second});
        }
        return state;
    }
};

TEST_F(LookWindow, ChoosingLooksRedrawsTheGameAtOnceAndKeepsBoardClockAndMoves) {
    createWindow();
    startPlaying();
    const auto [a, b] = freeMatchingPair();
    clickPair(a, b);
    tick(2500);
    const std::vector<int32_t> moves = played();
    const int32_t elapsed = game().clock.Elapsed;
    const QImage today = shownPicture();
    struct Step {
        const char* item;
        std::optional<int> answer;  // nullopt: cancelled
        std::optional<QRgb> colour; // the colour dialog's answer
        const char* tileSet;
        const char* background;
        bool redrawn;
    };
    const Step steps[] = {
        {"MTileSet", 3, {}, "nacht", "blau", true},
        {"MTileSet", std::nullopt, {}, "nacht", "blau", false},
        {"MBackground", 2, {}, "nacht", "wein", true},
        {"MBackground", 4, qRgb(0x12, 0x34, 0x56), "nacht", "#123456", true},
        {"MBackground", 4, std::nullopt, "nacht", "#123456", false}, // colour dialog cancelled
        {"MTileSet", 0, {}, "klassisch", "#123456", true},
        {"MBackground", 0, {}, "klassisch", "blau", true},
    };
    QImage before = today;
    for (const Step& step : steps) {
        lookAnswer = step.answer;
        colourAnswer = step.colour;
        trigger(step.item);
        const std::string what = std::string(step.item) + " " + step.tileSet + step.background;
        EXPECT_EQ(game().settings.TileSet, step.tileSet) << what;
        EXPECT_EQ(game().settings.Background, step.background) << what;
        EXPECT_EQ(shownPicture() != before, step.redrawn) << what;
        before = shownPicture();
        EXPECT_EQ(played(), moves) << what;
        EXPECT_EQ(game().clock.Elapsed, elapsed) << what;
    }
    // The felts, then the plain colour, the current one marked.
    ASSERT_EQ(lookEntries.size(), 5u);
    EXPECT_EQ(lookEntries.back().name, QStringLiteral("Eigene Farbe ..."));
    EXPECT_EQ(lookCurrent, 4);
    EXPECT_EQ(lookTitle, QStringLiteral("Hintergrund wählen"));
    EXPECT_EQ(shownPicture(), today) << "today's looks come back byte for byte";
}

TEST_F(LookWindow, PlayersSetsAreOfferedAndABrokenOneIsNamedOnce) {
    // One size of each picture is enough; the others are filtered from it.
    giveSetFile("eigen", "KLTiles300.bmp", "KLTiles300.bmp");
    giveSetFile("eigen", "KLTFrame300.bmp", "KLTFrame300.bmp");
    giveSetFile("kaputt", "KLTiles150.bmp", "KLTiles.bmp");
    giveSetFile("kaputt", "KLTFrame.bmp", "KLTFrame.bmp");
    // Headers that pass the check, a picture Qt cannot read (two planes).
    giveSetFile("schief", "KLTiles.bmp", "KLTiles.bmp");
    giveSetFile("schief", "KLTFrame.bmp", "KLTFrame.bmp");
    QFile tiles(QStringLiteral("tilesets/schief/KLTiles.bmp"));
    ASSERT_TRUE(tiles.open(QIODevice::ReadWrite) && tiles.seek(26) && tiles.write("\2", 1) == 1);
    tiles.close();
    QFile ini(QStringLiteral("Kelmar.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Kelmar]\r\nTileSet=schief\r\nBackground=lila\r\n");
    ini.close();
    createWindow();
    ASSERT_EQ(sink.messages.size(), 2u);
    const QString message = sink.messages[0].text + sink.messages[1].text;
    EXPECT_TRUE(message.contains(QStringLiteral("„kaputt“: Die Datei „KLTiles.bmp“ ist 513 × 405")))
        << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("„schief“ lässt sich nicht lesen")))
        << message.toStdString();
    EXPECT_EQ(game().settings.TileSet, "klassisch") << "the game starts in today's looks";
    EXPECT_EQ(game().settings.Background, "blau");
    startPlaying();
    const QImage today = shownPicture();

    lookAnswer = 4;
    trigger("MTileSet");
    ASSERT_EQ(lookEntries.size(), 6u);
    EXPECT_EQ(lookEntries[4].name, QStringLiteral("eigen"));
    EXPECT_EQ(game().settings.TileSet, "eigen");
    EXPECT_NE(shownPicture(), today);
    EXPECT_EQ(sink.messages.size(), 2u) << "named once per start";
}

} // namespace
} // namespace kelmar::testing
