#include "tests/solver/reference_solver.h"

#include "core/board.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <unordered_set>

namespace kelmar::test {
namespace {

bool PairTakeable(const Board& board, int32_t a, int32_t b) {
    const uint8_t ka = board.Slots[a].Kind;
    const uint8_t kb = board.Slots[b].Kind;
    return KindsMatch(board, ka, kb) || KindsMatch(board, kb, ka);
}

struct Exhaustive {
    Board board;
    std::vector<int32_t> slots; // bit i of a mask stands for slots[i]
    std::unordered_set<uint64_t> lost;

    void apply(uint64_t mask) {
        for (size_t i = 0; i < slots.size(); ++i) {
            board.Slots[slots[i]].Present = ((mask >> i) & 1U) != 0;
        }
    }

    bool winnable(uint64_t mask) {
        if (mask == 0) {
            return true;
        }
        if (lost.contains(mask)) {
            return false;
        }
        apply(mask);
        std::vector<int> freeBits;
        for (size_t i = 0; i < slots.size(); ++i) {
            if (((mask >> i) & 1U) != 0 && ReferenceFree(board, slots[i])) {
                freeBits.push_back(static_cast<int>(i));
            }
        }
        for (size_t x = 0; x < freeBits.size(); ++x) {
            for (size_t y = x + 1; y < freeBits.size(); ++y) {
                const int i = freeBits[x];
                const int j = freeBits[y];
                if (PairTakeable(board, slots[i], slots[j]) &&
                    winnable(mask & ~(uint64_t{1} << i) & ~(uint64_t{1} << j))) {
                    return true;
                }
            }
        }
        lost.insert(mask);
        return false;
    }
};

} // namespace

bool ReferenceWinnable(const Board& board) {
    Exhaustive search{board, {}, {}};
    for (int32_t s = 1; s <= board.SlotCount; ++s) {
        if (board.Slots[s].Present) {
            search.slots.push_back(s);
        }
    }
    if (search.slots.size() > 63) {
        ADD_FAILURE() << "board too big for the exhaustive search";
        return false;
    }
    return search.winnable((uint64_t{1} << search.slots.size()) - 1);
}

bool ClearsBoard(Board board, const std::vector<SolverMove>& moves) {
    for (const SolverMove& m : moves) {
        const int32_t a = m.First;
        const int32_t b = m.Second;
        if (a == b || a < 1 || b < 1 || a > board.SlotCount || b > board.SlotCount ||
            !board.Slots[a].Present || !board.Slots[b].Present || !ReferenceFree(board, a) ||
            !ReferenceFree(board, b) || !PairTakeable(board, a, b)) {
            return false;
        }
        board.Slots[a].Present = false;
        board.Slots[b].Present = false;
    }
    for (int32_t s = 1; s <= board.SlotCount; ++s) {
        if (board.Slots[s].Present) {
            return false;
        }
    }
    return true;
}

} // namespace kelmar::test
