// The cost of grading: the playouts of one dealt position, and a whole new
// game of each difficulty (deal, proof and grade, with the draws a grade
// takes).
#include "core/board.h"
#include "core/deal.h"
#include "core/grade.h"
#include "core/numbered_deal.h"

#include <benchmark/benchmark.h>

namespace {

using namespace kelmar;

void BM_MeasureGrade(benchmark::State& state) {
    Game game;
    uint32_t number = 1;
    for (auto _ : state) {
        state.PauseTiming();
        game.Seed = DealSeed(number++, 0);
        NewGame(game, true);
        state.ResumeTiming();
        benchmark::DoNotOptimize(MeasureGrade(game.board));
    }
}
BENCHMARK(BM_MeasureGrade)->Unit(benchmark::kMillisecond);

void BM_NewNumberedGame(benchmark::State& state) {
    Game game;
    game.settings.AvoidUnsolveableGames = true;
    const auto grade = static_cast<Grade>(state.range(0));
    uint32_t number = 1;
    for (auto _ : state) {
        benchmark::DoNotOptimize(NewNumberedGame(game, number++, grade));
    }
}
BENCHMARK(BM_NewNumberedGame)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
