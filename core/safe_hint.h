// The hint that keeps a winnable game winnable: which of the free matching
// pairs it may show, how the verdicts of the positions after them choose
// one, and the whole judgement as a worker runs it. No Qt and no threads
// here; the window runs RunHintCheck on a worker with copies.
#pragma once

#include "core/game.h"
#include "core/solvability.h"
#include "core/solver.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace kelmar {

// Nodes one hint may spend in all (about half a second on one core). The
// window does not wait for it: after kSafeHintWaitMs it shows the plain
// pair, and the verdicts found later still go into the known ones.
constexpr int64_t kSafeHintNodeBudget = 300'000;
constexpr int kSafeHintWaitMs = 100;
// Nodes each pair gets in the first round of a judgement (a few ms; most
// positions are decided in a few hundred).
constexpr int64_t kSafeHintQuickNodes = 2'000;

// The free matching pairs of the analysed game in the order the hint
// prefers them: by the higher slot (First) descending, then by the lower
// (Second) descending; each pair once. The first is the pair GiveHint
// shows. Empty when no move is left.
std::vector<SolverMove> HintCandidates(const Game& game);

// `board` with the pair taken (both tiles removed), on a copy.
Board BoardAfter(const Board& board, SolverMove pair);

// A winning order of a position: pairs, each free and matching when it is
// taken, that clear the board. Taking tiles never blocks a tile, so when a
// pair of the order is free now, taking it first leaves the rest of the
// order playable: the position after it is winnable without the solver,
// and the rest is a winning order of that position (LineAfter).
using WinningLine = std::vector<SolverMove>;

// Whether `line` holds `pair`, in either order.
bool LineHolds(const WinningLine& line, SolverMove pair);
// `line` without `pair` (in either order).
WinningLine LineAfter(WinningLine line, SolverMove pair);

// The solver as the hint calls it: SolveFunction's contract, and on
// Winnable `line` (when given) receives a winning order, or stays empty when
// the solver gives none.
using HintSolveFunction =
    std::function<SolveResult(const Board&, int64_t, SolverStats*, WinningLine* line)>;

// `solve` as a HintSolveFunction that gives no lines; an empty `solve`
// gives SolvePosition with its winning orders.
HintSolveFunction HintSolverOf(const SolveFunction& solve, SolveStop stop = {});

enum class HintSafety {
    Safe,    // `pair` keeps the position winnable
    Lost,    // every candidate leads to a lost position: the position is lost
    Unknown, // no proof either way (a verdict missing or undecided)
};

struct HintJudgement {
    HintSafety safety = HintSafety::Unknown;
    SolverMove pair;  // Safe only
    WinningLine line; // Safe: a winning order after `pair` when one is known, else empty
};

// The verdict of the position after taking `pair`, or nullopt when the
// source has none to give.
using AfterVerdictSource =
    std::function<std::optional<SolveResult>(SolverMove pair, const Board& after)>;

// The first candidate, in order, whose position after it is Winnable. The
// candidates are judged one after another; a candidate without a verdict
// (nullopt) ends the judgement as Unknown, since a later safe pair could not
// be known to be the first. Undecided and Unwinnable candidates are passed
// over; Lost needs every candidate Unwinnable (and at least one candidate).
HintJudgement JudgeHintCandidates(const Board& board, const std::vector<SolverMove>& candidates,
                                  const AfterVerdictSource& afterVerdict);

// The judgement from what is already known only: a position known to be
// lost is Lost at once; otherwise the candidates as above, a pair of `line`
// (a winning order of `board`, may be empty) being safe, and the positions
// nobody has judged yet as missing verdicts.
HintJudgement JudgeHintFromKnown(const Board& board, const std::vector<SolverMove>& candidates,
                                 const VerdictCache& known, const WinningLine& line = {});

// Stores what a judgement proves about the position itself: Safe, that it
// is Winnable; Lost, that it is Unwinnable; Unknown, nothing.
void RememberJudgement(VerdictCache& known, const Board& board, const HintJudgement& judgement);

// One whole judgement as the worker runs it: what is known first (as
// JudgeHintFromKnown); then, without a line or verdict of the position, the
// position itself with kSafeHintQuickNodes (lost: Lost at once; winnable:
// its winning order serves as `line`); then `solve` for the positions after
// the candidates, until `budget` nodes are spent in all: a first round gives each candidate
// kSafeHintQuickNodes, and when it proves no pair safe nor every pair lost,
// a second gives the undecided ones, in order, all that is left. So a pair
// that is safe but hard to prove may be passed over for a later one proven
// at once.
// Every verdict found is stored in `known`, the position's own too
// (RememberJudgement). A Safe judgement carries the winning order after its
// pair when `line` or the solver gave one.
HintJudgement RunHintCheck(const Board& board, const std::vector<SolverMove>& candidates,
                           VerdictCache& known, const HintSolveFunction& solve,
                           int64_t budget = kSafeHintNodeBudget, const WinningLine& line = {});

// What the hint shows and says.
struct HintShown {
    SolverMove pair;
    bool sayLost = false; // tell the player the position cannot be won any more
};

// The rule of the hint command: with the safe hint off, or without a
// judgement (it came too late), or with an Unknown one, the first candidate
// (the plain hint) and nothing said; Safe: its pair; Lost: the first
// candidate, and say so. `candidates` must not be empty.
HintShown ChooseHintPair(bool safeHint, const std::vector<SolverMove>& candidates,
                         const std::optional<HintJudgement>& judgement);

} // namespace kelmar
