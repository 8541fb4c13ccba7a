// Writes the records of ended games into the records file beside the
// settings file, off the user-interface thread as the kept game is: one
// append at a time on a worker, the records that come meanwhile queued
// behind it. What a failed append means is PendingRecords' rule
// (storage/pending_records.h). Lives on the user-interface thread.
#pragma once

#include "scores/statistics.h"
#include "storage/game_records.h"
#include "storage/pending_records.h"

#include <QFutureWatcher>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace kelmar {

struct Layout;

class RecordWriter final : public QObject {
    Q_OBJECT
public:
    // `warn` shows a German warning, `tellRank` a win's rank on the status
    // bar (both on this thread). The first worker job reads the file once
    // (GameRecordsSession::Open).
    RecordWriter(std::string settingsPath, std::function<void(const QString&)> warn,
                 std::function<void(const QString&)> tellRank, QObject* parent = nullptr);
    // Waits for the write in flight; writes nothing more.
    ~RecordWriter() override;

    // Queues `record` and starts a write unless one runs. `rankUnder`: the
    // record is a win outside the best times; once it is written its rank
    // among the player's wins is told under this layout name.
    void append(const GameRecord& record, const std::optional<std::string>& rankUnder);
    // At the end of the program: waits for the write in flight, then tries
    // the records still waiting once more, on this thread.
    void close();
    // The statistics of the file and of the records not yet written.
    RecordStatistics statistics();
    // Starts the records anew (the old file is kept under the backup name);
    // nullopt, with the player told why, when that failed.
    std::optional<RecordStatistics> reset();
    // Blocks until no write is in flight: settles each, and starts the next
    // for the records that came meanwhile.
    void waitForWrites();
    std::size_t waiting() const { return pending_.waiting().size(); }

private Q_SLOTS:
    void writeFinished();

private:
    struct Written {
        std::string openWarning;
        AppendOutcome outcome;
        std::optional<std::string> rankNote;
    };
    void startWrite();
    // Returns whether the records left waiting wait for the next try.
    bool settle(const Written& written);

    GameRecordsSession session_;
    PendingRecords pending_;
    std::function<void(const QString&)> warn_;
    std::function<void(const QString&)> tellRank_;
    QFutureWatcher<Written> writer_;
    bool opened_ = false;           // the file was read once
    bool inFlight_ = false;         // a job was started and its result not yet taken
    std::vector<GameRecord> batch_; // the records of the job in flight
    // The latest win whose rank is to be told, and its layout's name.
    std::optional<std::pair<GameRecord, std::string>> rankWanted_;
};

// "&Statistik ...": the statistics window over `records`, modal, with the
// layouts' names of the run.
void ShowStatistics(QWidget* owner, RecordWriter& records, const std::vector<Layout>& layouts);

} // namespace kelmar
