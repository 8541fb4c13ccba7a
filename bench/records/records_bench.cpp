// Speed of the player's record: what opening the statistics window costs
// with a full records file of 10,000 games on three layouts.
//
// Target: reading the file's text and computing every group well under
// 100 ms (the window opens within 100 ms).
#include "bench/records/full_book.h"
#include "storage/game_records.h"

#include <benchmark/benchmark.h>
#include <cstring>
#include <string>

namespace kelmar {
namespace {

const std::string& fullText() {
    static const std::string text = GameRecordsText(fullBook());
    return text;
}

// Baseline for comparing machines: copying the file's bytes once.
void BM_CopyRecordsText(benchmark::State& state) {
    const std::string& text = fullText();
    std::string copy(text.size(), '\0');
    for (auto _ : state) {
        std::memcpy(copy.data(), text.data(), text.size());
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_CopyRecordsText);

void BM_ComputeStatistics(benchmark::State& state) {
    const GameRecordBook book = fullBook();
    for (auto _ : state) {
        benchmark::DoNotOptimize(ComputeStatistics(book));
    }
}
BENCHMARK(BM_ComputeStatistics)->Unit(benchmark::kMillisecond);

// What the window does when it opens: parse the file's text, then count.
void BM_ParseAndComputeStatistics(benchmark::State& state) {
    const std::string& text = fullText();
    for (auto _ : state) {
        const GameRecordsParse parse = ParseGameRecords(text);
        benchmark::DoNotOptimize(ComputeStatistics(parse.Book));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_ParseAndComputeStatistics)->Unit(benchmark::kMillisecond);

// The writer's part of ending a game, off the window's thread: the text of
// a full file (the file work itself is the disk's).
void BM_RecordsText(benchmark::State& state) {
    const GameRecordBook book = fullBook();
    for (auto _ : state) {
        benchmark::DoNotOptimize(GameRecordsText(book));
    }
}
BENCHMARK(BM_RecordsText)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace kelmar

BENCHMARK_MAIN();
