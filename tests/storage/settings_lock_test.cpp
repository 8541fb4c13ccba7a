// Copies of the game closing at the same moment, as real processes.
#include "storage/file_lock.h"
#include "storage/settings_file.h"
#include "storage/storage_error.h"
#include "tests/storage/temp_folder.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace kelmar {
namespace {

using testing::TempFolder;
using namespace std::chrono_literals;

// Each child reads the file, enters its own best time, reports through
// `ready` and waits on `go`; once every child has read, the parent closes
// `go` and all of them write at the same moment, as copies do at log-off.
pid_t startCopy(const std::string& path, int index, int ready, const int go[2]) {
    const pid_t pid = ::fork();
    if (pid != 0) {
        return pid;
    }
    ::close(go[1]); // else the child itself keeps `go` from ending
    SettingsSession session(path);
    GameSettings settings;
    HighScoreTable table;
    session.Read(settings, table);
    RecordHighScore(table, "Kopie " + std::to_string(index), (10 + index) * 1000, 45000.5);
    char byte = 1;
    if (::write(ready, &byte, 1) != 1 || ::read(go[0], &byte, 1) != 0) {
        ::_exit(3);
    }
    try {
        session.Write(settings, table);
    } catch (const IoError&) {
        ::_exit(2);
    }
    ::_exit(0);
}

// Each copy renamed its merged file over the others': a time was lost in
// nearly every run.
TEST(SettingsLock, CopiesClosingTogetherKeepEveryBestTimeTheyAdded) {
    constexpr int kCopies = 4;
    constexpr int kRounds = 5;
    for (int round = 0; round < kRounds; ++round) {
        TempFolder folder;
        const std::string path = folder.file("Kelmar.ini");
        WriteSettings(GameSettings(), HighScoreTable(), path);
        int ready[2], go[2];
        ASSERT_EQ(::pipe(ready), 0);
        ASSERT_EQ(::pipe(go), 0);
        std::vector<pid_t> copies;
        for (int i = 0; i < kCopies; ++i) {
            copies.push_back(startCopy(path, i, ready[1], go));
        }
        ::close(go[0]);
        char byte = 0;
        for (int i = 0; i < kCopies; ++i) {
            ASSERT_EQ(::read(ready[0], &byte, 1), 1);
        }
        ::close(go[1]);
        for (const pid_t pid : copies) {
            int status = 0;
            ASSERT_EQ(::waitpid(pid, &status, 0), pid);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        }
        ::close(ready[0]);
        ::close(ready[1]);
        GameSettings settings;
        HighScoreTable back;
        ReadSettings(settings, back, path);
        for (int i = 0; i < kCopies; ++i) {
            EXPECT_EQ(back.Rows[size_t(i + 1)].Name, "Kopie " + std::to_string(i))
                << "round " << round;
            EXPECT_EQ(back.Rows[size_t(i + 1)].Time, (10 + i) * 1000) << "round " << round;
        }
    }
}

TEST(SettingsLock, AHeldLockIsWaitedForOnlyUntilTheTimeout) {
    TempFolder folder;
    const std::string lock = folder.file("Kelmar.ini.lock");
    {
        const FileLock held(lock, 0ms, "Sperre");
        try {
            const FileLock second(lock, 30ms, "Kann Einstellungen nicht schreiben");
            FAIL() << "the lock is held";
        } catch (const IoError& error) {
            EXPECT_STREQ(error.what(), "Kann Einstellungen nicht schreiben: Eine andere "
                                       "Kelmar-Sitzung gibt die Datei nicht frei.");
        }
    }
    EXPECT_NO_THROW(FileLock(lock, 0ms, "frei"));
    EXPECT_THROW(FileLock(folder.file("missing/Kelmar.ini.lock"), 0ms, "Ordner fehlt"), IoError);
}

// A copy killed while it holds the lock must not block the others.
TEST(SettingsLock, ACopyKilledWhileHoldingTheLockReleasesIt) {
    TempFolder folder;
    const std::string lock = folder.file("Kelmar.ini.lock");
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const FileLock held(lock, 0ms, "Sperre");
        char byte = 1;
        (void)!::write(ready[1], &byte, 1);
        ::pause();
        ::_exit(0);
    }
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    EXPECT_THROW(FileLock(lock, 0ms, "gehalten"), IoError);
    ::kill(pid, SIGKILL);
    ASSERT_EQ(::waitpid(pid, nullptr, 0), pid);
    EXPECT_NO_THROW(FileLock(lock, 0ms, "frei"));
    ::close(ready[0]);
    ::close(ready[1]);
}

} // namespace
} // namespace kelmar
