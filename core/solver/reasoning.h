// Reasoning that proves a position lost without searching: a tile that can
// never be taken, a class of odd size, and orders that would have to run in
// a circle. Every conclusion is a proof; stopping a check early only misses
// conflicts, it never invents one.
#pragma once

#include "core/solver/problem.h"

namespace kelmar::solver {

// True when some tile can never be taken whatever is played: it has no
// partner left, or each partner lies on it or under it (one of the two
// would have to go first). Also true when a class holds an odd number of
// tiles.
bool hopeless(const Problem& p, const TileSet& r);

// Order reasoning: before[i] collects tiles that must be taken strictly
// before tile i in every winning order, mate[i] the tile i must be taken
// with (-1 while open). Sources: a tile lying on i; when one side of i's
// row holds a tile that cannot go before i, the whole other side; and the
// closure over mates and transitivity. A tile that would have to precede
// itself or its mate, or that has no partner left that can go at its time,
// proves the position lost.
// Relaxed play: the committed pairs must still go together, but an open
// tile may go alone as soon as it is free and some open partner of it is
// free too or already gone. Taking things never blocks anything in this
// game, and these conditions only ever get easier as tiles go, so playing
// the relaxed moves greedily to the end decides whether the relaxed game
// can be cleared; when it cannot, the real game cannot either (every real
// play is a relaxed play). With every tile committed the relaxed game is
// the real game. `mate[i]` is the committed partner or -1, read for the
// tiles of r and of `goneBefore`, the tiles taken on the way to r (they
// count as gone partners). Returns the tiles the relaxed play cannot take
// (empty when it clears).
//
// `roundOf`, when given, receives for each tile taken the round of the
// relaxed play that took it, counted from `firstRound` (a round takes
// everything that can go at once).
TileSet relaxedLeftover(const Problem& p, const TileSet& r, const TileSet& goneBefore,
                        const std::array<int, kMaxTiles>& mate, int16_t* roundOf = nullptr,
                        int firstRound = 0);

// The same with the open tiles given: `open` must hold exactly the tiles of
// r and goneBefore whose mate is -1 (it may hold other tiles too).
TileSet relaxedLeftover(const Problem& p, const TileSet& r, const TileSet& goneBefore,
                        const TileSet& open, const std::array<int, kMaxTiles>& mate,
                        int16_t* roundOf = nullptr, int firstRound = 0);

// Whether the relaxed play from r gets stuck before it has taken more than
// `most` tiles: its leftover then, else an empty set (it cleared, or it
// took more than `most`). Cheaper than the whole play when the answer
// that matters is "stuck soon".
TileSet stuckWithin(const Problem& p, const TileSet& r, const TileSet& goneBefore,
                    const TileSet& open, const std::array<int, kMaxTiles>& mate, int most);

// The free tiles of r.
TileSet freeIn(const Problem& p, const TileSet& r);

class OrderCheck {
public:
    explicit OrderCheck(const Problem& p) : p_(p) {}

    // `mates`: pairs already committed by the caller (-1 = open).
    // `rounds` bounds the effort: every inference is sound on its own, so
    // stopping early only misses some conflicts.
    bool conflict(const TileSet& r, const std::array<int, kMaxTiles>& mates, int rounds = 1000);

private:
    void initMates(const TileSet& r, const std::array<int, kMaxTiles>& mates);

    // True when some tile of s cannot be taken before tile i.
    bool staysWhileAlive(const TileSet& s, int i) const;

    TileSet grow(int i, const TileSet& r, const TileSet& dirty);

    // Every tile needs a partner that can go at the same time as it: not
    // one that must precede it or follow it. A single such partner becomes
    // its mate. Returns false when some tile has none.
    bool settleMates(const TileSet& r, TileSet& changed);

    // In a class, the last two open tiles go with each other.
    void pairLastTwo(int i, const TileSet& r, TileSet& changed);

    const Problem& p_;
    std::array<TileSet, kMaxTiles> before_{};
    std::array<TileSet, kMaxTiles> after_{};    // transpose of before_
    std::array<TileSet, kMaxTiles> expanded_{}; // members of before_ already read
    std::array<int, kMaxTiles> mate_{};
};

} // namespace kelmar::solver
