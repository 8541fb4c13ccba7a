// The board model: the five-layer pyramid's positions, the tile set and the match
// table, and the elementary operations on slots.
#pragma once

#include "core/game.h"
#include "core/geometry.h"
#include "core/layout.h"

#include <array>
#include <cstdint>

namespace kelmar {

// The pyramid's 144 positions in the order both deals create the slots;
// index i is slot i + 1 (the positions of PyramidLayout()).
extern const std::array<LayoutPosition, kLayoutSize> BoardLayout;

// MatchRange: kinds 1..34 match themselves, 35..38 and 39..42 their group.
// Kind 0 keeps Low = High = 0.
void FillMatchRange(Board& board);

// The full tile pool: four copies of kinds 1..34, one of kinds 35..42.
void FillTilePool(Board& board);

// Prepares a new game: full tile pool, MatchRange, SlotCount = MaxLayer = 0,
// sentinel slot 0 present, selection and no-moves flags cleared, history
// emptied, no aids (GameAids), clock rebased to 0 ms at CurrentTick with
// NextStatusTick = 0.
// Slots 1..255 keep their contents; DealtCount, GameWon, HintShowing and
// Running are not touched.
void ResetBoard(Game& game);

// Creates slot SlotCount + 1 as a present, not-free tile; raises MaxLayer.
// Does nothing once slot 255 exists.
void AddSlot(Board& board, int32_t x, int32_t y, uint8_t layer, uint8_t kind);

// Takes the tile off; SlotCount then shrinks past every trailing absent slot
// (the sentinel stops it at 0). Slots outside 1..255 are ignored, so the
// sentinel can never be taken off.
void RemoveTile(Board& board, int32_t slot);

// Puts the tile back; SlotCount grows to the slot if it lay above.
// Slots outside 1..255 are ignored.
void RestoreTile(Board& board, int32_t slot);

// The face rectangle of a slot in board pixels:
// Left = X + 26 + 9*Layer, Top = Y + 29 - 9*Layer, 38 x 54.
// A slot outside 0..255 gives the empty rectangle.
Rect TileRect(const Board& board, int32_t slot);

// The topmost present tile under (px, py), the lowest slot among equals on
// that layer, or 0. Free plays no part.
int32_t HitTest(const Board& board, int32_t px, int32_t py);

// True when kind a matches kind b: Low[b] <= a <= High[b]. A kind above 42
// (only a damaged saved game can hold one) has no match entry and matches
// nothing.
inline bool KindsMatch(const Board& board, uint8_t a, uint8_t b) {
    return b <= kKindCount && board.Low[b] <= a && a <= board.High[b];
}

} // namespace kelmar
