// Dealing: the game's own random generator, the random deal and the
// constructed (solvable) deal. Every draw happens in a fixed order, so a
// Seed always gives the same game.
#pragma once

#include <cstdint>

#include "core/game.h"

namespace kelmar {

// Seed = milliseconds since midnight UTC (hh, mm, ss, ms of the current time).
void SeedRandom(Game& game, uint32_t msSinceMidnightUtc);

// Advances Seed = Seed * 134775813 + 1 (mod 2^32) and returns the upper
// 32 bits of n * Seed, i.e. 0..n-1. n >= 1; n = 1 still advances the state.
uint32_t RandomBelow(Game& game, uint32_t n);

void PlaceRandomTile(Game& game, int32_t x, int32_t y, uint8_t layer);
void DealRandom(Game& game);
void DealSolvable(Game& game);
bool TryConstruction(Game& game);
int32_t PickConstructionSlot(Game& game);

// ResetBoard, deal by the AvoidUnsolveableGames setting, DealtCount = 144,
// BoardChanged = true, NoMovesLeft = GameWon = false, Running = true.
// The caller then runs AnalyzeBoard and RenderBoard.
void NewGame(Game& game);

}  // namespace kelmar
