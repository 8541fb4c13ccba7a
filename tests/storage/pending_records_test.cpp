#include "storage/game_records.h"
#include "storage/pending_records.h"

#include <gtest/gtest.h>

namespace kelmar {
namespace {

enum class File { Writes, Locked, Unsound, Refused };

// What the file does with each append of a run: the records it holds and
// the records still waiting decide whether any game is lost.
TEST(PendingRecords, ALockedFileKeepsTheRecordsInOrderAndTellsOnceAnUnsoundOneDropsThem) {
    const struct {
        int added; // records ending before this append
        File file;
        std::size_t failsAt;         // index in the batch where Locked or Unsound throws
        std::vector<int32_t> inFile; // the records' Moves the file holds afterwards
        std::size_t waiting;
        bool warns;
    } steps[] = {
        {1, File::Writes, 0, {1}, 0, false},
        {2, File::Locked, 1, {1, 2}, 1, true},  // 3 waits
        {1, File::Locked, 0, {1, 2}, 2, false}, // told once per run
        {1, File::Writes, 0, {1, 2, 3, 4, 5}, 0, false},
        {2, File::Unsound, 1, {1, 2, 3, 4, 5, 6}, 0, true},
        {1, File::Refused, 0, {1, 2, 3, 4, 5, 6}, 0, false},
    };
    PendingRecords pending;
    std::vector<int32_t> file;
    int32_t next = 1;
    for (const auto& step : steps) {
        for (int i = 0; i < step.added; ++i) {
            GameRecord record;
            record.Moves = next++;
            pending.add(record);
        }
        const std::vector<GameRecord> batch = pending.take();
        std::size_t index = 0;
        const AppendOutcome outcome = AppendBatch(batch, [&](const GameRecord& record) {
            const bool fails = index++ >= step.failsAt;
            if (fails && step.file == File::Locked) {
                throw IoError("gesperrt");
            }
            if (fails && step.file == File::Unsound) {
                throw UnsoundRecordsError("beschädigt");
            }
            if (step.file == File::Refused) {
                return std::optional<GameRecordBook>();
            }
            file.push_back(record.Moves);
            return std::optional<GameRecordBook>(GameRecordBook{});
        });
        const std::string warning = pending.settle(batch, outcome);
        EXPECT_EQ(file, step.inFile) << next;
        EXPECT_EQ(pending.waiting().size(), step.waiting) << next;
        EXPECT_EQ(!warning.empty(), step.warns) << next;
        if (!pending.empty()) {
            EXPECT_EQ(pending.waiting().front().Moves, step.inFile.back() + 1) << next;
        }
    }
}

} // namespace
} // namespace kelmar
