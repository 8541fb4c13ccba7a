#include "core/solver/search.h"

#include "core/solver/conflicts.h"
#include "core/solver/lost_positions.h"
#include "core/solver/reasoning.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <memory>

namespace kelmar::solver {
namespace {

// Nodes; a dive lasts a unit times a term of luby(). The dives that start
// within kDealCheckNodeBudget nodes read every conflict and learn as the
// search always did there, so a deal check gives the same verdicts and
// NewGame the same deals for the same seeds. The positions that take
// longer (on layouts of long rows, thousands of nodes) go on in the late
// dives (LatePace in search.h), which put the learned conflicts to work.
constexpr int64_t kDiveUnit = 512;

// In the late dives a trial of learn() that takes more than this many
// tiles keeps its class as if the play had cleared: a trial that ends
// stuck almost always does so within a few tiles, and a play that clears
// takes most of the stuck tiles, so this spares the long plays at the cost
// of a class now and then kept that could have been dropped (the conflict
// is then longer, never wrong).
constexpr int kTrialTiles = 16;

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

enum class Outcome { Won, Lost, OutOfBudget };

// The search decides which partner each tile is taken with, not the order
// of the moves. Once a pair is committed, taking it as soon as both tiles
// are free is never wrong (taking tiles never blocks a tile), so the order
// follows from the pairing. A node picks a class (the open class of four
// that took part in the most conflicts, else a free open tile with the
// fewest partners) and branches over every partner of one of its tiles.
//
// Reasons: every Lost comes with the set of classes of four whose current
// pairings the loss rests on: no win from the start of the search keeps
// all of them. A relaxed play that gets stuck gives its pruned stuck
// pairings; a position lost otherwise gives the chosen classes still on
// the board (a win keeping them could be followed from here); a node whose
// every child lost gives the union of the children's reasons without the
// class it branched on, since the children cover every partner of that
// class's tile. Such reasons are recorded as conflicts (conflicts.h). On
// boards whose classes are not all of two or four tiles nothing is
// learned and every reason is "everything".
class Search {
public:
    Search(const Problem& p, int64_t budget, const SolveStop& stop, LostPositions& lost,
           SolverStats& stats)
        : p_(p), budget_(budget), stop_(stop), lost_(lost), stats_(stats), order_(p),
          options_(p.n / 2 + 2), rounds_(p.n / 2 + 2) {
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

    // Tries each pairing of every open class on its own; a pairing whose
    // relaxed play gets stuck is out. A class with no pairing left proves the
    // position lost; a class with one left gets it committed. Repeats while
    // that commits something. False when the position is lost.
    bool probeClasses(const TileSet& r) {
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

    // Between late dives, at the start r with no choice made: tries every
    // pairing of every open class of four on its own, with the learned
    // conflicts propagated (propagate()) and a relaxed play after it. A
    // pairing that fails is ruled out for good, and a class left with one
    // pairing gets it for good: both rest only on the conflicts and on
    // what the start commits, which hold in every win, so they are kept
    // across dives (resting on no class). Repeats while that commits
    // something. False when the start is lost.
    bool probeWithConflicts(const TileSet& r) {
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
                    const bool fails =
                        !commit(tiles[0], tiles[static_cast<size_t>(v + 1)], r) ||
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

    // The relaxed play at r under the current pairings, keeping the round
    // that took each tile (tiles it cannot take keep kNever) for resume().
    void playBase(const TileSet& r) {
        forEachTile(r, [&](int i) { baseRounds_[i] = kNever; });
        playFrom(r, baseRounds_.data());
    }

    // The relaxed play of the tiles `start` under the current pairings,
    // every other tile gone; `rounds` and `first` as for relaxedLeftover.
    TileSet playFrom(const TileSet& start, int16_t* rounds = nullptr, int first = 0) const {
        return relaxedLeftover(p_, start, p_.all.without(start), p_.all.without(committed_), mate_,
                               rounds, first);
    }

    // The relaxed play at r once the tiles of `changed` follow the pairings
    // they have now, resumed from an earlier play at r whose rounds are
    // `before`: what it cannot take, as the whole play would give. Until
    // that play took a tile of `changed` its rounds hold here too (a tile's
    // pairing matters only to its own class), so this one goes on from
    // there. `rounds`, when given, receives this play's rounds (those of
    // the tiles taken before kept).
    TileSet resume(const TileSet& r, const TileSet& changed, const int16_t* before,
                   int16_t* rounds = nullptr) const {
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

    // The tiles of class c and of the classes propagate() paired since
    // trail length `mark`: those whose pairing changed since then.
    TileSet changedTiles(int c, size_t mark) const {
        TileSet changed = p_.classes[static_cast<size_t>(c)];
        for (auto it = implied_.rbegin(); it != implied_.rend() && it->at >= mark; ++it) {
            changed = changed | p_.classes[static_cast<size_t>(it->cls)];
        }
        return changed;
    }

    static int lowestOf(const TileSet& s) {
        for (int k = 0; k < kWords; ++k) {
            if (s.w[k] != 0) {
                return k * 64 + std::countr_zero(s.w[k]);
            }
        }
        return -1;
    }

    void passOverBrokenConflicts(bool on) { conflicts_.passOverBroken(on); }

    // With `on`, a choice also rules out the pairings that its conflicts
    // leave one short (see propagate()); off, the search runs as the deal
    // checks were recorded with.
    void propagateConflicts(bool on) { propagating_ = on && learning_; }

    // Limits the current dive to `limit` nodes in all (counted from the call).
    void setLimit(int64_t limit) { budget_ = limit; }

    // The caller's stop, asked every kStopCheckNodes nodes; once true it
    // stays true for this call.
    bool stopped() {
        if (!stopped_ && stop_ && stats_.nodes % kStopCheckNodes == 0) {
            stopped_ = stop_();
        }
        return stopped_;
    }

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

    // Decides the position r under the current commitments; `changedClass`
    // is the class the parent just chose. On Lost, reason_ holds the
    // classes whose pairings the loss rests on (see the class comment); a
    // child whose loss does not rest on the pairing just chosen ends the
    // node at once, as its siblings would fail alike.
    // `changedSince` is the trail length before that choice: classes that
    // propagate() paired after it changed too.
    Outcome run(TileSet r, int depth, int changedClass = -1, size_t changedSince = SIZE_MAX) {
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
            bool searched = false;
            if (!commit(t, z, r)) {
                childReason.set(tClass);
            } else if (ruledOutHere(tClass, childReason)) {
            } else if (propagating_ ? propagate(tClass, r, childReason) : refuted(t, childReason)) {
            } else {
                searched = true;
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

    const std::vector<SolverMove>& path() const { return path_; }

    // The relaxed play at a node. The parent's play (which cleared) differs
    // only by the pairing just chosen for `changedClass`, and until it took
    // a tile of that class its rounds are valid here too: the pairing of a
    // class matters only to its own tiles. So the play goes on from the
    // parent's state at that round; the rounds are kept for the children.
    // Classes that propagate() paired since trail length `changedSince`
    // changed as well and count alike.
    TileSet relaxHere(const TileSet& r, int depth, int changedClass, size_t changedSince) {
        int16_t* rounds = rounds_[static_cast<size_t>(depth)].data();
        if (!learning_ || depth == 0 || changedClass < 0) {
            return playFrom(r, rounds);
        }
        return resume(r, changedTiles(changedClass, changedSince),
                      rounds_[static_cast<size_t>(depth - 1)].data(), rounds);
    }

    // Numbers the classes of four at the start: they are the choices the
    // learned conflicts speak about.
    void prepareChoices(const TileSet& r) {
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

private:
    // The pairing chosen for class c: 0..2 for the partner of its lowest
    // tile, -1 while open (or when c is not a class of four at the start).
    int choiceOf(size_t c) const { return choice_[c]; }

    // Recomputes the cached pairing of tile i's class after its mate changed.
    void updateChoice(int i) {
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

    // The chosen classes with a tile among `stuck`. For a lost position r,
    // chosenTouching(r) is a valid reason: a win from the start that keeps
    // the pairings of the classes still present could be followed from r
    // (classes gone from r were taken whole, and taking tiles never blocks
    // others), so none exists.
    TileSet chosenTouching(const TileSet& stuck) const {
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

    // Records the conflict behind a stuck relaxed play at r: pairings of
    // classes of four that cannot all hold in a win from the start of this
    // search. The first candidate is every chosen class with a tile among
    // the stuck ones: the stuck tiles' freedom depends only on each other,
    // and dropping any other choice only lets the relaxed play take more,
    // so they stay stuck, and the positions on the way to r were reached by
    // moves the relaxed play may make too. Then each class is dropped in
    // turn while the relaxed play stays stuck without it, so the conflict
    // names only the classes that cause it. An empty conflict proves the
    // start lost.
    TileSet learn(const TileSet& stuck, int changedClass) {
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
            const TileSet left = propagating_ ? stuckWithin(p_, rest, p_.all.without(rest),
                                                            open | tiles, scratch_, kTrialTiles)
                                              : relaxedLeftover(p_, rest, p_.all.without(rest),
                                                                open | tiles, scratch_);
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

    // Stores the current pairings of `classes` as a conflict (kept short
    // ones only: long ones rarely recur).
    void record(const TileSet& classes) {
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

    // True when the pairing just chosen for t's class completes a learned
    // conflict; `why` then holds the conflict's classes.
    bool refuted(int t, TileSet& why) {
        return !choice_.empty() && conflicts_.refuted(p_.classOf[t], choice_, why);
    }

    // Called after the pairing of class c0 was chosen at a node whose
    // position is r. Like refuted(), and further: a conflict that the
    // choice leaves one pairing short, with that pairing's class open,
    // rules that pairing out (no win keeps the conflict's other pairings,
    // which hold now, together with it); a class of four with two pairings
    // ruled out is paired the third way at once (recorded in implied_ with
    // the classes that rest under it), and its conflicts are read in turn.
    // True when this ends in a contradiction: a conflict complete, all
    // three pairings of a class ruled out, or a forced pairing whose tiles
    // lie on each other. `why` then holds classes it rests on, among them
    // possibly classes paired here; resolve() replaces those.
    bool propagate(int c0, const TileSet& r, TileSet& why) {
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

    // Class c is a class of four, still open, with all its tiles in r.
    bool openWhole(int c, const TileSet& r) const {
        const auto k = static_cast<size_t>(c);
        return choiceTiles_[k][0] >= 0 && choice_[k] < 0 && (p_.classes[k] & r).count() == 4;
    }

    unsigned ruledOutMask(int c) const { return ruledOut_[static_cast<size_t>(c)]; }
    bool isRuledOut(int c, int v) const { return ((ruledOutMask(c) >> v) & 1) != 0; }

    // Rules out pairing v of class c, resting on the classes `why`, until
    // the choices made before now are taken back (undoTo()).
    void ruleOut(int c, int v, const TileSet& why) {
        ruledOut_[static_cast<size_t>(c)] |= static_cast<uint8_t>(1U << v);
        ruledOutWhy_[static_cast<size_t>(3 * c + v)] = why;
        rulings_.push_back({3 * c + v, trail_.size()});
        ++stats_.ruledOut;
    }

    // Class c (open, all its tiles in r) has two or three pairings ruled
    // out. With three it cannot be paired: false, and `why` holds the
    // classes the rulings rest on. With two it is paired the remaining way,
    // recorded in implied_ as resting on those classes; false, with `why`
    // holding c alone, when those tiles lie on each other.
    bool pairTheLast(int c, const TileSet& r, TileSet& why) {
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

    // True when the pairing just chosen for class c was ruled out; `why`
    // then holds c and the classes the ruling rests on.
    bool ruledOutHere(int c, TileSet& why) const {
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

    // Replaces in `reason` every class that propagate() paired since trail
    // length `mark` by the classes its pairing rests on, latest first, so
    // that a chain of such pairings resolves to choices made before them.
    // The result is a reason again: a win keeping its pairings would have
    // to pair each replaced class the way propagate() did.
    void resolve(TileSet& reason, size_t mark) const {
        for (auto it = implied_.rbegin(); it != implied_.rend() && it->at >= mark; ++it) {
            if (reason.has(it->cls)) {
                reason.reset(it->cls);
                reason = reason | it->why;
            }
        }
    }

    void take(TileSet& r, int a, int b) {
        path_.push_back({p_.slot[a], p_.slot[b]});
        r.reset(a);
        r.reset(b);
    }

    // Takes every committed pair whose tiles are both free, and every class
    // whose remaining tiles are all free (their number is even): taking them
    // is never wrong, because removing tiles frees others but never blocks
    // one and no tile outside the class pairs with them. Repeats until
    // nothing changes; returns the free tiles of the resulting position.
    TileSet takeForcedPairs(TileSet& r) {
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

    void setMates(int a, int b) {
        mate_[a] = b;
        mate_[b] = a;
        committed_.set(a);
        committed_.set(b);
        trail_.push_back(a);
        trail_.push_back(b);
        updateChoice(a);
    }

    void undoTo(size_t mark) {
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
    // those of its row that it keeps blocked.
    int weight(int i, const TileSet& r) const {
        return 4 * (p_.covers[i] & r).count() + ((p_.leftOf[i] | p_.rightOf[i]) & r).count();
    }

    // Tiles still in the way of i: those on it and the smaller side of its row.
    int blockers(int i, const TileSet& r) const {
        const int side = std::min((p_.leftOf[i] & r).count(), (p_.rightOf[i] & r).count());
        return (p_.coveredBy[i] & r).count() + side;
    }

    // A free open tile with a free open partner and the fewest choices;
    // among equals the heaviest. -1 when no move is left.
    int chooseTile(const TileSet& r, const TileSet& f) const {
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

    // Once conflicts have been learned, the open class of four that took
    // part in the most (recent ones weigh more) is decided first: that is
    // where the search keeps failing, so settling it early cuts the most.
    // In the late dives a class with a pairing ruled out (two left) comes
    // before every other: it branches twice, not three times. Returns one
    // of its tiles (a free one when it has one), or -1 when no open class
    // has taken part in a conflict.
    int busiestOpenClass(const TileSet& r, const TileSet& f) const {
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
            if (best >= 0 && (narrowed < bestNarrowed ||
                              (narrowed == bestNarrowed && activity <= bestActivity))) {
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
    const SolveStop& stop_;
    bool stopped_ = false;
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
    // Per depth: the round of the node's relaxed play that took each tile.
    std::vector<std::array<int16_t, kMaxTiles>> rounds_;
    std::vector<SolverMove> path_;
    std::vector<std::array<int, 4>> choiceTiles_; // per class: its four tiles, or -1
    Conflicts conflicts_;
    std::vector<size_t> chosenAt_; // per class: trail length when its pairing was chosen
    std::vector<int8_t> choice_;   // per class: its pairing 0..2, -1 while open
    bool rootLost_ = false;        // a relaxed play got stuck with nothing chosen
    bool learning_ = false;        // every class has two or four tiles at the start
    bool propagating_ = false;     // propagate() instead of refuted() after a choice
    // Per class: bit v set while its pairing v is ruled out (propagate()),
    // and per 3 * class + v the classes that ruling rests on.
    std::vector<uint8_t> ruledOut_;
    std::vector<TileSet> ruledOutWhy_;
    // The rulings in the order made, with the trail length then: undone
    // with the choices made after them.
    struct Ruling {
        int code;
        size_t at;
    };
    std::vector<Ruling> rulings_;
    // Classes that propagate() paired, with the trail length before the
    // pairing and the classes it rests on.
    struct Implied {
        int cls;
        size_t at;
        TileSet why;
    };
    std::vector<Implied> implied_;
    std::vector<int> pending_;           // propagate()'s queue of classes to read
    std::vector<Conflicts::Unit> units_; // scratch for propagate()
    TileSet reason_;                     // after a Lost: the classes the loss rests on
    TileSet everything_;                 // every class: the reason when nothing finer is known
    std::array<int, kMaxTiles> scratch_{};
    static constexpr int16_t kNever = INT16_MAX;
    std::array<int16_t, kMaxTiles> baseRounds_{}; // playBase(): the round that took each tile
};

thread_local LostPositions tLost;

} // namespace

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
