// The tile sets every part of the solver works with: a present-tile set by
// compact tile index 0..254 (not by slot number), as four 64-bit words, and
// the hash of such a set for the table of lost positions. Header only; no
// state.
#pragma once

#include "core/game.h"

#include <array>
#include <bit>
#include <cstdint>

namespace kelmar::solver {

constexpr int kMaxTiles = kSlotCapacity - 1; // slots 1..255
constexpr int kWords = (kMaxTiles + 63) / 64;

// A set of tiles by compact index 0..254: bit i % 64 of word i / 64.
struct TileSet {
    std::array<uint64_t, kWords> w{};

    void set(int i) { w[i >> 6] |= uint64_t{1} << (i & 63); }
    void reset(int i) { w[i >> 6] &= ~(uint64_t{1} << (i & 63)); }
    bool has(int i) const { return (w[i >> 6] >> (i & 63)) & 1; }
    bool empty() const {
        uint64_t any = 0;
        for (uint64_t x : w) {
            any |= x;
        }
        return any == 0;
    }
    bool intersects(const TileSet& o) const {
        uint64_t any = 0;
        for (int k = 0; k < kWords; ++k) {
            any |= w[k] & o.w[k];
        }
        return any != 0;
    }
    bool subsetOf(const TileSet& o) const {
        uint64_t outside = 0;
        for (int k = 0; k < kWords; ++k) {
            outside |= w[k] & ~o.w[k];
        }
        return outside == 0;
    }
    int count() const {
        int c = 0;
        for (uint64_t x : w) {
            // Portable bit count: without a popcount instruction in the
            // target flags std::popcount becomes a library call.
            x = x - ((x >> 1) & 0x5555555555555555ull);
            x = (x & 0x3333333333333333ull) + ((x >> 2) & 0x3333333333333333ull);
            x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Full;
            c += static_cast<int>((x * 0x0101010101010101ull) >> 56);
        }
        return c;
    }
    TileSet operator&(const TileSet& o) const {
        TileSet r;
        for (int k = 0; k < kWords; ++k) {
            r.w[k] = w[k] & o.w[k];
        }
        return r;
    }
    TileSet operator|(const TileSet& o) const {
        TileSet r;
        for (int k = 0; k < kWords; ++k) {
            r.w[k] = w[k] | o.w[k];
        }
        return r;
    }
    TileSet without(const TileSet& o) const {
        TileSet r;
        for (int k = 0; k < kWords; ++k) {
            r.w[k] = w[k] & ~o.w[k];
        }
        return r;
    }
    friend bool operator==(const TileSet&, const TileSet&) = default;
};

// Calls f(i) for every member, in ascending order.
template <class F> void forEachTile(const TileSet& s, F&& f) {
    for (int k = 0; k < kWords; ++k) {
        for (uint64_t x = s.w[k]; x != 0; x &= x - 1) {
            f(k * 64 + std::countr_zero(x));
        }
    }
}

inline uint64_t hashOf(const TileSet& s) {
    uint64_t h = 0x9E3779B97F4A7C15ull;
    for (uint64_t x : s.w) {
        h = (h ^ x) * 0xBF58476D1CE4E5B9ull;
        h ^= h >> 31;
    }
    return h;
}

} // namespace kelmar::solver
