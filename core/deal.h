// Dealing: the game's own random generator, the random deal and the
// constructed (solvable) deal. Every draw happens in a fixed order, so a
// Seed always gives the same game.
#pragma once

#include "core/game.h"

#include <cstdint>
#include <functional>

namespace kelmar {

// Construction attempts of the constructed deal before it gives up and
// hands out its last finished construction unproven. The census in
// bench/solver never comes near it: a deal that takes more than a handful
// of attempts is already rare.
constexpr int kDealAttemptLimit = 100;

// What DealSolvable did, for the census and the tests.
struct DealCheckReport {
    int attempts = 0;    // construction attempts made, 1..kDealAttemptLimit
    bool proven = false; // the deal handed out is proven winnable
};

// What a caller of DealSolvable makes of a finished construction before the
// solver looks at it: Reject counts it as a failed attempt, Proven hands it
// out as proven winnable (the caller holds a proof, such as a won playout),
// Check leaves the decision to the solver as without a filter.
enum class ConstructionVerdict { Reject, Proven, Check };
using ConstructionFilter = std::function<ConstructionVerdict(const Board&)>;

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

// PlaceRandomTile for every position of game.layout, in its order.
void DealRandom(Game& game);

// On a reset board (SlotCount 0): creates the 144 slots of game.layout with
// kind 0, then
// construction attempts until one is proven winnable by the solver (with
// kDealCheckNodeBudget nodes); a construction that is proven unwinnable or
// left undecided counts as failed like one that could not be finished.
// After kDealAttemptLimit attempts the last finished construction is kept
// (ResetBoard and DealRandom when none was finished). `report`, when
// given, receives the attempts and whether the deal is proven winnable.
// `filter`, when given, judges every finished construction first; only those
// it does not reject are kept as the last finished one.
void DealSolvable(Game& game, DealCheckReport* report = nullptr,
                  const ConstructionFilter& filter = {});

// One attempt on the slots 1..SlotCount that exist: refills the pool, empties
// them and fills them backwards pair by pair. True when every slot got a
// kind. On failure the slots keep what the attempt had placed.
bool TryConstruction(Game& game);

// An empty slot that rests on filled positions and opens or continues its
// row band, or 0 after 101 tries (also 0 at once when no slot is empty).
int32_t PickConstructionSlot(Game& game);

// ResetBoard, deal on game.layout by the AvoidUnsolveableGames setting, DealtCount = 144,
// BoardChanged = true, NoMovesLeft = GameWon = false, Running = true, and the
// analysis' neighbour sets rebuilt for the new slots. HintShowing is left to
// the RenderBoard that follows. The caller then runs AnalyzeBoard and
// RenderBoard. `report` is passed to DealSolvable (untouched when the
// option is off).
void NewGame(Game& game, DealCheckReport* report = nullptr);
// The same with the choice between the constructed (winnableOnly) and the
// random deal made by the caller instead of the setting; `filter` goes to
// DealSolvable.
void NewGame(Game& game, bool winnableOnly, DealCheckReport* report = nullptr,
             const ConstructionFilter& filter = {});

// Seeds the check below tries before it gives up on a layout.
constexpr int kLayoutCheckSeeds = 3;

// True when the constructed deal on `layout` hands out a deal the solver
// proves winnable for one of the seeds 0..kLayoutCheckSeeds-1: the bounded
// effort after which a layout counts as having no winnable deal. Uses a
// game of its own; nothing else changes.
bool LayoutHasWinnableDeal(const Layout& layout);

} // namespace kelmar
