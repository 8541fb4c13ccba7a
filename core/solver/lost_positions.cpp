#include "core/solver/lost_positions.h"

#include <cstring>
#include <new>
#include <type_traits>

namespace kelmar::solver {

void LostPositions::begin() {
    // calloc gives the entries their life: all-zero bytes are an entry of
    // stamp 0, which no call matches.
    static_assert(std::is_trivially_copyable_v<Entry> && std::is_aggregate_v<Entry>);
    if (!entries_) {
        entries_.reset(static_cast<Entry*>(std::calloc(kSize, sizeof(Entry))));
        if (!entries_) {
            throw std::bad_alloc();
        }
        stamp_ = 0;
    }
    if (++stamp_ == 0) {
        std::memset(static_cast<void*>(entries_.get()), 0, kSize * sizeof(Entry));
        stamp_ = 1;
    }
    used_ = 0;
    limit_ = kSize / 4 * 3;
}

bool LostPositions::contains(const TileSet& key) const {
    const size_t mask = kSize - 1;
    for (size_t at = hashOf(key) & mask;; at = (at + 1) & mask) {
        const Entry& e = entries_[at];
        if (e.stamp != stamp_) {
            return false;
        }
        if (e.key == key) {
            return true;
        }
    }
}

void LostPositions::insert(const TileSet& key) {
    if (used_ >= limit_) {
        return;
    }
    const size_t mask = kSize - 1;
    size_t at = hashOf(key) & mask;
    while (entries_[at].stamp == stamp_) {
        at = (at + 1) & mask;
    }
    entries_[at] = Entry{key, stamp_};
    ++used_;
}

} // namespace kelmar::solver
