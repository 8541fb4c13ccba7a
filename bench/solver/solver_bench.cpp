// Speed of the solver and the census of the positions it decides.
//
// BM_Census*: 10,000 seeds each (census.h): the deals NewGame hands out with
// "Unlösbare Spiele verhindern" on, random deals, and positions reached by
// 10..60 random pairs. Each census runs once, before its first iteration;
// repetitions report the same counters: shares in per cent, times of one
// SolvePosition call in ms (CPU time of the one thread), and for NewGame the
// time of NewGame itself. After the benchmarks the census table is printed
// as text.
// BM_Solve*: one SolvePosition per iteration over 64 whole deals in turn.
#include "bench/solver/census.h"
#include "core/board.h"
#include "core/builtin_layouts.h"
#include "core/deal.h"
#include "core/solver.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <vector>

namespace kelmar {
namespace {

using census::Kind;
using census::Report;

constexpr int kSeeds = 10000;
// Far beyond what any census position takes: a position left undecided by
// it would be a finding, not a budget to raise.
constexpr int64_t kCensusBudget = 1'000'000;

bool censusRan = false; // the table is printed only when a census was asked for

const Report& CensusOf(Kind kind) {
    censusRan = true;
    static const Report newGame = census::Run(Kind::NewGame, 0, kSeeds, kCensusBudget);
    static const Report random = census::Run(Kind::Random, 0, kSeeds, kCensusBudget);
    static const Report played = census::Run(Kind::Played, 0, kSeeds, kCensusBudget);
    switch (kind) {
    case Kind::NewGame:
        return newGame;
    case Kind::Random:
        return random;
    case Kind::Played:
        break;
    }
    return played;
}

void ReportCensus(benchmark::State& state, Kind kind) {
    const Report& r = CensusOf(kind);
    for (auto _ : state) {
        benchmark::DoNotOptimize(r.judged.data());
    }
    const double n = static_cast<double>(r.judged.size());
    state.counters["positions"] = n;
    state.counters["decided_pct"] = 100.0 * (n - r.count(SolveResult::Undecided)) / n;
    state.counters["unwinnable_pct"] = 100.0 * r.count(SolveResult::Unwinnable) / n;
    state.counters["undecided"] = r.count(SolveResult::Undecided);
    state.counters["solve_ms_median"] = r.percentileMs(0.5);
    state.counters["solve_ms_p99"] = r.percentileMs(0.99);
    state.counters["solve_ms_worst"] = r.percentileMs(1.0);
    if (kind == Kind::Played) {
        state.counters["skipped_stuck"] = r.skipped;
    }
    if (kind == Kind::NewGame) {
        state.counters["newgame_ms_median"] = census::Percentile(r.newGameMs, 0.5);
        state.counters["newgame_ms_p99"] = census::Percentile(r.newGameMs, 0.99);
        state.counters["newgame_ms_worst"] = census::Percentile(r.newGameMs, 1.0);
        // Both must stay 0.
        state.counters["not_proven_winnable"] = r.notProvenWinnable;
        state.counters["attempt_limit_reached"] = r.attemptLimitReached;
        state.counters["most_attempts"] = r.mostAttempts;
    }
}

void BM_CensusNewGame(benchmark::State& state) {
    ReportCensus(state, Kind::NewGame);
}
BENCHMARK(BM_CensusNewGame)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_CensusRandom(benchmark::State& state) {
    ReportCensus(state, Kind::Random);
}
BENCHMARK(BM_CensusRandom)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_CensusPlayed(benchmark::State& state) {
    ReportCensus(state, Kind::Played);
}
BENCHMARK(BM_CensusPlayed)->Iterations(1)->Unit(benchmark::kMillisecond);

// The census on every built-in layout but the pyramid (which the three
// above cover with more seeds): 3,000 seeds of each sort per layout.
constexpr int kLayoutSeeds = 3000;
bool layoutCensusRan = false;

const std::vector<std::array<Report, 3>>& LayoutCensus() {
    layoutCensusRan = true;
    static const std::vector<std::array<Report, 3>> reports = [] {
        std::vector<std::array<Report, 3>> all;
        for (std::size_t i = 1; i < BuiltInLayouts().size(); ++i) {
            const Layout& layout = BuiltInLayouts()[i];
            all.push_back({census::Run(Kind::NewGame, 0, kLayoutSeeds, kCensusBudget, layout),
                           census::Run(Kind::Random, 0, kLayoutSeeds, kCensusBudget, layout),
                           census::Run(Kind::Played, 0, kLayoutSeeds, kCensusBudget, layout)});
        }
        return all;
    }();
    return reports;
}

void BM_CensusLayouts(benchmark::State& state) {
    const auto& reports = LayoutCensus();
    for (auto _ : state) {
        benchmark::DoNotOptimize(reports.data());
    }
    int undecided = 0;
    int notProven = 0;
    double worst = 0;
    for (const auto& r : reports) {
        for (const Report& one : r) {
            undecided += one.count(SolveResult::Undecided);
            worst = std::max(worst, one.percentileMs(1.0));
        }
        notProven += r[0].notProvenWinnable;
    }
    // All three must stay 0 / under a second; the table after the run has
    // the figures per layout.
    state.counters["undecided"] = undecided;
    state.counters["not_proven_winnable"] = notProven;
    state.counters["solve_ms_worst"] = worst;
}
BENCHMARK(BM_CensusLayouts)->Iterations(1)->Unit(benchmark::kMillisecond);

std::vector<Board> Deals(bool avoidUnsolvable) {
    std::vector<Board> boards;
    for (int i = 0; i < 64; ++i) {
        Game game;
        game.settings.AvoidUnsolveableGames = avoidUnsolvable;
        SeedRandom(game, census::SeedOf(i));
        NewGame(game);
        boards.push_back(game.board);
    }
    return boards;
}

void SolveInTurn(benchmark::State& state, const std::vector<Board>& boards) {
    size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(SolvePosition(boards[next], kCensusBudget));
        next = (next + 1) % boards.size();
    }
}

void BM_SolveNewGameDeal(benchmark::State& state) {
    static const std::vector<Board> boards = Deals(true);
    SolveInTurn(state, boards);
}
BENCHMARK(BM_SolveNewGameDeal)->Unit(benchmark::kMicrosecond);

void BM_SolveRandomDeal(benchmark::State& state) {
    static const std::vector<Board> boards = Deals(false);
    SolveInTurn(state, boards);
}
BENCHMARK(BM_SolveRandomDeal)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace kelmar

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (kelmar::layoutCensusRan) {
        std::printf("\nSolver census per layout, %d seeds of each sort, one thread (CPU ms):\n",
                    kelmar::kLayoutSeeds);
        for (std::size_t i = 0; i < kelmar::LayoutCensus().size(); ++i) {
            std::printf("\n%s\n", kelmar::BuiltInLayouts()[i + 1].Name.c_str());
            for (const kelmar::census::Report& r : kelmar::LayoutCensus()[i]) {
                std::printf("%s\n", kelmar::census::Summary(r).c_str());
            }
        }
    }
    if (!kelmar::censusRan) {
        return 0;
    }
    std::printf("\nSolver census, %d positions each, one thread (CPU ms), budget %lld nodes:\n",
                kelmar::kSeeds, static_cast<long long>(kelmar::kCensusBudget));
    for (kelmar::census::Kind kind : {kelmar::census::Kind::NewGame, kelmar::census::Kind::Random,
                                      kelmar::census::Kind::Played}) {
        std::printf("%s\n", kelmar::census::Summary(kelmar::CensusOf(kind)).c_str());
    }
    return 0;
}
