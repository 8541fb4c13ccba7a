// The table of known positions: an open-addressing set of positions proven
// lost, keyed by a tile set (the remaining tiles plus a few bits for the
// committed pairings). One table per thread, reused across calls.
#pragma once

#include "core/solver/tile_set.h"

#include <cstdlib>
#include <memory>

namespace kelmar::solver {

// Open-addressing set of positions proven lost. Entries of an earlier call
// carry an older stamp and count as empty, so nothing is cleared per call.
class LostPositions {
public:
    // Starts a call: the table forgets the positions of earlier calls. Its
    // size does not depend on the call, so the search of a position runs
    // the same whatever budget it is given.
    void begin();
    bool contains(const TileSet& key) const;
    // A full table stops learning; the search stays correct, only slower.
    void insert(const TileSet& key);

private:
    static constexpr size_t kSize = size_t{1} << 17; // entries (40 bytes each)
    struct Entry {
        TileSet key;
        uint32_t stamp = 0;
    };
    struct Free {
        void operator()(Entry* p) const { std::free(p); }
    };
    // Zeroed by calloc, so pages the search never reaches stay unmapped: a
    // deal check of a few thousand nodes touches a few of the table's 5 MB.
    std::unique_ptr<Entry[], Free> entries_;
    uint32_t stamp_ = 0;
    size_t used_ = 0;
    size_t limit_ = 0;
};

} // namespace kelmar::solver
