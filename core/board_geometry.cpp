#include "core/board_geometry.h"

#include "core/game.h"

#include <algorithm>
#include <cstddef>

namespace kelmar {

namespace {

// Adds j to the sets of s; the comparisons are those of the plain tests,
// written out so each window edge is visible.
void Relate(BoardGeometry& g, int32_t s, const SlotPosition& a, int32_t j, const SlotPosition& b) {
    const auto si = static_cast<size_t>(s);
    if (b.Layer > a.Layer && b.X + 38 > a.X && b.X - 38 < a.X && b.Y + 38 > a.Y && b.Y - 38 < a.Y) {
        g.Covers[si].set(j);
    }
    if (a.Layer > 1 && b.Layer < a.Layer && b.X + 38 > a.X && b.X - 38 < a.X && b.Y + 54 > a.Y &&
        b.Y - 54 < a.Y) {
        g.Supports[si].set(j);
    }
    if (b.Layer == a.Layer && b.Y + 54 > a.Y && b.Y - 54 < a.Y) {
        g.RowBand[si].set(j);
        if (b.X - a.X <= 38 && a.X - b.X <= 38) {
            g.RowTouch[si].set(j);
        }
    }
}

bool InBand(const SlotPosition& a, const SlotPosition& b) {
    return b.Layer == a.Layer && b.Y + 38 > a.Y && b.Y - 38 < a.Y;
}

// The row of s: its band with s itself, sorted by X, and of that the piece
// around s that no gap of kRowGap or more interrupts.
void BuildRow(BoardGeometry& g, int32_t s, int32_t count) {
    const SlotPosition& a = g.Positions[static_cast<size_t>(s)];
    std::array<int32_t, kSlotCapacity> band{};
    size_t n = 0;
    for (int32_t j = 1; j <= count; ++j) {
        if (j == s || InBand(a, g.Positions[static_cast<size_t>(j)])) {
            band[n++] = j;
        }
    }
    const auto x = [&g](int32_t j) { return g.Positions[static_cast<size_t>(j)].X; };
    std::sort(band.begin(), band.begin() + static_cast<std::ptrdiff_t>(n),
              [&](int32_t p, int32_t q) { return x(p) != x(q) ? x(p) < x(q) : p < q; });
    const size_t at = static_cast<size_t>(
        std::find(band.begin(), band.begin() + static_cast<std::ptrdiff_t>(n), s) - band.begin());
    size_t first = at;
    size_t last = at;
    if (g.Rule == RowRule::WholeBand) {
        first = 0;
        last = n - 1;
    } else {
        // Touching faces lie kFaceWidth apart; from kFaceWidth + kRowGap on
        // there is felt of half a face or more between them.
        const auto joined = [&](size_t k) {
            return x(band[k]) - x(band[k - 1]) < kFaceWidth + kRowGap;
        };
        while (first > 0 && joined(first)) {
            --first;
        }
        while (last + 1 < n && joined(last + 1)) {
            ++last;
        }
    }
    const auto si = static_cast<size_t>(s);
    for (size_t k = first; k <= last; ++k) {
        const int32_t j = band[k];
        if (j != s && x(j) + 37 < a.X) {
            g.LeftInRow[si].set(j);
        }
        if (j != s && x(j) - 37 > a.X) {
            g.RightInRow[si].set(j);
        }
    }
}

} // namespace

int32_t LayoutCount(const Board& board) {
    return std::clamp(std::max(board.SlotCount, board.DealtCount), int32_t{0},
                      int32_t{kSlotCapacity - 1});
}

bool FreeAmong(const BoardGeometry& g, int32_t s, const SlotMask& present) {
    const auto si = static_cast<size_t>(s);
    return !g.Covers[si].intersects(present) &&
           (!g.LeftInRow[si].intersects(present) || !g.RightInRow[si].intersects(present));
}

int32_t ScanLimit(const Board& board) {
    return std::clamp(board.SlotCount, int32_t{0}, int32_t{kSlotCapacity - 1});
}

SlotMask PresentMask(const Board& board) {
    SlotMask mask;
    const int32_t limit = ScanLimit(board);
    for (int32_t s = 1; s <= limit; ++s) {
        if (board.Slots[static_cast<size_t>(s)].Present) {
            mask.set(s);
        }
    }
    return mask;
}

void BuildBoardGeometry(BoardGeometry& g, const Board& board, int32_t count, RowRule rule) {
    count = std::clamp(count, int32_t{0}, int32_t{kSlotCapacity - 1});
    g = BoardGeometry{};
    g.Count = count;
    g.Rule = rule;
    for (int32_t s = 1; s <= count; ++s) {
        const TileSlot& t = board.Slots[static_cast<size_t>(s)];
        g.Positions[static_cast<size_t>(s)] = SlotPosition{t.X, t.Y, t.Layer};
    }
    for (int32_t s = 1; s <= count; ++s) {
        const SlotPosition& a = g.Positions[static_cast<size_t>(s)];
        for (int32_t j = 1; j <= count; ++j) {
            if (j != s) {
                Relate(g, s, a, j, g.Positions[static_cast<size_t>(j)]);
            }
        }
        BuildRow(g, s, count);
    }
}

bool BoardGeometryMatches(const BoardGeometry& g, const Board& board, RowRule rule) {
    const int32_t limit = LayoutCount(board);
    if (limit != g.Count || g.Rule != rule) {
        return false;
    }
    for (int32_t s = 1; s <= limit; ++s) {
        const TileSlot& t = board.Slots[static_cast<size_t>(s)];
        if (!(g.Positions[static_cast<size_t>(s)] == SlotPosition{t.X, t.Y, t.Layer})) {
            return false;
        }
    }
    return true;
}

} // namespace kelmar
