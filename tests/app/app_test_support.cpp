#include "tests/app/app_test_support.h"

#include "app/board_field.h"
#include "app/status_panels.h"
#include "core/board.h"
#include "core/game.h"
#include "core/rules.h"

#include <QFile>
#include <QTimer>

namespace kelmar::testing {

namespace {

const char* const kGameFiles[] = {"KLBack.bmp", "KLTiles.bmp", "KLTFrame.bmp", "KLMRLogo.jpg",
                                  "Kelmar.htm"};

} // namespace

void ProvideGameFiles(const QString& folder) {
    const QDir gameDir(QStringLiteral(KELMAR_TEST_GAME_DIR));
    for (const char* file : kGameFiles) {
        const QString name = QString::fromLatin1(file);
        const QString target = QDir(folder).filePath(name);
        ASSERT_TRUE(QFile::copy(gameDir.filePath(name), target)) << file;
    }
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
    form = std::make_unique<TMainForm>(services);
    form->TimerObject->stop();
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
    return form->Field->picture();
}

QString WindowTest::panel(int index) const {
    return form->Status->panelText(index);
}

} // namespace kelmar::testing
