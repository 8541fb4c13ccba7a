// The dive driver: restarts with dives of growing length, and the node of
// one dive, which takes the forced pairs, asks the table, the reasoning and
// the relaxed play whether the position is lost, then branches over the
// partners of one tile. The pairings it commits and takes back live here
// too. Probing and propagation are search_propagation.cpp, the relaxed
// plays search_relaxed.cpp.
#include "core/solver/search.h"

#include "core/solver/search_state.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <utility>

namespace kelmar::solver {
namespace {

// Nodes; a dive lasts a unit times a term of luby(). The dives that start
// within kDealCheckNodeBudget nodes read every conflict and learn as the
// search always did there, so a deal check gives the same verdicts and
// NewGame the same deals for the same seeds. The positions that take
// longer (on layouts of long rows, thousands of nodes) go on in the late
// dives (LatePace in search.h), which put the learned conflicts to work.
constexpr int64_t kDiveUnit = 512;

// Luby's sequence 1 1 2 1 1 2 4 1 1 2 1 1 2 4 8 ..., for i >= 1: many
// short dives, now and then a longer one, with no bound on the length.
int64_t luby(uint64_t i) {
    for (;;) {
        int k = 1;
        while (i > (uint64_t{1} << k) - 1) {
            ++k;
        }
        if (i == (uint64_t{1} << k) - 1) {
            return int64_t{1} << (k - 1);
        }
        i -= (uint64_t{1} << (k - 1)) - 1;
    }
}

thread_local LostPositions tLost;

} // namespace

Outcome Search::run(TileSet r, int depth, int changedClass, size_t changedSince) {
    const size_t pathMark = path_.size();
    const TileSet f = takeForcedPairs(r);
    if (r.empty()) {
        return Outcome::Won;
    }
    const auto lost = [&](const TileSet& because) {
        reason_ = learning_ ? because : everything_;
        path_.resize(pathMark);
        return Outcome::Lost;
    };
    if (rootLost_) {
        return lost(TileSet{});
    }
    if (stats_.nodes >= budget_ || stopped()) {
        return Outcome::OutOfBudget;
    }
    ++stats_.nodes;
    // The late dives leave the table alone: their positions carry so many
    // pairings that none was ever seen twice in the censuses.
    TileSet key;
    const bool keyed = !propagating_ && makeKey(r, key);
    if (keyed && lost_.contains(key)) {
        ++stats_.ttHits;
        return lost(chosenTouching(r));
    }
    if (lostByReasoning(r)) {
        return lost(chosenTouching(r));
    }
    const TileSet stuck = relaxHere(r, depth, changedClass, changedSince);
    if (!stuck.empty()) {
        return lost(learn(stuck, changedClass));
    }
    const int t = chooseTile(r, f);
    if (t < 0) {
        return lost(chosenTouching(r));
    }
    const int tClass = p_.classes.empty() ? -1 : p_.classOf[t];
    TileSet because;
    std::vector<int>& options = options_[depth];
    listOptions(t, r, f, options);
    if (options.empty()) {
        return lost(chosenTouching(r));
    }
    for (int z : options) {
        const size_t trailMark = trail_.size();
        TileSet childReason;
        const bool searched = !refutedAtOnce(t, z, r, childReason);
        if (searched) {
            const Outcome o = run(r, depth + 1, tClass, trailMark);
            if (o != Outcome::Lost) {
                return o;
            }
            childReason = reason_;
        }
        resolve(childReason, trailMark);
        if (propagating_ && !searched) {
            // A choice refuted at once: the classes it clashed with
            // count as taking part in a conflict, as a learned one's do.
            conflicts_.bump(childReason);
        }
        undoTo(trailMark);
        if (!learning_ || tClass < 0) {
            continue;
        }
        if (!childReason.has(tClass)) {
            because = childReason; // lost whatever t is paired with
            ++stats_.backjumps;
            break;
        }
        childReason.reset(tClass);
        because = because | childReason;
    }
    if (keyed) {
        lost_.insert(key);
    }
    if (learning_ && tClass >= 0) {
        record(because);
    }
    return lost(because);
}

bool Search::refutedAtOnce(int t, int z, const TileSet& r, TileSet& why) {
    const int tClass = p_.classes.empty() ? -1 : p_.classOf[t];
    if (!commit(t, z, r)) {
        why.set(tClass);
        return true;
    }
    if (ruledOutHere(tClass, why)) {
        return true;
    }
    return propagating_ ? propagate(tClass, r, why) : refuted(t, why);
}

bool Search::stopped() {
    if (!stopped_ && stop_ && stats_.nodes % kStopCheckNodes == 0) {
        stopped_ = stop_();
    }
    return stopped_;
}

void Search::restart(size_t trailMark, uint64_t variation) {
    undoTo(trailMark);
    path_.clear();
    noise_ = 1 + static_cast<int>(variation);
    rng_ = 0x2545F4914F6CDD1Dull * (variation + 1);
}

TileSet Search::takeForcedPairs(TileSet& r) {
    for (;;) {
        const TileSet f = freeIn(p_, r);
        bool took = false;
        forEachTile(f, [&](int i) {
            const int j = mate_[i];
            if (j > i && f.has(j) && r.has(i)) {
                take(r, i, j);
                ++stats_.safeMoves;
                took = true;
            }
        });
        for (const TileSet& c : p_.classes) {
            const TileSet left = c & r;
            if (left.empty() || !left.subsetOf(f)) {
                continue;
            }
            int pending = -1;
            forEachTile(left, [&](int i) {
                if (pending < 0) {
                    pending = i;
                } else {
                    take(r, pending, i);
                    ++stats_.safeMoves;
                    pending = -1;
                }
            });
            took = true;
        }
        if (!took) {
            return f;
        }
    }
}

void Search::take(TileSet& r, int a, int b) {
    path_.push_back({p_.slot[a], p_.slot[b]});
    r.reset(a);
    r.reset(b);
}

bool Search::lostByReasoning(const TileSet& r) const {
    const TileSet open = openTiles(r);
    bool dead = false;
    forEachTile(open, [&](int i) { dead = dead || candidates(i, open).empty(); });
    return dead;
}

int Search::chooseTile(const TileSet& r, const TileSet& f) const {
    const TileSet open = openTiles(r);
    const TileSet freeOpen = f & open;
    const int busy = busiestOpenClass(r, f);
    if (busy >= 0) {
        return busy;
    }
    int best = -1;
    int bestChoices = 0;
    int bestWeight = 0;
    forEachTile(freeOpen, [&](int t) {
        if (!p_.partners[t].intersects(freeOpen)) {
            return;
        }
        const int choices = candidates(t, open).count();
        const int w = weight(t, r) + jitter();
        if (best < 0 || choices < bestChoices || (choices == bestChoices && w > bestWeight)) {
            best = t;
            bestChoices = choices;
            bestWeight = w;
        }
    });
    return best;
}

int Search::busiestOpenClass(const TileSet& r, const TileSet& f) const {
    if (!learning_) {
        return -1;
    }
    int best = -1;
    bool bestNarrowed = false;
    double bestActivity = 0;
    for (size_t c = 0; c < choiceTiles_.size(); ++c) {
        const int a = choiceTiles_[c][0];
        const double activity = conflicts_.activity(static_cast<int>(c));
        if (a < 0 || choice_[c] >= 0 || !r.has(a) || activity <= 0) {
            continue;
        }
        const bool narrowed = propagating_ && ruledOut_[c] != 0;
        if (best >= 0 &&
            (narrowed < bestNarrowed || (narrowed == bestNarrowed && activity <= bestActivity))) {
            continue;
        }
        best = static_cast<int>(c);
        bestNarrowed = narrowed;
        bestActivity = activity;
    }
    if (best < 0) {
        return -1;
    }
    int t = choiceTiles_[static_cast<size_t>(best)][0];
    for (int i : choiceTiles_[static_cast<size_t>(best)]) {
        if (f.has(i)) {
            t = i;
            break;
        }
    }
    return t;
}

void Search::listOptions(int t, const TileSet& r, const TileSet& f,
                         std::vector<int>& options) const {
    options.clear();
    const TileSet cand = candidates(t, openTiles(r));
    forEachTile(cand, [&](int z) { options.push_back(z); });
    std::vector<std::pair<int, int>> scored;
    for (int z : options) {
        const int cost = f.has(z) ? 0 : 1 + blockers(z, r);
        scored.push_back({cost * 1024 - weight(z, r) - jitter(), z});
    }
    std::stable_sort(scored.begin(), scored.end());
    for (size_t k = 0; k < scored.size(); ++k) {
        options[k] = scored[k].second;
    }
}

int Search::weight(int i, const TileSet& r) const {
    return 4 * (p_.covers[i] & r).count() + ((p_.leftOf[i] | p_.rightOf[i]) & r).count();
}

int Search::blockers(int i, const TileSet& r) const {
    const int side = std::min((p_.leftOf[i] & r).count(), (p_.rightOf[i] & r).count());
    return (p_.coveredBy[i] & r).count() + side;
}

bool Search::makeKey(const TileSet& r, TileSet& key) const {
    key = r;
    if (p_.classes.empty()) {
        return openTiles(r) == r;
    }
    if (p_.n + 2 * static_cast<int>(p_.classes.size()) > kWords * 64) {
        return false;
    }
    bool exact = true;
    for (size_t k = 0; k < p_.classes.size() && exact; ++k) {
        const TileSet left = p_.classes[k] & r;
        const int count = left.count();
        if (count <= 2) {
            continue;
        }
        int lowest = -1;
        int rank = 0;
        int code = 0;
        bool committed = false;
        forEachTile(left, [&](int i) {
            committed = committed || mate_[i] >= 0;
            if (lowest < 0) {
                lowest = i;
            } else {
                ++rank;
                if (mate_[lowest] == i) {
                    code = rank;
                }
            }
        });
        if (!committed) {
            continue;
        }
        exact = count == 4;
        const int bit = p_.n + 2 * static_cast<int>(k);
        if (code & 1) {
            key.set(bit);
        }
        if (code & 2) {
            key.set(bit + 1);
        }
    }
    return exact;
}

int Search::jitter() const {
    if (noise_ == 0) {
        return 0;
    }
    rng_ ^= rng_ << 13;
    rng_ ^= rng_ >> 7;
    rng_ ^= rng_ << 17;
    return static_cast<int>(rng_ % static_cast<uint64_t>(4 * noise_ + 1));
}

bool Search::commitPairsOfTwo(const TileSet& r) {
    bool ok = true;
    for (const TileSet& c : p_.classes) {
        ok = commitRemainingPair(c & r) && ok;
    }
    return ok;
}

bool Search::commit(int t, int z, const TileSet& r) {
    setMates(t, z);
    if (stacked(t, z)) {
        return false;
    }
    return p_.classes.empty() || commitRemainingPair(p_.classes[p_.classOf[t]] & r);
}

bool Search::commitRemainingPair(const TileSet& classLeft) {
    int open[2] = {-1, -1};
    int count = 0;
    forEachTile(classLeft, [&](int i) {
        if (mate_[i] < 0 && count++ < 2) {
            open[count - 1] = i;
        }
    });
    if (count != 2) {
        return true;
    }
    setMates(open[0], open[1]);
    return !stacked(open[0], open[1]);
}

void Search::setMates(int a, int b) {
    mate_[a] = b;
    mate_[b] = a;
    committed_.set(a);
    committed_.set(b);
    trail_.push_back(a);
    trail_.push_back(b);
    updateChoice(a);
}

void Search::undoTo(size_t mark) {
    while (trail_.size() > mark) {
        const int i = trail_.back();
        mate_[i] = -1;
        committed_.reset(i);
        trail_.pop_back();
        updateChoice(i);
    }
    while (!rulings_.empty() && rulings_.back().at > mark) {
        const int code = rulings_.back().code;
        ruledOut_[static_cast<size_t>(code / 3)] &= static_cast<uint8_t>(~(1U << (code % 3)));
        rulings_.pop_back();
    }
    while (!implied_.empty() && implied_.back().at >= mark) {
        implied_.pop_back();
    }
}

TileSet Search::candidates(int t, const TileSet& open) const {
    return (p_.partners[t] & open).without(p_.covers[t] | p_.coveredBy[t]);
}

int Search::lowestOf(const TileSet& s) {
    for (int k = 0; k < kWords; ++k) {
        if (s.w[k] != 0) {
            return k * 64 + std::countr_zero(s.w[k]);
        }
    }
    return -1;
}

SolveResult searchPosition(const Problem& problem, int64_t nodeBudget, SolverStats& st,
                           std::vector<SolverMove>* solution, const SolveStop& stop,
                           const LatePace& pace) {
    const int64_t lateFrom = pace.from;
    tLost.begin();
    Search search(problem, nodeBudget, stop, tLost, st);
    search.prepareChoices(problem.all);
    if (!search.prepareRoot(problem.all)) {
        return SolveResult::Unwinnable;
    }
    size_t rootMark = search.trailSize();
    // Restarts: dives of kDiveUnit times Luby's sequence nodes, each with
    // other tie-breaking, so a misleading early choice costs one short dive
    // instead of the whole budget. Lost positions stay recorded across
    // dives (they are proofs), so every dive starts with more knowledge and
    // the dives grow without bound until the budget ends.
    for (uint64_t round = 0;; ++round) {
        const bool late = st.nodes >= lateFrom;
        search.passOverBrokenConflicts(late);
        search.propagateConflicts(late);
        const int64_t dive = (late ? pace.diveUnit : kDiveUnit) * luby(round + 1);
        // The early dives end where the late ones begin.
        const int64_t end = late ? st.nodes + dive : std::min(st.nodes + dive, lateFrom);
        search.setLimit(std::min(nodeBudget, end));
        switch (search.run(problem.all, 0)) {
        case Outcome::Won:
            if (solution != nullptr) {
                *solution = search.path();
            }
            return SolveResult::Winnable;
        case Outcome::Lost:
            return SolveResult::Unwinnable;
        case Outcome::OutOfBudget:
            break;
        }
        if (st.nodes >= nodeBudget || search.stopped()) {
            return SolveResult::Undecided;
        }
        search.restart(rootMark, round);
        if (st.nodes >= lateFrom) {
            if (!search.probeWithConflicts(problem.all)) {
                return SolveResult::Unwinnable;
            }
            rootMark = search.trailSize();
        }
    }
}

} // namespace kelmar::solver
