#include "app/record_writer.h"

#include "app/statistics_dialog.h"
#include "core/layout.h"

#include <QtConcurrent/QtConcurrentRun>

namespace kelmar {

namespace {

// The rank of `win` among the wins on its layout that `book` holds, as the
// status bar tells it.
std::optional<std::string> RankNote(const GameRecordBook& book, const GameRecord& win,
                                    const std::string& layoutName) {
    const RecordStatistics statistics = ComputeStatistics(book);
    const GroupStatistics* group = statistics.find(win.Layout);
    if (group == nullptr) {
        return std::nullopt;
    }
    return WinRankText(win.TimeMs, RankOfWin(*group, win.TimeMs), layoutName);
}

} // namespace

RecordWriter::RecordWriter(std::string settingsPath, std::function<void(const QString&)> warn,
                           std::function<void(const QString&)> tellRank, QObject* parent)
    : QObject(parent), session_(std::move(settingsPath)), warn_(std::move(warn)),
      tellRank_(std::move(tellRank)) {
    connect(&writer_, &QFutureWatcher<Written>::finished, this, &RecordWriter::writeFinished);
    startWrite();
}

RecordWriter::~RecordWriter() {
    if (inFlight_) {
        writer_.waitForFinished();
    }
}

void RecordWriter::append(const GameRecord& record, const std::optional<std::string>& rankUnder) {
    pending_.add(record);
    if (rankUnder) {
        rankWanted_.emplace(record, *rankUnder);
    }
    if (!inFlight_) {
        startWrite();
    }
}

// The session is used by one job at a time; the batch and the name travel
// with the job by value.
void RecordWriter::startWrite() {
    batch_ = pending_.take();
    std::optional<std::string> rankUnder;
    if (rankWanted_ && !batch_.empty() && batch_.back() == rankWanted_->first) {
        rankUnder = rankWanted_->second;
        rankWanted_.reset();
    }
    const bool open = !opened_;
    opened_ = true;
    GameRecordsSession* session = &session_;
    inFlight_ = true;
    writer_.setFuture(QtConcurrent::run([session, open, batch = batch_, rankUnder] {
        Written written;
        if (open) {
            written.openWarning = session->Open();
        }
        written.outcome = AppendBatch(
            batch, [session](const GameRecord& record) { return session->Append(record); });
        if (rankUnder && written.outcome.book && written.outcome.done == batch.size()) {
            written.rankNote = RankNote(*written.outcome.book, batch.back(), *rankUnder);
        }
        return written;
    }));
}

void RecordWriter::waitForWrites() {
    while (inFlight_) {
        writer_.waitForFinished();
        inFlight_ = false;
        if (!settle(writer_.result()) && !pending_.empty()) {
            startWrite();
        }
    }
}

bool RecordWriter::settle(const Written& written) {
    if (!written.openWarning.empty()) {
        warn_(QString::fromStdString(written.openWarning));
    }
    const std::string warning = pending_.settle(batch_, written.outcome);
    batch_.clear();
    if (!warning.empty()) {
        warn_(QString::fromStdString(warning));
    }
    if (written.rankNote) {
        tellRank_(QString::fromStdString(*written.rankNote));
    }
    return written.outcome.retry;
}

// Records that came while the job ran start the next one; those the lock
// kept back wait for the next game's end. A report of a job whose result
// was already taken changes nothing.
void RecordWriter::writeFinished() {
    if (writer_.isFinished()) {
        waitForWrites();
    }
}

void RecordWriter::close() {
    waitForWrites();
    if (pending_.empty()) {
        return;
    }
    batch_ = pending_.take();
    Written written;
    written.outcome =
        AppendBatch(batch_, [this](const GameRecord& record) { return session_.Append(record); });
    settle(written);
}

RecordStatistics RecordWriter::statistics() {
    waitForWrites();
    GameRecordBook book = session_.Read().Book;
    const std::vector<GameRecord>& waiting = pending_.waiting();
    book.Records.insert(book.Records.end(), waiting.begin(), waiting.end());
    return ComputeStatistics(book);
}

std::optional<RecordStatistics> RecordWriter::reset() {
    waitForWrites();
    try {
        session_.Reset();
    } catch (const IoError& e) {
        warn_(QString::fromStdString(e.what()));
        return std::nullopt;
    }
    pending_.clear();
    rankWanted_.reset();
    return RecordStatistics{};
}

void ShowStatistics(QWidget* owner, RecordWriter& records, const std::vector<Layout>& layouts) {
    const LayoutNamer name = [&layouts](const std::string& shortName) {
        const Layout* layout = FindLayout(layouts, shortName);
        if (layout != nullptr) {
            return QString::fromStdString(layout->Name);
        }
        // A layout of an earlier run, or a board of no known layout.
        return shortName == kUnknownLayout ? QStringLiteral("unbekannte Aufstellung")
                                           : QString::fromStdString(shortName);
    };
    StatisticsDialog dialog(
        name, [&records] { return records.reset(); }, {}, owner);
    dialog.setStatistics(records.statistics());
    dialog.exec();
}

} // namespace kelmar
