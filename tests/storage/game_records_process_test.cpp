// Copies of the game ending games at the same moment, and a copy killed
// while it writes, as real processes.
#include "storage/game_records.h"
#include "storage/replace_file.h"
#include "storage/storage_error.h"
#include "tests/storage/temp_folder.h"

#include <csignal>
#include <gtest/gtest.h>
#include <set>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace kelmar {
namespace {

using testing::TempFolder;

GameRecord numbered(int copy, int index) {
    GameRecord record;
    record.Day = 46000;
    record.Layout = "Pyramide";
    record.Result = GameResult::GivenUp;
    record.Moves = copy;
    record.Hints = index;
    return record;
}

// The child appends `count` records (count < 0: until killed), writing one
// byte to `done` after each; it starts once `go` is closed.
pid_t startCopy(const std::string& settings, int copy, int count, int done, const int go[2]) {
    const pid_t pid = ::fork();
    if (pid != 0) {
        return pid;
    }
    ::close(go[1]);
    char byte = 1;
    if (::read(go[0], &byte, 1) != 0) {
        ::_exit(3);
    }
    for (int i = 0; count < 0 || i < count; ++i) {
        try {
            AppendGameRecord(settings, numbered(copy, i));
        } catch (const IoError&) {
            ::_exit(2);
        }
        if (::write(done, &byte, 1) != 1) {
            ::_exit(4);
        }
    }
    ::_exit(0);
}

struct Pipes {
    int done[2] = {-1, -1};
    int go[2] = {-1, -1};
    Pipes() {
        if (::pipe(done) != 0 || ::pipe(go) != 0) {
            throw std::runtime_error("pipe");
        }
    }
    ~Pipes() {
        for (const int fd : {done[0], done[1], go[0], go[1]}) {
            if (fd >= 0) {
                ::close(fd);
            }
        }
    }
    // After the forks: the copies start, and once they are gone `done`
    // ends instead of blocking.
    void start() {
        ::close(go[1]);
        ::close(done[1]);
        go[1] = done[1] = -1;
    }
};

std::set<std::pair<int, int>> recordedPairs(const GameRecordBook& book) {
    std::set<std::pair<int, int>> pairs;
    for (const GameRecord& record : book.Records) {
        EXPECT_TRUE(pairs.insert({record.Moves, record.Hints}).second) << "recorded twice";
    }
    return pairs;
}

// Copies that read the file at the same moment and each renamed their own
// new file over it would keep only the last copy's records.
TEST(GameRecordsProcesses, CopiesEndingGamesTogetherKeepEveryRecord) {
    constexpr int kCopies = 4;
    constexpr int kGamesEach = 15;
    TempFolder folder;
    const std::string settings = folder.file("Kelmar.ini");
    Pipes pipes;
    std::vector<pid_t> copies;
    for (int copy = 0; copy < kCopies; ++copy) {
        copies.push_back(startCopy(settings, copy, kGamesEach, pipes.done[1], pipes.go));
    }
    pipes.start();
    for (const pid_t pid : copies) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    const GameRecordsRead read = ReadGameRecords(GameRecordsPathBeside(settings));
    ASSERT_TRUE(read.Usable) << read.Warning;
    const auto pairs = recordedPairs(read.Book);
    EXPECT_EQ(pairs.size(), std::size_t{kCopies * kGamesEach});
    EXPECT_EQ(pairs.begin()->second, 0);
    EXPECT_EQ(pairs.rbegin()->second, kGamesEach - 1);
}

// Runs for a varying while without sleeping, so that kills land at many
// different points of an append.
void spin(uint32_t& state) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    volatile uint32_t sink = 0;
    for (uint32_t i = state % 2'000'000; i > 0; --i) {
        sink = sink + i;
    }
}

// A copy killed at any moment of an append: every record it had finished
// is in the file, the file is whole, and the next copy goes on writing.
TEST(GameRecordsProcesses, AKillDuringAnAppendLosesNoRecordAlreadyWritten) {
    TempFolder folder;
    const std::string settings = folder.file("Kelmar.ini");
    const std::string path = GameRecordsPathBeside(settings);
    GameRecordBook large; // so that an append takes long enough to be hit
    for (int i = 0; i < 3000; ++i) {
        large.Records.push_back(numbered(999, i));
    }
    const std::string text = GameRecordsText(large);
    testing::WriteBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
    uint32_t state = 2463534242u;
    std::size_t kept = large.Records.size();
    for (int round = 0; round < 40; ++round) {
        Pipes pipes;
        const pid_t pid = startCopy(settings, round, -1, pipes.done[1], pipes.go);
        pipes.start();
        char byte = 0;
        ASSERT_EQ(::read(pipes.done[0], &byte, 1), 1);
        spin(state);
        ::kill(pid, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the copy ended by itself: " << status;
        int finished = 1;
        while (::read(pipes.done[0], &byte, 1) == 1) {
            ++finished;
        }
        const GameRecordsRead read = ReadGameRecords(path);
        ASSERT_TRUE(read.Usable) << "round " << round << ": " << read.Warning;
        const auto pairs = recordedPairs(read.Book);
        for (int i = 0; i < finished; ++i) {
            EXPECT_EQ(pairs.count({round, i}), 1u) << "round " << round << " record " << i;
        }
        EXPECT_GE(read.Book.Records.size(), kept + static_cast<std::size_t>(finished));
        EXPECT_EQ(pairs.count({999, 0}) + pairs.count({999, 2999}), 2u) << "round " << round;
        kept = read.Book.Records.size();
    }
    for (const std::string& name : folder.names()) {
        EXPECT_TRUE(name == "Kelmar-Spiele.txt" || name == "Kelmar.ini.lock" ||
                    IsTemporaryName(name))
            << name;
    }
}

} // namespace
} // namespace kelmar
