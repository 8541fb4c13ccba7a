// Speed of the game core: the analysis after every move, both deals, and a
// whole game played out by the hint.
//
// Targets: AnalyzeBoard on a full board under 20 us; NewGame with the
// constructed deal (solver check included) median under 5 ms and worst of
// 2,000 seeds under 100 ms.
#include "core/board.h"
#include "core/deal.h"
#include "core/rules.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstring>
#include <ctime>
#include <vector>

namespace kelmar {
namespace {

Game DealtGame(uint32_t seed, bool solvable) {
    Game game;
    game.settings.AvoidUnsolveableGames = solvable;
    SeedRandom(game, seed);
    NewGame(game);
    AnalyzeBoard(game);
    return game;
}

// Baseline for comparing machines: copying the bytes of the board once.
void BM_CopyBoardBytes(benchmark::State& state) {
    static Board source;
    static Board target;
    for (auto _ : state) {
        std::memcpy(&target, &source, sizeof(Board));
        benchmark::DoNotOptimize(&target);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(sizeof(Board)));
}
BENCHMARK(BM_CopyBoardBytes);

void BM_AnalyzeBoardFull(benchmark::State& state) {
    static Game game = DealtGame(1234, false);
    for (auto _ : state) {
        AnalyzeBoard(game);
        benchmark::DoNotOptimize(game.play.MoveCount);
    }
}
BENCHMARK(BM_AnalyzeBoardFull);

// The analysis right after a load, when the neighbour sets are rebuilt.
void BM_AnalyzeBoardAfterPositionsChanged(benchmark::State& state) {
    static Game game = DealtGame(1234, false);
    for (auto _ : state) {
        game.geometry.Count = 0;
        AnalyzeBoard(game);
        benchmark::DoNotOptimize(game.play.MoveCount);
    }
}
BENCHMARK(BM_AnalyzeBoardAfterPositionsChanged);

void NewGameOverSeeds(benchmark::State& state, bool solvable) {
    static Game game;
    game.settings.AvoidUnsolveableGames = solvable;
    uint32_t seed = 0;
    for (auto _ : state) {
        SeedRandom(game, seed);
        seed += 7919;
        NewGame(game);
        benchmark::DoNotOptimize(game.board.Slots[1].Kind);
    }
}

void BM_NewGameRandom(benchmark::State& state) {
    NewGameOverSeeds(state, false);
}
BENCHMARK(BM_NewGameRandom);

void BM_NewGameSolvable(benchmark::State& state) {
    NewGameOverSeeds(state, true);
}
BENCHMARK(BM_NewGameSolvable)->Unit(benchmark::kMillisecond);

// CPU time of this thread in ms: on a shared machine wall time also counts
// the other processes.
double ThreadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

// Each iteration deals 2,000 seeds once and times every NewGame on its own;
// the counters give the distribution over seeds in CPU milliseconds.
void BM_NewGameSolvableOverTwoThousandSeeds(benchmark::State& state) {
    static Game game;
    game.settings.AvoidUnsolveableGames = true;
    constexpr int kSeeds = 2000;
    std::vector<double> ms(kSeeds);
    for (auto _ : state) {
        for (int i = 0; i < kSeeds; ++i) {
            SeedRandom(game, static_cast<uint32_t>(i) * 43207u);
            const double start = ThreadCpuMs();
            NewGame(game);
            ms[static_cast<size_t>(i)] = ThreadCpuMs() - start;
        }
    }
    std::sort(ms.begin(), ms.end());
    state.counters["median_ms"] = ms[kSeeds / 2];
    state.counters["p99_ms"] = ms[kSeeds * 99 / 100];
    state.counters["max_ms"] = ms.back();
}
BENCHMARK(BM_NewGameSolvableOverTwoThousandSeeds)->Unit(benchmark::kMillisecond)->Iterations(1);

// A game played out by pressing the hint twice per move, until it is won or
// stuck; the counter is the time per move. The deals are made beforehand.
void BM_PlayOutByHints(benchmark::State& state) {
    static std::vector<Game> deals = [] {
        std::vector<Game> out;
        for (uint32_t seed = 1; seed <= 32; ++seed) {
            out.push_back(DealtGame(seed, false));
        }
        return out;
    }();
    static Game game;
    size_t next = 0;
    int64_t moves = 0;
    for (auto _ : state) {
        state.PauseTiming();
        game = deals[next++ % deals.size()];
        state.ResumeTiming();
        while (!game.play.NoMovesLeft) {
            GiveHint(game);
            GiveHint(game);
            ++moves;
        }
    }
    state.counters["moves"] = static_cast<double>(moves);
    state.counters["per_move"] = benchmark::Counter(
        static_cast<double>(moves), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_PlayOutByHints);

} // namespace
} // namespace kelmar

BENCHMARK_MAIN();
