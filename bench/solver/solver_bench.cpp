// Speed of the solver and a census of the deals it judges.
//
// BM_Check*: one SolvePosition with the deal-check budget on whole deals
// (the call NewGame makes after every successful construction).
// BM_Census*: over 2,000 seeds, how many deals are winnable, unwinnable or
// undecided (judged with kCensusBudget nodes), for constructed deals as
// they come out of TryConstruction, for the deals NewGame hands out with
// the check on (with the attempts they took, the fallbacks and the time of
// NewGame), and for random deals. The census runs once; repetitions report
// the same counters.
#include "core/board.h"
#include "core/deal.h"
#include "core/solver.h"

#include <algorithm>
#include <array>
#include <benchmark/benchmark.h>
#include <chrono>
#include <string>
#include <vector>

namespace kelmar {
namespace {

constexpr int kSeeds = 2000;
constexpr int64_t kCensusBudget = 20000;
constexpr int kAttempts = 9; // construction attempts of DealSolvable

// Seeds spread over the day like the milliseconds since midnight.
uint32_t SeedOf(int i) {
    return static_cast<uint32_t>(i) * 43199U + 17U;
}

double MsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// A constructed deal as TryConstruction leaves it, without the check:
// the first successful attempt. False when all attempts fail.
bool ConstructedDeal(Game& game, uint32_t seed) {
    game = Game{};
    SeedRandom(game, seed);
    ResetBoard(game);
    for (const LayoutPosition& p : BoardLayout) {
        AddSlot(game.board, p.X, p.Y, p.Layer, 0);
    }
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (TryConstruction(game)) {
            return true;
        }
    }
    return false;
}

void RandomDeal(Game& game, uint32_t seed) {
    game = Game{};
    game.settings.AvoidUnsolveableGames = false;
    SeedRandom(game, seed);
    NewGame(game);
}

struct Tally {
    std::array<int, 3> results{}; // by SolveResult
    std::array<int, kAttempts + 1> attempts{};
    int fallbacks = 0;
    int notConstructed = 0;
    int differsFromNewGame = 0;
    std::vector<double> newGameMs;
    std::vector<double> solveMs;

    void judge(const Board& board) {
        const auto start = std::chrono::steady_clock::now();
        const SolveResult r = SolvePosition(board, kCensusBudget);
        solveMs.push_back(MsSince(start));
        ++results[static_cast<size_t>(r)];
    }
};

// The steps of DealSolvable, counted: attempts until a construction is not
// proven unwinnable, or the fallback to the random deal.
void DealCheckedCounting(Game& game, uint32_t seed, Tally& tally) {
    game = Game{};
    game.settings.AvoidUnsolveableGames = true;
    SeedRandom(game, seed);
    ResetBoard(game);
    for (const LayoutPosition& p : BoardLayout) {
        AddSlot(game.board, p.X, p.Y, p.Layer, 0);
    }
    for (int attempt = 1; attempt <= kAttempts; ++attempt) {
        if (TryConstruction(game) &&
            SolvePosition(game.board, kDealCheckNodeBudget) != SolveResult::Unwinnable) {
            ++tally.attempts[static_cast<size_t>(attempt)];
            return;
        }
    }
    ++tally.fallbacks;
    ResetBoard(game);
    DealRandom(game);
}

bool SameKinds(const Board& a, const Board& b) {
    for (int s = 1; s <= kLayoutSize; ++s) {
        if (a.Slots[s].Kind != b.Slots[s].Kind) {
            return false;
        }
    }
    return true;
}

double Percentile(std::vector<double> v, double q) {
    if (v.empty()) {
        return 0;
    }
    std::sort(v.begin(), v.end());
    return v[static_cast<size_t>(q * static_cast<double>(v.size() - 1))];
}

// Calls `judgeSeed(tally, seed)` for each of the kSeeds census seeds.
template <typename JudgeSeed> Tally Census(JudgeSeed judgeSeed) {
    Tally t;
    for (int i = 0; i < kSeeds; ++i) {
        judgeSeed(t, SeedOf(i));
    }
    return t;
}

const Tally& ConstructedCensus() {
    static const Tally tally = Census([game = Game{}](Tally& t, uint32_t seed) mutable {
        if (ConstructedDeal(game, seed)) {
            t.judge(game.board);
        } else {
            ++t.notConstructed;
        }
    });
    return tally;
}

const Tally& CheckedCensus() {
    static const Tally tally =
        Census([counted = Game{}, real = Game{}](Tally& t, uint32_t seed) mutable {
            DealCheckedCounting(counted, seed, t);
            real = Game{};
            real.settings.AvoidUnsolveableGames = true;
            SeedRandom(real, seed);
            const auto start = std::chrono::steady_clock::now();
            NewGame(real);
            t.newGameMs.push_back(MsSince(start));
            if (!SameKinds(counted.board, real.board)) {
                ++t.differsFromNewGame;
            }
            t.judge(real.board);
        });
    return tally;
}

const Tally& RandomCensus() {
    static const Tally tally = Census([game = Game{}](Tally& t, uint32_t seed) mutable {
        RandomDeal(game, seed);
        t.judge(game.board);
    });
    return tally;
}

// The census runs once, before the (single) iteration; its counts become the
// benchmark's counters. Returns `t` for the census's own counters.
const Tally& ReportCensus(benchmark::State& state, const Tally& t) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(t.results);
    }
    state.counters["winnable"] = t.results[static_cast<size_t>(SolveResult::Winnable)];
    state.counters["unwinnable"] = t.results[static_cast<size_t>(SolveResult::Unwinnable)];
    state.counters["undecided"] = t.results[static_cast<size_t>(SolveResult::Undecided)];
    state.counters["solve_ms_median"] = Percentile(t.solveMs, 0.5);
    state.counters["solve_ms_max"] = Percentile(t.solveMs, 1.0);
    return t;
}

void BM_CensusConstructedUnchecked(benchmark::State& state) {
    const Tally& t = ReportCensus(state, ConstructedCensus());
    state.counters["construction_failed"] = t.notConstructed;
}
BENCHMARK(BM_CensusConstructedUnchecked)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_CensusNewGameChecked(benchmark::State& state) {
    const Tally& t = ReportCensus(state, CheckedCensus());
    for (int a = 1; a <= kAttempts; ++a) {
        state.counters["attempts_" + std::to_string(a)] = t.attempts[static_cast<size_t>(a)];
    }
    state.counters["fallback"] = t.fallbacks;
    state.counters["newgame_ms_median"] = Percentile(t.newGameMs, 0.5);
    state.counters["newgame_ms_max"] = Percentile(t.newGameMs, 1.0);
    // Must stay 0: the counted steps mirror DealSolvable.
    state.counters["differs_from_newgame"] = t.differsFromNewGame;
}
BENCHMARK(BM_CensusNewGameChecked)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_CensusRandom(benchmark::State& state) {
    ReportCensus(state, RandomCensus());
}
BENCHMARK(BM_CensusRandom)->Iterations(1)->Unit(benchmark::kMillisecond);

constexpr size_t kCheckedBoards = 64;

// The first kCheckedBoards boards that `deal(game, seed)` makes over the
// seeds in order; `deal` returns false when it made none for a seed.
template <typename Deal> std::vector<Board> DealtBoards(Deal deal) {
    std::vector<Board> boards;
    Game game;
    for (int i = 0; boards.size() < kCheckedBoards; ++i) {
        if (deal(game, SeedOf(i))) {
            boards.push_back(game.board);
        }
    }
    return boards;
}

// The deal check as NewGame runs it, over `boards` in turn.
void CheckDeals(benchmark::State& state, const std::vector<Board>& boards) {
    size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(SolvePosition(boards[next], kDealCheckNodeBudget));
        next = (next + 1) % boards.size();
    }
}

void BM_CheckConstructedDeal(benchmark::State& state) {
    static const std::vector<Board> boards = DealtBoards(ConstructedDeal);
    CheckDeals(state, boards);
}
BENCHMARK(BM_CheckConstructedDeal)->Unit(benchmark::kMicrosecond);

void BM_CheckRandomDeal(benchmark::State& state) {
    static const std::vector<Board> boards = DealtBoards([](Game& game, uint32_t seed) {
        RandomDeal(game, seed);
        return true;
    });
    CheckDeals(state, boards);
}
BENCHMARK(BM_CheckRandomDeal)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace kelmar

BENCHMARK_MAIN();
