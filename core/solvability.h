// Whether the game in front of the player can still be won, and how far back
// it last could: the position key, the verdicts already known, the walk back
// through the move history, and the restart of the same deal. No Qt and no
// threads here; the window runs CheckSolvability on a worker thread with its
// own copies of the board, the history and the known verdicts.
#pragma once

#include "core/game.h"
#include "core/solver.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace kelmar {

// Nodes the solver may visit for one position. The check runs on a worker
// thread, so it may take far longer than the deal check. A node of a full
// board costs about 15 us on the 2.6 GHz development machine (the slowest of
// 5,000 random deals in the census: 28,794 nodes in 475 ms), so this budget
// alone is about 4.5 s and a whole walk (kSolvabilityWalkNodeBudget) half a
// minute; the window therefore also stops a check after a fixed time
// (kSolvabilityTimeLimit, app/solvability_check.h).
constexpr int64_t kSolvabilityNodeBudget = 300'000;

// Nodes one check may spend in all while it walks back through the history.
// The position being solved when the sum passes this still gets its whole
// budget, so one check costs at most this plus kSolvabilityNodeBudget.
constexpr int64_t kSolvabilityWalkNodeBudget = 1'500'000;

// The identity of a position: every present tile with its slot, place and
// kind, in slot order. Two boards with equal keys are the same position for
// the solver (the match table is the same on every board). Places are kept
// as 16 bits each, which holds every place a board can have (0..1023).
class PositionKey {
public:
    PositionKey() = default;
    static PositionKey Of(const Board& board);
    bool operator==(const PositionKey&) const = default;

private:
    std::vector<uint64_t> tiles_; // slot 8 | X 16 | Y 16 | Layer 8 | Kind 8 bits
};

// The answer to "can this still be won?" for the position on the board.
enum class Solvability {
    Winnable,          // the position can be cleared
    Undecided,         // the solver found no proof within its budget
    LostSince,         // cannot be cleared; MovesBack moves ago it could
    LostFromStart,     // neither it nor any earlier position of the history can be cleared
    LostUnknownBefore, // cannot be cleared; the walk back met a position it could not decide
};

struct SolvabilityAnswer {
    Solvability kind = Solvability::Undecided;
    int32_t MovesBack = 0; // LostSince only: 1..Position
    bool operator==(const SolvabilityAnswer&) const = default;
};

// Verdicts already found, keyed by position, and the positions whose answer
// the player has been told (those cost no second penalty). Holds at most
// kCapacity positions; the oldest is forgotten first.
class VerdictCache {
public:
    static constexpr std::size_t kCapacity = 128;

    std::optional<SolveResult> find(const PositionKey& key) const;
    void store(const PositionKey& key, SolveResult result);
    // Merges the verdicts of another cache (a worker's copy) into this one.
    void merge(const VerdictCache& other);

    bool told(const PositionKey& key) const;
    void markTold(const PositionKey& key);
    // A new run of the clock (new game, same game anew, load): every position
    // costs the penalty again. The verdicts stay true and are kept.
    void forgetTold();

private:
    struct Entry {
        PositionKey key;
        SolveResult result = SolveResult::Undecided;
        bool told = false;
    };
    Entry* entry(const PositionKey& key);
    const Entry* entry(const PositionKey& key) const;
    std::vector<Entry> entries_; // oldest first
};

// The verdict for one board, or nullopt when the source has none to give
// (not known yet, or the effort allowed is spent).
using VerdictSource = std::function<std::optional<SolveResult>(const Board&)>;

struct SolvabilityWalk {
    SolvabilityAnswer answer;
    bool complete = true; // false: the source gave no verdict somewhere on the way
};

// The answer for `board` with `history` applied up to its Position. An
// unwinnable position is followed back one recorded move at a time (on a
// copy) until a winnable one; an undecided position, or a position without
// verdict, ends the walk. At most Position + 1 verdicts are asked for.
SolvabilityWalk WalkBack(const Board& board, const MoveHistory& history,
                         const VerdictSource& verdict);

// The board as it was `stepsBack` moves ago: Records[Position], then
// Records[Position - 1], ... taken back on a copy (a shuffle's tiles moved
// back to where they lay before it). stepsBack is clamped to
// 0..Position; records outside 1..80 are skipped.
Board BoardBefore(const Board& board, const MoveHistory& history, int32_t stepsBack);

// The solver call the check uses; tests inject a fake.
using SolveFunction = std::function<SolveResult(const Board&, int64_t, SolverStats*)>;

// One whole check as the worker runs it: verdicts from `known` first, then
// from `solve` with kSolvabilityNodeBudget per position until
// `walkBudget` nodes are spent. Every verdict found is stored in `known`.
SolvabilityAnswer RunSolvabilityCheck(const Board& board, const MoveHistory& history,
                                      VerdictCache& known, const SolveFunction& solve,
                                      int64_t walkBudget = kSolvabilityWalkNodeBudget);

// The penalty of a check, the hint's 10 s: the game time continues from
// Elapsed + 10,000 ms. Elapsed takes the penalty at once, so a penalty
// charged behind the pause screen survives the rebase of the resume.
void ChargeCheckPenalty(GameClock& clock);

// The same deal from its start: every applied move taken back, the history
// emptied, the clock at 0 (rebased, display refreshed at the next timer
// event), selection and outcome flags cleared, BoardChanged and Running set.
// For a loaded game the start is the loaded board with its recorded moves
// taken back. The caller then runs AnalyzeBoard and RenderBoard.
void RestartGame(Game& game);

} // namespace kelmar
