// Problem set-up: the present tiles of a board turned into compact indices
// with their cover, row and partner sets, and the classes of tiles that can
// be taken with each other. Built once per SolvePosition call from the
// board alone; read-only afterwards.
#pragma once

#include "core/board_geometry.h"
#include "core/solver/tile_set.h"

#include <vector>

namespace kelmar::solver {

// Everything the search needs about the present tiles, by compact index.
struct Problem {
    int n = 0;
    std::array<int32_t, kMaxTiles> slot{};
    std::array<int, kMaxTiles> classOf{};
    std::array<TileSet, kMaxTiles> coveredBy{}; // tiles lying on i
    std::array<TileSet, kMaxTiles> covers{};    // tiles i lies on
    std::array<TileSet, kMaxTiles> leftOf{};    // row tiles at X <= X[i] - 38
    std::array<TileSet, kMaxTiles> rightOf{};   // row tiles at X >= X[i] + 38
    std::array<TileSet, kMaxTiles> partners{};  // tiles i can be taken with
    // Tiles whose freedom can change when i goes: those it lies on and
    // those whose row holds i.
    std::array<TileSet, kMaxTiles> affects{};
    TileSet all;
    // When "can be taken together" splits the tiles into cliques (always so
    // with the game's MatchRange), classes holds them; otherwise it is empty
    // and the rules that rely on it are off.
    std::vector<TileSet> classes;
    std::vector<int> topDown; // tile indices, highest layer first
};

// Fills `p` (default-constructed) from the present slots 1..SlotCount of
// `board` (clamped to the slot array). Covering and rows come from the free
// rule's neighbour sets (core/board_geometry.h) of the board's layout, slots
// 1..LayoutCount(board).
void buildProblem(const Board& board, Problem& p, RowRule rule = RowRule::GapEndsRow);

} // namespace kelmar::solver
