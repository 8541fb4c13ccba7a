// How hard a deal is, measured by play: a player who takes a random free
// matching pair at every step until none is left, played many times over
// the same position. The share of the tiles those playouts take off, on
// average, is the deal's measure; fixed bands of it make the grades
// "leicht", "mittel" and "schwer".
#pragma once

#include "core/game.h"

#include <cstdint>
#include <string_view>

namespace kelmar {

// Playouts per measured position.
constexpr int kGradePlayouts = 64;
// The measure's scale: per mille of the present tiles.
constexpr int kGradeScale = 1000;

struct GradeMeasure {
    int cleared = 0; // per mille of the present tiles taken off, averaged, 0..kGradeScale
    int wins = 0;    // playouts that took every tile, 0..kGradePlayouts
};

// kGradePlayouts random playouts from the present tiles of `board` (slots
// 1..SlotCount). A playout takes, at every step, one pair chosen uniformly
// among all free matching pairs, until none is left. The playouts draw from
// their own generator, seeded from the position itself (slots, places and
// kinds of the present tiles), so the measure is a function of the position
// alone and never touches the deal generator. An empty board measures
// kGradeScale with every playout won. A won playout proves the position
// winnable.
GradeMeasure MeasureGrade(const Board& board);

// The bands of one layout on `cleared`: at least easyMin is easy, at most
// hardMax is hard, anything between is medium. easyMin > hardMax + 1 leaves a
// medium band; bands with easyMin <= hardMax + 1 have none (tests use that
// for a grade that never fits).
struct GradeBands {
    int easyMin = 0;
    int hardMax = 0;
};

// Easy, Medium or Hard (never Any) for a measure under `bands`. Hard wins
// where the bands overlap.
Grade GradeOf(int cleared, GradeBands bands);

// One scale for every layout, so that a grade means the same wherever it is
// dealt: the thirds of the measures of the numbers 1..2,000 of all built-in
// layouts together, each layout weighing the same, with "Unlösbare Spiele
// verhindern" on (`kelmar_grade_census measure 2000 0 all`). On a layout whose deals mostly lie in
// one band the other grades are rare; a deal that cannot be given the grade asked for keeps the
// grade it has.
constexpr GradeBands kDifficultyBands{917, 804};

// The bands a layout's deals are graded by: kDifficultyBands for every
// layout (the short name is kept for callers that name their layout).
GradeBands BandsForLayout(std::string_view shortName);

// The difficulty stored as `code` (settings line Difficulty=): 1..3 as
// Easy..Hard, every other number Any.
Grade GradeFromCode(int32_t code);

// The German word the status bar shows: "leicht", "mittel", "schwer"; empty
// for Any.
std::string_view GradeWord(Grade grade);

} // namespace kelmar
