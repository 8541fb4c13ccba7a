#include "core/solver/conflicts.h"

namespace kelmar::solver {
namespace {

bool Holds(uint16_t code, const std::vector<int8_t>& choice) {
    return choice[code / 3U] == static_cast<int8_t>(code % 3U);
}

// True when the class of `code` has another pairing than the code's.
bool Contradicted(uint16_t code, const std::vector<int8_t>& choice) {
    const int8_t v = choice[code / 3U];
    return v >= 0 && v != static_cast<int8_t>(code % 3U);
}

} // namespace

void Conflicts::reset(int classes) {
    data_.clear();
    watched_.clear();
    watch_.assign(3 * static_cast<size_t>(classes), {});
    activity_.assign(static_cast<size_t>(classes), 0.0);
    bump_ = 1.0;
    passOver_ = false;
}

bool Conflicts::record(const TileSet& classes, const std::vector<int8_t>& choice,
                       const std::vector<size_t>& chosenAt) {
    const int size = classes.count();
    if (size == 0 || size > kLongest) {
        return false;
    }
    const auto id = static_cast<uint32_t>(watched_.size());
    const auto start = static_cast<uint32_t>(data_.size());
    // Watch the two pairings chosen last: backtracking frees them first.
    std::array<uint32_t, 2> watched{start, start};
    std::array<size_t, 2> when{0, 0};
    forEachTile(classes, [&](int c) {
        const auto at = static_cast<uint32_t>(data_.size());
        data_.push_back(static_cast<uint16_t>(3 * c + choice[static_cast<size_t>(c)]));
        const size_t t = chosenAt[static_cast<size_t>(c)];
        if (t >= when[0]) {
            watched[1] = watched[0];
            when[1] = when[0];
            watched[0] = at;
            when[0] = t;
        } else if (t >= when[1]) {
            watched[1] = at;
            when[1] = t;
        }
    });
    data_.push_back(kEnd);
    bump(classes);
    bump_ *= 1.5;
    if (bump_ > 1e100) {
        for (double& a : activity_) {
            a *= 1e-100;
        }
        bump_ *= 1e-100;
    }
    if (size == 1) {
        watched[1] = kNone;
    }
    watched_.push_back({start, watched});
    if (size == 1) {
        watch_[data_[watched[0]]].push_back({id, kEnd});
    } else {
        watch_[data_[watched[0]]].push_back({id, data_[watched[1]]});
        watch_[data_[watched[1]]].push_back({id, data_[watched[0]]});
    }
    return true;
}

void Conflicts::bump(const TileSet& classes) {
    forEachTile(classes, [&](int c) { activity_[static_cast<size_t>(c)] += bump_; });
}

TileSet Conflicts::classesOf(uint32_t id) const {
    TileSet out;
    for (uint32_t at = watched_[id].start; data_[at] != kEnd; ++at) {
        out.set(data_[at] / 3);
    }
    return out;
}

bool Conflicts::refuted(int c, const std::vector<int8_t>& choice, TileSet& why,
                        std::vector<Unit>* units) {
    const int v = choice[static_cast<size_t>(c)];
    if (v < 0) {
        return false;
    }
    const auto code = static_cast<uint16_t>(3 * c + v);
    std::vector<Watcher>& list = watch_[code];
    for (size_t k = 0; k < list.size();) {
        const Watcher seen = list[k];
        if (passOver_ && seen.blocker != kEnd && Contradicted(seen.blocker, choice)) {
            ++k;
            continue;
        }
        Watched& w = watched_[seen.id];
        const int mine = data_[w.at[0]] == code ? 0 : 1;
        const uint32_t other = w.at[static_cast<size_t>(1 - mine)];
        uint32_t free = kNone;
        for (uint32_t at = w.start; data_[at] != kEnd; ++at) {
            if (at != other && !Holds(data_[at], choice)) {
                free = at;
                break;
            }
        }
        if (free != kNone) {
            w.at[static_cast<size_t>(mine)] = free;
            watch_[data_[free]].push_back({seen.id, other == kNone ? kEnd : data_[other]});
            list[k] = list.back();
            list.pop_back();
            continue;
        }
        if (other == kNone || Holds(data_[other], choice)) {
            why = classesOf(seen.id);
            return true;
        }
        if (units != nullptr && choice[data_[other] / 3U] < 0) {
            units->push_back({data_[other], seen.id});
        }
        ++k;
    }
    return false;
}

} // namespace kelmar::solver
