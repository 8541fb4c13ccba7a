#include "bench/solver/hint_census.h"

#include "core/rules.h"

#include <algorithm>
#include <cstdio>

namespace kelmar::census {

int HintReport::count(HintSafety s) const {
    return static_cast<int>(std::count_if(judged.begin(), judged.end(),
                                          [s](const HintJudged& j) { return j.safety == s; }));
}

int HintReport::changedCount() const {
    return static_cast<int>(
        std::count_if(judged.begin(), judged.end(), [](const HintJudged& j) { return j.changed; }));
}

int HintReport::overWait() const {
    return static_cast<int>(std::count_if(
        judged.begin(), judged.end(), [](const HintJudged& j) { return j.ms > kSafeHintWaitMs; }));
}

double HintReport::percentileMs(double q) const {
    std::vector<double> ms;
    for (const HintJudged& j : judged) {
        ms.push_back(j.ms);
    }
    return Percentile(std::move(ms), q);
}

HintReport RunHint(Kind kind, int first, int count) {
    const HintSolveFunction solve = HintSolverOf({});
    HintReport report;
    report.kind = kind;
    Game game;
    for (int index = first; index < first + count; ++index) {
        if (!DealPosition(kind, index, game)) {
            ++report.skipped;
            continue;
        }
        AnalyzeBoard(game);
        const double start = ThreadCpuMs();
        const std::vector<SolverMove> candidates = HintCandidates(game);
        if (candidates.empty()) {
            ++report.skipped;
            continue;
        }
        VerdictCache known;
        const HintJudgement j = RunHintCheck(game.board, candidates, known, solve);
        const HintShown shown = ChooseHintPair(true, candidates, j);
        const double ms = ThreadCpuMs() - start;
        const bool changed = shown.pair.First != candidates.front().First ||
                             shown.pair.Second != candidates.front().Second;
        report.judged.push_back({index, j.safety, changed, ms});
    }
    return report;
}

std::string HintSummary(const HintReport& r) {
    const double n = std::max<double>(1, static_cast<double>(r.judged.size()));
    char line[320];
    std::snprintf(line, sizeof line,
                  "%-8s positions %5zu  safe %6.2f%%  lost %5.2f%%  unknown %d  changed %5.2f%%  "
                  "median %.3f ms  p99 %.2f ms  worst %.1f ms  over %d ms: %d  (skipped %d)",
                  Name(r.kind).c_str(), r.judged.size(), 100.0 * r.count(HintSafety::Safe) / n,
                  100.0 * r.count(HintSafety::Lost) / n, r.count(HintSafety::Unknown),
                  100.0 * r.changedCount() / n, r.percentileMs(0.5), r.percentileMs(0.99),
                  r.percentileMs(1.0), kSafeHintWaitMs, r.overWait(), r.skipped);
    return line;
}

} // namespace kelmar::census
