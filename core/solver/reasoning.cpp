#include "core/solver/reasoning.h"

namespace kelmar::solver {

bool hopeless(const Problem& p, const TileSet& r) {
    bool dead = false;
    forEachTile(r, [&](int i) {
        dead = dead || (p.partners[i] & r).subsetOf(p.covers[i] | p.coveredBy[i]);
    });
    if (dead) {
        return true;
    }
    for (const TileSet& c : p.classes) {
        if ((c & r).count() % 2 != 0) {
            return true;
        }
    }
    return false;
}

TileSet freeIn(const Problem& p, const TileSet& r) {
    TileSet f;
    forEachTile(r, [&](int i) {
        if (!p.coveredBy[i].intersects(r) &&
            (!p.leftOf[i].intersects(r) || !p.rightOf[i].intersects(r))) {
            f.set(i);
        }
    });
    return f;
}

TileSet relaxedLeftover(const Problem& p, const TileSet& r0, const TileSet& goneBefore,
                        const std::array<int, kMaxTiles>& mate, int16_t* roundOf, int firstRound) {
    TileSet open;
    forEachTile(r0 | goneBefore, [&](int i) {
        if (mate[i] < 0) {
            open.set(i);
        }
    });
    return relaxedLeftover(p, r0, goneBefore, open, mate, roundOf, firstRound);
}

namespace {

// The relaxed play on tile sets whose words from W on are all zero (boards
// of at most 64 * W tiles): the same steps as on whole sets, with the
// empty words left out, which is most of the solver's time on full boards.
template <int W> struct Words {
    static bool meets(const TileSet& a, const TileSet& b) {
        uint64_t any = 0;
        for (int k = 0; k < W; ++k) {
            any |= a.w[k] & b.w[k];
        }
        return any != 0;
    }
    static bool free(const Problem& p, const TileSet& r, int i) {
        return !meets(p.coveredBy[i], r) && (!meets(p.leftOf[i], r) || !meets(p.rightOf[i], r));
    }
    template <class F> static void each(const TileSet& s, F&& f) {
        for (int k = 0; k < W; ++k) {
            for (uint64_t x = s.w[k]; x != 0; x &= x - 1) {
                f(k * 64 + std::countr_zero(x));
            }
        }
    }

    static TileSet leftover(const Problem& p, const TileSet& r0, const TileSet& goneBefore,
                            const TileSet& open, const std::array<int, kMaxTiles>& mate,
                            int16_t* roundOf, int firstRound, int most) {
        TileSet r = r0;
        TileSet f;
        each(r, [&](int i) {
            if (free(p, r, i)) {
                f.set(i);
            }
        });
        TileSet gone = goneBefore;
        for (auto round = static_cast<int16_t>(firstRound);; ++round) {
            TileSet usable;
            for (int k = 0; k < W; ++k) {
                usable.w[k] = (f.w[k] | gone.w[k]) & open.w[k];
            }
            TileSet take;
            bool any = false;
            each(f, [&](int i) {
                if (mate[i] >= 0 ? f.has(mate[i]) : meets(p.partners[i], usable)) {
                    take.set(i);
                    any = true;
                }
            });
            if (!any) {
                return r;
            }
            most -= take.count();
            if (most < 0) {
                return TileSet{};
            }
            if (roundOf != nullptr) {
                each(take, [&](int i) { roundOf[i] = round; });
            }
            TileSet touched;
            for (int k = 0; k < W; ++k) {
                r.w[k] &= ~take.w[k];
                gone.w[k] |= take.w[k];
                f.w[k] &= ~take.w[k];
            }
            // Only the neighbours of what went can have become free.
            each(take, [&](int i) {
                for (int k = 0; k < W; ++k) {
                    touched.w[k] |= p.affects[i].w[k];
                }
            });
            for (int k = 0; k < W; ++k) {
                touched.w[k] &= r.w[k] & ~f.w[k];
            }
            each(touched, [&](int i) {
                if (free(p, r, i)) {
                    f.set(i);
                }
            });
        }
    }
};

// Words<3> where the board allows it, else the whole sets.
TileSet Leftover(const Problem& p, const TileSet& r0, const TileSet& goneBefore,
                 const TileSet& open, const std::array<int, kMaxTiles>& mate, int16_t* roundOf,
                 int firstRound, int most) {
    if (p.n <= 3 * 64) {
        return Words<3>::leftover(p, r0, goneBefore, open, mate, roundOf, firstRound, most);
    }
    return Words<kWords>::leftover(p, r0, goneBefore, open, mate, roundOf, firstRound, most);
}

} // namespace

TileSet relaxedLeftover(const Problem& p, const TileSet& r0, const TileSet& goneBefore,
                        const TileSet& open, const std::array<int, kMaxTiles>& mate,
                        int16_t* roundOf, int firstRound) {
    return Leftover(p, r0, goneBefore, open, mate, roundOf, firstRound, kMaxTiles);
}

TileSet stuckWithin(const Problem& p, const TileSet& r, const TileSet& goneBefore,
                    const TileSet& open, const std::array<int, kMaxTiles>& mate, int most) {
    return Leftover(p, r, goneBefore, open, mate, nullptr, 0, most);
}

bool OrderCheck::conflict(const TileSet& r, const std::array<int, kMaxTiles>& mates, int rounds) {
    initMates(r, mates);
    forEachTile(r, [&](int i) {
        before_[i] = p_.coveredBy[i] & r;
        after_[i] = p_.covers[i] & r;
        expanded_[i] = TileSet{};
    });
    // Semi-naive closure: a tile re-reads only the sets of its
    // predecessors that are new to it or changed in the last round.
    TileSet changed = r;
    while (!changed.empty() && rounds-- > 0) {
        const TileSet dirty = changed;
        changed = TileSet{};
        // Upper layers first, so the covers close in one round.
        for (int i : p_.topDown) {
            if (!r.has(i)) {
                continue;
            }
            const TileSet grown = grow(i, r, dirty);
            if (grown.has(i) || (mate_[i] >= 0 && grown.has(mate_[i]))) {
                return true;
            }
            const TileSet added = grown.without(before_[i]);
            if (!added.empty()) {
                forEachTile(added, [&](int k) { after_[k].set(i); });
                before_[i] = grown;
                changed.set(i);
            }
        }
        if (!settleMates(r, changed)) {
            return true;
        }
    }
    return false;
}

void OrderCheck::initMates(const TileSet& r, const std::array<int, kMaxTiles>& mates) {
    forEachTile(r, [&](int i) { mate_[i] = mates[i]; });
    for (const TileSet& c : p_.classes) {
        const TileSet left = c & r;
        if (left.count() == 2) {
            int first = -1;
            forEachTile(left, [&](int i) {
                if (first < 0) {
                    first = i;
                } else {
                    mate_[first] = i;
                    mate_[i] = first;
                }
            });
        }
    }
}

bool OrderCheck::staysWhileAlive(const TileSet& s, int i) const {
    return s.intersects(after_[i]) || (mate_[i] >= 0 && s.has(mate_[i]));
}

TileSet OrderCheck::grow(int i, const TileSet& r, const TileSet& dirty) {
    TileSet g = before_[i];
    if (mate_[i] >= 0) {
        g = g | before_[mate_[i]];
    }
    const TileSet toRead = before_[i].without(expanded_[i]) | (before_[i] & dirty);
    expanded_[i] = before_[i];
    forEachTile(toRead, [&](int j) {
        g = g | before_[j];
        if (mate_[j] >= 0) {
            g.set(mate_[j]);
        }
    });
    const TileSet left = p_.leftOf[i] & r;
    const TileSet right = p_.rightOf[i] & r;
    if (!left.empty() && !right.empty()) {
        if (staysWhileAlive(left, i)) {
            g = g | right;
        }
        if (staysWhileAlive(right, i)) {
            g = g | left;
        }
    }
    return g;
}

bool OrderCheck::settleMates(const TileSet& r, TileSet& changed) {
    bool ok = true;
    forEachTile(r, [&](int i) {
        if (!ok || mate_[i] >= 0) {
            return;
        }
        int only = -1;
        int count = 0;
        forEachTile((p_.partners[i] & r).without(before_[i]), [&](int z) {
            if (mate_[z] < 0 && !before_[z].has(i)) {
                only = z;
                ++count;
            }
        });
        if (count == 0) {
            ok = false;
        } else if (count == 1) {
            mate_[i] = only;
            mate_[only] = i;
            changed.set(i);
            changed.set(only);
            pairLastTwo(i, r, changed);
        }
    });
    return ok;
}

void OrderCheck::pairLastTwo(int i, const TileSet& r, TileSet& changed) {
    if (p_.classes.empty()) {
        return;
    }
    int open[2] = {-1, -1};
    int count = 0;
    forEachTile(p_.classes[p_.classOf[i]] & r, [&](int z) {
        if (mate_[z] < 0 && count++ < 2) {
            open[count - 1] = z;
        }
    });
    if (count == 2) {
        mate_[open[0]] = open[1];
        mate_[open[1]] = open[0];
        changed.set(open[0]);
        changed.set(open[1]);
    }
}

} // namespace kelmar::solver
