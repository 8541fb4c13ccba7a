// What the records cost the window's thread with a full file of 10,000
// games: opening "Statistik ..." (reading the file, counting, filling and
// showing the window) and ending a game (queueing its record; the append
// itself runs on the worker).
//
// Targets: the window opens within 100 ms; ending a game costs the window's
// thread at most 1 ms more.
#include "app/record_writer.h"
#include "app/statistics_dialog.h"
#include "bench/records/full_book.h"
#include "storage/replace_file.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <ctime>

namespace kelmar {
namespace {

// A writer over a folder whose records file holds the full book.
struct FullRecords {
    FullRecords() {
        WriteWholeFile(GameRecordsPathBeside(settings), GameRecordsText(fullBook()), "bench");
        writer.waitForWrites(); // the first read of the file
    }
    QTemporaryDir folder;
    std::string settings = folder.filePath(QStringLiteral("Kelmar.ini")).toStdString();
    RecordWriter writer{settings, [](const QString&) {}, [](const QString&) {}};
};

void BM_OpenStatisticsWindow(benchmark::State& state) {
    FullRecords records;
    const LayoutNamer name = [](const std::string& shortName) {
        return QString::fromStdString(shortName);
    };
    for (auto _ : state) {
        StatisticsDialog dialog(name, [] { return std::optional<RecordStatistics>(); });
        dialog.setStatistics(records.writer.statistics());
        dialog.show();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_OpenStatisticsWindow)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_StatisticsOfTheFile(benchmark::State& state) {
    FullRecords records;
    for (auto _ : state) {
        benchmark::DoNotOptimize(records.writer.statistics());
    }
}
BENCHMARK(BM_StatisticsOfTheFile)->UseRealTime()->Unit(benchmark::kMillisecond);

// The CPU time of the calling thread: what the window's thread spends,
// without the time the worker it wakes takes the core from it.
double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

void BM_EndAGame(benchmark::State& state) {
    FullRecords records;
    GameRecord record = fullBook().Records.back();
    for (auto _ : state) {
        const double start = threadSeconds();
        records.writer.append(record, std::string("Pyramide"));
        state.SetIterationTime(threadSeconds() - start);
        records.writer.waitForWrites();
    }
}
BENCHMARK(BM_EndAGame)->UseManualTime()->Iterations(200)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace kelmar
