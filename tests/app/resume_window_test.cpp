// The kept game through the window: close, signal, next start, damaged
// copies, the option and a second copy of the game in the same folder.
#include "app/close_requests.h"
#include "app/main_window_inside.h"
#include "app/quit_signals.h"
#include "app/resume_keeper.h"
#include "core/history.h"
#include "core/rules.h"
#include "storage/saved_game.h"
#include "tests/app/app_test_support.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>

namespace kelmar::testing {
namespace {

const QString kKept = QString::fromLatin1(kResumeFileName);
const QString kDamaged = QString::fromLatin1(kDamagedResumeFileName);

QByteArray bytesOf(const QString& name) {
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& name, const QByteArray& bytes) {
    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// The game the kept copy holds, as the next start would read it.
Game keptGame() {
    Game kept;
    LoadGame(kept, kResumeFileName);
    return kept;
}

bool sameBoard(const Board& a, const Board& b) {
    if (a.DealtCount != b.DealtCount || a.SlotCount != b.SlotCount) {
        return false;
    }
    for (int32_t slot = 1; slot <= a.DealtCount; ++slot) {
        const TileSlot& x = a.Slots[static_cast<std::size_t>(slot)];
        const TileSlot& y = b.Slots[static_cast<std::size_t>(slot)];
        if (x.Present != y.Present || x.Kind != y.Kind || x.X != y.X || x.Y != y.Y ||
            x.Layer != y.Layer) {
            return false;
        }
    }
    return true;
}

class ResumeWindow : public WindowTest {
protected:
    // Takes `count` pairs, one second of play apart.
    void play(int count) {
        for (int move = 0; move < count; ++move) {
            tick(1000);
            const auto [a, b] = freeMatchingPair();
            ASSERT_NE(a, 0);
            clickPair(a, b);
        }
        Inside(*form).resume().waitForWrites();
    }
    void restart() {
        form->close();
        form.reset();
        sink.messages.clear();
        createWindow();
    }
};

TEST_F(ResumeWindow, ClosingKeepsTheGameAndTheNextStartContinuesIt) {
    createWindow();
    startPlaying();
    play(10);
    tick(3000);
    form->MUndoClick(); // the undone move must come back by redo
    tick(0);
    const Board board = game().board;
    const MoveHistory history = game().history;
    const int32_t elapsed = game().clock.Elapsed;

    restart();
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_FALSE(game().Running) << "behind the start screen";
    EXPECT_TRUE(sameBoard(game().board, board));
    EXPECT_EQ(game().history.Length, 10);
    EXPECT_EQ(game().history.Position, 9);
    EXPECT_NEAR(game().clock.Elapsed, elapsed, 63);
    EXPECT_FALSE(game().play.SelectionActive);

    startPlaying();
    EXPECT_FALSE(game().play.SelectionActive) << "the click only continues";
    form->MRedoClick();
    EXPECT_EQ(game().history.Position, 10);
    EXPECT_NEAR(game().clock.BaseElapsed, history.Records[10].Time, 63);
    form->MUndoClick();
    form->MUndoClick();
    EXPECT_EQ(game().history.Position, 8);
    play(1); // the tiles of the continued board match as before
    EXPECT_EQ(game().history.Length, 9);
}

TEST_F(ResumeWindow, TheClockAtTheCloseIsKeptNotTheOneOfTheLastMove) {
    createWindow();
    startPlaying();
    play(2);
    tick(65072); // 67.072 s: a whole number of the 64 ms the file stores
    const int32_t elapsed = game().clock.Elapsed;
    restart();
    EXPECT_NEAR(game().clock.Elapsed, elapsed, 63);
    EXPECT_EQ(panel(1), QStringLiteral("Zeit: 1:07"));
}

TEST_F(ResumeWindow, TerminationSignalKeepsTheGame) {
    createWindow();
    form->show();
    startPlaying();
    play(3);
    const Board board = game().board;
    RecordingSink standardError;
    ASSERT_NO_FATAL_FAILURE(closeByTerminationSignal(standardError));
    EXPECT_TRUE(standardError.messages.empty());
    const Game kept = keptGame();
    EXPECT_TRUE(sameBoard(kept.board, board));
    EXPECT_EQ(kept.history.Length, 3);
}

// What a crash leaves: the copy written in the background while playing,
// at most once every five seconds and at most five seconds behind.
TEST_F(ResumeWindow, WhilePlayingTheCopyFollowsTheMovesAtMostEveryFiveSeconds) {
    createWindow();
    startPlaying();
    play(1);
    EXPECT_EQ(keptGame().history.Length, 1) << "the first move is written at once";
    play(2);
    EXPECT_EQ(keptGame().history.Length, 1) << "two seconds later: not yet";
    ticks.advance(2999);
    Inside(*form).resume().afterCommand(); // what the due timer does
    Inside(*form).resume().waitForWrites();
    EXPECT_EQ(keptGame().history.Length, 1);
    ticks.advance(1);
    Inside(*form).resume().afterCommand();
    Inside(*form).resume().waitForWrites();
    EXPECT_EQ(keptGame().history.Length, 3) << "five seconds after the last write";
    const int32_t keptTime = keptGame().clock.Elapsed;
    form->MHintClick();
    ticks.advance(6000);
    Inside(*form).resume().afterCommand();
    Inside(*form).resume().waitForWrites();
    EXPECT_EQ(keptGame().clock.Elapsed, keptTime) << "a hint is no move";
}

TEST_F(ResumeWindow, NewGameOrAFreshLoadEndsTheKeptGame) {
    createWindow();
    startPlaying();
    play(1);
    ASSERT_TRUE(QFile::exists(kKept));
    form->MNewClick();
    EXPECT_FALSE(QFile::exists(kKept));
    form->MSaveClick(); // a game without a move
    play(1);
    ASSERT_TRUE(QFile::exists(kKept));
    form->BLoadClick();
    EXPECT_FALSE(QFile::exists(kKept));
    restart();
    EXPECT_EQ(game().history.Length, 0) << "a new deal";
}

// A game that got stuck is kept too: going back to a solvable position must
// still be possible after the restart.
TEST_F(ResumeWindow, AStuckGameIsKeptAndCanBeUndoneAfterTheRestart) {
    createWindow();
    startPlaying();
    buildStuckAfterOneMoveBoard();
    takePairThatLeavesNoMove();
    restart();
    EXPECT_TRUE(game().play.NoMovesLeft);
    EXPECT_EQ(game().board.DealtCount, 5);
    startPlaying();
    form->MUndoClick();
    EXPECT_FALSE(game().play.NoMovesLeft);
    EXPECT_EQ(game().history.Position, 0);
}

TEST_F(ResumeWindow, ACopyThatCannotBeReadIsReportedOnceAndKeptAside) {
    const std::pair<const char*, QByteArray> cases[] = {
        {"empty", QByteArray()},
        {"wrong magic", QByteArray("KLMX", 4) + QByteArray(600, '\0')},
        {"cut short", QByteArray("KLMR\x90\x90", 6)},
        {"unknown board", QByteArray("KLMR\xC8\xC8", 6) + QByteArray(900, '\xFF')},
    };
    for (const auto& [name, bytes] : cases) {
        writeFile(kKept, bytes);
        QFile::remove(kDamaged);
        createWindow();
        ASSERT_EQ(sink.messages.size(), 1u) << name;
        EXPECT_FALSE(sink.messages[0].error) << name;
        EXPECT_TRUE(sink.messages[0].text.startsWith(
            QStringLiteral("Das letzte Spiel konnte nicht fortgesetzt werden.")))
            << name;
        EXPECT_EQ(bytesOf(kDamaged), bytes) << name;
        EXPECT_FALSE(QFile::exists(kKept)) << name;
        EXPECT_EQ(game().board.DealtCount, 144) << name;
        EXPECT_EQ(game().history.Length, 0) << name;
        startPlaying();
        const auto [a, b] = freeMatchingPair();
        clickPair(a, b);
        EXPECT_EQ(game().history.Length, 1) << name << ": the game plays on";
        restart();
        EXPECT_TRUE(sink.messages.empty()) << name << ": said once";
        EXPECT_EQ(game().history.Length, 1) << name;
        form.reset();
        QFile::remove(kKept);
    }
}

TEST_F(ResumeWindow, WithTheOptionOffTheStartIsAsBeforeAndNothingIsWritten) {
    createWindow();
    startPlaying();
    play(2);
    form->close();
    form.reset();
    const QByteArray kept = bytesOf(kKept);
    ASSERT_FALSE(kept.isEmpty());
    QByteArray ini = bytesOf(QStringLiteral("Kelmar.ini"));
    ASSERT_TRUE(ini.contains(
        "\r\nZoom=100\r\nLayout=Pyramide\r\nSafeHint=1\r\nResumeGame=1\r\nDifficulty=0\r\n"));
    writeFile(QStringLiteral("Kelmar.ini"), ini.replace("ResumeGame=1", "ResumeGame=0"));

    createWindow();
    EXPECT_FALSE(Inside(*form).action("MResumeGame")->isChecked());
    EXPECT_EQ(game().history.Length, 0) << "a new deal";
    startPlaying();
    play(2);
    form->close();
    EXPECT_EQ(bytesOf(kKept), kept) << "neither written nor removed";
    EXPECT_TRUE(bytesOf(QStringLiteral("Kelmar.ini")).contains("\r\nResumeGame=0\r\n"));
}

// A background write that fails says nothing (it would interrupt every few
// moves) but must not count as written: it is tried again, and the close
// reports its failure.
TEST_F(ResumeWindow, ACopyThatCannotBeWrittenIsTriedAgainAndReportedAtTheClose) {
    createWindow();
    startPlaying();
    ASSERT_TRUE(QDir().mkdir(kKept)); // no file can replace it
    play(1);
    EXPECT_TRUE(sink.messages.empty());
    ASSERT_TRUE(QDir().rmdir(kKept));
    ticks.advance(kResumeWriteIntervalMs);
    Inside(*form).resume().afterCommand(); // the due timer, no change since
    Inside(*form).resume().waitForWrites();
    EXPECT_EQ(keptGame().history.Length, 1);

    ASSERT_TRUE(QFile::remove(kKept));
    ASSERT_TRUE(QDir().mkdir(kKept));
    form->close();
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_TRUE(sink.messages[0].error);
    EXPECT_TRUE(sink.messages[0].text.contains(kKept)) << sink.messages[0].text.toStdString();
    EXPECT_TRUE(QFile::exists(QStringLiteral("Kelmar.ini"))) << "the shutdown went on";
}

// The first copy holds the lock for as long as it runs; a second one in the
// same folder deals a new game, leaves the copy to the first and says so.
TEST_F(ResumeWindow, ASecondCopyInTheSameFolderDoesNotTakeTheGameOver) {
    createWindow();
    startPlaying();
    play(2);
    restart(); // continues, holds the lock
    ASSERT_EQ(game().history.Length, 2);
    ASSERT_TRUE(Inside(*form).resume().lockHeld());
    const QByteArray kept = bytesOf(kKept);

    RecordingSink secondSink;
    MainFormServices services;
    services.askStuck = [](QWidget*) { return StuckChoice::Close; };
    services.ticks = &ticks;
    services.messages = &secondSink;
    services.files = &files;
    services.msSinceMidnightUtc = [] { return 815u; };
    auto second = std::make_unique<TMainForm>(services);
    Inside(*second).TimerObject->stop();
    EXPECT_FALSE(Inside(*second).resume().lockHeld());
    EXPECT_EQ(second->game().history.Length, 0) << "a new deal";
    second->FieldMouseUp(Qt::LeftButton, 5, 5);
    const auto pairs = FreeMatchingPairs(second->game());
    ASSERT_FALSE(pairs.empty());
    for (const int32_t slot : {pairs[0].first, pairs[0].second}) {
        const QPoint at = centreOf(second->game().board, slot);
        second->FieldMouseUp(Qt::LeftButton, at.x(), at.y());
    }
    ASSERT_EQ(second->game().history.Length, 1);
    second->MResumeGameClick();
    second->MResumeGameClick(); // on again: still not the owner
    second->close();
    second.reset();
    EXPECT_EQ(bytesOf(kKept), kept);
    // It says so, at the start and at the close.
    ASSERT_EQ(secondSink.messages.size(), 2u);
    EXPECT_TRUE(secondSink.messages[0].text.contains(QStringLiteral("anderes Kelmar-Fenster")));
    EXPECT_TRUE(secondSink.messages[1].text.startsWith(
        QStringLiteral("Dieses Spiel wird nicht aufbewahrt")));

    startPlaying();
    play(1);
    form->close();
    EXPECT_EQ(keptGame().history.Length, 3);
}

// A lock file that cannot be used dealt a fresh game and dropped the game of
// the run, both without a word.
TEST_F(ResumeWindow, ALockFileThatCannotBeUsedIsNamedAtStartAndAtClose) {
    const QString lock = QString::fromLatin1(kResumeLockFileName);
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"a folder", [&] { ASSERT_TRUE(QDir().mkdir(lock)); }},
        {"a dangling link", [&] { ASSERT_TRUE(QFile::link(QStringLiteral("fehlt"), lock)); }},
    };
    for (const auto& [name, make] : cases) {
        createWindow();
        startPlaying();
        play(2);
        form->close();
        form.reset();
        ASSERT_TRUE(QFile::remove(lock)) << name;
        make();
        createWindow();
        EXPECT_EQ(game().history.Length, 0) << name << ": a new deal";
        ASSERT_EQ(sink.messages.size(), 1u) << name;
        EXPECT_FALSE(sink.messages[0].error);
        EXPECT_TRUE(sink.messages[0].text.contains(QStringLiteral("„.Fortsetzung.klmr.lock“")))
            << name << ": " << sink.messages[0].text.toStdString();
        startPlaying();
        play(1);
        form->close();
        ASSERT_EQ(sink.messages.size(), 2u) << name;
        EXPECT_TRUE(sink.messages[1].text.contains(QStringLiteral("nicht aufbewahrt"))) << name;
        EXPECT_FALSE(QFile::exists(QStringLiteral("fehlt"))) << name;
        form.reset();
        sink.messages.clear();
        QFile::remove(lock);
        QDir().rmdir(lock);
    }
}

} // namespace
} // namespace kelmar::testing
