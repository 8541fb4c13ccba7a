// The board's size in the window: 100 % exactly as before, the zoom menu
// and setting, the board fitted to the window, and clicks mapped back to
// the tile drawn under the pointer at every level.
#include "app/board_field.h"
#include "app/main_view.h"
#include "app/main_window_inside.h"
#include "app/status_panels.h"
#include "app/window_geometry.h"
#include "core/board.h"
#include "core/zoom.h"
#include "tests/app/app_test_support.h"

#include <QAction>
#include <QBackingStore>
#include <QCoreApplication>
#include <QFile>
#include <QMenuBar>
#include <QPaintEvent>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>
#include <tuple>

namespace kelmar::testing {
namespace {

class ZoomWindow : public WindowTest {
protected:
    // Lets the field report its new size and the window fit the board.
    static void settle() {
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::processEvents();
        }
    }
    void chooseLevel(int percent) {
        const auto at = std::find(kZoomLevels.begin(), kZoomLevels.end(), percent);
        Inside(*form).MZoomItems[static_cast<std::size_t>(at - kZoomLevels.begin())]->trigger();
        settle();
    }
    // Sizes the client area (the offscreen screen may be smaller than a
    // window at 300 %, so the test sets the size itself).
    void sizeClient(int width, int height) {
        form->show();
        form->resize(form->size() + QSize(width, height) - Inside(*form).Client->size());
        settle();
    }
    // At the board's current scale `percent`: a click at the centre of a
    // free tile and clicks on the first and the last device pixel of its
    // face select that very tile; just left of the face does not.
    void clicksSelectTheTileDrawnThere(int percent) {
        const QPoint origin = Inside(*form).Field->boardRect().topLeft();
        // A free tile whose face shows whole (no higher tile drawn over it).
        int32_t slot = 0;
        for (int32_t i = 1; i <= game().play.FreeCount && slot == 0; ++i) {
            const int32_t s = game().play.FreeList[static_cast<std::size_t>(i)];
            const Rect r = TileRect(game().board, s);
            if (HitTest(game().board, r.Left, r.Top) == s &&
                HitTest(game().board, r.Right - 1, r.Bottom - 1) == s &&
                HitTest(game().board, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2) == s) {
                slot = s;
            }
        }
        ASSERT_GT(slot, 0) << percent;
        const Rect face = TileRect(game().board, slot);
        const QPoint points[] = {
            origin + QPoint(ScaleLength((face.Left + face.Right) / 2, percent),
                            ScaleLength((face.Top + face.Bottom) / 2, percent)),
            origin + QPoint(ScaleLength(face.Left, percent), ScaleLength(face.Top, percent)),
            origin +
                QPoint(ScaleLength(face.Right, percent) - 1, ScaleLength(face.Bottom, percent) - 1),
        };
        for (const QPoint& at : points) {
            clickField(at);
            EXPECT_TRUE(game().play.SelectionActive) << percent;
            EXPECT_EQ(game().play.SelectedSlot, slot)
                << percent << " at " << at.x() << "," << at.y();
            clickField(at); // deselects
            EXPECT_FALSE(game().play.SelectionActive) << percent;
        }
        // Just left of the face is not the tile.
        clickField(origin + QPoint(ScaleLength(face.Left, percent) - 1,
                                   ScaleLength(face.Top + 20, percent)));
        EXPECT_FALSE(game().play.SelectionActive && game().play.SelectedSlot == slot) << percent;
        if (game().play.SelectionActive) {
            clickField(origin + QPoint(ScaleLength(face.Left, percent) - 1,
                                       ScaleLength(face.Top + 20, percent)));
        }
    }
    // What the window shows of Field (the offscreen platform keeps the
    // window's pixels in an image).
    QImage shownField() const {
        const auto* window = dynamic_cast<QImage*>(form->backingStore()->paintDevice());
        const QRect field = Inside(*form).Field->rect().translated(
            Inside(*form).Field->mapTo(form.get(), QPoint(0, 0)));
        return window->copy(field).convertToFormat(QImage::Format_RGB32);
    }
    // A press and a release of the left button at a point of Field.
    void clickField(QPoint at) {
        QTest::mousePress(Inside(*form).Field, Qt::LeftButton, {}, at);
        QTest::mouseRelease(Inside(*form).Field, Qt::LeftButton, {}, at);
    }
};

TEST_F(ZoomWindow, At100PercentTheWindowAndTheBoardAreAsBefore) {
    createWindow();
    settle();
    EXPECT_EQ(Inside(*form).Client->size(), QSize(642, 530));
    EXPECT_EQ(Inside(*form).Field->geometry(), QRect(1, 30, 640, 480));
    EXPECT_EQ(Inside(*form).Field->boardRect(), QRect(0, 0, 640, 480));
    EXPECT_EQ(Inside(*form).view().scalePercent(), 100);
    EXPECT_EQ(Inside(*form).Field->picture().size(), QSize(640, 480));
    EXPECT_TRUE(Inside(*form).MZoomItems[0]->isChecked());
    // Smaller than today only by the player's hand: down to the board at 50 %.
    sizeClient(100, 100);
    EXPECT_EQ(Inside(*form).Client->size(), QSize(322, 290));
    EXPECT_EQ(Inside(*form).Field->boardLevel(), 50);
    EXPECT_EQ(Inside(*form).Field->boardRect(), QRect(0, 0, 320, 240));
}

// For every level: the chosen level sets the board's size, a click at the
// centre of a free tile and clicks on the first and the last device pixel
// of its face select that very tile, and the setting is written back.
TEST_F(ZoomWindow, AClickOnATileSelectsThatTileAtEveryLevel) {
    createWindow();
    sizeClient(1922, 1490);
    startPlaying();
    for (int percent : kZoomLevels) {
        chooseLevel(percent);
        // The window the level asks for (the offscreen screen is smaller).
        sizeClient(ScaleLength(640, percent) + 2, ScaleLength(480, percent) + 50);
        ASSERT_EQ(Inside(*form).Field->boardLevel(), percent);
        ASSERT_EQ(Inside(*form).view().scalePercent(), percent);
        ASSERT_EQ(Inside(*form).Field->picture().width(), ScaleLength(640, percent));
        clicksSelectTheTileDrawnThere(percent);
    }
    form->ShutDownGame();
    QFile ini(QStringLiteral("Kelmar.ini"));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_TRUE(ini.readAll().contains("\r\nForceRepaint=0\r\nZoom=300\r\n"));
}

// The board fills the window whatever level was chosen, at any whole
// percentage, centred; the levels only size the normal window and their
// check mark stays on the chosen one.
TEST_F(ZoomWindow, TheBoardFillsTheWindowAtAnyScale) {
    QFile ini(QStringLiteral("Kelmar.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Kelmar]\r\nZoom=250\r\n");
    ini.close();
    createWindow();
    settle();
    EXPECT_TRUE(Inside(*form).MZoomItems[3]->isChecked());
    struct Case {
        int width, height; // client area
        int scale;
        QRect board;
    };
    const Case cases[] = {
        {1300, 1100, 202, {3, 40, 1292, 969}},  // Field 1298 x 1050
        {2000, 1500, 302, {33, 0, 1932, 1449}}, // above the largest level
        {1366, 738, 143, {224, 1, 915, 686}},   // about 1366 x 768 in full screen
        {878, 710, 137, {0, 1, 876, 657}},      {1173, 930, 183, {0, 1, 1171, 878}},
        {700, 560, 106, {10, 1, 678, 508}},
    };
    for (const Case& c : cases) {
        sizeClient(c.width, c.height);
        EXPECT_EQ(Inside(*form).Field->boardLevel(), c.scale) << c.width << "x" << c.height;
        EXPECT_EQ(Inside(*form).Field->boardRect(), c.board) << c.width << "x" << c.height;
        EXPECT_EQ(Inside(*form).view().scalePercent(), c.scale);
        EXPECT_EQ(Inside(*form).Field->picture().size(), c.board.size());
        EXPECT_TRUE(Inside(*form).MZoomItems[3]->isChecked());
    }
    Inside(*form).action("MZoomOut")->trigger();
    EXPECT_TRUE(Inside(*form).MZoomItems[2]->isChecked());
    Inside(*form).action("MZoomIn")->trigger();
    Inside(*form).action("MZoomIn")->trigger();
    Inside(*form).action("MZoomIn")->trigger();
    EXPECT_EQ(game().settings.Zoom, 300);
}

// Un-maximising and leaving full screen return to the chosen level's window
// size, not to the size the window had before: also after the window was
// dragged to another size, and after a level was chosen while maximised
// (as far as the screen allows).
TEST_F(ZoomWindow, LeavingMaximisedOrFullScreenReturnsToTheChosenLevel) {
    createWindow();
    settle();
    sizeClient(700, 560);
    ASSERT_EQ(Inside(*form).Field->boardLevel(), 106);
    form->showMaximized();
    settle();
    EXPECT_EQ(Inside(*form).Field->boardLevel(),
              FitScale(Inside(*form).Field->width(), Inside(*form).Field->height()));
    form->showNormal();
    settle();
    EXPECT_EQ(Inside(*form).Client->size(), QSize(642, 530));
    EXPECT_EQ(Inside(*form).Field->boardLevel(), 100);

    form->showMaximized();
    settle();
    const QSize maximised = form->size();
    chooseLevel(150);
    EXPECT_EQ(form->size(), maximised) << "a maximised window keeps its size";
    EXPECT_TRUE(Inside(*form).MZoomItems[1]->isChecked());
    form->showNormal();
    settle();
    const QSize chrome = form->size() - Inside(*form).Client->size();
    const QSize level150 = (chrome + QSize(962, 770))
                               .boundedTo(form->screen()->availableGeometry().size() -
                                          (form->frameGeometry().size() - form->size()));
    EXPECT_EQ(form->size(), level150);
    EXPECT_TRUE(Inside(*form).MZoomItems[1]->isChecked());

    chooseLevel(100);
    sizeClient(900, 700);
    Inside(*form).MFullScreen->trigger();
    settle();
    Inside(*form).MFullScreen->trigger();
    settle();
    EXPECT_FALSE(form->isFullScreen());
    EXPECT_EQ(Inside(*form).Client->size(), QSize(642, 530));
}

// The logo screen fills the whole board surface at any size: its edge
// pixels continue to the surface's edges, so no box shows on the felt;
// once the game runs, the felt is back around the board.
TEST_F(ZoomWindow, TheLogoScreenShowsNoBoxAtAnySize) {
    createWindow();
    for (const QSize& client : {QSize(1300, 800), QSize(700, 900), QSize(1366, 738)}) {
        sizeClient(client.width(), client.height());
        const QImage shown = shownField();
        const QImage picture = Inside(*form).Field->picture();
        const QRect board = Inside(*form).Field->boardRect();
        ASSERT_NE(board, Inside(*form).Field->rect()) << "felt would show";
        for (int y : {board.top() + 5, board.top() + board.height() / 2, board.bottom() - 5}) {
            EXPECT_EQ(shown.pixel(0, y), picture.pixel(0, y - board.top())) << y;
            EXPECT_EQ(shown.pixel(shown.width() - 1, y),
                      picture.pixel(picture.width() - 1, y - board.top()))
                << y;
        }
        EXPECT_EQ(shown.pixel(board.left() + 3, 0), picture.pixel(3, 0));
        EXPECT_EQ(shown.pixel(board.left() + 3, shown.height() - 1),
                  picture.pixel(3, picture.height() - 1));
    }
    startPlaying();
    settle();
    const QImage shown = shownField();
    const QRect board = Inside(*form).Field->boardRect();
    EXPECT_NE(shown.pixel(0, board.top() + 5), Inside(*form).Field->picture().pixel(0, 5))
        << "the felt, not the board's edge";
}

// Which state changes bring the window back to the chosen level's size.
TEST(ZoomWindowStates, OnlyLeavingMaximisedOrFullScreenForANormalWindowResizes) {
    struct Case {
        Qt::WindowStates before, now;
        bool returns;
    };
    const Case cases[] = {
        {Qt::WindowMaximized, Qt::WindowNoState, true},
        {Qt::WindowFullScreen, Qt::WindowNoState, true},
        {Qt::WindowFullScreen, Qt::WindowMaximized, false}, // back to maximised
        {Qt::WindowMaximized, Qt::WindowFullScreen, false},
        {Qt::WindowMaximized, Qt::WindowMinimized | Qt::WindowMaximized, false},
        {Qt::WindowMaximized, Qt::WindowMinimized, false},
        {Qt::WindowMinimized, Qt::WindowNoState, false}, // restored from the task bar
        {Qt::WindowNoState, Qt::WindowNoState, false},
        {Qt::WindowMaximized | Qt::WindowActive, Qt::WindowActive, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReturnsToChosenSize(c.before, c.now), c.returns)
            << int(c.before) << " -> " << int(c.now);
    }
}

// Which levels the size menu offers for the room a screen leaves the client
// area, and where the check mark stands: the board at the level plus the
// tool bar, status bar and frame must fit, to the pixel.
TEST(ZoomWindowStates, TheMenuOffersTheLevelsThatFitAndTicksTheOneTheWindowHas) {
    struct Case {
        int chosen, width, height;
        std::array<bool, 5> offered;
        int shown;
    };
    const Case cases[] = {
        {300, 1366, 695, {true, false, false, false, false}, 100}, // 1366 x 768 under a WM
        {300, 962, 770, {true, true, false, false, false}, 150},   // 150 % to the pixel
        {150, 961, 770, {true, false, false, false, false}, 100},
        {150, 962, 769, {true, false, false, false, false}, 100},
        {250, 1920, 1010, {true, true, true, false, false}, 200}, // 1920 x 1080
        {250, 1920, 1009, {true, true, false, false, false}, 150},
        {100, 500, 400, {true, false, false, false, false}, 100}, // 100 % always
        {250, 3840, 2160, {true, true, true, true, true}, 250},
        {150, 3840, 2160, {true, true, true, true, true}, 150},
        {300, 1922, 1490, {true, true, true, true, true}, 300},
        {300, 1921, 1490, {true, true, true, true, false}, 250},
    };
    for (const Case& c : cases) {
        const ZoomOffer offer = OfferedZoomLevels(c.chosen, c.width, c.height);
        EXPECT_EQ(offer.offered, c.offered) << c.width << "x" << c.height;
        EXPECT_EQ(offer.shown, c.shown) << c.chosen << " on " << c.width << "x" << c.height;
    }
}

// On a 1366 x 768 screen a stored 300 % gives a window at 100 %: the larger
// levels are disabled with their reason in the status bar while the menu
// highlights them, the tick stands on 100 %, Ctrl++ does nothing, and the
// chosen level stays in the file for a larger screen.
TEST_F(ZoomWindow, LevelsTheScreenCannotGiveAreDisabledWithTheirReason) {
    QFile ini(QStringLiteral("Kelmar.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Kelmar]\r\nZoom=300\r\n");
    ini.close();
    workArea = QRect(0, 0, 1366, 768);
    createWindow();
    settle();
    EXPECT_EQ(Inside(*form).Client->size(), QSize(642, 530)) << "the window at 100 %";
    const auto& items = Inside(*form).MZoomItems;
    EXPECT_TRUE(items[0]->isEnabled());
    EXPECT_TRUE(items[0]->isChecked());
    for (std::size_t i = 1; i < items.size(); ++i) {
        EXPECT_FALSE(items[i]->isEnabled()) << i;
        EXPECT_FALSE(items[i]->isChecked()) << i;
    }
    EXPECT_TRUE(items[0]->statusTip().isEmpty());
    EXPECT_TRUE(items[2]->statusTip().startsWith(QStringLiteral(
        "200 % passt nicht auf diesen Bildschirm: Spielfeld 1280 × 960, Platz für ")))
        << items[2]->statusTip().toStdString();
    items[2]->showStatusText(form.get());
    EXPECT_EQ(Inside(*form).Status->tip(), items[2]->statusTip());
    QAction* plain = Inside(*form).action("MNew");
    plain->showStatusText(form.get());
    EXPECT_TRUE(Inside(*form).Status->tip().isEmpty());

    Inside(*form).action("MZoomIn")->trigger();
    EXPECT_EQ(game().settings.Zoom, 300);
    EXPECT_TRUE(items[0]->isChecked());
    form->ShutDownGame();
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_TRUE(ini.readAll().contains("\r\nZoom=300\r\n"));
}

// Clicks land on the tile drawn under the pointer also between the levels,
// where scaled edges round to different widths.
TEST_F(ZoomWindow, AClickOnATileSelectsThatTileBetweenTheLevels) {
    createWindow();
    startPlaying();
    for (const auto& [width, height, scale] :
         {std::tuple{878, 710, 137}, {1173, 930, 183}, {500, 400, 73}, {1366, 738, 143}}) {
        sizeClient(width, height);
        ASSERT_EQ(Inside(*form).Field->boardLevel(), scale);
        ASSERT_EQ(Inside(*form).view().scalePercent(), scale);
        clicksSelectTheTileDrawnThere(scale);
    }
}

// F11 toggles full screen and comes back to the window as it was; the board
// then takes what fits of the new size.
// Counts the pixels of the board that Field's paints draw.
class PaintedPixels final : public QObject {
public:
    explicit PaintedPixels(TField* field) : field_(field) { field->installEventFilter(this); }
    ~PaintedPixels() override { field_->removeEventFilter(this); }

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            const QRegion painted =
                static_cast<QPaintEvent*>(event)->region() & field_->boardRect();
            for (const QRect& area : painted) {
                count += int64_t{area.width()} * area.height();
            }
        }
        return false;
    }

    int64_t count = 0;

private:
    TField* field_;
};

// A move, a hint and an undo repaint only the parts of the board they
// changed, and after each of them the window shows the whole picture:
// nothing stale where a tile went or came back, in Device and in the
// converted formats, whose paints convert only what they draw.
TEST_F(ZoomWindow, MovesRepaintOnlyWhatChangedAndLeaveNothingStale) {
    createWindow();
    sizeClient(1300, 1100);
    startPlaying();
    const auto shownBoard = [this] {
        // The offscreen platform keeps the window's pixels in an image.
        const auto* window = dynamic_cast<QImage*>(form->backingStore()->paintDevice());
        const QRect board = Inside(*form).Field->boardRect().translated(
            Inside(*form).Field->mapTo(form.get(), QPoint(0, 0)));
        return window->copy(board).convertToFormat(QImage::Format_RGB32);
    };
    // The window sizes of 100 %, 200 % with felt around the board, and a
    // scale between the levels.
    struct Case {
        QSize client;
        int scale;
        void (TMainForm::*chooseFormat)();
    };
    for (const Case& c : {Case{{642, 530}, 100, &TMainForm::MFDeviceClick},
                          Case{{1300, 1100}, 202, &TMainForm::MFDeviceClick},
                          Case{{878, 710}, 137, &TMainForm::MFDeviceClick},
                          Case{{642, 530}, 100, &TMainForm::MF8Click},
                          Case{{1300, 1100}, 202, &TMainForm::MF4Click},
                          Case{{878, 710}, 137, &TMainForm::MF16Click}}) {
        (form.get()->*c.chooseFormat)();
        SCOPED_TRACE(::testing::Message()
                     << c.scale << " %, format " << int(game().settings.PixelFormat));
        sizeClient(c.client.width(), c.client.height());
        ASSERT_EQ(Inside(*form).Field->boardLevel(), c.scale);
        ASSERT_EQ(shownBoard(), Inside(*form).Field->picture());
        PaintedPixels painted(Inside(*form).Field);
        const int64_t board = int64_t{Inside(*form).Field->picture().width()} *
                              Inside(*form).Field->picture().height();

        const auto check = [&](const char* step) {
            SCOPED_TRACE(step);
            painted.count = 0;
            settle();
            EXPECT_EQ(shownBoard(), Inside(*form).Field->picture());
            EXPECT_GT(painted.count, 0);
            EXPECT_LT(painted.count, board / 4);
        };
        for (int move = 0; move < 3; ++move) {
            const auto [a, b] = freeMatchingPair();
            ASSERT_NE(a, 0);
            click(a);
            check("selected");
            click(b);
            check("taken");
        }
        form->BHintClick();
        WaitForHint(*form);
        check("hint");
        form->BUndoClick();
        check("undo");
        form->BUndoClick();
        check("undo again");
    }
}

// Counts the paints a widget gets.
class PaintCount final : public QObject {
public:
    explicit PaintCount(QWidget* widget) : widget_(widget) { widget->installEventFilter(this); }
    ~PaintCount() override { widget_->removeEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override {
        count += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
    int count = 0;

private:
    QWidget* widget_;
};

// A paint of a large part of the board (a new board, the logo screen's
// lines) repaints the whole window, whose pixels Qt sends to an X server
// without a copy; a move still repaints only its tiles and leaves the
// window's other parts alone. Either way the window shows the board.
TEST_F(ZoomWindow, LargeRepaintsTakeTheWholeWindowAndMovesOnlyTheirTiles) {
    createWindow();
    sizeClient(1300, 1100);
    startPlaying();
    settle();
    const auto shownBoard = [this] {
        const auto* window = dynamic_cast<QImage*>(form->backingStore()->paintDevice());
        const QRect board = Inside(*form).Field->boardRect().translated(
            Inside(*form).Field->mapTo(form.get(), QPoint(0, 0)));
        return window->copy(board).convertToFormat(QImage::Format_RGB32);
    };
    PaintCount menu(form->menuBar());
    PaintCount field(Inside(*form).Field);
    const auto [a, b] = freeMatchingPair();
    ASSERT_NE(a, 0);
    clickPair(a, b);
    settle();
    EXPECT_GT(field.count, 0);
    EXPECT_EQ(menu.count, 0) << "a move repaints its tiles, not the window";
    EXPECT_EQ(shownBoard(), Inside(*form).Field->picture());

    // What the logo screen's lines and a new scale ask for.
    Inside(*form).Field->requestFullPaint();
    settle();
    EXPECT_GT(menu.count, 0) << "the whole window";
    EXPECT_EQ(shownBoard(), Inside(*form).Field->picture()) << "the field with it";
}

TEST_F(ZoomWindow, FullScreenTogglesAndTheCheckMarkFollows) {
    createWindow();
    sizeClient(642, 530);
    Inside(*form).MFullScreen->trigger();
    EXPECT_TRUE(form->isFullScreen());
    EXPECT_TRUE(Inside(*form).MFullScreen->isChecked());
    Inside(*form).MFullScreen->trigger();
    EXPECT_FALSE(form->isFullScreen());
    EXPECT_FALSE(Inside(*form).MFullScreen->isChecked());
    EXPECT_EQ(Inside(*form).MFullScreen->shortcut(), QKeySequence(Qt::Key_F11));
}

} // namespace
} // namespace kelmar::testing
