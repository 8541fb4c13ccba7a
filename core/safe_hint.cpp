#include "core/safe_hint.h"

#include "core/board.h"

#include <algorithm>

namespace kelmar {

std::vector<SolverMove> HintCandidates(const Game& game) {
    const PlayState& play = game.play;
    const Board& board = game.board;
    std::vector<SolverMove> pairs;
    // FreeList is in ascending slot order, so walking it backwards gives the
    // hint's own search order; pairs with a higher partner were met already.
    for (int32_t i = play.FreeCount; i >= 1; --i) {
        const int32_t a = play.FreeList[static_cast<size_t>(i)];
        for (int32_t j = i - 1; j >= 1; --j) {
            const int32_t b = play.FreeList[static_cast<size_t>(j)];
            if (KindsMatch(board, board.Slots[static_cast<size_t>(a)].Kind,
                           board.Slots[static_cast<size_t>(b)].Kind)) {
                pairs.push_back({a, b});
            }
        }
    }
    return pairs;
}

Board BoardAfter(const Board& board, SolverMove pair) {
    Board after = board;
    RemoveTile(after, pair.First);
    RemoveTile(after, pair.Second);
    return after;
}

bool LineHolds(const WinningLine& line, SolverMove pair) {
    return std::any_of(line.begin(), line.end(), [pair](SolverMove m) {
        return (m.First == pair.First && m.Second == pair.Second) ||
               (m.First == pair.Second && m.Second == pair.First);
    });
}

WinningLine LineAfter(WinningLine line, SolverMove pair) {
    std::erase_if(line, [pair](SolverMove m) {
        return (m.First == pair.First && m.Second == pair.Second) ||
               (m.First == pair.Second && m.Second == pair.First);
    });
    return line;
}

HintSolveFunction HintSolverOf(const SolveFunction& solve, SolveStop stop) {
    if (!solve) {
        return [stop = std::move(stop)](const Board& board, int64_t budget, SolverStats* stats,
                                        WinningLine* line) {
            return SolvePosition(board, budget, stats, line, stop);
        };
    }
    return [solve](const Board& board, int64_t budget, SolverStats* stats, WinningLine* line) {
        if (line != nullptr) {
            line->clear();
        }
        return solve(board, budget, stats);
    };
}

HintJudgement JudgeHintCandidates(const Board& board, const std::vector<SolverMove>& candidates,
                                  const AfterVerdictSource& afterVerdict) {
    bool allLost = !candidates.empty();
    for (const SolverMove& pair : candidates) {
        const std::optional<SolveResult> verdict = afterVerdict(pair, BoardAfter(board, pair));
        if (!verdict) {
            return {};
        }
        if (*verdict == SolveResult::Winnable) {
            return {HintSafety::Safe, pair, {}};
        }
        allLost = allLost && *verdict == SolveResult::Unwinnable;
    }
    return {allLost ? HintSafety::Lost : HintSafety::Unknown, {}, {}};
}

HintJudgement JudgeHintFromKnown(const Board& board, const std::vector<SolverMove>& candidates,
                                 const VerdictCache& known, const WinningLine& line) {
    if (known.find(PositionKey::Of(board)) == SolveResult::Unwinnable) {
        return {HintSafety::Lost, {}, {}};
    }
    HintJudgement judgement = JudgeHintCandidates(
        board, candidates, [&](SolverMove pair, const Board& after) -> std::optional<SolveResult> {
            if (LineHolds(line, pair)) {
                return SolveResult::Winnable;
            }
            return known.find(PositionKey::Of(after));
        });
    if (judgement.safety == HintSafety::Safe && LineHolds(line, judgement.pair)) {
        judgement.line = LineAfter(line, judgement.pair);
    }
    return judgement;
}

HintJudgement RunHintCheck(const Board& board, const std::vector<SolverMove>& candidates,
                           VerdictCache& known, const HintSolveFunction& solve, int64_t budget,
                           const WinningLine& line) {
    HintJudgement judgement = JudgeHintFromKnown(board, candidates, known, line);
    if (judgement.safety != HintSafety::Unknown) {
        RememberJudgement(known, board, judgement);
        return judgement;
    }
    int64_t left = budget;
    // The position itself first, briefly: a lost one needs no candidate
    // judged, and a winning order of it makes its pairs safe at once.
    WinningLine own = line;
    const PositionKey key = PositionKey::Of(board);
    if (own.empty() && !known.find(key)) {
        SolverStats stats;
        const SolveResult result = solve(board, std::min(kSafeHintQuickNodes, left), &stats, &own);
        left -= std::max<int64_t>(stats.nodes, 1);
        if (result == SolveResult::Unwinnable) {
            judgement = {HintSafety::Lost, {}, {}};
            RememberJudgement(known, board, judgement);
            return judgement;
        }
        if (result == SolveResult::Winnable) {
            known.store(key, result);
        }
    }
    WinningLine solved; // of the last position the solver found winnable
    const auto judgeWithin = [&](int64_t cap) {
        return JudgeHintCandidates(
            board, candidates,
            [&](SolverMove pair, const Board& after) -> std::optional<SolveResult> {
                if (LineHolds(own, pair)) {
                    return SolveResult::Winnable;
                }
                const PositionKey afterKey = PositionKey::Of(after);
                if (const auto verdict = known.find(afterKey)) {
                    return verdict;
                }
                if (left <= 0) {
                    return std::nullopt;
                }
                SolverStats stats;
                const SolveResult result = solve(after, std::min(cap, left), &stats, &solved);
                left -= std::max<int64_t>(stats.nodes, 1);
                if (result != SolveResult::Undecided) {
                    known.store(afterKey, result);
                }
                return result;
            });
    };
    // The window waits kSafeHintWaitMs only, so a pair proven safe quickly
    // beats an earlier one the solver needs long for: every candidate first
    // gets kSafeHintQuickNodes, and only when that proves no pair safe (and
    // not every pair lost) do the undecided ones get all that is left.
    judgement = judgeWithin(kSafeHintQuickNodes);
    if (judgement.safety == HintSafety::Unknown && left > 0) {
        judgement = judgeWithin(left);
    }
    if (judgement.safety == HintSafety::Safe) {
        // The judgement stops at the first winnable candidate: the line
        // found last, if any, is its own.
        judgement.line = LineHolds(own, judgement.pair) ? LineAfter(own, judgement.pair) : solved;
    }
    RememberJudgement(known, board, judgement);
    return judgement;
}

void RememberJudgement(VerdictCache& known, const Board& board, const HintJudgement& judgement) {
    if (judgement.safety == HintSafety::Safe) {
        known.store(PositionKey::Of(board), SolveResult::Winnable);
    } else if (judgement.safety == HintSafety::Lost) {
        known.store(PositionKey::Of(board), SolveResult::Unwinnable);
    }
}

HintShown ChooseHintPair(bool safeHint, const std::vector<SolverMove>& candidates,
                         const std::optional<HintJudgement>& judgement) {
    const SolverMove plain = candidates.front();
    if (!safeHint || !judgement) {
        return {plain, false};
    }
    switch (judgement->safety) {
    case HintSafety::Safe:
        return {judgement->pair, false};
    case HintSafety::Lost:
        return {plain, true};
    case HintSafety::Unknown:
        break;
    }
    return {plain, false};
}

} // namespace kelmar
