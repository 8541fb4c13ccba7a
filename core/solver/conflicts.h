// The learned conflicts of one search: sets of pairings (a pairing is
// "class c takes choice v", v = 0..2 for the partner of the class's lowest
// tile) that cannot all hold in a win from the search's start. The search
// records one whenever it proves a position lost and can name the pairings
// the loss rests on; it asks after each choice whether the choice completes
// a recorded conflict. Also keeps how often each class took part in a
// conflict, recent ones weighing more, to tell the search where to decide
// next. State of one SolvePosition call; not shared between calls.
#pragma once

#include "core/solver/tile_set.h"

#include <vector>

namespace kelmar::solver {

class Conflicts {
public:
    // Forgets everything; `classes` is the number of classes.
    void reset(int classes);

    // Records the current choices of `classes` (each must be chosen:
    // choice[c] >= 0). chosenAt[c] tells when c was chosen (larger =
    // later). Long conflicts are not kept (they rarely recur). Returns
    // whether the conflict was kept.
    bool record(const TileSet& classes, const std::vector<int8_t>& choice,
                const std::vector<size_t>& chosenAt);

    // True when the choice just made for class c (choice[c] >= 0)
    // completes a recorded conflict; `why` then holds the conflict's
    // classes. Every conflict found holds in full: the answer is never
    // wrong, and a conflict is found whenever its last pairing is chosen.
    //
    // With `units`, it also appends every conflict it reads that the choice
    // leaves one pairing short of complete, that pairing's class still
    // open: the search may then rule that pairing out. Conflicts not read
    // (passed over, or watching other codes) are not reported.
    struct Unit {
        uint16_t code; // 3 * class + choice of the missing pairing
        uint32_t id;   // the conflict, for classesOf()
    };
    bool refuted(int c, const std::vector<int8_t>& choice, TileSet& why,
                 std::vector<Unit>* units = nullptr);

    // The classes of conflict `id` (as given in a Unit).
    TileSet classesOf(uint32_t id) const;

    // With `on`, refuted() passes over a conflict whose blocker (another
    // of its codes) has a different pairing without reading it; off (the
    // start of every search), it reads each one, which keeps the order of
    // the watch lists, and so the conflict a refutation names, exactly as
    // it always was. Either way the answers are exact.
    void passOverBroken(bool on) { passOver_ = on; }

    // Counts `classes` as taking part in a conflict now, with the weight
    // of the conflict recorded last (record() also makes later ones weigh
    // more).
    void bump(const TileSet& classes);

    // How much class c took part in conflicts, recent ones weighing more.
    double activity(int c) const { return activity_[static_cast<size_t>(c)]; }

private:
    static constexpr int kLongest = 16;
    static constexpr uint16_t kEnd = 0xFFFF;
    static constexpr uint32_t kNone = 0xFFFFFFFF;

    // Each conflict is a run of codes 3 * class + choice ended by kEnd in
    // data_, starting at watched_[id].start. It watches two of its codes
    // that did not hold when last looked at (watched_[id].at: their
    // positions in data_, kNone for the second of a one-code conflict);
    // watch_[code] lists the conflicts watching code, each with a blocker:
    // another of its codes. Only when a watched code comes to hold is the
    // conflict visited. When its blocker's class then has another pairing,
    // the conflict cannot be complete and is passed over without reading
    // it (that pairing was chosen before the watched one, so backtracking
    // takes the watched one back first). Otherwise it watches another code
    // that does not hold, or, when all others hold, refutes the choice.
    struct Watched {
        uint32_t start;
        std::array<uint32_t, 2> at;
    };
    struct Watcher {
        uint32_t id;
        uint16_t blocker; // a code of the conflict, kEnd for none
    };
    std::vector<uint16_t> data_;
    std::vector<Watched> watched_;
    std::vector<std::vector<Watcher>> watch_;
    std::vector<double> activity_;
    double bump_ = 1.0;
    bool passOver_ = false;
};

} // namespace kelmar::solver
