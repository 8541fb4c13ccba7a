// Speed of the shuffle on stuck positions reached by play, per layout.
//
// BM_ShuffleStuck/<layout>: for seeds 0..kPositions-1 the deal NewGame hands
// out with "Unlösbare Spiele verhindern" on (the default) is played by
// random free matching pairs (a generator seeded from the seed) until no
// pair is left; every position that still holds tiles is shuffled once
// (FindShuffle with the seed), timed as CPU time of the one thread. Each
// layout's census runs once, before its first iteration; the counters give
// median, p99 and worst in ms, the share of shuffles found, and the most
// draws a found one took (a position left without one has no winnable
// arrangement, or none within kShuffleDrawLimit draws). Target: p99 <= 200 ms on every layout.
#include "bench/solver/census.h"
#include "core/board.h"
#include "core/builtin_layouts.h"
#include "core/deal.h"
#include "core/rules.h"
#include "core/shuffle.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace kelmar {
namespace {

constexpr int kPositions = 300;

struct Census {
    std::vector<double> ms;
    int found = 0;
    int mostDraws = 0; // the most draws a shuffle that was found took
    double tiles = 0;  // mean tiles on the stuck boards
};

// The stuck position of `seed` on `layout`, or false when play cleared it.
bool StuckPosition(Game& game, const Layout& layout, uint32_t seed) {
    game = Game{};
    game.layout = &layout;
    SeedRandom(game, census::SeedOf(static_cast<int>(seed)));
    NewGame(game);
    std::mt19937 rng(seed);
    for (AnalyzeBoard(game); !game.play.NoMovesLeft; AnalyzeBoard(game)) {
        const auto pairs = FreeMatchingPairs(game);
        const auto& [a, b] = pairs[rng() % pairs.size()];
        RemoveTile(game.board, a);
        RemoveTile(game.board, b);
    }
    return game.board.SlotCount > 0;
}

const Census& CensusOf(const Layout& layout) {
    static std::map<std::string, Census> done;
    const auto known = done.find(layout.ShortName);
    if (known != done.end()) {
        return known->second;
    }
    Census c;
    auto game = std::make_unique<Game>();
    for (uint32_t seed = 0; seed < kPositions; ++seed) {
        if (!StuckPosition(*game, layout, seed)) {
            continue;
        }
        ShuffleReport report;
        const double start = census::ThreadCpuMs();
        const auto shuffle = FindShuffle(game->board, seed, &report);
        c.ms.push_back(census::ThreadCpuMs() - start);
        c.found += shuffle.has_value() ? 1 : 0;
        if (shuffle) {
            c.mostDraws = std::max(c.mostDraws, report.draws);
        }
        int tiles = 0;
        for (int32_t s = 1; s <= game->board.SlotCount; ++s) {
            tiles += game->board.Slots[static_cast<std::size_t>(s)].Present ? 1 : 0;
        }
        c.tiles += tiles;
    }
    c.tiles /= std::max<double>(1, static_cast<double>(c.ms.size()));
    std::printf("%-14s positions %4zu  found %5.1f %%  tiles %5.1f  median %6.2f  p99 %7.2f  "
                "worst %7.2f ms  most draws %d\n",
                layout.ShortName.c_str(), c.ms.size(),
                100.0 * c.found / std::max<double>(1, static_cast<double>(c.ms.size())), c.tiles,
                census::Percentile(c.ms, 0.5), census::Percentile(c.ms, 0.99),
                census::Percentile(c.ms, 1.0), c.mostDraws);
    return done.emplace(layout.ShortName, std::move(c)).first->second;
}

void BM_ShuffleStuck(benchmark::State& state) {
    const Layout& layout = BuiltInLayouts()[static_cast<std::size_t>(state.range(0))];
    const Census& c = CensusOf(layout);
    for (auto _ : state) {
        benchmark::DoNotOptimize(c.ms.data());
    }
    state.SetLabel(layout.ShortName);
    state.counters["positions"] = static_cast<double>(c.ms.size());
    state.counters["found_pct"] = 100.0 * c.found / std::max<double>(1, c.ms.size());
    state.counters["median_ms"] = census::Percentile(c.ms, 0.5);
    state.counters["p99_ms"] = census::Percentile(c.ms, 0.99);
    state.counters["worst_ms"] = census::Percentile(c.ms, 1.0);
    state.counters["most_draws"] = c.mostDraws;
}
BENCHMARK(BM_ShuffleStuck)
    ->DenseRange(0, static_cast<int>(BuiltInLayouts().size()) - 1)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

} // namespace
} // namespace kelmar

BENCHMARK_MAIN();
