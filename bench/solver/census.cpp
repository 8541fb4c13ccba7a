#include "bench/solver/census.h"

#include "core/board.h"
#include "core/deal.h"
#include "core/rules.h"
#include "core/solver/search.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <random>

namespace kelmar::census {

double ThreadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

namespace {

void Deal(Game& game, uint32_t seed, bool avoidUnsolvable, const Layout& layout) {
    game = Game{};
    game.layout = &layout;
    game.settings.AvoidUnsolveableGames = avoidUnsolvable;
    SeedRandom(game, seed);
    NewGame(game);
}

// Takes `moves` pairs chosen at random among the free matching pairs. False
// when the position runs out of pairs first.
bool PlayRandomPairs(Game& game, int moves, std::mt19937& rng) {
    for (int m = 0; m < moves; ++m) {
        AnalyzeBoard(game);
        const auto pairs = FreeMatchingPairs(game);
        if (pairs.empty()) {
            return false;
        }
        const auto& [a, b] = pairs[rng() % pairs.size()];
        RemoveTile(game.board, a);
        RemoveTile(game.board, b);
    }
    AnalyzeBoard(game);
    return !game.play.NoMovesLeft;
}

} // namespace

uint32_t SeedOf(int index) {
    return static_cast<uint32_t>(index) * 43199U + 17U;
}

std::string Name(Kind kind) {
    switch (kind) {
    case Kind::NewGame:
        return "newgame";
    case Kind::Random:
        return "random";
    case Kind::Played:
        return "played";
    }
    return "?";
}

int Report::count(SolveResult r) const {
    return static_cast<int>(std::count_if(judged.begin(), judged.end(),
                                          [r](const Judged& j) { return j.result == r; }));
}

double Percentile(std::vector<double> ms, double q) {
    if (ms.empty()) {
        return 0;
    }
    std::sort(ms.begin(), ms.end());
    const auto at = static_cast<size_t>(q * static_cast<double>(ms.size() - 1) + 0.5);
    return ms[std::min(at, ms.size() - 1)];
}

double Report::percentileMs(double q) const {
    std::vector<double> ms;
    for (const Judged& j : judged) {
        ms.push_back(j.ms);
    }
    return Percentile(std::move(ms), q);
}

bool DealPosition(Kind kind, int index, Game& game, DealCheckReport* deal, const Layout& layout) {
    const uint32_t seed = SeedOf(index);
    if (kind == Kind::NewGame) {
        game = Game{};
        game.layout = &layout;
        game.settings.AvoidUnsolveableGames = true;
        SeedRandom(game, seed);
        NewGame(game, deal);
        return true;
    }
    Deal(game, seed, false, layout);
    if (kind == Kind::Played) {
        std::mt19937 rng(seed);
        return PlayRandomPairs(game, 10 + index % 51, rng);
    }
    return true;
}

namespace {

Judged Judge(const Board& board, int index, int64_t nodeBudget, RowRule rule) {
    SolverStats stats;
    const double start = ThreadCpuMs();
    const SolveResult r = solver::solveBoard(board, nodeBudget, &stats, nullptr, {}, {}, rule);
    return {index, SeedOf(index), r, ThreadCpuMs() - start, stats.nodes, stats.learned};
}

std::string Line(const char* name, const std::vector<Judged>& judged) {
    std::vector<double> ms;
    int undecided = 0;
    int unwinnable = 0;
    for (const Judged& j : judged) {
        ms.push_back(j.ms);
        undecided += j.result == SolveResult::Undecided ? 1 : 0;
        unwinnable += j.result == SolveResult::Unwinnable ? 1 : 0;
    }
    const double n = std::max<double>(1, static_cast<double>(judged.size()));
    char line[256];
    std::snprintf(line, sizeof line,
                  "%-8s positions %5zu  decided %6.2f%%  unwinnable %5.2f%%  undecided %d  "
                  "median %.3f ms  p99 %.2f ms  worst %.1f ms",
                  name, judged.size(), 100.0 * (n - undecided) / n, 100.0 * unwinnable / n,
                  undecided, Percentile(ms, 0.5), Percentile(ms, 0.99), Percentile(ms, 1.0));
    return line;
}

} // namespace

Report Run(Kind kind, int first, int count, int64_t nodeBudget, const Layout& layout,
           bool compareRules) {
    Report report;
    report.kind = kind;
    Game game;
    // Played: seed indices go on past first + count until `count`
    // positions are judged (seeds whose play gets stuck are skipped).
    for (int index = first; kind == Kind::Played ? static_cast<int>(report.judged.size()) < count
                                                 : index < first + count;
         ++index) {
        DealCheckReport deal;
        const double dealStart = ThreadCpuMs();
        const bool dealt = DealPosition(kind, index, game, &deal, layout);
        if (kind == Kind::NewGame) {
            report.newGameMs.push_back(ThreadCpuMs() - dealStart);
            report.attemptLimitReached += deal.proven ? 0 : 1;
            report.mostAttempts = std::max(report.mostAttempts, deal.attempts);
        }
        if (!dealt) {
            ++report.skipped;
            continue;
        }
        report.judged.push_back(Judge(game.board, index, nodeBudget, RowRule::GapEndsRow));
        if (compareRules) {
            report.wholeBand.push_back(Judge(game.board, index, nodeBudget, RowRule::WholeBand));
        }
        if (kind == Kind::NewGame && report.judged.back().result != SolveResult::Winnable) {
            ++report.notProvenWinnable;
        }
    }
    return report;
}

std::string Summary(const Report& r) {
    std::string out = Line(Name(r.kind).c_str(), r.judged);
    char line[256];
    if (r.kind == Kind::Played) {
        std::snprintf(line, sizeof line, "  (%d seeds stuck before their k-th pair, skipped)",
                      r.skipped);
        out += line;
    }
    if (r.kind == Kind::NewGame) {
        std::snprintf(
            line, sizeof line,
            "\nNewGame  median %.3f ms  p99 %.2f ms  worst %.1f ms  not proven winnable %d  "
            "attempt limit reached %d  most attempts %d",
            Percentile(r.newGameMs, 0.5), Percentile(r.newGameMs, 0.99),
            Percentile(r.newGameMs, 1.0), r.notProvenWinnable, r.attemptLimitReached,
            r.mostAttempts);
        out += line;
    }
    if (!r.wholeBand.empty()) {
        out += "\n" + Line("band", r.wholeBand) + "  (a band is one row, same positions)";
    }
    return out;
}

} // namespace kelmar::census
