// Layouts through the window: the chooser, the layout of the first deal,
// saved games of every layout, a win on another layout and the player's
// layout files.
#include "app/main_view.h"
#include "app/main_window_inside.h"
#include "core/board.h"
#include "core/builtin_layouts.h"
#include "core/rules.h"
#include "scores/score_form.h"
#include "storage/settings_file.h"
#include "tests/app/app_test_support.h"

#include <QDir>
#include <QFile>
#include <QTableWidget>
#include <gtest/gtest.h>
#include <memory>

namespace kelmar::testing {
namespace {

class LayoutWindow : public WindowTest {
protected:
    int indexOf(const std::string& shortName) const {
        const std::vector<Layout>& all = Inside(*form).layouts();
        for (std::size_t i = 0; i < all.size(); ++i) {
            if (all[i].ShortName == shortName) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }
    void choose(const std::string& shortName) {
        layoutAnswer = indexOf(shortName);
        ASSERT_GE(*layoutAnswer, 0) << shortName;
        form->MLayoutClick();
    }
    void writeFile(const QString& name, const QByteArray& bytes) {
        QFile file(name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray readFile(const QString& name) {
        QFile file(name);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }
};

TEST_F(LayoutWindow, TheChooserShowsEveryLayoutAndDealsOnTheChosenOneAtOnce) {
    createWindow();
    startPlaying();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Kelmar – Pyramide"));
    const Board before = game().board;
    layoutAnswer.reset(); // cancelled: nothing changes
    form->MLayoutClick();
    ASSERT_EQ(layoutChoices.size(), BuiltInLayouts().size());
    EXPECT_EQ(layoutCurrent, 0);
    EXPECT_EQ(layoutChoices[0].name, QStringLiteral("Pyramide"));
    EXPECT_EQ(layoutChoices[0].layers, 5);
    EXPECT_EQ(layoutChoices[0].bestTime, QStringLiteral("–")) << "only the initial rows";
    EXPECT_EQ(layoutChoices[0].typicalGrade, QStringLiteral("schwer"));
    for (const LayoutChoice& c : layoutChoices) {
        EXPECT_FALSE(c.picture.isNull()) << c.name.toStdString();
    }
    EXPECT_EQ(layoutChoices[1].bestTime, QStringLiteral("–"));
    for (int32_t s = 1; s <= 144; ++s) {
        ASSERT_EQ(game().board.Slots[static_cast<std::size_t>(s)].Kind,
                  before.Slots[static_cast<std::size_t>(s)].Kind);
    }

    choose("Ring");
    EXPECT_EQ(game().layout->ShortName, "Ring");
    EXPECT_EQ(game().settings.LayoutName, "Ring");
    EXPECT_TRUE(BoardHasLayout(game().board, *game().layout));
    EXPECT_EQ(game().board.SlotCount, 144);
    EXPECT_FALSE(game().play.NoMovesLeft);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Kelmar – Ring"));
    form->MLayoutClick();
    EXPECT_EQ(layoutCurrent, indexOf("Ring"));
}

// The chooser on a 1366 x 768 screen cut a thirteenth layout's row in
// half: it shows whole rows, widening to more columns while the screen has
// room and scrolling by rows beyond that. Cells of 216 x 218 pixels.
TEST(LayoutChooserGrid, ShowsWholeRowsAndWidensBeforeItScrolls) {
    struct Case {
        int count, roomWidth, roomHeight;
        ChooserGrid grid;
    };
    const Case cases[] = {
        {12, 1318, 668, {4, 3, 3}}, // 1366 x 768: as always
        {13, 1318, 668, {5, 3, 3}}, // a player's layout: one column more
        {13, 1872, 980, {4, 4, 4}}, // 1920 x 1080: room for a fourth row
        {13, 1318, 653, {6, 3, 2}}, // 2 rows fit: 6 columns, 3 rows scroll
        {30, 1318, 668, {6, 5, 3}}, // no room for more columns: 3 rows, scrolling
        {2, 1318, 668, {2, 1, 1}},  {1, 100, 100, {1, 1, 1}},
        {0, 1318, 668, {1, 1, 1}},  {5, 100, 100, {1, 5, 1}},
    };
    for (const Case& c : cases) {
        const ChooserGrid grid = ChooserGridFor(c.count, 216, 218, c.roomWidth, c.roomHeight);
        EXPECT_EQ(grid.columns, c.grid.columns) << c.count << " in " << c.roomHeight;
        EXPECT_EQ(grid.rows, c.grid.rows) << c.count << " in " << c.roomHeight;
        EXPECT_EQ(grid.visibleRows, c.grid.visibleRows) << c.count << " in " << c.roomHeight;
    }
}

TEST_F(LayoutWindow, TheStoredLayoutDealsTheFirstGameAndAnUnknownOneThePyramid) {
    const std::pair<const char*, const char*> cases[] = {
        {"Layout=treppe", "Treppe"}, {"Layout=Gibtsnicht", "Pyramide"}, {"", "Pyramide"}};
    for (const auto& [line, layout] : cases) {
        writeFile(QStringLiteral("Kelmar.ini"), QByteArray("[Kelmar]\r\n") + line + "\r\n");
        createWindow();
        EXPECT_EQ(game().layout->ShortName, layout) << line;
        EXPECT_TRUE(BoardHasLayout(game().board, *game().layout)) << line;
        form->ShutDownGame();
        EXPECT_TRUE(readFile(QStringLiteral("Kelmar.ini"))
                        .contains(QByteArray("\r\nZoom=100\r\nLayout=") + layout + "\r\n"))
            << line;
        form.reset();
    }
}

// A saved game of each layout comes back exactly and switches to its layout.
TEST_F(LayoutWindow, ASavedGameOfEveryLayoutLoadsBackOnItsLayout) {
    createWindow();
    startPlaying();
    for (const Layout& layout : BuiltInLayouts()) {
        choose(layout.ShortName);
        const auto [a, b] = freeMatchingPair();
        ASSERT_NE(a, 0) << layout.ShortName;
        clickPair(a, b);
        form->MSaveClick();
        const Board saved = game().board;
        choose(layout.ShortName == "Ring" ? "Kreuz" : "Ring");
        form->BLoadClick();
        EXPECT_EQ(game().layout->ShortName, layout.ShortName);
        EXPECT_EQ(Inside(*form).boardLayout(), game().layout);
        for (int32_t s = 1; s <= 144; ++s) {
            const TileSlot& x = game().board.Slots[static_cast<std::size_t>(s)];
            const TileSlot& y = saved.Slots[static_cast<std::size_t>(s)];
            ASSERT_TRUE(x.X == y.X && x.Y == y.Y && x.Layer == y.Layer && x.Kind == y.Kind &&
                        x.Present == y.Present)
                << layout.ShortName << " slot " << s;
        }
        EXPECT_EQ(game().history.Position, 1);
    }
    EXPECT_TRUE(sink.messages.empty());
}

// A start-up that stopped at a missing tile sheet still shows the player's
// stored pyramid times, not the initial rows.
TEST_F(LayoutWindow, BestTimesAfterAStartWithoutTheTileSheetAreThePlayersOwn) {
    HighScoreTable stored;
    RecordHighScore(stored, "Anna", 95000, 45000.5);
    writeFile(QStringLiteral("Kelmar.ini"),
              QByteArray::fromStdString(SettingsText(GameSettings{}, stored)));
    ASSERT_TRUE(QFile::remove(QStringLiteral("KLTiles.bmp")));
    createWindow();
    TScoreForm scores(form->scores(), game().settings);
    form->setScoreForm(&scores);
    form->MScoreClick();
    EXPECT_EQ(scores.ScoreBox->item(0, 1)->text(), QStringLiteral("Anna"));
    EXPECT_EQ(scores.ScoreBox->item(0, 2)->text(), QStringLiteral("01:35"));
    form->setScoreForm(nullptr);
}

// Winning on the ring enters the ring's table and leaves the pyramid's
// section of the settings file byte for byte as it was.
TEST_F(LayoutWindow, AWinOnAnotherLayoutEntersOnlyThatLayoutsTable) {
    createWindow();
    // A score window is made for each main window, as the program does: it
    // works on that window's table and settings.
    auto scores = std::make_unique<TScoreForm>(form->scores(), game().settings);
    form->setScoreForm(scores.get());
    startPlaying();
    form->ShutDownGame();
    const QByteArray pyramidBefore = readFile(QStringLiteral("Kelmar.ini"));
    form.reset();
    createWindow();
    scores = std::make_unique<TScoreForm>(form->scores(), game().settings);
    form->setScoreForm(scores.get());
    startPlaying();
    choose("Ring");
    const auto moves = arrangeWinnableDeal(game());
    ASSERT_EQ(moves.size(), 72u);
    AnalyzeBoard(game());
    for (const auto& [a, b] : moves) {
        tick(500);
        clickPair(a, b);
    }
    ASSERT_TRUE(game().play.GameWon);
    const HighScoreTable* ring = FindLayoutScoreTable(Inside(*form).layoutScores(), "Ring");
    ASSERT_NE(ring, nullptr);
    EXPECT_EQ(ring->Rows[1].Time, 72 * 500);
    EXPECT_EQ(form->scores().Rows[1].Time, 3 * 60000);
    EXPECT_EQ(scores->windowTitle(), QStringLiteral("Kelmar-Bestenliste – Ring"));
    layoutAnswer.reset();
    form->MLayoutClick();
    EXPECT_EQ(layoutChoices[static_cast<std::size_t>(indexOf("Ring"))].bestTime,
              QStringLiteral("00:36"));
    EXPECT_EQ(layoutChoices[0].bestTime, QStringLiteral("–"));
    form->setScoreForm(nullptr);
    form->ShutDownGame();
    const QByteArray after = readFile(QStringLiteral("Kelmar.ini"));
    const QByteArray pyramidPart = pyramidBefore.mid(pyramidBefore.indexOf("[Highscores]"));
    const qsizetype at = after.indexOf("[Highscores]");
    EXPECT_EQ(after.mid(at, pyramidPart.size()), pyramidPart);
    EXPECT_EQ(after.mid(at + pyramidPart.size(), 23), "\r\n[Highscores Ring]\r\n1=");
}

// A board whose positions match no layout is loaded and played; its win
// enters no table at all.
TEST_F(LayoutWindow, ABoardOfNoKnownLayoutIsPlayedButItsWinEntersNoTable) {
    createWindow();
    TScoreForm scores(form->scores(), game().settings);
    form->setScoreForm(&scores);
    startPlaying();
    choose("Feld");
    for (int32_t s = 1; s <= 144; ++s) {
        game().board.Slots[static_cast<std::size_t>(s)].Y += 1; // one pixel lower
    }
    form->MSaveClick();
    form->BLoadClick();
    EXPECT_EQ(Inside(*form).boardLayout(), nullptr);
    EXPECT_EQ(game().layout->ShortName, "Feld") << "the next deal stays on the last layout";
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Kelmar – unbekannte Aufstellung"));
    const auto moves = arrangeWinnableDeal(game());
    ASSERT_EQ(moves.size(), 72u);
    AnalyzeBoard(game());
    for (const auto& [a, b] : moves) {
        tick(100);
        clickPair(a, b);
    }
    ASSERT_TRUE(game().play.GameWon);
    EXPECT_TRUE(Inside(*form).layoutScores().empty());
    EXPECT_EQ(form->scores().Rows[1].Time, 3 * 60000);
    EXPECT_FALSE(scores.isVisible());
    form->setScoreForm(nullptr);
}

TEST_F(LayoutWindow, PlayerFilesJoinTheListAndEachBrokenOneIsNamedOnceAtStart) {
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("layouts")));
    QByteArray good = "Name: Mein Feld\nEbene 1\n";
    for (int r = 0; r < 16; ++r) {
        good += QByteArray(28, '#') + "\n";
    }
    good += "Ebene 2\n";
    for (int r = 0; r < 8; ++r) {
        good += "..." + QByteArray(16, '#') + "\n";
    }
    writeFile(QStringLiteral("layouts/meins.txt"), good);
    writeFile(QStringLiteral("layouts/kaputt.txt"), "Name: Kaputt\nEbene 1\n##\n");
    createWindow();
    ASSERT_EQ(Inside(*form).layouts().size(), BuiltInLayouts().size() + 1);
    EXPECT_EQ(Inside(*form).layouts().back().Name, "Mein Feld");
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_TRUE(sink.messages[0].text.contains(QStringLiteral("kaputt.txt")));
    EXPECT_TRUE(sink.messages[0].text.contains(QStringLiteral("Zeile 3")));
    startPlaying();
    choose("meins");
    EXPECT_TRUE(BoardHasLayout(game().board, Inside(*form).layouts().back()));
    EXPECT_EQ(sink.messages.size(), 1u);
}

} // namespace
} // namespace kelmar::testing
