// Neighbour sets that depend only on the slot positions, computed once per
// deal (or per loaded game) so that the analysis, the deals, the grade and
// the solver test a slot against its neighbours with a few mask operations
// instead of a scan over the whole board. This is the one place the free
// rule's geometry is written down; every reader takes it from here.
//
// The free rule. A tile is free when no present tile of a higher layer lies
// on it (|dX| < 38 and |dY| < 38) and its row is empty on its left or on its
// right. Its row: the positions of its layer whose Y lies less than 38 px
// from its own (its band), sorted by X, cut wherever two neighbours in that
// order leave a gap of at least half a face (kRowGap) between them; the
// row is the piece that holds the tile. A row is a property of the
// positions (every slot the deal created, present or not), never of which
// tiles are still there. Left means X <= own X - 38, right X >= own X + 38;
// a row tile less than 38 px away counts on neither side.
#pragma once

#include "core/slot_mask.h"

#include <array>
#include <cstdint>

namespace kelmar {

struct Board;

// Gap between two faces, in board pixels, from which a row ends: half a face.
constexpr int32_t kRowGap = 19;

// How rows are read. GapEndsRow is the game's rule; WholeBand (a band is one
// row however wide its gaps) is the rule of earlier versions, kept only so
// that benchmarks can measure both on the same positions.
enum class RowRule { GapEndsRow, WholeBand };

struct SlotPosition {
    int32_t X = 0;
    int32_t Y = 0;
    uint8_t Layer = 0;
    friend constexpr bool operator==(const SlotPosition&, const SlotPosition&) = default;
};

// For each slot s in 1..Count (index = slot number; j never equals s):
struct BoardGeometry {
    int32_t Count = 0; // slots 1..Count are described; 0 = nothing built yet
    RowRule Rule = RowRule::GapEndsRow;
    std::array<SlotPosition, 256> Positions{}; // the positions the sets were built from
    // Free test, 38 px windows: j on a higher layer with |dX| < 38 and |dY| < 38.
    std::array<SlotMask, 256> Covers{};
    // j of the row of s (see above) with X[j] <= X[s] - 38, and X[j] >= X[s] + 38.
    std::array<SlotMask, 256> LeftInRow{};
    std::array<SlotMask, 256> RightInRow{};
    // Constructed deal, only for Layer[s] > 1: j on any lower layer with
    // |dX| < 38 and |dY| < 54 (the positions s rests on).
    std::array<SlotMask, 256> Supports{};
    // Constructed deal: same layer, |dY| < 54; and of those, |dX| <= 38.
    std::array<SlotMask, 256> RowBand{};
    std::array<SlotMask, 256> RowTouch{};
};

// Rebuilds every set from slots 1..count of the board (count clipped to
// 0..255); those positions are the layout the rows are read from.
void BuildBoardGeometry(BoardGeometry& geometry, const Board& board, int32_t count,
                        RowRule rule = RowRule::GapEndsRow);

// The slots whose positions make up the board's layout: 1..max(SlotCount,
// DealtCount), clipped to 0..255.
int32_t LayoutCount(const Board& board);

// True when the sets are valid for the board as it is: they were built with
// `rule` from exactly slots 1..LayoutCount(board), and those slots still
// have the positions the sets were built from.
bool BoardGeometryMatches(const BoardGeometry& geometry, const Board& board,
                          RowRule rule = RowRule::GapEndsRow);

// True when slot s is free with the tiles of `present` on the board.
bool FreeAmong(const BoardGeometry& geometry, int32_t s, const SlotMask& present);

// SlotCount clipped to 0..255: the upper bound of every scan, safe also for
// a board whose fields came from a damaged file.
int32_t ScanLimit(const Board& board);

// The present slots among 1..ScanLimit(board).
SlotMask PresentMask(const Board& board);

} // namespace kelmar
