// The table of known positions: an open-addressing set of positions proven
// lost, keyed by a tile set (the remaining tiles plus a few bits for the
// committed pairings). One table per thread, reused across calls.
#pragma once

#include "core/solver/tile_set.h"

#include <vector>

namespace kelmar::solver {

// Open-addressing set of positions proven lost. Entries of an earlier call
// carry an older stamp and count as empty, so nothing is cleared per call.
class LostPositions {
public:
    void begin(int64_t budget);
    bool contains(const TileSet& key) const;
    // A full table stops learning; the search stays correct, only slower.
    void insert(const TileSet& key);

private:
    static constexpr int64_t kMinSize = 1 << 10;
    static constexpr int64_t kMaxSize = 1 << 19;
    struct Entry {
        TileSet key;
        uint32_t stamp = 0;
    };
    std::vector<Entry> entries_;
    uint32_t stamp_ = 0;
    size_t used_ = 0;
    size_t limit_ = 0;
};

} // namespace kelmar::solver
