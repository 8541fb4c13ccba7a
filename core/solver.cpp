#include "core/solver.h"

#include "core/board.h"

#include <algorithm>
#include <array>
#include <bit>
#include <memory>

namespace kelmar {
namespace {

constexpr int64_t kDiveUnit = 64; // nodes; a dive lasts this times a term of luby()

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

constexpr int kMaxTiles = kSlotCapacity - 1; // slots 1..255
constexpr int kWords = (kMaxTiles + 63) / 64;
constexpr int64_t kReach = kFaceWidth; // 38 px: cover window in X and Y, band height, side gap

// A set of tiles by compact index 0..254: bit i % 64 of word i / 64.
struct TileSet {
    std::array<uint64_t, kWords> w{};

    void set(int i) { w[i >> 6] |= uint64_t{1} << (i & 63); }
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

uint64_t hashOf(const TileSet& s) {
    uint64_t h = 0x9E3779B97F4A7C15ull;
    for (uint64_t x : s.w) {
        h = (h ^ x) * 0xBF58476D1CE4E5B9ull;
        h ^= h >> 31;
    }
    return h;
}

// Everything the search needs about the present tiles, by compact index.
struct Problem {
    int n = 0;
    std::array<int32_t, kMaxTiles> slot{};
    std::array<int, kMaxTiles> classOf{};
    std::array<TileSet, kMaxTiles> coveredBy{}; // tiles lying on i
    std::array<TileSet, kMaxTiles> covers{};    // tiles i lies on
    std::array<TileSet, kMaxTiles> leftOf{};    // band tiles at X <= X[i] - 38
    std::array<TileSet, kMaxTiles> rightOf{};   // band tiles at X >= X[i] + 38
    std::array<TileSet, kMaxTiles> partners{};  // tiles i can be taken with
    TileSet all;
    // When "can be taken together" splits the tiles into cliques (always so
    // with the game's MatchRange), classes holds them; otherwise it is empty
    // and the rules that rely on it are off.
    std::vector<TileSet> classes;
    std::vector<int> topDown; // tile indices, highest layer first
};

void buildGeometry(const Board& board, Problem& p) {
    for (int i = 0; i < p.n; ++i) {
        const TileSlot& s = board.Slots[p.slot[i]];
        for (int j = 0; j < p.n; ++j) {
            if (j == i) {
                continue;
            }
            const TileSlot& t = board.Slots[p.slot[j]];
            const int64_t dx = int64_t{t.X} - s.X;
            const int64_t dy = int64_t{t.Y} - s.Y;
            const bool nearY = dy > -kReach && dy < kReach;
            if (t.Layer > s.Layer && nearY && dx > -kReach && dx < kReach) {
                p.coveredBy[i].set(j);
                p.covers[j].set(i);
            }
            if (t.Layer == s.Layer && nearY) {
                if (dx <= -kReach) {
                    p.leftOf[i].set(j);
                } else if (dx >= kReach) {
                    p.rightOf[i].set(j);
                }
            }
            if (KindsMatch(board, s.Kind, t.Kind) || KindsMatch(board, t.Kind, s.Kind)) {
                p.partners[i].set(j);
            }
        }
    }
}

void buildClasses(Problem& p) {
    p.classes.clear();
    std::array<bool, kMaxTiles> assigned{};
    for (int i = 0; i < p.n; ++i) {
        if (assigned[i]) {
            continue;
        }
        TileSet members = p.partners[i];
        members.set(i);
        bool clique = true;
        forEachTile(p.partners[i], [&](int j) {
            TileSet other = p.partners[j];
            other.set(j);
            clique = clique && other == members;
        });
        if (!clique) {
            p.classes.clear();
            return;
        }
        const int id = static_cast<int>(p.classes.size());
        forEachTile(members, [&](int j) {
            assigned[j] = true;
            p.classOf[j] = id;
        });
        p.classes.push_back(members);
    }
}

void buildProblem(const Board& board, Problem& p) {
    const int32_t last = std::clamp<int32_t>(board.SlotCount, 0, kMaxTiles);
    for (int32_t s = 1; s <= last; ++s) {
        if (board.Slots[s].Present) {
            p.all.set(p.n);
            p.slot[p.n++] = s;
        }
    }
    buildGeometry(board, p);
    buildClasses(p);
    for (int i = 0; i < p.n; ++i) {
        p.topDown.push_back(i);
    }
    std::stable_sort(p.topDown.begin(), p.topDown.end(), [&](int a, int b) {
        return board.Slots[p.slot[a]].Layer > board.Slots[p.slot[b]].Layer;
    });
}

// True when some tile can never be taken whatever is played: it has no
// partner left, or each partner lies on it or under it (one of the two
// would have to go first). Also true when a class holds an odd number of
// tiles.
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

// Order reasoning: before[i] collects tiles that must be taken strictly
// before tile i in every winning order, mate[i] the tile i must be taken
// with (-1 while open). Sources: a tile lying on i; when one side of i's
// band holds a tile that cannot go before i, the whole other side; and the
// closure over mates and transitivity. A tile that would have to precede
// itself or its mate, or that has no partner left that can go at its time,
// proves the position lost.
class OrderCheck {
public:
    explicit OrderCheck(const Problem& p) : p_(p) {}

    // `mates`: pairs already committed by the caller (-1 = open).
    // `rounds` bounds the effort: every inference is sound on its own, so
    // stopping early only misses some conflicts.
    bool conflict(const TileSet& r, const std::array<int, kMaxTiles>& mates, int rounds = 1000) {
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

private:
    void initMates(const TileSet& r, const std::array<int, kMaxTiles>& mates) {
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

    // True when some tile of s cannot be taken before tile i.
    bool staysWhileAlive(const TileSet& s, int i) const {
        return s.intersects(after_[i]) || (mate_[i] >= 0 && s.has(mate_[i]));
    }

    TileSet grow(int i, const TileSet& r, const TileSet& dirty) {
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

    // Every tile needs a partner that can go at the same time as it: not
    // one that must precede it or follow it. A single such partner becomes
    // its mate. Returns false when some tile has none.
    bool settleMates(const TileSet& r, TileSet& changed) {
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

    // In a class, the last two open tiles go with each other.
    void pairLastTwo(int i, const TileSet& r, TileSet& changed) {
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

    const Problem& p_;
    std::array<TileSet, kMaxTiles> before_{};
    std::array<TileSet, kMaxTiles> after_{};    // transpose of before_
    std::array<TileSet, kMaxTiles> expanded_{}; // members of before_ already read
    std::array<int, kMaxTiles> mate_{};
};

// Open-addressing set of positions proven lost. Entries of an earlier call
// carry an older stamp and count as empty, so nothing is cleared per call.
class LostPositions {
public:
    void begin(int64_t budget) {
        const int64_t wanted = std::clamp<int64_t>(budget * 2, kMinSize, kMaxSize);
        if (static_cast<int64_t>(entries_.size()) < wanted) {
            entries_.assign(std::bit_ceil(static_cast<uint64_t>(wanted)), Entry{});
            stamp_ = 0;
        }
        if (++stamp_ == 0) {
            std::fill(entries_.begin(), entries_.end(), Entry{});
            stamp_ = 1;
        }
        used_ = 0;
        limit_ = entries_.size() / 4 * 3;
    }
    bool contains(const TileSet& key) const {
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
    // A full table stops learning; the search stays correct, only slower.
    void insert(const TileSet& key) {
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

enum class Outcome { Won, Lost, OutOfBudget };

// The search decides which partner each tile is taken with, not the order
// of the moves. Once a pair is committed, taking it as soon as both tiles
// are free is never wrong (taking tiles never blocks a tile), so the order
// follows from the pairing. A node picks one free, uncommitted tile and
// branches over every partner it could be taken with.
class Search {
public:
    Search(const Problem& p, int64_t budget, LostPositions& lost, SolverStats& stats)
        : p_(p), budget_(budget), lost_(lost), stats_(stats), order_(p), options_(p.n / 2 + 2) {
        mate_.fill(-1);
    }

    // Reasoning done once before the dives; what it commits stays for all
    // of them. False when the position is lost.
    bool prepareRoot(const TileSet& r) {
        if (!commitPairsOfTwo(r)) {
            return false;
        }
        const TileSet open = openTiles(r);
        bool dead = false;
        forEachTile(open, [&](int i) { dead = dead || candidates(i, open).empty(); });
        return !dead && !order_.conflict(r, mate_) && probeClasses(r);
    }

    // Tries each pairing of every open class on its own; a pairing that the
    // order check refutes is out. A class with no pairing left proves the
    // position lost; a class with one left gets it committed. Repeats while
    // that commits something. False when the position is lost.
    bool probeClasses(const TileSet& r) {
        for (bool again = true; again;) {
            again = false;
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
                    if (commit(a, z, r) && !order_.conflict(r, mate_)) {
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
                    again = true;
                }
            }
        }
        return true;
    }

    static int lowestOf(const TileSet& s) {
        for (int k = 0; k < kWords; ++k) {
            if (s.w[k] != 0) {
                return k * 64 + std::countr_zero(s.w[k]);
            }
        }
        return -1;
    }

    // Limits the current dive to `limit` nodes in all (counted from the call).
    void setLimit(int64_t limit) { budget_ = limit; }

    // Forgets the commitments and the path of an abandoned dive, back to
    // `trailMark`, and varies the tie-breaking of the next dive.
    void restart(size_t trailMark, uint64_t variation) {
        undoTo(trailMark);
        path_.clear();
        noise_ = 1 + static_cast<int>(variation);
        rng_ = 0x2545F4914F6CDD1Dull * (variation + 1);
    }
    size_t trailSize() const { return trail_.size(); }

    // Commits the classes that have exactly two tiles at the start. False
    // when such a pair lies on each other.
    bool commitPairsOfTwo(const TileSet& r) {
        bool ok = true;
        for (const TileSet& c : p_.classes) {
            ok = commitRemainingPair(c & r) && ok;
        }
        return ok;
    }

    Outcome run(TileSet r, int depth) {
        const size_t pathMark = path_.size();
        const TileSet f = takeForcedPairs(r);
        if (r.empty()) {
            return Outcome::Won;
        }
        if (stats_.nodes >= budget_) {
            return Outcome::OutOfBudget;
        }
        ++stats_.nodes;
        TileSet key;
        const bool keyed = makeKey(r, key);
        if (keyed && lost_.contains(key)) {
            ++stats_.ttHits;
            path_.resize(pathMark);
            return Outcome::Lost;
        }
        const int t = lostByReasoning(r) ? -1 : chooseTile(r, f);
        if (t >= 0) {
            std::vector<int>& options = options_[depth];
            listOptions(t, r, f, options);
            for (int z : options) {
                const size_t trailMark = trail_.size();
                if (commit(t, z, r)) {
                    const Outcome o = run(r, depth + 1);
                    if (o != Outcome::Lost) {
                        return o;
                    }
                }
                undoTo(trailMark);
            }
        }
        if (keyed) {
            lost_.insert(key);
        }
        path_.resize(pathMark);
        return Outcome::Lost;
    }

    const std::vector<SolverMove>& path() const { return path_; }

private:
    TileSet freeTiles(const TileSet& r) const {
        TileSet f;
        forEachTile(r, [&](int i) {
            if (!p_.coveredBy[i].intersects(r) &&
                (!p_.leftOf[i].intersects(r) || !p_.rightOf[i].intersects(r))) {
                f.set(i);
            }
        });
        return f;
    }

    void take(TileSet& r, int a, int b) {
        path_.push_back({p_.slot[a], p_.slot[b]});
        r.w[a >> 6] &= ~(uint64_t{1} << (a & 63));
        r.w[b >> 6] &= ~(uint64_t{1} << (b & 63));
    }

    // Takes every committed pair whose tiles are both free, and every class
    // whose remaining tiles are all free (their number is even): taking them
    // is never wrong, because removing tiles frees others but never blocks
    // one and no tile outside the class pairs with them. Repeats until
    // nothing changes; returns the free tiles of the resulting position.
    TileSet takeForcedPairs(TileSet& r) {
        for (;;) {
            const TileSet f = freeTiles(r);
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

    void setMates(int a, int b) {
        mate_[a] = b;
        mate_[b] = a;
        committed_.set(a);
        committed_.set(b);
        trail_.push_back(a);
        trail_.push_back(b);
    }

    void undoTo(size_t mark) {
        while (trail_.size() > mark) {
            const int i = trail_.back();
            mate_[i] = -1;
            committed_.w[i >> 6] &= ~(uint64_t{1} << (i & 63));
            trail_.pop_back();
        }
    }

    bool stacked(int a, int b) const { return p_.coveredBy[a].has(b) || p_.coveredBy[b].has(a); }

    // In a class only two uncommitted tiles can go together. Returns false
    // when they lie on each other.
    bool commitRemainingPair(const TileSet& classLeft) {
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

    // Commits t with z (and, in a class, the last two open tiles with each
    // other). False when a committed pair can never be free together.
    bool commit(int t, int z, const TileSet& r) {
        setMates(t, z);
        if (stacked(t, z)) {
            return false;
        }
        return p_.classes.empty() || commitRemainingPair(p_.classes[p_.classOf[t]] & r);
    }

    TileSet openTiles(const TileSet& r) const { return r.without(committed_); }

    // Partners that t could still be taken with: open, and neither lying on
    // t nor under it.
    TileSet candidates(int t, const TileSet& open) const {
        return (p_.partners[t] & open).without(p_.covers[t] | p_.coveredBy[t]);
    }

    bool lostByReasoning(const TileSet& r) const {
        const TileSet open = openTiles(r);
        bool dead = false;
        forEachTile(open, [&](int i) { dead = dead || candidates(i, open).empty(); });
        return dead;
    }

    // A tile matters more the more tiles it holds down: those under it and
    // those of its band that it keeps blocked.
    int weight(int i, const TileSet& r) const {
        return 4 * (p_.covers[i] & r).count() + ((p_.leftOf[i] | p_.rightOf[i]) & r).count();
    }

    // Tiles still in the way of i: those on it and the smaller side of its band.
    int blockers(int i, const TileSet& r) const {
        const int side = std::min((p_.leftOf[i] & r).count(), (p_.rightOf[i] & r).count());
        return (p_.coveredBy[i] & r).count() + side;
    }

    // A free open tile with a free open partner and the fewest choices;
    // among equals the heaviest. -1 when no move is left.
    int chooseTile(const TileSet& r, const TileSet& f) const {
        const TileSet open = openTiles(r);
        const TileSet freeOpen = f & open;
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

    // Partners to try for t: free ones first, then those nearest to free.
    void listOptions(int t, const TileSet& r, const TileSet& f, std::vector<int>& options) const {
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

    // The lost-position key: the remaining tiles, and for every class of
    // four with a committed pairing two bits past the tiles telling which
    // tile its lowest tile goes with. False when the commitments cannot be
    // told exactly by such a key (the position is then not recorded).
    bool makeKey(const TileSet& r, TileSet& key) const {
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

    // A small deterministic perturbation of the scores; 0 on the first dive.
    int jitter() const {
        if (noise_ == 0) {
            return 0;
        }
        rng_ ^= rng_ << 13;
        rng_ ^= rng_ >> 7;
        rng_ ^= rng_ << 17;
        return static_cast<int>(rng_ % static_cast<uint64_t>(4 * noise_ + 1));
    }

    const Problem& p_;
    int64_t budget_;
    int noise_ = 0;
    mutable uint64_t rng_ = 1;
    LostPositions& lost_;
    SolverStats& stats_;
    OrderCheck order_;
    std::array<int, kMaxTiles> mate_{}; // committed partner, -1 while open
    TileSet committed_;                 // tiles with a mate
    std::vector<int> trail_;            // tiles whose mate was set, for undo
    // Per depth; a level commits at least one pair, so n / 2 + 2 suffice.
    std::vector<std::vector<int>> options_;
    std::vector<SolverMove> path_;
};

thread_local LostPositions tLost;

} // namespace

SolveResult SolvePosition(const Board& board, int64_t nodeBudget, SolverStats* stats,
                          std::vector<SolverMove>* solution) {
    SolverStats local;
    SolverStats& st = stats != nullptr ? *stats : local;
    st = SolverStats{};
    if (solution != nullptr) {
        solution->clear();
    }

    auto problem = std::make_unique<Problem>();
    buildProblem(board, *problem);
    if (problem->n == 0) {
        return SolveResult::Winnable;
    }
    if (hopeless(*problem, problem->all)) {
        return SolveResult::Unwinnable;
    }

    tLost.begin(nodeBudget);
    Search search(*problem, nodeBudget, tLost, st);
    if (!search.prepareRoot(problem->all)) {
        return SolveResult::Unwinnable;
    }
    const size_t rootMark = search.trailSize();
    // Restarts: dives of kDiveUnit times Luby's sequence nodes, each with
    // other tie-breaking, so a misleading early choice costs one short dive
    // instead of the whole budget. Lost positions stay recorded across
    // dives (they are proofs), so every dive starts with more knowledge and
    // the dives grow without bound until the budget ends.
    for (uint64_t round = 0;; ++round) {
        const int64_t dive = kDiveUnit * luby(round + 1);
        search.setLimit(std::min(nodeBudget, st.nodes + dive));
        switch (search.run(problem->all, 0)) {
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
        if (st.nodes >= nodeBudget) {
            return SolveResult::Undecided;
        }
        search.restart(rootMark, round);
    }
}

} // namespace kelmar
