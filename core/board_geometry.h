// Neighbour sets that depend only on the slot positions, computed once per
// deal (or per loaded game) so that the analysis and the constructed deal
// test a slot against its neighbours with a few mask operations instead of a
// scan over the whole board. The sets reproduce the pixel windows of the
// plain tests exactly; they never decide anything on their own.
#pragma once

#include "core/slot_mask.h"

#include <array>
#include <cstdint>

namespace kelmar {

struct Board;

struct SlotPosition {
    int32_t X = 0;
    int32_t Y = 0;
    uint8_t Layer = 0;
    friend constexpr bool operator==(const SlotPosition&, const SlotPosition&) = default;
};

// For each slot s in 1..Count (index = slot number; j never equals s):
struct BoardGeometry {
    int32_t Count = 0; // slots 1..Count are described; 0 = nothing built yet
    std::array<SlotPosition, 256> Positions{}; // the positions the sets were built from
    // Free test, 38 px windows: j on a higher layer with |dX| < 38 and |dY| < 38.
    std::array<SlotMask, 256> Covers{};
    // Same layer, |dY| < 38 (the band): X[j] <= X[s] - 38 and X[j] >= X[s] + 38.
    std::array<SlotMask, 256> LeftOfBand{};
    std::array<SlotMask, 256> RightOfBand{};
    // Constructed deal, only for Layer[s] > 1: j on any lower layer with
    // |dX| < 38 and |dY| < 54 (the positions s rests on).
    std::array<SlotMask, 256> Supports{};
    // Constructed deal: same layer, |dY| < 54; and of those, |dX| <= 38.
    std::array<SlotMask, 256> RowBand{};
    std::array<SlotMask, 256> RowTouch{};
};

// Rebuilds every set from slots 1..count of the board (count clipped to 0..255).
void BuildBoardGeometry(BoardGeometry& geometry, const Board& board, int32_t count);

// True when the sets are valid for the board as it is: they describe at
// least slots 1..SlotCount and those slots still have the positions the
// sets were built from. Slots above SlotCount are not present, so their
// positions cannot change a result.
bool BoardGeometryMatches(const BoardGeometry& geometry, const Board& board);

// True when slot s is free with the tiles of `present` on the board (the
// test AnalyzeBoard makes).
bool FreeAmong(const BoardGeometry& geometry, int32_t s, const SlotMask& present);

// SlotCount clipped to 0..255: the upper bound of every scan, safe also for
// a board whose fields came from a damaged file.
int32_t ScanLimit(const Board& board);

// The present slots among 1..ScanLimit(board).
SlotMask PresentMask(const Board& board);

} // namespace kelmar
