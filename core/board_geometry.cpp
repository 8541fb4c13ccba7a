#include "core/board_geometry.h"

#include "core/game.h"

#include <algorithm>

namespace kelmar {

namespace {

// Adds j to the sets of s; the comparisons are those of the plain tests,
// written out so each window edge is visible.
void Relate(BoardGeometry& g, int32_t s, const SlotPosition& a, int32_t j, const SlotPosition& b) {
    const auto si = static_cast<size_t>(s);
    if (b.Layer > a.Layer && b.X + 38 > a.X && b.X - 38 < a.X && b.Y + 38 > a.Y && b.Y - 38 < a.Y) {
        g.Covers[si].set(j);
    }
    if (b.Layer == a.Layer && b.Y + 38 > a.Y && b.Y - 38 < a.Y) {
        if (b.X + 37 < a.X) {
            g.LeftOfBand[si].set(j);
        }
        if (b.X - 37 > a.X) {
            g.RightOfBand[si].set(j);
        }
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

} // namespace

bool FreeAmong(const BoardGeometry& g, int32_t s, const SlotMask& present) {
    const auto si = static_cast<size_t>(s);
    return !g.Covers[si].intersects(present) &&
           (!g.LeftOfBand[si].intersects(present) || !g.RightOfBand[si].intersects(present));
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

void BuildBoardGeometry(BoardGeometry& g, const Board& board, int32_t count) {
    count = std::clamp(count, int32_t{0}, int32_t{kSlotCapacity - 1});
    g = BoardGeometry{};
    g.Count = count;
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
    }
}

bool BoardGeometryMatches(const BoardGeometry& g, const Board& board) {
    const int32_t limit = ScanLimit(board);
    if (limit > g.Count) {
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
