// The search's one class, shared by its three parts: the dive
// (search.cpp), probing and propagation (search_propagation.cpp) and the
// relaxed-play cache (search_relaxed.cpp). Only those files include it;
// everyone else calls searchPosition() (search.h).
#pragma once

#include "core/solver.h"
#include "core/solver/conflicts.h"
#include "core/solver/lost_positions.h"
#include "core/solver/problem.h"
#include "core/solver/reasoning.h"
#include "core/solver/tile_set.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kelmar::solver {

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
    // --- The dive (search.cpp): the node, the choice of tile and partner, the
    // pairings committed and undone.

    Search(const Problem& p, int64_t budget, const SolveStop& stop, LostPositions& lost,
           SolverStats& stats)
        : p_(p), budget_(budget), stop_(stop), lost_(lost), stats_(stats), order_(p),
          options_(p.n / 2 + 2), rounds_(p.n / 2 + 2) {
        mate_.fill(-1);
    }

    // Decides the position r under the current commitments; `changedClass`
    // is the class the parent just chose. On Lost, reason_ holds the
    // classes whose pairings the loss rests on (see the class comment); a
    // child whose loss does not rest on the pairing just chosen ends the
    // node at once, as its siblings would fail alike.
    // `changedSince` is the trail length before that choice: classes that
    // propagate() paired after it changed too.
    Outcome run(TileSet r, int depth, int changedClass = -1, size_t changedSince = SIZE_MAX);

    // The caller's stop, asked every kStopCheckNodes nodes; once true it
    // stays true for this call.
    bool stopped();

    // Limits the current dive to `limit` nodes in all (counted from the call).
    void setLimit(int64_t limit) { budget_ = limit; }

    // Forgets the commitments and the path of an abandoned dive, back to
    // `trailMark`, and varies the tie-breaking of the next dive.
    void restart(size_t trailMark, uint64_t variation);

    size_t trailSize() const { return trail_.size(); }

    const std::vector<SolverMove>& path() const { return path_; }

    void passOverBrokenConflicts(bool on) { conflicts_.passOverBroken(on); }

    // With `on`, a choice also rules out the pairings that its conflicts
    // leave one short (see propagate()); off, the search runs as the deal
    // checks were recorded with.
    void propagateConflicts(bool on) { propagating_ = on && learning_; }

    // --- Probing and propagation (search_propagation.cpp): the reasoning at
    // the start and between dives, the conflicts learned and what they rule out.

    // Numbers the classes of four at the start: they are the choices the
    // learned conflicts speak about.
    void prepareChoices(const TileSet& r);

    // Reasoning done once before the dives; what it commits stays for all
    // of them. False when the position is lost.
    bool prepareRoot(const TileSet& r);

    // Between late dives, at the start r with no choice made: tries every
    // pairing of every open class of four on its own, with the learned
    // conflicts propagated (propagate()) and a relaxed play after it. A
    // pairing that fails is ruled out for good, and a class left with one
    // pairing gets it for good: both rest only on the conflicts and on
    // what the start commits, which hold in every win, so they are kept
    // across dives (resting on no class). Repeats while that commits
    // something. False when the start is lost.
    bool probeWithConflicts(const TileSet& r);

private:
    // --- The dive (search.cpp): the node, the choice of tile and partner, the
    // pairings committed and undone.

    // Takes every committed pair whose tiles are both free, and every class
    // whose remaining tiles are all free (their number is even): taking them
    // is never wrong, because removing tiles frees others but never blocks one
    // and no tile outside the class pairs with them. Repeats until nothing
    // changes; returns the free tiles of the resulting position.
    TileSet takeForcedPairs(TileSet& r);

    // Commits t with z (a choice of the node at r) and checks it before
    // it is searched: the pair lies on each other, the pairing was ruled
    // out, or it completes a learned conflict (in the late dives: its
    // propagation ends in a contradiction). True when one of them refutes
    // the choice; `why` then holds the classes the refutation rests on.
    bool refutedAtOnce(int t, int z, const TileSet& r, TileSet& why);

    void take(TileSet& r, int a, int b);

    bool lostByReasoning(const TileSet& r) const;

    // A free open tile with a free open partner and the fewest choices;
    // among equals the heaviest. -1 when no move is left.
    int chooseTile(const TileSet& r, const TileSet& f) const;

    // Once conflicts have been learned, the open class of four that took
    // part in the most (recent ones weigh more) is decided first: that is
    // where the search keeps failing, so settling it early cuts the most.
    // In the late dives a class with a pairing ruled out (two left) comes
    // before every other: it branches twice, not three times. Returns one
    // of its tiles (a free one when it has one), or -1 when no open class
    // has taken part in a conflict.
    int busiestOpenClass(const TileSet& r, const TileSet& f) const;

    // Partners to try for t: free ones first, then those nearest to free.
    void listOptions(int t, const TileSet& r, const TileSet& f, std::vector<int>& options) const;

    // A tile matters more the more tiles it holds down: those under it and
    // those of its row that it keeps blocked.
    int weight(int i, const TileSet& r) const;

    // Tiles still in the way of i: those on it and the smaller side of its row.
    int blockers(int i, const TileSet& r) const;

    // The lost-position key: the remaining tiles, and for every class of
    // four with a committed pairing two bits past the tiles telling which
    // tile its lowest tile goes with. False when the commitments cannot be
    // told exactly by such a key (the position is then not recorded).
    bool makeKey(const TileSet& r, TileSet& key) const;

    // A small deterministic perturbation of the scores; 0 on the first dive.
    int jitter() const;

    // Commits the classes that have exactly two tiles at the start. False
    // when such a pair lies on each other.
    bool commitPairsOfTwo(const TileSet& r);

    // Commits t with z (and, in a class, the last two open tiles with each
    // other). False when a committed pair can never be free together.
    bool commit(int t, int z, const TileSet& r);

    // In a class only two uncommitted tiles can go together. Returns false
    // when they lie on each other.
    bool commitRemainingPair(const TileSet& classLeft);

    void setMates(int a, int b);

    void undoTo(size_t mark);

    bool stacked(int a, int b) const { return p_.coveredBy[a].has(b) || p_.coveredBy[b].has(a); }

    TileSet openTiles(const TileSet& r) const { return r.without(committed_); }

    // Partners that t could still be taken with: open, and neither lying on
    // t nor under it.
    TileSet candidates(int t, const TileSet& open) const;

    static int lowestOf(const TileSet& s);

    // --- Probing and propagation (search_propagation.cpp): the reasoning at
    // the start and between dives, the conflicts learned and what they rule out.

    // Tries each pairing of every open class on its own; a pairing whose
    // relaxed play gets stuck is out. A class with no pairing left proves the
    // position lost; a class with one left gets it committed. Repeats while
    // that commits something. False when the position is lost.
    bool probeClasses(const TileSet& r);

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
    bool propagate(int c0, const TileSet& r, TileSet& why);

    // True when the pairing just chosen for t's class completes a learned
    // conflict; `why` then holds the conflict's classes.
    bool refuted(int t, TileSet& why);

    // True when the pairing just chosen for class c was ruled out; `why`
    // then holds c and the classes the ruling rests on.
    bool ruledOutHere(int c, TileSet& why) const;

    // Replaces in `reason` every class that propagate() paired since trail
    // length `mark` by the classes its pairing rests on, latest first, so
    // that a chain of such pairings resolves to choices made before them.
    // The result is a reason again: a win keeping its pairings would have
    // to pair each replaced class the way propagate() did.
    void resolve(TileSet& reason, size_t mark) const;

    // Class c is a class of four, still open, with all its tiles in r.
    bool openWhole(int c, const TileSet& r) const;

    unsigned ruledOutMask(int c) const { return ruledOut_[static_cast<size_t>(c)]; }

    bool isRuledOut(int c, int v) const { return ((ruledOutMask(c) >> v) & 1) != 0; }

    // Rules out pairing v of class c, resting on the classes `why`, until
    // the choices made before now are taken back (undoTo()).
    void ruleOut(int c, int v, const TileSet& why);

    // Class c (open, all its tiles in r) has two or three pairings ruled
    // out. With three it cannot be paired: false, and `why` holds the
    // classes the rulings rest on. With two it is paired the remaining way,
    // recorded in implied_ as resting on those classes; false, with `why`
    // holding c alone, when those tiles lie on each other.
    bool pairTheLast(int c, const TileSet& r, TileSet& why);

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
    TileSet learn(const TileSet& stuck, int changedClass);

    // Stores the current pairings of `classes` as a conflict (kept short
    // ones only: long ones rarely recur).
    void record(const TileSet& classes);

    // The chosen classes with a tile among `stuck`. For a lost position r,
    // chosenTouching(r) is a valid reason: a win from the start that keeps
    // the pairings of the classes still present could be followed from r
    // (classes gone from r were taken whole, and taking tiles never blocks
    // others), so none exists.
    TileSet chosenTouching(const TileSet& stuck) const;

    // The pairing chosen for class c: 0..2 for the partner of its lowest
    // tile, -1 while open (or when c is not a class of four at the start).
    int choiceOf(size_t c) const { return choice_[c]; }

    // Recomputes the cached pairing of tile i's class after its mate changed.
    void updateChoice(int i);

    // --- The relaxed-play cache (search_relaxed.cpp): a relaxed play per
    // node, resumed from the parent's rounds.

    // The relaxed play at a node. The parent's play (which cleared) differs
    // only by the pairing just chosen for `changedClass`, and until it took a
    // tile of that class its rounds are valid here too: the pairing of a class
    // matters only to its own tiles. So the play goes on from the parent's
    // state at that round; the rounds are kept for the children. Classes that
    // propagate() paired since trail length `changedSince` changed as well and
    // count alike.
    TileSet relaxHere(const TileSet& r, int depth, int changedClass, size_t changedSince);

    // The relaxed play at r under the current pairings, keeping the round
    // that took each tile (tiles it cannot take keep kNever) for resume().
    void playBase(const TileSet& r);

    // The relaxed play of the tiles `start` under the current pairings,
    // every other tile gone; `rounds` and `first` as for relaxedLeftover.
    TileSet playFrom(const TileSet& start, int16_t* rounds = nullptr, int first = 0) const;

    // The relaxed play at r once the tiles of `changed` follow the pairings
    // they have now, resumed from an earlier play at r whose rounds are
    // `before`: what it cannot take, as the whole play would give. Until
    // that play took a tile of `changed` its rounds hold here too (a tile's
    // pairing matters only to its own class), so this one goes on from
    // there. `rounds`, when given, receives this play's rounds (those of
    // the tiles taken before kept).
    TileSet resume(const TileSet& r, const TileSet& changed, const int16_t* before,
                   int16_t* rounds = nullptr) const;

    // The tiles of class c and of the classes propagate() paired since
    // trail length `mark`: those whose pairing changed since then.
    TileSet changedTiles(int c, size_t mark) const;

private:
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

} // namespace kelmar::solver
