// Probing and propagation: the reasoning done at the start and between the
// late dives (each pairing of an open class tried on its own), the
// conflicts learned from stuck relaxed plays, and what a choice rules out
// through them.
#include "core/solver/search_state.h"

#include <bit>

namespace kelmar::solver {
namespace {

// In the late dives a trial of learn() that takes more than this many
// tiles keeps its class as if the play had cleared: a trial that ends
// stuck almost always does so within a few tiles, and a play that clears
// takes most of the stuck tiles, so this spares the long plays at the cost
// of a class now and then kept that could have been dropped (the conflict
// is then longer, never wrong).
constexpr int kTrialTiles = 16;

} // namespace

void Search::prepareChoices(const TileSet& r) {
    choiceTiles_.assign(p_.classes.size(), {-1, -1, -1, -1});
    conflicts_.reset(static_cast<int>(p_.classes.size()));
    choice_.assign(p_.classes.size(), -1);
    chosenAt_.assign(p_.classes.size(), 0);
    ruledOut_.assign(p_.classes.size(), 0);
    ruledOutWhy_.assign(3 * p_.classes.size(), TileSet{});
    learning_ = !p_.classes.empty();
    for (size_t c = 0; c < p_.classes.size(); ++c) {
        everything_.set(static_cast<int>(c));
    }
    for (size_t c = 0; c < p_.classes.size(); ++c) {
        const TileSet left = p_.classes[c] & r;
        const int size = left.count();
        learning_ = learning_ && (size == 2 || size == 4);
        if (size != 4) {
            continue;
        }
        int k = 0;
        forEachTile(left, [&](int i) { choiceTiles_[c][static_cast<size_t>(k++)] = i; });
    }
}

bool Search::prepareRoot(const TileSet& r) {
    if (!commitPairsOfTwo(r)) {
        return false;
    }
    const TileSet open = openTiles(r);
    bool dead = false;
    forEachTile(open, [&](int i) { dead = dead || candidates(i, open).empty(); });
    return !dead && !order_.conflict(r, mate_) && probeClasses(r);
}

bool Search::probeClasses(const TileSet& r) {
    for (bool again = true; again;) {
        again = false;
        playBase(r);
        for (const TileSet& c : p_.classes) {
            // A class of four is either open or fully committed.
            const TileSet left = c & r;
            const int a = lowestOf(left);
            if (left.count() != 4 || mate_[a] >= 0) {
                continue;
            }
            int survivor = -1;
            int survivors = 0;
            forEachTile(left, [&](int z) {
                if (z == a) {
                    return;
                }
                const size_t mark = trail_.size();
                if (commit(a, z, r) && resume(r, left, baseRounds_.data()).empty()) {
                    ++survivors;
                    survivor = z;
                }
                undoTo(mark);
            });
            if (survivors == 0) {
                return false;
            }
            if (survivors == 1) {
                commit(a, survivor, r);
                playBase(r);
                again = true;
            }
        }
    }
    return true;
}

bool Search::probeWithConflicts(const TileSet& r) {
    for (bool again = true; again;) {
        again = false;
        playBase(r);
        for (int c = 0; c < static_cast<int>(choiceTiles_.size()); ++c) {
            if (!openWhole(c, r)) {
                continue;
            }
            const std::array<int, 4>& tiles = choiceTiles_[static_cast<size_t>(c)];
            for (int v = 0; v < 3; ++v) {
                if (isRuledOut(c, v)) {
                    continue;
                }
                const size_t mark = trail_.size();
                TileSet why;
                const bool fails = !commit(tiles[0], tiles[static_cast<size_t>(v + 1)], r) ||
                                   propagate(c, r, why) ||
                                   !resume(r, changedTiles(c, mark), baseRounds_.data()).empty();
                undoTo(mark);
                if (fails) {
                    ruleOut(c, v, TileSet{});
                    again = true;
                }
            }
            TileSet why;
            if (std::popcount(ruledOutMask(c)) >= 2) {
                if (!pairTheLast(c, r, why)) {
                    return false;
                }
                playBase(r);
            }
        }
    }
    return playFrom(r).empty();
}

bool Search::propagate(int c0, const TileSet& r, TileSet& why) {
    pending_.clear();
    pending_.push_back(c0);
    for (size_t q = 0; q < pending_.size(); ++q) {
        units_.clear();
        if (conflicts_.refuted(pending_[q], choice_, why, &units_)) {
            return true;
        }
        for (const Conflicts::Unit& u : units_) {
            const int c = u.code / 3;
            const int v = u.code % 3;
            if (!openWhole(c, r) || isRuledOut(c, v)) {
                continue;
            }
            TileSet because = conflicts_.classesOf(u.id);
            because.reset(c);
            ruleOut(c, v, because);
            if (std::popcount(ruledOutMask(c)) < 2) {
                continue;
            }
            if (!pairTheLast(c, r, why)) {
                return true;
            }
            pending_.push_back(c);
        }
    }
    return false;
}

bool Search::refuted(int t, TileSet& why) {
    return !choice_.empty() && conflicts_.refuted(p_.classOf[t], choice_, why);
}

bool Search::ruledOutHere(int c, TileSet& why) const {
    if (c < 0 || !propagating_) {
        return false;
    }
    const int v = choice_[static_cast<size_t>(c)];
    if (v < 0 || !isRuledOut(c, v)) {
        return false;
    }
    why = ruledOutWhy_[static_cast<size_t>(3 * c + v)];
    why.set(c);
    return true;
}

void Search::resolve(TileSet& reason, size_t mark) const {
    for (auto it = implied_.rbegin(); it != implied_.rend() && it->at >= mark; ++it) {
        if (reason.has(it->cls)) {
            reason.reset(it->cls);
            reason = reason | it->why;
        }
    }
}

bool Search::openWhole(int c, const TileSet& r) const {
    const auto k = static_cast<size_t>(c);
    return choiceTiles_[k][0] >= 0 && choice_[k] < 0 && (p_.classes[k] & r).count() == 4;
}

void Search::ruleOut(int c, int v, const TileSet& why) {
    ruledOut_[static_cast<size_t>(c)] |= static_cast<uint8_t>(1U << v);
    ruledOutWhy_[static_cast<size_t>(3 * c + v)] = why;
    rulings_.push_back({3 * c + v, trail_.size()});
    ++stats_.ruledOut;
}

bool Search::pairTheLast(int c, const TileSet& r, TileSet& why) {
    const unsigned out = ruledOutMask(c);
    TileSet under;
    for (int k = 0; k < 3; ++k) {
        if (isRuledOut(c, k)) {
            under = under | ruledOutWhy_[static_cast<size_t>(3 * c + k)];
        }
    }
    if (out == 7) {
        why = under;
        return false;
    }
    implied_.push_back({c, trail_.size(), under});
    const std::array<int, 4>& tiles = choiceTiles_[static_cast<size_t>(c)];
    if (!commit(tiles[0], tiles[static_cast<size_t>(std::countr_one(out) + 1)], r)) {
        why = TileSet{};
        why.set(c);
        return false;
    }
    return true;
}

TileSet Search::learn(const TileSet& stuck, int changedClass) {
    if (!learning_) {
        return everything_;
    }
    TileSet chosen = chosenTouching(stuck);
    // The trials drop one class's pairing at a time from the node's
    // pairings (classes that do not touch the stuck tiles cannot change
    // the outcome either way). With fewer pairings kept the relaxed play
    // takes at least what it took before, so each trial starts from the
    // tiles still stuck. The class chosen last is never dropped: without
    // it the parent's relaxed play cleared.
    scratch_ = mate_;
    TileSet open = p_.all.without(committed_);
    TileSet rest = stuck;
    TileSet tried;
    TileSet dropped;
    if (changedClass >= 0) {
        tried.set(changedClass);
    }
    for (;;) {
        // In the late dives the class chosen last goes first, so that
        // the conflict keeps the pairings chosen early: it then sends
        // the search back further and refutes more.
        int drop = -1;
        forEachTile(chosen.without(tried), [&](int c) {
            if (drop < 0 || (propagating_ && chosenAt_[static_cast<size_t>(c)] >
                                                 chosenAt_[static_cast<size_t>(drop)])) {
                drop = c;
            }
        });
        if (drop < 0) {
            break;
        }
        tried.set(drop);
        const TileSet& tiles = p_.classes[static_cast<size_t>(drop)];
        forEachTile(tiles, [&](int i) { scratch_[i] = -1; });
        const TileSet left =
            propagating_
                ? stuckWithin(p_, rest, p_.all.without(rest), open | tiles, scratch_, kTrialTiles)
                : relaxedLeftover(p_, rest, p_.all.without(rest), open | tiles, scratch_);
        if (left.empty()) {
            forEachTile(tiles, [&](int i) { scratch_[i] = mate_[i]; });
            continue;
        }
        open = open | tiles;
        rest = left;
        dropped.set(drop);
        chosen = chosenTouching(left).without(dropped);
    }
    if (chosen.empty()) {
        rootLost_ = true;
    }
    record(chosen);
    return chosen;
}

void Search::record(const TileSet& classes) {
    TileSet kept = classes;
    // A class that propagate() paired because of classes all in the
    // conflict adds nothing: every win keeping those pairs it so.
    for (auto it = implied_.rbegin(); it != implied_.rend(); ++it) {
        if (kept.has(it->cls)) {
            TileSet others = kept;
            others.reset(it->cls);
            if (it->why.subsetOf(others)) {
                kept = others;
            }
        }
    }
    if (conflicts_.record(kept, choice_, chosenAt_)) {
        ++stats_.learned;
    }
}

TileSet Search::chosenTouching(const TileSet& stuck) const {
    TileSet out;
    if (choice_.empty()) {
        return out;
    }
    forEachTile(stuck, [&](int i) {
        const int c = p_.classOf[i];
        if (choiceOf(static_cast<size_t>(c)) >= 0) {
            out.set(c);
        }
    });
    return out;
}

void Search::updateChoice(int i) {
    if (choice_.empty()) {
        return;
    }
    const auto c = static_cast<size_t>(p_.classOf[i]);
    const std::array<int, 4>& q = choiceTiles_[c];
    int v = -1;
    if (q[0] >= 0 && mate_[q[0]] >= 0) {
        for (int k = 1; k < 4; ++k) {
            if (mate_[q[0]] == q[static_cast<size_t>(k)]) {
                v = k - 1;
            }
        }
    }
    choice_[c] = static_cast<int8_t>(v);
    chosenAt_[c] = trail_.size();
}

} // namespace kelmar::solver
