#include "tests/app/app_test_support.h"

#include "app/board_field.h"
#include "app/close_requests.h"
#include "app/main_window_inside.h"
#include "app/quit_signals.h"
#include "app/safe_hint_check.h"
#include "app/status_panels.h"
#include "core/board.h"
#include "core/game.h"
#include "core/rules.h"

#include <QApplication>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <csignal>
#include <random>

namespace kelmar::testing {

namespace {

const char* const kGameFiles[] = {"KLBack.bmp", "KLTiles.bmp", "KLTFrame.bmp", "KLMRLogo.jpg",
                                  "Kelmar.htm"};

} // namespace

void WaitForHint(TMainForm& form) {
    ASSERT_TRUE(QTest::qWaitFor([&form] { return !Inside(form).safeHint().waiting(); }, 20000));
}

void ProvideGameFiles(const QString& folder) {
    const QDir gameDir(QStringLiteral(KELMAR_TEST_GAME_DIR));
    for (const char* file : kGameFiles) {
        const QString name = QString::fromLatin1(file);
        const QString target = QDir(folder).filePath(name);
        ASSERT_TRUE(QFile::copy(gameDir.filePath(name), target)) << file;
    }
}

std::vector<std::pair<int32_t, int32_t>> arrangeWinnableDeal(Game& game) {
    std::mt19937 random(7);
    for (int attempt = 0; attempt < 200; ++attempt) {
        Game copy = game;
        copy.view = nullptr;
        std::vector<std::pair<int32_t, int32_t>> order;
        while (copy.board.SlotCount > 0) {
            AnalyzeBoard(copy);
            std::vector<int32_t> free(copy.play.FreeList.begin() + 1,
                                      copy.play.FreeList.begin() + 1 + copy.play.FreeCount);
            if (free.size() < 2) {
                break;
            }
            std::shuffle(free.begin(), free.end(), random);
            std::stable_sort(free.begin(), free.end(), [&](int32_t a, int32_t b) {
                return copy.board.Slots[static_cast<std::size_t>(a)].Layer >
                       copy.board.Slots[static_cast<std::size_t>(b)].Layer;
            });
            order.push_back({free[0], free[1]});
            RemoveTile(copy.board, free[0]);
            RemoveTile(copy.board, free[1]);
        }
        if (copy.board.SlotCount != 0) {
            continue;
        }
        // 68 pairs of kinds 1..34 (two pairs each), then the two families.
        for (std::size_t i = 0; i < order.size(); ++i) {
            uint8_t first = static_cast<uint8_t>(i / 2 + 1);
            uint8_t second = first;
            if (i >= 68) {
                first = static_cast<uint8_t>(35 + 2 * (i - 68));
                second = static_cast<uint8_t>(first + 1);
            }
            game.board.Slots[static_cast<std::size_t>(order[i].first)].Kind = first;
            game.board.Slots[static_cast<std::size_t>(order[i].second)].Kind = second;
        }
        return order;
    }
    return {};
}

void WindowTest::SetUp() {
    ASSERT_TRUE(folder.isValid());
    ProvideGameFiles(folder.path());
    previousCurrent = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(folder.path()));
}

void WindowTest::TearDown() {
    form.reset();
    QDir::setCurrent(previousCurrent);
}

void WindowTest::createWindow() {
    MainFormServices services;
    services.ticks = &ticks;
    services.messages = &sink;
    services.files = &files;
    services.openHelp = [this](const QUrl& url) {
        helpCalls.push_back(url);
        return helpResult;
    };
    services.msSinceMidnightUtc = [] { return 4711u; };
    services.layoutFolder = QDir(folder.path()).filePath(QStringLiteral("layouts")).toStdString();
    services.askLayout = [this](QWidget*, const std::vector<LayoutChoice>& choices, int current) {
        layoutChoices = choices;
        layoutCurrent = current;
        return layoutAnswer;
    };
    services.solve = solve;
    services.askStuck = [this](QWidget*) {
        ++stuckDialogs;
        return stuckChoice;
    };
    services.askDealNumber = [this](QWidget*, uint32_t preset) {
        numberPresets.push_back(preset);
        ticks.advance(numberDialogMs);
        return typedNumber;
    };
    services.today = [this] { return today; };
    services.workArea = [this] { return workArea; };
    services.tileSetFolder = QDir(folder.path()).filePath(QStringLiteral("tilesets")).toStdString();
    services.askLook = [this](QWidget*, const QString& title, const std::vector<LookEntry>& entries,
                              int current) {
        lookTitle = title;
        lookEntries = entries;
        lookCurrent = current;
        return lookAnswer;
    };
    services.askColour = [this](QWidget*, QRgb) { return colourAnswer; };
    form = std::make_unique<TMainForm>(services);
    Inside(*form).TimerObject->stop();
}

void WindowTest::closeByTerminationSignal(RecordingSink& standardError) {
    QuitSignals quitSignals;
    ASSERT_TRUE(quitSignals.installed());
    ConnectCloseRequests(*qApp, *form, quitSignals, standardError);
    QSignalSpy closed(form.get(), &TMainForm::closed);
    ASSERT_EQ(::raise(SIGTERM), 0);
    ASSERT_TRUE(closed.wait(5000));
}

void WindowTest::tick(uint32_t ms) {
    ticks.advance(ms);
    form->TimerObjectTimer();
}

void WindowTest::startPlaying() {
    form->FieldMouseUp(Qt::LeftButton, 5, 5);
    ASSERT_TRUE(game().Running);
}

QPoint WindowTest::centreOf(const Board& board, int32_t slot) {
    const Rect r = TileRect(board, slot);
    return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
}

std::pair<int32_t, int32_t> WindowTest::freeMatchingPair() {
    const auto pairs = FreeMatchingPairs(game());
    return pairs.empty() ? std::pair<int32_t, int32_t>{0, 0} : pairs.front();
}

void WindowTest::click(int32_t slot) {
    const QPoint at = centreOf(game().board, slot);
    ASSERT_EQ(HitTest(game().board, at.x(), at.y()), slot);
    form->FieldMouseDown(Qt::LeftButton, at.x(), at.y());
    form->FieldMouseUp(Qt::LeftButton, at.x(), at.y());
}

void WindowTest::clickPair(int32_t a, int32_t b) {
    click(a);
    click(b);
}

void WindowTest::buildStuckAfterOneMoveBoard() {
    Game& g = game();
    ResetBoard(g);
    AddSlot(g.board, 0, 0, 1, 3);
    AddSlot(g.board, 38, 0, 1, 1);
    AddSlot(g.board, 76, 0, 1, 1);
    AddSlot(g.board, 114, 0, 1, 2);
    AddSlot(g.board, 0, 108, 1, 3);
    g.board.DealtCount = 5;
    PrepareBoardGeometry(g);
    AnalyzeBoard(g);
}

void WindowTest::takePairThatLeavesNoMove() {
    clickPair(1, 5);
    ASSERT_TRUE(game().play.NoMovesLeft);
    ASSERT_FALSE(game().play.GameWon);
}

QImage WindowTest::shownPicture() const {
    return Inside(*form).Field->picture();
}

QString WindowTest::panel(int index) const {
    return Inside(*form).Status->panelText(index);
}

} // namespace kelmar::testing
