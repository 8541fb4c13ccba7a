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

#include "core/deal.h"
#include "core/game.h"
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
    // With compareRules: the same positions judged under the row rule of
    // earlier versions (a band is one row), right after each judgement.
    std::vector<Judged> wholeBand;
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

// CPU time of this thread in ms: on a shared machine wall time also counts
// the other processes.
double ThreadCpuMs();

// The position of seed index `index` for a census of `kind`, dealt into
// `game` (not analysed). False for a Played seed whose play got stuck.
// `deal`, when given, receives the NewGame deal check's report.
bool DealPosition(Kind kind, int index, Game& game, DealCheckReport* deal = nullptr,
                  const Layout& layout = PyramidLayout());

// Judges `count` positions from seed index `first` on, with the given node
// budget; with compareRules each also under the earlier row rule.
Report Run(Kind kind, int first, int count, int64_t nodeBudget,
           const Layout& layout = PyramidLayout(), bool compareRules = false);

std::string Name(Kind kind);

// One line per census: decided share, proven-unwinnable share, median, p99,
// worst; for Played also the skipped seeds, for NewGame a second line with
// the times of NewGame itself (its deal checks included); with the earlier
// rule's judgements a last line for them.
std::string Summary(const Report& report);

} // namespace kelmar::census
