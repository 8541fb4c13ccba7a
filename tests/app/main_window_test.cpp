// The main window driven through its handlers: start-up, guards, clock,
// pause, mouse, help, files and shutdown.
#include "app/board_field.h"
#include "app/help.h"
#include "app/main_view.h"
#include "app/main_window_inside.h"
#include "core/board.h"
#include "core/rules.h"
#include "render/bitmap_ops.h"
#include "render/display_image.h"
#include "tests/app/app_test_support.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace kelmar::testing {
namespace {

using MainWindow = WindowTest;

// The lines of the logo screen as the player reads them: the coloured pass of
// each line (the black outline passes left out).
std::vector<TField::TextLine> readableLines(const TField& field) {
    std::vector<TField::TextLine> lines;
    for (const TField::TextLine& line : field.textLines()) {
        if (line.color != QColor(0, 0, 0)) {
            lines.push_back(line);
        }
    }
    return lines;
}

TEST_F(MainWindow, StartsDealtAndAnalysedBehindTheStartScreen) {
    createWindow();
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_FALSE(game().Running);
    EXPECT_EQ(game().board.SlotCount, 144);
    EXPECT_EQ(panel(0), QStringLiteral("mögliche Züge: %1").arg(game().play.MoveCount));
    EXPECT_EQ(panel(1), QStringLiteral("Zeit: "));
    const auto lines = readableLines(*Inside(*form).Field);
    ASSERT_EQ(lines.size(), 2u); // the empty middle line draws nothing
    EXPECT_EQ(lines[0].text, QStringLiteral("Start mit Mausklick"));
    EXPECT_EQ(lines[0].y, 460);
    EXPECT_EQ(lines[1].text, QStringLiteral("Kelmar SR1 (12.12.2000)"));
    EXPECT_EQ(lines[1].color, QColor(160, 180, 192));
    EXPECT_EQ(lines[1].y, 432);

    tick(5000); // the clock stands still on the start screen
    EXPECT_EQ(game().clock.Elapsed, 0);
    EXPECT_EQ(panel(1), QStringLiteral("Zeit: "));
}

TEST_F(MainWindow, MissingPictureIsShownAndTheWindowStillOpens) {
    ASSERT_TRUE(QFile::remove(QStringLiteral("KLTiles.bmp")));
    createWindow();
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_TRUE(sink.messages[0].error);
    EXPECT_EQ(sink.messages[0].text, QStringLiteral("Cannot open file KLTiles.bmp"));
    // The rest of the start-up was skipped; a release must not crash.
    form->FieldMouseUp(Qt::LeftButton, 100, 100);
    form->FieldMouseDown(Qt::LeftButton, 100, 100);
    form->BHintClick();
    tick(10);
}

TEST_F(MainWindow, SettingsDecideTheCheckMarks) {
    QFile ini(QStringLiteral("Kelmar.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Kelmar]\r\nPixelFormat=12\r\nForceRepaint=1\r\nAvoidUnsolveableGames=0\r\n");
    ini.close();
    createWindow();
    EXPECT_TRUE(Inside(*form).action("MFDevice")->isChecked());
    EXPECT_TRUE(Inside(*form).action("MForceRepaint")->isChecked());
    EXPECT_FALSE(Inside(*form).action("MNoUnsolveableGames")->isChecked());
    EXPECT_FALSE(Inside(*form).action("MShowSpeed")->isChecked());
}

TEST_F(MainWindow, FirstReleaseOnlyResumes) {
    createWindow();
    const auto [a, b] = freeMatchingPair();
    ASSERT_GT(a, 0);
    const QPoint at = centreOf(game().board, a);
    form->FieldMouseDown(Qt::LeftButton, at.x(), at.y());
    form->FieldMouseUp(Qt::LeftButton, at.x(), at.y());
    EXPECT_TRUE(game().Running);
    EXPECT_FALSE(game().play.SelectionActive);
    EXPECT_TRUE(Inside(*form).Field->textLines().empty());
}

TEST_F(MainWindow, PressHighlightsEvenACoveredTileAndChangesNoState) {
    createWindow();
    startPlaying();
    int32_t covered = 0;
    for (int32_t s = 1; s <= game().board.SlotCount && covered == 0; ++s) {
        const QPoint at = centreOf(game().board, s);
        if (!game().board.Slots[static_cast<std::size_t>(s)].Free &&
            HitTest(game().board, at.x(), at.y()) == s) {
            covered = s;
        }
    }
    ASSERT_GT(covered, 0);
    const QImage before = shownPicture();
    const QPoint at = centreOf(game().board, covered);
    form->FieldMouseDown(Qt::LeftButton, at.x(), at.y());
    EXPECT_NE(shownPicture().pixel(at), before.pixel(at));
    EXPECT_FALSE(game().play.SelectionActive);
    form->FieldMouseUp(Qt::LeftButton, at.x(), at.y());
    EXPECT_FALSE(game().play.SelectionActive);
    EXPECT_EQ(shownPicture(), before); // the release's render clears the feedback
}

TEST_F(MainWindow, DoubleClickSelectsAndDeselects) {
    createWindow();
    startPlaying();
    const int32_t slot = freeMatchingPair().first;
    const QPointF at = centreOf(game().board, slot);
    const auto send = [&](QEvent::Type type) {
        QMouseEvent event(type, at, Inside(*form).Field->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(Inside(*form).Field, &event);
    };
    send(QEvent::MouseButtonPress);
    send(QEvent::MouseButtonRelease);
    EXPECT_TRUE(game().play.SelectionActive);
    send(QEvent::MouseButtonDblClick);
    send(QEvent::MouseButtonRelease);
    EXPECT_FALSE(game().play.SelectionActive);
}

TEST_F(MainWindow, ReleaseOutsideTheBoardRendersAndKeepsTheSelection) {
    createWindow();
    startPlaying();
    const int32_t slot = freeMatchingPair().first;
    click(slot);
    ASSERT_TRUE(game().play.SelectionActive);
    form->BHintClick();
    WaitForHint(*form);
    ASSERT_TRUE(game().play.HintShowing);
    form->FieldMouseUp(Qt::RightButton, -300, 5000);
    EXPECT_TRUE(game().play.SelectionActive);
    EXPECT_EQ(game().play.SelectedSlot, slot);
    EXPECT_FALSE(game().play.HintShowing); // rendered again
}

TEST_F(MainWindow, HintCostsTenSecondsOnce) {
    createWindow();
    startPlaying();
    tick(3000);
    EXPECT_EQ(game().clock.Elapsed, 3000);
    form->BHintClick();
    WaitForHint(*form);
    tick(10);
    EXPECT_EQ(game().clock.Elapsed, 13010);
    form->MHintClick(); // takes the shown pair, no further penalty
    EXPECT_EQ(game().history.Length, 1);
    EXPECT_EQ(game().history.Records[1].Time, 13010);
    tick(10);
    EXPECT_EQ(game().clock.Elapsed, 13020);
}

TEST_F(MainWindow, UndoHandsBackTheTimeAndRedoSetsItAgain) {
    createWindow();
    startPlaying();
    tick(60000);
    const auto [a, b] = freeMatchingPair();
    clickPair(a, b);
    ASSERT_EQ(game().history.Position, 1);
    tick(30000);
    EXPECT_EQ(game().clock.Elapsed, 90000);
    form->BUndoClick();
    tick(10);
    EXPECT_EQ(game().clock.Elapsed, 60010);
    tick(5000);
    form->MRedoClick();
    tick(10);
    EXPECT_EQ(game().clock.Elapsed, 60010);
}

TEST_F(MainWindow, PausedTimeIsNotCounted) {
    createWindow();
    startPlaying();
    tick(7000);
    form->BPauseClick();
    EXPECT_FALSE(game().Running);
    const auto lines = readableLines(*Inside(*form).Field);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].text, QStringLiteral("PAUSE-MODUS"));
    EXPECT_EQ(lines[1].y, 446);
    tick(100000);
    form->MPauseClick();
    EXPECT_TRUE(game().Running);
    tick(10);
    EXPECT_EQ(game().clock.Elapsed, 7010);
    tick(200);
    EXPECT_EQ(panel(1), QStringLiteral("Zeit: 0:07"));
}

TEST_F(MainWindow, AboutOverThePauseScreenAndTheNextClickResumes) {
    createWindow();
    startPlaying();
    form->BPauseClick();
    form->MAboutClick();
    EXPECT_FALSE(game().Running);
    const auto lines = readableLines(*Inside(*form).Field);
    ASSERT_EQ(lines.size(), 3u); // the second line from the bottom is empty
    EXPECT_EQ(lines[1].y, 432);
    EXPECT_EQ(lines[2].y, 418);
    for (const auto& line : lines) {
        EXPECT_EQ(line.color, QColor(255, 255, 255));
        EXPECT_FALSE(line.text.contains(QLatin1Char('@')));
    }
    EXPECT_TRUE(lines[2].text.contains(QStringLiteral("2000")));
    form->FieldMouseUp(Qt::LeftButton, 320, 240);
    EXPECT_TRUE(game().Running);
    EXPECT_FALSE(game().play.SelectionActive);
}

// F1 handed the page to the desktop, which reports success even where no
// browser exists, so nothing at all happened there.
TEST_F(MainWindow, HelpShowsThePageInItsOwnWindowWithTheBrowserAsAChoice) {
    createWindow();
    form->BHelpClick();
    auto* help = form->findChild<THelpForm*>();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_TRUE(helpCalls.empty()) << "no desktop needed";
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_EQ(help->windowTitle(), QStringLiteral("Kelmar – Hilfe"));
    EXPECT_TRUE(help->Browser->toPlainText().contains(QStringLiteral("Die Regeln")));

    QScrollBar* scroll = help->Browser->verticalScrollBar();
    ASSERT_EQ(scroll->value(), 0);
    Q_EMIT help->Browser->anchorClicked(QUrl(QStringLiteral("#dateien"))); // a link of the page
    EXPECT_GT(scroll->value(), 0);

    help->BBrowser->click();
    ASSERT_EQ(helpCalls.size(), 1u);
    EXPECT_EQ(helpCalls[0],
              QUrl::fromLocalFile(QDir(folder.path()).filePath(QStringLiteral("Kelmar.htm"))));
    EXPECT_TRUE(sink.messages.empty());
    helpResult = false;
    help->BBrowser->click();
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_FALSE(sink.messages[0].error);
    EXPECT_EQ(sink.messages[0].caption, QStringLiteral("Kelmar-Fehler"));
    EXPECT_EQ(sink.messages[0].text, QStringLiteral("Kann Hilfe nicht aufrufen"));

    // The page is read again at every F1; a pipe in its place used to hang.
    ASSERT_TRUE(QFile::remove(QStringLiteral("Kelmar.htm")));
    ASSERT_EQ(::mkfifo("Kelmar.htm", 0600), 0);
    form->MHelpStartClick();
    EXPECT_EQ(sink.messages.size(), 2u);
    EXPECT_FALSE(help->isVisible());
    EXPECT_EQ(helpCalls.size(), 2u);
}

// A settings file that could not be read was taken as empty, and the close
// then wrote the defaults over all ten best times.
TEST_F(MainWindow, UnreadableSettingsAreReportedOnceAndLeftAlone) {
    ASSERT_EQ(::mkfifo("Kelmar.ini", 0600), 0); // also used to hang the start
    createWindow();
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_FALSE(sink.messages[0].error);
    EXPECT_EQ(sink.messages[0].caption, QStringLiteral("Kelmar"));
    EXPECT_TRUE(sink.messages[0].text.startsWith(
        QStringLiteral("Kann Einstellungen „Kelmar.ini“ nicht lesen: Keine gewöhnliche Datei.")));
    EXPECT_EQ(game().board.SlotCount, 144) << "the start goes on";
    form->MExitClick();
    EXPECT_EQ(sink.messages.size(), 1u);
    EXPECT_FALSE(QFileInfo(QStringLiteral("Kelmar.ini")).isFile()) << "still the pipe";
}

TEST_F(MainWindow, PixelFormatWhilePausedReloadsButDoesNotDraw) {
    createWindow();
    const Bitmap logo = *Inside(*form).view().graphics().BackBuffer;
    const std::size_t lines = Inside(*form).Field->textLines().size();
    ASSERT_GT(lines, 0u);
    Inside(*form).action("MF8")->trigger();
    EXPECT_EQ(game().settings.PixelFormat, PixelFormatSetting::Bits8);
    EXPECT_TRUE(Inside(*form).action("MF8")->isChecked());
    EXPECT_FALSE(Inside(*form).action("MFDevice")->isChecked());
    EXPECT_EQ(Inside(*form).view().graphics().TileSheet->format(), PixelFormatSetting::Bits8);
    // The logo is converted, not replaced by a board, and the lines stay
    // until the next repaint.
    EXPECT_EQ(shownPicture(), BitmapToImage(ConvertedBitmap(logo, PixelFormatSetting::Bits8)));
    EXPECT_EQ(Inside(*form).Field->textLines().size(), lines);
    startPlaying();
    EXPECT_EQ(Inside(*form).view().graphics().BackBuffer->format(), PixelFormatSetting::Bits8);
    form->MF24Click();
    EXPECT_EQ(Inside(*form).view().graphics().BackBuffer->format(), PixelFormatSetting::Bits24);
}

} // namespace
} // namespace kelmar::testing
