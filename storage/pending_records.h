// Records of ended games on their way into the records file. A record that
// cannot be written because the file's lock is not had (or the write fails)
// waits in memory and is tried again at the next append and at close; the
// player is told once per run. A file that is not to be written at all
// (unreadable, damaged: GameRecordsSession) drops the records after its
// one warning. Plain C++, no Qt: the window's writer runs the appends on a
// worker thread and settles their outcome on its own thread.
#pragma once

#include "scores/statistics.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kelmar {

// One append of one record (GameRecordsSession::Append): the file's records
// afterwards, nullopt when the file is not to be written; throws
// UnsoundRecordsError or IoError as that does.
using AppendRecord = std::function<std::optional<GameRecordBook>(const GameRecord&)>;

struct AppendOutcome {
    std::size_t done = 0; // records of the batch written (or dropped with the file)
    // The file's records after the last record written; nullopt when none was.
    std::optional<GameRecordBook> book;
    std::string error;  // German: why the rest of the batch was not written
    bool retry = false; // the rest waits for the next try (a lock or write failure)
};

// Appends `batch` oldest first; stops at the first failure.
AppendOutcome AppendBatch(const std::vector<GameRecord>& batch, const AppendRecord& append);

class PendingRecords {
public:
    void add(const GameRecord& record) { waiting_.push_back(record); }
    bool empty() const { return waiting_.empty(); }
    const std::vector<GameRecord>& waiting() const { return waiting_; }
    // Every waiting record, oldest first, for one AppendBatch; none waits
    // afterwards until settle() puts back what was not written.
    std::vector<GameRecord> take();
    // The outcome of appending `batch` (what take() gave): records to retry
    // wait again ahead of those added meanwhile. Returns the German warning
    // to show, empty when there is none: a failure that will be retried is
    // told once per run, the file's own refusal as it comes.
    std::string settle(const std::vector<GameRecord>& batch, const AppendOutcome& outcome);
    // Forgets the waiting records (the records were started anew).
    void clear() { waiting_.clear(); }

private:
    std::vector<GameRecord> waiting_;
    bool retryTold_ = false;
};

} // namespace kelmar
