#include "core/solver/problem.h"

#include "core/board.h"

#include <algorithm>
#include <bit>
#include <memory>

namespace kelmar::solver {
namespace {

// The layout's neighbour sets, kept per thread: the positions of one game,
// and of every position reached in it, are the same, so they are built once
// per layout and rule rather than once per call.
const BoardGeometry& layoutGeometry(const Board& board, RowRule rule) {
    thread_local std::array<std::unique_ptr<BoardGeometry>, 2> kept; // by rule
    std::unique_ptr<BoardGeometry>& g = kept[rule == RowRule::GapEndsRow ? 0 : 1];
    if (!g) {
        g = std::make_unique<BoardGeometry>();
    }
    if (!BoardGeometryMatches(*g, board, rule)) {
        BuildBoardGeometry(*g, board, LayoutCount(board), rule);
    }
    return *g;
}

void buildGeometry(const Board& board, Problem& p, RowRule rule) {
    const BoardGeometry& g = layoutGeometry(board, rule);
    std::array<int, kMaxTiles + 1> index{};
    index.fill(-1);
    for (int i = 0; i < p.n; ++i) {
        index[static_cast<size_t>(p.slot[i])] = i;
    }
    const auto toTiles = [&index](const SlotMask& mask, TileSet& into) {
        for (size_t w = 0; w < mask.words.size(); ++w) {
            for (uint64_t bits = mask.words[w]; bits != 0; bits &= bits - 1) {
                const size_t slot = w * 64 + static_cast<size_t>(std::countr_zero(bits));
                if (slot < index.size() && index[slot] >= 0) {
                    into.set(index[slot]);
                }
            }
        }
    };
    for (int i = 0; i < p.n; ++i) {
        const auto si = static_cast<size_t>(p.slot[i]);
        toTiles(g.Covers[si], p.coveredBy[i]);
        toTiles(g.LeftInRow[si], p.leftOf[i]);
        toTiles(g.RightInRow[si], p.rightOf[i]);
        forEachTile(p.coveredBy[i], [&](int j) { p.covers[j].set(i); });
        const TileSlot& s = board.Slots[si];
        for (int j = 0; j < p.n; ++j) {
            const TileSlot& t = board.Slots[static_cast<size_t>(p.slot[j])];
            if (j != i &&
                (KindsMatch(board, s.Kind, t.Kind) || KindsMatch(board, t.Kind, s.Kind))) {
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

void buildProblem(const Board& board, Problem& p, RowRule rule) {
    const int32_t last = std::clamp<int32_t>(board.SlotCount, 0, kMaxTiles);
    for (int32_t s = 1; s <= last; ++s) {
        if (board.Slots[s].Present) {
            p.all.set(p.n);
            p.slot[p.n++] = s;
        }
    }
    buildGeometry(board, p, rule);
    // Rows need not be mutual (a band can hold the half-row tiles that join
    // one tile's row and not another's), so i affects those whose row holds i.
    for (int i = 0; i < p.n; ++i) {
        p.affects[i] = p.affects[i] | p.covers[i];
        forEachTile(p.leftOf[i] | p.rightOf[i], [&](int j) { p.affects[j].set(i); });
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
