// A solvability check that does not end by itself: the time limit answers
// it, and closing the window ends it, also as a real process.
#include "app/main_window_inside.h"
#include "app/solvability_check.h"
#include "tests/app/app_test_support.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTest>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <gtest/gtest.h>
#include <memory>
#include <thread>

namespace kelmar::testing {
namespace {

using namespace std::chrono_literals;

class CheckStop : public WindowTest {
protected:
    // A solver that never decides and works until the check's stop tells
    // it to end, as the real one does on a board it cannot settle.
    // The worker may start only after the window is gone from `form` (a
    // loaded machine), so it reads the check through a pointer of its own:
    // the check outlives its worker.
    void createWindowWithEndlessSolver() {
        auto check = std::make_shared<std::atomic<SolvabilityCheck*>>(nullptr);
        solve = [check](const Board&, int64_t, SolverStats*) {
            const SolveStop stopped = check->load()->stopSignal();
            while (!stopped()) {
                std::this_thread::sleep_for(1ms);
            }
            return SolveResult::Undecided;
        };
        createWindow();
        check->store(&Inside(*form).solvability());
        startPlaying();
    }
};

// A crafted board kept "Prüfe ..." up for 15 s.
TEST_F(CheckStop, ACheckThatTakesTooLongAnswersNotDecided) {
    createWindowWithEndlessSolver();
    Inside(*form).solvability().setTimeLimit(50ms);
    form->MCheckSolvableClick();
    EXPECT_EQ(panel(0), QString::fromStdString(CheckingText()));
    ticks.advance(50); // the time limit is on the game's counter
    ASSERT_TRUE(QTest::qWaitFor([this] { return !Inside(*form).solvability().busy(); }, 20000));
    QCoreApplication::processEvents();
    EXPECT_EQ(panel(0), QString::fromStdString(SolvabilityText({Solvability::Undecided, 0}, 0)));
}

// Not run by itself: the child process of the test below. Starts a check
// that only a stop ends, says so on standard output, and closes.
TEST_F(CheckStop, DISABLED_ChildClosesWhileACheckRuns) {
    createWindowWithEndlessSolver();
    form->show();
    form->MCheckSolvableClick();
    ASSERT_TRUE(Inside(*form).solvability().busy());
    std::puts("closing");
    std::fflush(stdout);
    form->close();
}

// Closing during a check left the process alive until the solver was done
// (up to 10 s on full boards).
TEST(CheckStopProcess, ClosingTheWindowEndsARunningCheckAndTheProcess) {
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_also_run_disabled_tests"),
                 QStringLiteral("--gtest_filter=CheckStop.DISABLED_ChildClosesWhileACheckRuns")});
    QByteArray output;
    while (!output.contains("closing")) {
        ASSERT_TRUE(child.waitForReadyRead(30000)) << output.toStdString();
        output += child.readAllStandardOutput();
    }
    QElapsedTimer sinceClose;
    sinceClose.start();
    ASSERT_TRUE(child.waitForFinished(30000));
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child.exitCode(), 0) << (output + child.readAllStandardOutput()).toStdString();
    // Well below the check's own time limit, so only the cancel can have
    // ended it; loose enough for a busy machine.
    EXPECT_LT(sinceClose.elapsed(), 2000);
}

} // namespace
} // namespace kelmar::testing
