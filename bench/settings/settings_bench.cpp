// Start and close with a large settings file: 18,000 one-row best-times
// tables, 1 MB. Each row is looked up once and the file is read and written
// once, so both must take time linear in the file.
//
// Target: reading at start and the close's merge and rewrite each well
// under 1 s (a plain copy of the file's bytes for comparison).
#include "storage/settings_file.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <unistd.h>

namespace kelmar {
namespace {

constexpr int kTables = 18000;

// A folder of its own with the file, removed at the end of the program.
class LargeSettingsFile {
public:
    LargeSettingsFile() {
        char pattern[] = "/tmp/kelmar-bench-XXXXXX";
        folder_ = ::mkdtemp(pattern);
        path_ = folder_ + "/Kelmar.ini";
        std::string text = SettingsText(GameSettings(), HighScoreTable());
        for (int i = 0; i < kTables; ++i) {
            text += "\r\n[Highscores L" + std::to_string(i) + "]\r\n1=04416E6E61005F00008EAE\r\n";
        }
        bytes_ = text;
        std::ofstream(path_, std::ios::binary) << text;
    }
    ~LargeSettingsFile() {
        std::remove(path_.c_str());
        std::remove((path_ + ".lock").c_str());
        ::rmdir(folder_.c_str());
    }
    const std::string& path() const { return path_; }
    const std::string& bytes() const { return bytes_; }

private:
    std::string folder_;
    std::string path_;
    std::string bytes_;
};

const LargeSettingsFile& File() {
    static const LargeSettingsFile file;
    return file;
}

// Baseline for comparing machines: copying the file's bytes once.
void BM_CopySettingsBytes(benchmark::State& state) {
    const std::string& source = File().bytes();
    std::string target(source.size(), '\0');
    for (auto _ : state) {
        std::memcpy(target.data(), source.data(), source.size());
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * source.size()));
}
BENCHMARK(BM_CopySettingsBytes);

void BM_ReadSettingsWith18000Tables(benchmark::State& state) {
    for (auto _ : state) {
        GameSettings settings;
        HighScoreTable table;
        LayoutScores layouts;
        SettingsSession session(File().path());
        benchmark::DoNotOptimize(session.Read(settings, table, &layouts));
        if (layouts.size() != kTables) {
            state.SkipWithError("tables lost");
        }
    }
}
BENCHMARK(BM_ReadSettingsWith18000Tables)->Unit(benchmark::kMillisecond);

// The close after a win on one of the layouts.
void BM_CloseWith18000Tables(benchmark::State& state) {
    GameSettings settings;
    HighScoreTable table;
    LayoutScores layouts;
    SettingsSession session(File().path());
    session.Read(settings, table, &layouts);
    for (auto _ : state) {
        RecordHighScore(LayoutScoreTableFor(layouts, "L17"), "Neu", 1000, 45000.5);
        benchmark::DoNotOptimize(session.Write(settings, table, layouts));
    }
}
BENCHMARK(BM_CloseWith18000Tables)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace kelmar

BENCHMARK_MAIN();
