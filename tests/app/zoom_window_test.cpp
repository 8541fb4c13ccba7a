// The board's size in the window: 100 % exactly as before, the zoom menu
// and setting, the board fitted to the window, and clicks mapped back to
// the tile drawn under the pointer at every level.
#include "app/board_field.h"
#include "app/main_view.h"
#include "core/board.h"
#include "core/zoom.h"
#include "tests/app/app_test_support.h"

#include <QAction>
#include <QBackingStore>
#include <QCoreApplication>
#include <QFile>
#include <QPaintEvent>
#include <QTest>
#include <gtest/gtest.h>

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
        form->MZoomItems[static_cast<std::size_t>(at - kZoomLevels.begin())]->trigger();
        settle();
    }
    // Sizes the client area (the offscreen screen may be smaller than a
    // window at 300 %, so the test sets the size itself).
    void sizeClient(int width, int height) {
        form->show();
        form->resize(form->size() + QSize(width, height) - form->Client->size());
        settle();
    }
    // A press and a release of the left button at a point of Field.
    void clickField(QPoint at) {
        QTest::mousePress(form->Field, Qt::LeftButton, {}, at);
        QTest::mouseRelease(form->Field, Qt::LeftButton, {}, at);
    }
};

TEST_F(ZoomWindow, At100PercentTheWindowAndTheBoardAreAsBefore) {
    createWindow();
    settle();
    EXPECT_EQ(form->Client->size(), QSize(642, 530));
    EXPECT_EQ(form->Field->geometry(), QRect(1, 30, 640, 480));
    EXPECT_EQ(form->Field->boardRect(), QRect(0, 0, 640, 480));
    EXPECT_EQ(form->view().scalePercent(), 100);
    EXPECT_EQ(form->Field->picture().size(), QSize(640, 480));
    EXPECT_TRUE(form->MZoomItems[0]->isChecked());
    EXPECT_EQ(form->minimumSize(), form->size()) << "the window never gets smaller than today";
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
        sizeClient(1922, 1490);
        ASSERT_EQ(form->Field->boardLevel(), percent);
        ASSERT_EQ(form->view().scalePercent(), percent);
        ASSERT_EQ(form->Field->picture().width(), ScaleLength(640, percent));
        const QPoint origin = form->Field->boardRect().topLeft();
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
        ASSERT_GT(slot, 0);
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
    form->ShutDownGame();
    QFile ini(QStringLiteral("Kelmar.ini"));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_TRUE(ini.readAll().contains("\r\nForceRepaint=0\r\nZoom=300\r\n"));
}

// The chosen level is the largest the board is shown at: a window too small
// for it shows the largest level that fits, centred, and grows back.
TEST_F(ZoomWindow, TheBoardTakesTheLargestLevelThatFitsTheWindow) {
    QFile ini(QStringLiteral("Kelmar.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Kelmar]\r\nZoom=250\r\n");
    ini.close();
    createWindow();
    settle();
    EXPECT_TRUE(form->MZoomItems[3]->isChecked());
    sizeClient(1300, 1100); // Field 1298 x 1050: 200 % fits, 250 % does not
    EXPECT_EQ(form->Field->boardLevel(), 200);
    EXPECT_EQ(form->Field->boardRect(), QRect(9, 45, 1280, 960));
    sizeClient(2000, 1500);
    EXPECT_EQ(form->Field->boardLevel(), 250);
    form->MZoomOut->trigger();
    settle();
    sizeClient(2000, 1500);
    EXPECT_EQ(form->Field->boardLevel(), 200);
    EXPECT_TRUE(form->MZoomItems[2]->isChecked());
    form->MZoomIn->trigger();
    form->MZoomIn->trigger();
    form->MZoomIn->trigger();
    EXPECT_EQ(game().settings.Zoom, 300);
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
        const QRect board =
            form->Field->boardRect().translated(form->Field->mapTo(form.get(), QPoint(0, 0)));
        return window->copy(board).convertToFormat(QImage::Format_RGB32);
    };
    struct Case {
        int percent;
        void (TMainForm::*chooseFormat)();
    };
    for (const Case& c :
         {Case{100, &TMainForm::MFDeviceClick}, Case{200, &TMainForm::MFDeviceClick},
          Case{100, &TMainForm::MF8Click}, Case{200, &TMainForm::MF4Click}}) {
        (form.get()->*c.chooseFormat)();
        SCOPED_TRACE(::testing::Message()
                     << c.percent << " %, format " << int(game().settings.PixelFormat));
        chooseLevel(c.percent);
        sizeClient(1300, 1100);
        ASSERT_EQ(form->Field->boardLevel(), c.percent);
        ASSERT_EQ(shownBoard(), form->Field->picture());
        PaintedPixels painted(form->Field);
        const int64_t board =
            int64_t{form->Field->picture().width()} * form->Field->picture().height();

        const auto check = [&](const char* step) {
            SCOPED_TRACE(step);
            painted.count = 0;
            settle();
            EXPECT_EQ(shownBoard(), form->Field->picture());
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
        check("hint");
        form->BUndoClick();
        check("undo");
        form->BUndoClick();
        check("undo again");
    }
}

TEST_F(ZoomWindow, FullScreenTogglesAndTheCheckMarkFollows) {
    createWindow();
    sizeClient(642, 530);
    form->MFullScreen->trigger();
    EXPECT_TRUE(form->isFullScreen());
    EXPECT_TRUE(form->MFullScreen->isChecked());
    form->MFullScreen->trigger();
    EXPECT_FALSE(form->isFullScreen());
    EXPECT_FALSE(form->MFullScreen->isChecked());
    EXPECT_EQ(form->MFullScreen->shortcut(), QKeySequence(Qt::Key_F11));
}

} // namespace
} // namespace kelmar::testing
