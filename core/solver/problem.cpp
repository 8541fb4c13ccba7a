#include "core/solver/problem.h"

#include "core/board.h"

#include <algorithm>

namespace kelmar::solver {
namespace {

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

} // namespace

void buildProblem(const Board& board, Problem& p) {
    const int32_t last = std::clamp<int32_t>(board.SlotCount, 0, kMaxTiles);
    for (int32_t s = 1; s <= last; ++s) {
        if (board.Slots[s].Present) {
            p.all.set(p.n);
            p.slot[p.n++] = s;
        }
    }
    buildGeometry(board, p);
    for (int i = 0; i < p.n; ++i) {
        p.affects[i] = p.covers[i] | p.leftOf[i] | p.rightOf[i];
    }
    buildClasses(p);
    for (int i = 0; i < p.n; ++i) {
        p.topDown.push_back(i);
    }
    std::stable_sort(p.topDown.begin(), p.topDown.end(), [&](int a, int b) {
        return board.Slots[p.slot[a]].Layer > board.Slots[p.slot[b]].Layer;
    });
}

} // namespace kelmar::solver
