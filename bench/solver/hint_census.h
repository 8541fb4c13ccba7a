// The hint census: on the census positions (census.h), the judgement the
// safe hint's worker makes (RunHintCheck with SolvePosition, nothing known
// before), timed per position: the hint's latency.
#pragma once

#include "bench/solver/census.h"
#include "core/safe_hint.h"

#include <string>
#include <vector>

namespace kelmar::census {

struct HintJudged {
    int index = 0;
    HintSafety safety = HintSafety::Unknown;
    bool changed = false; // the pair shown is not the plain hint's
    double ms = 0;        // CPU time of the judgement (this thread)
};

struct HintReport {
    Kind kind = Kind::NewGame;
    std::vector<HintJudged> judged;
    int skipped = 0; // positions without a move (or Played seeds stuck on the way)

    int count(HintSafety s) const;
    int changedCount() const;
    // Judgements that took longer than the window waits (kSafeHintWaitMs).
    int overWait() const;
    double percentileMs(double q) const;
};

// Judges the hint on `count` positions from seed index `first` on.
HintReport RunHint(Kind kind, int first, int count);

// One line: safe / lost / unknown shares, pairs changed, median, p99,
// worst, and how many judgements the window would not have waited for.
std::string HintSummary(const HintReport& report);

} // namespace kelmar::census
