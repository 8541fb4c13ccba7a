// A set of slot numbers 0..255 as 256 bits: bit s of word s / 64 stands for
// slot s. Used for the per-deal neighbour sets of the free test and the
// constructed deal, so a test over all neighbours is four word operations.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace kelmar {

struct SlotMask {
    std::array<uint64_t, 4> words{};

    // Slots outside 0..255 are ignored.
    constexpr void set(int32_t slot) {
        if (slot >= 0 && slot < 256) {
            words[static_cast<std::size_t>(slot) >> 6] |= uint64_t{1} << (slot & 63);
        }
    }
    constexpr void reset(int32_t slot) {
        if (slot >= 0 && slot < 256) {
            words[static_cast<std::size_t>(slot) >> 6] &= ~(uint64_t{1} << (slot & 63));
        }
    }
    constexpr bool test(int32_t slot) const {
        return slot >= 0 && slot < 256 &&
               ((words[static_cast<std::size_t>(slot) >> 6] >> (slot & 63)) & 1U) != 0;
    }
    constexpr bool any() const { return (words[0] | words[1] | words[2] | words[3]) != 0; }
    // True when the two sets share a slot.
    constexpr bool intersects(const SlotMask& other) const {
        return ((words[0] & other.words[0]) | (words[1] & other.words[1]) |
                (words[2] & other.words[2]) | (words[3] & other.words[3])) != 0;
    }
    // True when every slot of this set is also in `other`.
    constexpr bool subsetOf(const SlotMask& other) const {
        return ((words[0] & ~other.words[0]) | (words[1] & ~other.words[1]) |
                (words[2] & ~other.words[2]) | (words[3] & ~other.words[3])) == 0;
    }
    friend constexpr bool operator==(const SlotMask&, const SlotMask&) = default;
};

} // namespace kelmar
