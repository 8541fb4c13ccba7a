#include "core/solver/lost_positions.h"

#include <algorithm>

namespace kelmar::solver {

void LostPositions::begin() {
    if (entries_.size() != kSize) {
        entries_.assign(kSize, Entry{});
        stamp_ = 0;
    }
    if (++stamp_ == 0) {
        std::fill(entries_.begin(), entries_.end(), Entry{});
        stamp_ = 1;
    }
    used_ = 0;
    limit_ = entries_.size() / 4 * 3;
}

bool LostPositions::contains(const TileSet& key) const {
    const size_t mask = entries_.size() - 1;
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
    const size_t mask = entries_.size() - 1;
    size_t at = hashOf(key) & mask;
    while (entries_[at].stamp == stamp_) {
        at = (at + 1) & mask;
    }
    entries_[at] = Entry{key, stamp_};
    ++used_;
}

} // namespace kelmar::solver
