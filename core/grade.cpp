#include "core/grade.h"

#include "core/board_geometry.h"

#include <array>
#include <bit>
#include <memory>
#include <vector>

namespace kelmar {

namespace {

// xorshift64*: small, fast, and ours; the deal generator is never used here.
class PlayoutRandom {
public:
    explicit PlayoutRandom(uint64_t seed) : state_(seed != 0 ? seed : 0x9E3779B97F4A7C15ULL) {}
    // 0..n-1 for n >= 1.
    uint32_t below(uint32_t n) {
        state_ ^= state_ >> 12;
        state_ ^= state_ << 25;
        state_ ^= state_ >> 27;
        const uint64_t r = state_ * 0x2545F4914F6CDD1DULL;
        return static_cast<uint32_t>(((r >> 32) * n) >> 32);
    }

private:
    uint64_t state_;
};

// FNV-1a over slot, place and kind of every present tile.
uint64_t PositionHash(const Board& board, int32_t count) {
    uint64_t h = 0xCBF29CE484222325ULL;
    const auto mix = [&h](uint64_t v) {
        for (int i = 0; i < 8; ++i) {
            h ^= (v >> (8 * i)) & 0xFF;
            h *= 0x100000001B3ULL;
        }
    };
    for (int32_t s = 1; s <= count; ++s) {
        const TileSlot& t = board.Slots[static_cast<size_t>(s)];
        if (t.Present) {
            mix(static_cast<uint64_t>(s) << 48 |
                static_cast<uint64_t>(static_cast<uint16_t>(t.X)) << 32 |
                static_cast<uint64_t>(static_cast<uint16_t>(t.Y)) << 16 |
                static_cast<uint64_t>(t.Layer) << 8 | t.Kind);
        }
    }
    return h;
}

template <typename Fn> void ForEachSlot(const SlotMask& mask, Fn&& fn) {
    for (size_t w = 0; w < mask.words.size(); ++w) {
        uint64_t bits = mask.words[w];
        while (bits != 0) {
            fn(static_cast<int32_t>(w * 64 + static_cast<size_t>(std::countr_zero(bits))));
            bits &= bits - 1;
        }
    }
}

SlotMask Without(SlotMask a, const SlotMask& b) {
    for (size_t w = 0; w < a.words.size(); ++w) {
        a.words[w] &= ~b.words[w];
    }
    return a;
}

SlotMask Union(SlotMask a, const SlotMask& b) {
    for (size_t w = 0; w < a.words.size(); ++w) {
        a.words[w] |= b.words[w];
    }
    return a;
}

int Count(const SlotMask& mask) {
    int n = 0;
    for (uint64_t w : mask.words) {
        n += std::popcount(w);
    }
    return n;
}

void Clear(SlotMask& mask, int32_t slot) {
    mask.words[static_cast<size_t>(slot) >> 6] &= ~(uint64_t{1} << (slot & 63));
}

constexpr int kClassCount = kKindCount + 1; // class = Low[kind]; 0 = matches nothing

// Everything a playout needs that does not change between playouts.
struct PlayoutSetup {
    const BoardGeometry* g = nullptr;
    SlotMask start;                                   // present tiles
    std::array<uint8_t, kSlotCapacity> cls{};         // class of each slot
    std::array<SlotMask, kSlotCapacity> dependents{}; // j whose free test looks at s
    std::array<std::vector<int32_t>, kClassCount> members{};

    bool free(int32_t j, const SlotMask& present) const { return FreeAmong(*g, j, present); }
};

void Prepare(PlayoutSetup& p, const Board& board, const BoardGeometry& g, int32_t count) {
    p.g = &g;
    for (int32_t s = 1; s <= count; ++s) {
        const TileSlot& t = board.Slots[static_cast<size_t>(s)];
        if (!t.Present) {
            continue;
        }
        p.start.set(s);
        const uint8_t c = t.Kind <= kKindCount ? board.Low[t.Kind] : 0;
        p.cls[static_cast<size_t>(s)] = c;
        p.members[c].push_back(s);
    }
    for (int32_t j = 1; j <= count; ++j) {
        const auto ji = static_cast<size_t>(j);
        const SlotMask looks = Union(Union(g.Covers[ji], g.LeftInRow[ji]), g.RightInRow[ji]);
        ForEachSlot(looks, [&](int32_t s) { p.dependents[static_cast<size_t>(s)].set(j); });
    }
}

// Plays one game out; returns the tiles left.
int Playout(const PlayoutSetup& p, PlayoutRandom& random) {
    SlotMask present = p.start;
    SlotMask freeTiles;
    std::array<uint32_t, kClassCount> freeIn{};
    ForEachSlot(present, [&](int32_t s) {
        if (p.free(s, present)) {
            freeTiles.set(s);
            ++freeIn[p.cls[static_cast<size_t>(s)]];
        }
    });
    for (;;) {
        uint32_t pairs = 0;
        for (int c = 1; c < kClassCount; ++c) {
            pairs += freeIn[static_cast<size_t>(c)] * (freeIn[static_cast<size_t>(c)] - 1) / 2;
        }
        if (pairs == 0) {
            return Count(present);
        }
        // A pair uniform over all free matching pairs: its class by weight,
        // then two different free members of the class.
        uint32_t r = random.below(pairs);
        size_t c = 1;
        for (;; ++c) {
            const uint32_t inClass = freeIn[c] * (freeIn[c] - 1) / 2;
            if (r < inClass) {
                break;
            }
            r -= inClass;
        }
        const uint32_t m = freeIn[c];
        const uint32_t i = random.below(m);
        uint32_t j = random.below(m - 1);
        j += j >= i ? 1 : 0;
        int32_t a = 0;
        int32_t b = 0;
        uint32_t seen = 0;
        for (int32_t s : p.members[c]) {
            if (freeTiles.test(s)) {
                a = seen == i ? s : a;
                b = seen == j ? s : b;
                ++seen;
            }
        }
        Clear(present, a);
        Clear(present, b);
        Clear(freeTiles, a);
        Clear(freeTiles, b);
        freeIn[c] -= 2;
        // Taking tiles never blocks one, so only tiles not yet free can change.
        const SlotMask touched = Without(
            Union(p.dependents[static_cast<size_t>(a)], p.dependents[static_cast<size_t>(b)]),
            freeTiles);
        ForEachSlot(touched, [&](int32_t s) {
            if (present.test(s) && p.free(s, present)) {
                freeTiles.set(s);
                ++freeIn[p.cls[static_cast<size_t>(s)]];
            }
        });
    }
}

} // namespace

GradeMeasure MeasureGrade(const Board& board) {
    const int32_t count = ScanLimit(board);
    // About 50 KB each; kept off the stack of the worker threads.
    const auto geometry = std::make_unique<BoardGeometry>();
    BuildBoardGeometry(*geometry, board, LayoutCount(board));
    const auto setup = std::make_unique<PlayoutSetup>();
    Prepare(*setup, board, *geometry, count);
    const int tiles = Count(setup->start);
    if (tiles == 0) {
        return {kGradeScale, kGradePlayouts};
    }
    PlayoutRandom random(PositionHash(board, count));
    GradeMeasure measure;
    int64_t left = 0;
    for (int i = 0; i < kGradePlayouts; ++i) {
        const int l = Playout(*setup, random);
        left += l;
        measure.wins += l == 0 ? 1 : 0;
    }
    const int64_t all = int64_t{tiles} * kGradePlayouts;
    measure.cleared = static_cast<int>((all - left) * kGradeScale / all); // rounded down
    return measure;
}

Grade GradeOf(int cleared, GradeBands bands) {
    if (cleared <= bands.hardMax) {
        return Grade::Hard;
    }
    return cleared >= bands.easyMin ? Grade::Easy : Grade::Medium;
}

GradeBands BandsForLayout(std::string_view) {
    return kDifficultyBands;
}

Grade GradeFromCode(int32_t code) {
    return code >= 1 && code <= 3 ? static_cast<Grade>(code) : Grade::Any;
}

std::string_view GradeWord(Grade grade) {
    switch (grade) {
    case Grade::Easy:
        return "leicht";
    case Grade::Medium:
        return "mittel";
    case Grade::Hard:
        return "schwer";
    case Grade::Any:
        break;
    }
    return {};
}

} // namespace kelmar
