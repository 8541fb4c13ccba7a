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

// Deals of the wrong grade one graded deal may go through before it gives
// up. At a third of the deals per grade, 40 draws all miss with a chance of
// (2/3)^40, about 1 in 10 million.
constexpr int kGradeDrawLimit = 40;

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
// clamped into the range): constructed and proven winnable when
// AvoidUnsolveableGames is on or a difficulty is asked for, random
// otherwise, and graded. With a difficulty, draws 0, 1, ... are dealt until
// one is proven winnable and of that grade; after kGradeDrawLimit draws the
// proven deal nearest to the grade is kept (fits false). `bands` default to
// those of the pyramid. Records number and grade in game.Deal.
NumberedDeal NewNumberedGame(Game& game, uint32_t number, Grade wanted);
NumberedDeal NewNumberedGame(Game& game, uint32_t number, Grade wanted, GradeBands bands);

// The status bar's words for a deal (UTF-8): "Spiel 482913 · mittel", just
// "Spiel 482913" when ungraded, and empty without a number (a loaded game).
std::string DealLabel(const DealIdentity& deal);

} // namespace kelmar
