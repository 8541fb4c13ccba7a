#include "core/solvability.h"

#include "core/board.h"
#include "core/history.h"

#include <algorithm>

namespace kelmar {

namespace {

bool RecordExists(int32_t index) {
    return index >= 1 && index <= kHistoryCapacity;
}

} // namespace

PositionKey PositionKey::Of(const Board& board) {
    PositionKey key;
    const int32_t last = std::clamp(board.SlotCount, 0, kSlotCapacity - 1);
    for (int32_t s = 1; s <= last; ++s) {
        const TileSlot& t = board.Slots[static_cast<std::size_t>(s)];
        if (!t.Present) {
            continue;
        }
        key.tiles_.push_back(static_cast<uint64_t>(s) << 48 |
                             static_cast<uint64_t>(static_cast<uint16_t>(t.X)) << 32 |
                             static_cast<uint64_t>(static_cast<uint16_t>(t.Y)) << 16 |
                             static_cast<uint64_t>(t.Layer) << 8 | t.Kind);
    }
    return key;
}

// --- VerdictCache ------------------------------------------------------------

VerdictCache::Entry* VerdictCache::entry(const PositionKey& key) {
    const auto found = std::find_if(entries_.begin(), entries_.end(),
                                    [&](const Entry& e) { return e.key == key; });
    return found == entries_.end() ? nullptr : &*found;
}

const VerdictCache::Entry* VerdictCache::entry(const PositionKey& key) const {
    return const_cast<VerdictCache*>(this)->entry(key);
}

std::optional<SolveResult> VerdictCache::find(const PositionKey& key) const {
    if (const Entry* e = entry(key)) {
        return e->result;
    }
    return std::nullopt;
}

void VerdictCache::store(const PositionKey& key, SolveResult result) {
    if (Entry* e = entry(key)) {
        e->result = result;
        return;
    }
    if (entries_.size() >= kCapacity) {
        entries_.erase(entries_.begin());
    }
    entries_.push_back({key, result, false});
}

void VerdictCache::merge(const VerdictCache& other) {
    for (const Entry& e : other.entries_) {
        store(e.key, e.result);
    }
}

bool VerdictCache::told(const PositionKey& key) const {
    const Entry* e = entry(key);
    return e != nullptr && e->told;
}

void VerdictCache::markTold(const PositionKey& key) {
    if (Entry* e = entry(key)) {
        e->told = true;
    }
}

void VerdictCache::forgetTold() {
    for (Entry& e : entries_) {
        e.told = false;
    }
}

// --- The walk back -----------------------------------------------------------

Board BoardBefore(const Board& board, const MoveHistory& history, int32_t stepsBack) {
    Board earlier = board;
    const int32_t steps = std::clamp(stepsBack, 0, std::max(history.Position, 0));
    for (int32_t i = 0; i < steps; ++i) {
        const int32_t index = history.Position - i;
        if (!RecordExists(index)) {
            continue;
        }
        TakeBackOn(earlier, history, history.Records[static_cast<std::size_t>(index)]);
    }
    return earlier;
}

SolvabilityWalk WalkBack(const Board& board, const MoveHistory& history,
                         const VerdictSource& verdict) {
    const std::optional<SolveResult> now = verdict(board);
    if (!now) {
        return {{Solvability::Undecided, 0}, false};
    }
    if (*now == SolveResult::Winnable) {
        return {{Solvability::Winnable, 0}, true};
    }
    if (*now == SolveResult::Undecided) {
        return {{Solvability::Undecided, 0}, true};
    }
    Board earlier = board;
    const int32_t position = std::clamp(history.Position, 0, kHistoryCapacity);
    for (int32_t back = 1; back <= position; ++back) {
        TakeBackOn(earlier, history,
                   history.Records[static_cast<std::size_t>(position - back + 1)]);
        const std::optional<SolveResult> then = verdict(earlier);
        if (!then) {
            return {{Solvability::LostUnknownBefore, 0}, false};
        }
        if (*then == SolveResult::Winnable) {
            return {{Solvability::LostSince, back}, true};
        }
        if (*then == SolveResult::Undecided) {
            return {{Solvability::LostUnknownBefore, 0}, true};
        }
    }
    return {{Solvability::LostFromStart, 0}, true};
}

SolvabilityAnswer RunSolvabilityCheck(const Board& board, const MoveHistory& history,
                                      VerdictCache& known, const SolveFunction& solve,
                                      int64_t walkBudget) {
    int64_t spent = 0;
    const VerdictSource source = [&](const Board& b) -> std::optional<SolveResult> {
        const PositionKey key = PositionKey::Of(b);
        if (const auto cached = known.find(key)) {
            return cached;
        }
        if (spent >= walkBudget) {
            return std::nullopt;
        }
        SolverStats stats;
        const SolveResult result = solve(b, kSolvabilityNodeBudget, &stats);
        spent += std::max<int64_t>(stats.nodes, 1);
        known.store(key, result);
        return result;
    };
    return WalkBack(board, history, source).answer;
}

void ChargeCheckPenalty(GameClock& clock) {
    clock.Elapsed += kHintPenaltyMs;
    RebaseClock(clock, clock.Elapsed);
}

// --- The same deal anew ------------------------------------------------------

void RestartGame(Game& game) {
    MoveHistory& history = game.history;
    game.board = BoardBefore(game.board, history, history.Position);
    history.Position = 0;
    history.Length = 0;
    history.LastStepDone = false;

    RebaseClock(game.clock, 0);
    game.clock.Elapsed = 0;
    game.clock.NextStatusTick = 0;

    PlayState& play = game.play;
    play.SelectionActive = false;
    play.NoMovesLeft = false;
    play.GameWon = false;
    play.BoardChanged = true;
    game.Running = true;
}

} // namespace kelmar
