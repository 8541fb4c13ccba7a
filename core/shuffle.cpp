#include "core/shuffle.h"

#include "core/board.h"
#include "core/board_geometry.h"
#include "core/deal.h"
#include "core/history.h"
#include "core/rules.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace kelmar {

namespace {

std::size_t At(int32_t slot) {
    return static_cast<std::size_t>(slot);
}

std::vector<int32_t> PresentSlots(const Board& board) {
    std::vector<int32_t> slots;
    const int32_t limit = ScanLimit(board);
    for (int32_t s = 1; s <= limit; ++s) {
        if (board.Slots[At(s)].Present) {
            slots.push_back(s);
        }
    }
    return slots;
}

// The construction's free tests ask the game's own free rule (FreeAmong on
// the neighbour sets of the board's positions), so the arrangement obeys
// whatever that rule is.
class Construction {
public:
    Construction(const Board& board, uint32_t seed) : scratch_(std::make_unique<Game>()) {
        scratch_->board = board;
        scratch_->Seed = seed;
        PrepareBoardGeometry(*scratch_);
    }

    // One draw: deals `pool` backwards onto `slots`, pair by pair. On
    // success `kinds` holds the kind of every slot of `slots`.
    bool draw(const std::vector<int32_t>& slots, std::vector<uint8_t> pool,
              std::array<uint8_t, kSlotCapacity>& kinds) {
        filled_ = SlotMask{};
        std::vector<int32_t> open = slots;
        while (!open.empty()) {
            int32_t first = 0;
            int32_t second = 0;
            if (!placePair(open, first, second)) {
                return false;
            }
            const std::size_t i = below(pool.size());
            const uint8_t k1 = pool[i];
            pool.erase(pool.begin() + static_cast<std::ptrdiff_t>(i));
            std::vector<std::size_t> partners;
            for (std::size_t j = 0; j < pool.size(); ++j) {
                if (KindsMatch(scratch_->board, pool[j], k1)) {
                    partners.push_back(j);
                }
            }
            if (partners.empty()) {
                return false; // a class of odd size: no arrangement can be won
            }
            const std::size_t j = partners[below(partners.size())];
            kinds[At(first)] = k1;
            kinds[At(second)] = pool[j];
            pool.erase(pool.begin() + static_cast<std::ptrdiff_t>(j));
        }
        return true;
    }

private:
    std::size_t below(std::size_t n) { return RandomBelow(*scratch_, static_cast<uint32_t>(n)); }

    // Whether slot s is free with the filled slots and `extra` on the board.
    bool freeWith(int32_t s, const SlotMask& extra) const {
        SlotMask present = filled_;
        for (std::size_t w = 0; w < present.words.size(); ++w) {
            present.words[w] |= extra.words[w];
        }
        present.set(s);
        return FreeAmong(scratch_->geometry, s, present);
    }

    // Fills two open slots that are free together on the filled ones and
    // leave every other open slot free by itself. Adding tiles never frees
    // a tile, so an open slot that is not free by itself can never be
    // filled: a pair that would make one so is passed over. The first slot
    // is drawn among the open ones, the second among its partners; a first
    // slot without a partner is set aside.
    bool placePair(std::vector<int32_t>& open, int32_t& first, int32_t& second) {
        std::vector<int32_t> firsts = open;
        while (!firsts.empty()) {
            const std::size_t i = below(firsts.size());
            const int32_t p = firsts[i];
            firsts.erase(firsts.begin() + static_cast<std::ptrdiff_t>(i));
            std::vector<int32_t> partners;
            for (const int32_t q : open) {
                if (q != p && keepsEveryOpenSlot(open, p, q)) {
                    partners.push_back(q);
                }
            }
            if (!partners.empty()) {
                first = p;
                second = partners[below(partners.size())];
                filled_.set(first);
                filled_.set(second);
                std::erase(open, first);
                std::erase(open, second);
                return true;
            }
        }
        return false;
    }

    bool keepsEveryOpenSlot(const std::vector<int32_t>& open, int32_t p, int32_t q) const {
        SlotMask pair;
        pair.set(p);
        pair.set(q);
        if (!freeWith(p, pair) || !freeWith(q, pair)) {
            return false;
        }
        return std::all_of(open.begin(), open.end(),
                           [&](int32_t s) { return s == p || s == q || freeWith(s, pair); });
    }

    std::unique_ptr<Game> scratch_;
    SlotMask filled_;
};

// The shuffle that gives `board` the kinds `kinds` on `slots`: a tile
// whose kind stays on its slot stays; the others come from the lowest
// slot of their kind not yet used.
ShuffleRecord RecordOf(const Board& board, const std::vector<int32_t>& slots,
                       const std::array<uint8_t, kSlotCapacity>& kinds) {
    ShuffleRecord record;
    std::array<bool, kSlotCapacity> used{};
    for (const int32_t s : slots) {
        if (kinds[At(s)] == board.Slots[At(s)].Kind) {
            record.From[At(s)] = static_cast<uint8_t>(s);
            used[At(s)] = true;
        }
    }
    for (const int32_t s : slots) {
        if (record.From[At(s)] != 0) {
            continue;
        }
        for (const int32_t t : slots) {
            if (!used[At(t)] && board.Slots[At(t)].Kind == kinds[At(s)]) {
                record.From[At(s)] = static_cast<uint8_t>(t);
                used[At(t)] = true;
                break;
            }
        }
    }
    return record;
}

} // namespace

void MoveTilesBy(Board& board, const ShuffleRecord& shuffle) {
    std::array<uint8_t, kSlotCapacity> kinds{};
    for (std::size_t s = 0; s < kinds.size(); ++s) {
        kinds[s] = board.Slots[s].Kind;
    }
    for (std::size_t s = 1; s < kinds.size(); ++s) {
        if (shuffle.From[s] != 0) {
            board.Slots[s].Kind = kinds[shuffle.From[s]];
        }
    }
}

void MoveTilesBack(Board& board, const ShuffleRecord& shuffle) {
    std::array<uint8_t, kSlotCapacity> kinds{};
    for (std::size_t s = 0; s < kinds.size(); ++s) {
        kinds[s] = board.Slots[s].Kind;
    }
    for (std::size_t s = 1; s < kinds.size(); ++s) {
        if (shuffle.From[s] != 0) {
            board.Slots[shuffle.From[s]].Kind = kinds[s];
        }
    }
}

bool ShuffleFits(const Board& board, const ShuffleRecord& shuffle) {
    const int32_t limit = ScanLimit(board);
    std::array<bool, kSlotCapacity> source{};
    for (int32_t s = 1; s < kSlotCapacity; ++s) {
        const int32_t from = shuffle.From[At(s)];
        const bool present = s <= limit && board.Slots[At(s)].Present;
        if (present != (from != 0)) {
            return false;
        }
        if (from == 0) {
            continue;
        }
        if (from > limit || !board.Slots[At(from)].Present || source[At(from)]) {
            return false;
        }
        source[At(from)] = true;
    }
    return shuffle.From[0] == 0;
}

std::optional<ShuffleRecord> FindShuffle(const Board& board, uint32_t seed, ShuffleReport* report,
                                         const SolveStop& stop) {
    ShuffleReport local;
    ShuffleReport& r = report != nullptr ? *report : local;
    r = ShuffleReport{};
    const std::vector<int32_t> slots = PresentSlots(board);
    if (slots.empty() || slots.size() % 2 != 0) {
        return std::nullopt;
    }
    std::vector<uint8_t> pool;
    for (const int32_t s : slots) {
        pool.push_back(board.Slots[At(s)].Kind);
    }
    Construction construction(board, seed);
    std::array<uint8_t, kSlotCapacity> kinds{};
    while (r.draws < kShuffleDrawLimit) {
        ++r.draws;
        if (!construction.draw(slots, pool, kinds)) {
            continue;
        }
        ++r.built;
        Board drawn = board;
        for (const int32_t s : slots) {
            drawn.Slots[At(s)].Kind = kinds[At(s)];
        }
        SolverStats stats;
        const SolveResult result =
            SolvePosition(drawn, kShuffleDrawNodeBudget, &stats, nullptr, stop);
        r.nodes += stats.nodes;
        if (result == SolveResult::Winnable) {
            return RecordOf(board, slots, kinds);
        }
        if (stop && stop()) {
            r.stopped = true;
            return std::nullopt;
        }
    }
    return std::nullopt;
}

bool ShuffleHasRoom(const Game& game) {
    const MoveHistory& h = game.history;
    const auto tiles = static_cast<int32_t>(PresentSlots(game.board).size());
    return tiles > 0 && h.Position >= 0 && h.Position + 1 + tiles / 2 <= kHistoryCapacity &&
           ShuffleCount(h, h.Position) < kShuffleCapacity;
}

bool ShuffleGame(Game& game, const ShuffleRecord& shuffle) {
    if (game.play.GameWon || !ShuffleHasRoom(game) || !ShuffleFits(game.board, shuffle)) {
        return false;
    }
    // 32-bit wrap like every clock sum.
    const auto time = static_cast<int32_t>(static_cast<uint32_t>(game.clock.Elapsed) +
                                           static_cast<uint32_t>(kShufflePenaltyMs));
    AppendShuffle(game, time, shuffle);
    MoveTilesBy(game.board, shuffle);
    RebaseClock(game.clock, time);
    game.clock.Elapsed = time;
    game.Aids.Shuffled = true;
    ShowMovedBoard(game);
    return true;
}

} // namespace kelmar
