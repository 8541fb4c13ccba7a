// The relaxed-play cache: every node plays the relaxed game (reasoning.h)
// under its pairings, resumed from the rounds of its parent's play, which
// hold until that play took a tile whose pairing changed.
#include "core/solver/search_state.h"

#include <algorithm>

namespace kelmar::solver {

TileSet Search::relaxHere(const TileSet& r, int depth, int changedClass, size_t changedSince) {
    int16_t* rounds = rounds_[static_cast<size_t>(depth)].data();
    if (!learning_ || depth == 0 || changedClass < 0) {
        return playFrom(r, rounds);
    }
    return resume(r, changedTiles(changedClass, changedSince),
                  rounds_[static_cast<size_t>(depth - 1)].data(), rounds);
}

void Search::playBase(const TileSet& r) {
    forEachTile(r, [&](int i) { baseRounds_[i] = kNever; });
    playFrom(r, baseRounds_.data());
}

TileSet Search::playFrom(const TileSet& start, int16_t* rounds, int first) const {
    return relaxedLeftover(p_, start, p_.all.without(start), p_.all.without(committed_), mate_,
                           rounds, first);
}

TileSet Search::resume(const TileSet& r, const TileSet& changed, const int16_t* before,
                       int16_t* rounds) const {
    int k = kNever;
    forEachTile(changed & r, [&](int q) { k = std::min<int>(k, before[q]); });
    TileSet start = r;
    forEachTile(r, [&](int i) {
        if (before[i] < k) {
            start.reset(i);
            if (rounds != nullptr) {
                rounds[i] = before[i];
            }
        }
    });
    return playFrom(start, rounds, k);
}

TileSet Search::changedTiles(int c, size_t mark) const {
    TileSet changed = p_.classes[static_cast<size_t>(c)];
    for (auto it = implied_.rbegin(); it != implied_.rend() && it->at >= mark; ++it) {
        changed = changed | p_.classes[static_cast<size_t>(it->cls)];
    }
    return changed;
}

} // namespace kelmar::solver
