// The solver census: positions of three sorts, one per seed, each judged by
// one SolvePosition call on one thread, with the time of every call.
//
//   NewGame:  the deal NewGame hands out with AvoidUnsolveableGames on (also
//             timed as a whole: NewGame includes its own checks);
//   Random:   the deal NewGame hands out with the option off;
//   Played:   a random deal after k pairs taken at random among the free
//             matching pairs, k = 10 + seed index % 51 (10..60); a seed
//             whose play gets stuck before the k-th pair (or right after
//             it) is skipped and the census goes on to further seeds
//             until it has judged as many positions as asked for.
#pragma once

#include "core/layout.h"
#include "core/solver.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kelmar::census {

enum class Kind { NewGame, Random, Played };

struct Judged {
    int index = 0;     // seed index
    uint32_t seed = 0; // Seed given to SeedRandom
    SolveResult result = SolveResult::Undecided;
    double ms = 0;       // CPU time of the SolvePosition call (this thread)
    int64_t nodes = 0;   // search nodes it took
    int64_t learned = 0; // conflicts the search recorded
};

struct Report {
    Kind kind = Kind::NewGame;
    std::vector<Judged> judged;
    int skipped = 0;               // Played: seeds whose play got stuck
    std::vector<double> newGameMs; // NewGame: the time of NewGame itself
    int notProvenWinnable = 0;     // NewGame: handed-out deals not proven winnable
    int attemptLimitReached = 0;   // NewGame: deals where DealSolvable ran out of attempts
    int mostAttempts = 0;          // NewGame: most construction attempts one deal took

    int count(SolveResult r) const;
    // q in 0..1 over the call times (0 when empty).
    double percentileMs(double q) const;
};

// The q-quantile (0..1, nearest rank) of `ms`; 0 when empty.
double Percentile(std::vector<double> ms, double q);

// Seeds spread over the day like the milliseconds since midnight.
uint32_t SeedOf(int index);

// Judges `count` positions from seed index `first` on, with the given node
// budget, on deals over `layout`.
Report Run(Kind kind, int first, int count, int64_t nodeBudget,
           const Layout& layout = PyramidLayout());

std::string Name(Kind kind);

// One line per census: decided share, proven-unwinnable share, median, p99,
// worst; for Played also the skipped seeds, for NewGame a second line with
// the times of NewGame itself (its deal checks included).
std::string Summary(const Report& report);

} // namespace kelmar::census
