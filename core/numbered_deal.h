// Deals as values: every deal has a number 1..999,999,999, and the board is a
// function of the layout, the number, whether only winnable deals are
// handed out, and the difficulty asked for. The deal generator and the
// dealing algorithms are those of core/deal.h; only the Seed they start
// from comes from the number.
#pragma once

#include "core/deal.h"
#include "core/game.h"
#include "core/grade.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kelmar {

constexpr uint32_t kMaxDealNumber = 999'999'999;

// Seeds (draws) one graded deal may go through before it gives up. Each
// draw is a constructed deal of up to kDealAttemptLimit constructions, of
// which about a third have any one grade, so a draw almost never misses;
// the limit bounds the time when the bands leave a grade empty.
constexpr int kGradeDrawLimit = 3;

// The Seed of draw `draw` (0, 1, ...) of the deal numbered `number`. Draw 0
// is the deal of the number when no difficulty is asked for. A bijective
// 32-bit mix of number and draw, so neighbouring numbers give unrelated
// deals. Pinned by tests: changing it changes every numbered deal.
uint32_t DealSeed(uint32_t number, uint32_t draw);

// A fresh number 1..kMaxDealNumber from `state`, which it advances (the
// deal generator's step, on a state of its own).
uint32_t DrawDealNumber(uint32_t& state);

// The number of the game of the day for a date of the Gregorian calendar
// (month 1..12, day 1..31): the same everywhere on that date, different on
// every other day for thousands of years.
uint32_t DealNumberOfDay(int year, int month, int day);

// The number a player typed: decimal digits only, blanks around them
// allowed, 1..kMaxDealNumber; nullopt for anything else.
std::optional<uint32_t> ParseDealNumber(std::string_view text);

// What a numbered deal turned out to be.
struct NumberedDeal {
    uint32_t number = 0; // 0: no number (a loaded game)
    Grade grade = Grade::Any;
    GradeMeasure measure;
    int draws = 0;    // seeds tried, 1..kGradeDrawLimit
    bool fits = true; // the grade is the one asked for (always true for Any)
};

// NewGame on the deal numbered `number` (1..kMaxDealNumber; other values are
// clamped into the range) on game.layout, graded with `bands` (default:
// kDifficultyBands).
//
// Without a difficulty (Any) it is the deal NewGame makes from
// DealSeed(number, 0): constructed and proven winnable when
// AvoidUnsolveableGames is on, random otherwise. With one, the constructed
// deal runs from DealSeed(number, 0), then 1, ... (at most kGradeDrawLimit
// draws); a construction of another grade counts as a failed attempt, and
// one of the grade is handed out once proven winnable (by a won playout or
// the solver). Should no draw give one, the construction nearest to the
// grade that a playout cleared is kept (fits false), or failing that the
// number's own constructed deal. Records number and grade in game.deal.
NumberedDeal NewNumberedGame(Game& game, uint32_t number, Grade wanted);
NumberedDeal NewNumberedGame(Game& game, uint32_t number, Grade wanted, GradeBands bands);

// The day count of a date (days since 30 December 1899), as
// DealIdentity::DayGame holds a game of the day.
int32_t DayGameOf(int year, int month, int day);

// The game of the day `dayCount` (DayGameOf) on game.layout: one board per
// day and layout for every player, whatever their difficulty and
// "Unlösbare Spiele verhindern": the deal numbered DealNumberOfDay of that
// date, constructed and proven winnable, no difficulty asked for. Its grade
// is whatever it measures. Records number, grade and day in game.deal.
NumberedDeal NewDayGame(Game& game, int32_t dayCount);

// Numbers whose deals TypicalGrade measures on a layout without a census.
constexpr uint32_t kTypicalGradeSamples = 5;

// The grade of the median deal on `layout` (the numbers with "Unlösbare
// Spiele verhindern" on and no difficulty): for the built-in layouts from
// their census (bench/grade), for any other the median of the deals
// numbered 1..kTypicalGradeSamples, measured (a few milliseconds each).
Grade TypicalGrade(const Layout& layout);

// The status bar's words for a deal (UTF-8): "Spiel 482913 · mittel", just
// "Spiel 482913" when ungraded, "Spiel des Tages 08.12.2026 · leicht" for a
// game of the day, and empty without a number (a loaded game).
std::string DealLabel(const DealIdentity& deal);

} // namespace kelmar
