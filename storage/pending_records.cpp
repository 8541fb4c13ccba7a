#include "storage/pending_records.h"

#include "storage/game_records.h"

#include <iterator>

namespace kelmar {

AppendOutcome AppendBatch(const std::vector<GameRecord>& batch, const AppendRecord& append) {
    AppendOutcome outcome;
    for (const GameRecord& record : batch) {
        try {
            std::optional<GameRecordBook> book = append(record);
            if (book) {
                outcome.book = std::move(book);
            }
        } catch (const UnsoundRecordsError& e) {
            // The file stays as it is from now on: this record and the
            // rest of the batch are lost with the warning.
            outcome.done = batch.size();
            outcome.error = e.what();
            return outcome;
        } catch (const IoError& e) {
            outcome.error = e.what();
            outcome.retry = true;
            return outcome;
        }
        ++outcome.done;
    }
    return outcome;
}

std::vector<GameRecord> PendingRecords::take() {
    std::vector<GameRecord> batch;
    batch.swap(waiting_);
    return batch;
}

std::string PendingRecords::settle(const std::vector<GameRecord>& batch,
                                   const AppendOutcome& outcome) {
    if (outcome.retry && outcome.done < batch.size()) {
        const auto rest = batch.begin() + static_cast<std::ptrdiff_t>(outcome.done);
        waiting_.insert(waiting_.begin(), rest, batch.end());
    }
    if (outcome.error.empty()) {
        return {};
    }
    if (!outcome.retry) {
        return outcome.error;
    }
    if (retryTold_) {
        return {};
    }
    retryTold_ = true;
    return outcome.error + "\nDie Spiele bleiben aufgehoben; Kelmar schreibt sie beim nächsten "
                           "Spielende oder beim Beenden.";
}

} // namespace kelmar
