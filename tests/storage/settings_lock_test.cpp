// The lock files, and copies of the game closing at the same moment, as real
// processes.
#include "storage/file_lock.h"
#include "storage/settings_file.h"
#include "storage/storage_error.h"
#include "tests/storage/temp_folder.h"

#include <cerrno>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
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
        FileLock held;
        ASSERT_EQ(held.acquire(lock), 0);
        FileLock second;
        EXPECT_EQ(second.acquire(lock, 30ms), EWOULDBLOCK);
        EXPECT_FALSE(second.held());
        EXPECT_EQ(LockFailureText("Kelmar.ini.lock", EWOULDBLOCK),
                  "Eine andere Kelmar-Sitzung gibt die Sperrdatei „Kelmar.ini.lock“ nicht frei");
    }
    FileLock free;
    EXPECT_EQ(free.acquire(lock), 0);
    FileLock missing;
    EXPECT_EQ(missing.acquire(folder.file("missing/Kelmar.ini.lock")), ENOENT);
}

// What lies under a lock file's name: the lock never follows a link (a
// dangling one made the game create a file at its target), never locks a
// folder or a pipe, and says why.
TEST(SettingsLock, OnlyARegularFileUnderTheNameItselfIsLocked) {
    TempFolder folder;
    const std::string lock = folder.file("x.lock");
    const std::string target = folder.file("ziel");
    const struct {
        const char* name;
        std::function<void()> make;
        int result;
    } cases[] = {
        {"nothing", [] {}, 0},
        {"a regular file", [&] { testing::WriteBytes(lock, {}); }, 0},
        {"a read-only file", [&] { testing::WriteBytes(lock, {}), ::chmod(lock.c_str(), 0444); },
         0},
        {"a dangling link", [&] { (void)!::symlink(target.c_str(), lock.c_str()); }, ELOOP},
        {"a link to a file",
         [&] { testing::WriteBytes(target, {}), (void)!::symlink(target.c_str(), lock.c_str()); },
         ELOOP},
        {"a folder", [&] { ::mkdir(lock.c_str(), 0700); }, EISDIR},
        {"a pipe", [&] { ::mkfifo(lock.c_str(), 0600); }, kNotRegularFile},
    };
    for (const auto& c : cases) {
        std::filesystem::remove_all(lock);
        std::filesystem::remove_all(target);
        c.make();
        FileLock first;
        EXPECT_EQ(first.acquire(lock), c.result) << c.name;
        EXPECT_EQ(first.held(), c.result == 0) << c.name;
        EXPECT_EQ(std::filesystem::exists(target), std::string(c.name) == "a link to a file")
            << c.name << ": no file is made where a link points";
        FileLock second;
        EXPECT_EQ(second.acquire(lock), c.result == 0 ? EWOULDBLOCK : c.result) << c.name;
        EXPECT_NE(
            LockFailureText("x.lock", c.result == 0 ? EWOULDBLOCK : c.result).find("„x.lock“"),
            std::string::npos);
    }
}

// A lock file that cannot be used lost the best time and blamed Kelmar.ini:
// now the file is written without the lock and the warning names the lock.
TEST(SettingsLock, WithoutAUsableLockTheFileIsWrittenAndTheLockNamed) {
    TempFolder folder;
    const std::string path = folder.file("Kelmar.ini");
    const std::string lock = path + ".lock";
    const std::string target = folder.file("anderswo");
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"a dangling link", [&] { (void)!::symlink(target.c_str(), lock.c_str()); }},
        {"a folder", [&] { ::mkdir(lock.c_str(), 0700); }},
    };
    for (const auto& [name, make] : cases) {
        std::filesystem::remove_all(lock);
        make();
        WriteSettings(GameSettings(), HighScoreTable(), path);
        SettingsSession session(path);
        GameSettings settings;
        HighScoreTable table;
        session.Read(settings, table);
        RecordHighScore(table, "Anna", 61000, 45000.5);
        const std::string warning = session.Write(settings, table);
        EXPECT_NE(warning.find("„" + lock + "“"), std::string::npos) << name << ": " << warning;
        EXPECT_EQ(session.Write(settings, table), "") << name << ": said once";
        HighScoreTable back;
        ReadSettings(settings, back, path);
        EXPECT_EQ(back.Rows[1].Name, "Anna") << name;
        EXPECT_FALSE(std::filesystem::exists(target)) << name;
    }
}

// A copy killed while it holds the lock must not block the others.
TEST(SettingsLock, ACopyKilledWhileHoldingTheLockReleasesIt) {
    TempFolder folder;
    const std::string lock = folder.file("Kelmar.ini.lock");
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        FileLock held;
        held.acquire(lock);
        char byte = 1;
        (void)!::write(ready[1], &byte, 1);
        ::pause();
        ::_exit(0);
    }
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    EXPECT_EQ(FileLock().acquire(lock), EWOULDBLOCK);
    ::kill(pid, SIGKILL);
    ASSERT_EQ(::waitpid(pid, nullptr, 0), pid);
    EXPECT_EQ(FileLock().acquire(lock), 0);
    ::close(ready[0]);
    ::close(ready[1]);
}

} // namespace
} // namespace kelmar
