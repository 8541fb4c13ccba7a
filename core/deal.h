// Dealing: the game's own random generator, the random deal and the
// constructed (solvable) deal. Every draw happens in a fixed order, so a
// Seed always gives the same game.
#pragma once

#include "core/game.h"

#include <cstdint>

namespace kelmar {

// Construction attempts before the constructed deal gives way to a random one.
constexpr int kConstructionAttempts = 9;

// Tries of one construction pick before it gives up.
constexpr int kConstructionPickTries = 101;

// Seed = milliseconds since midnight UTC (hh, mm, ss, ms of the current time).
void SeedRandom(Game& game, uint32_t msSinceMidnightUtc);
// The same, reading the system clock.
void SeedRandom(Game& game);
// Milliseconds since midnight UTC now, 0..86399999.
uint32_t MillisecondsSinceMidnightUtc();

// Advances Seed = Seed * 134775813 + 1 (mod 2^32) and returns the upper
// 32 bits of n * Seed, i.e. 0..n-1. n >= 1; n = 1 still advances the state.
uint32_t RandomBelow(Game& game, uint32_t n);

// Draws a kind uniform over the kinds with copies left (redrawing used-up
// kinds), takes it from the pool and creates the next slot with it.
// Does nothing when the pool is empty.
void PlaceRandomTile(Game& game, int32_t x, int32_t y, uint8_t layer);

// PlaceRandomTile for every position of BoardLayout, in its order.
void DealRandom(Game& game);

// On a reset board (SlotCount 0): creates the 144 slots with kind 0, then up
// to 9 construction attempts; an attempt counts only if the solver does not
// prove the deal unwinnable within kDealCheckNodeBudget positions (an
// undecided deal is kept). After 9 failures: ResetBoard and DealRandom.
void DealSolvable(Game& game);

// One attempt on the slots 1..SlotCount that exist: refills the pool, empties
// them and fills them backwards pair by pair. True when every slot got a
// kind. On failure the slots keep what the attempt had placed.
bool TryConstruction(Game& game);

// An empty slot that rests on filled positions and opens or continues its
// row band, or 0 after 101 tries (also 0 at once when no slot is empty).
int32_t PickConstructionSlot(Game& game);

// ResetBoard, deal by the AvoidUnsolveableGames setting, DealtCount = 144,
// BoardChanged = true, NoMovesLeft = GameWon = false, Running = true, and the
// analysis' neighbour sets rebuilt for the new slots. HintShowing is left to
// the RenderBoard that follows. The caller then runs AnalyzeBoard and
// RenderBoard.
void NewGame(Game& game);

} // namespace kelmar
