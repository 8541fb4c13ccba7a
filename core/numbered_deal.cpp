#include "core/numbered_deal.h"

#include "core/builtin_layouts.h"
#include "core/day_count.h"
#include "core/plain_text.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace kelmar {

namespace {

// The finaliser of MurmurHash3: a bijection on 32 bits that spreads every
// input bit over the whole word.
constexpr uint32_t Mix32(uint32_t h) {
    h ^= h >> 16;
    h *= 0x85EBCA6BU;
    h ^= h >> 13;
    h *= 0xC2B2AE35U;
    h ^= h >> 16;
    return h;
}

// Days from 1 March of year 0 (proleptic Gregorian), so leap days fall at
// the end of a counted year; the count the day's number is mixed from.
int64_t DayCount(int year, int month, int day) {
    constexpr int64_t kMarchZeroTo1970 = 719468;
    return DaysFromCivil(year, month, day) + kMarchZeroTo1970;
}

// How far a graded deal misses the grade asked for; 0 when it fits. Used to
// keep the nearest one when no draw fits.
int Miss(int cleared, Grade wanted, GradeBands bands) {
    switch (wanted) {
    case Grade::Easy:
        return std::max(0, bands.easyMin - cleared);
    case Grade::Hard:
        return std::max(0, cleared - bands.hardMax);
    case Grade::Medium:
        return cleared <= bands.hardMax   ? bands.hardMax + 1 - cleared
               : cleared >= bands.easyMin ? cleared - bands.easyMin + 1
                                          : 0;
    case Grade::Any:
        break;
    }
    return 0;
}

// The deal of `number` when no difficulty is asked for: NewGame from draw 0,
// constructed and proven winnable when `winnable`.
GradeMeasure dealUngraded(Game& game, uint32_t number, bool winnable) {
    game.Seed = DealSeed(number, 0);
    NewGame(game, winnable);
    return MeasureGrade(game.board);
}

} // namespace

uint32_t DealSeed(uint32_t number, uint32_t draw) {
    return Mix32(number ^ Mix32(draw * 0x9E3779B9U + 0x7F4A7C15U));
}

uint32_t DrawDealNumber(uint32_t& state) {
    state = state * 134775813U + 1U;
    return static_cast<uint32_t>((uint64_t{kMaxDealNumber} * state) >> 32) + 1U;
}

uint32_t DealNumberOfDay(int year, int month, int day) {
    const auto days = static_cast<uint64_t>(DayCount(year, month, day));
    // A bijection of the day count, then into 1..kMaxDealNumber: days stay
    // apart for as long as the day count fits 32 bits.
    const uint32_t mixed = Mix32(static_cast<uint32_t>(days) ^ 0x4B454C4DU); // "KELM"
    return mixed % kMaxDealNumber + 1U;
}

std::optional<uint32_t> ParseDealNumber(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    const std::optional<uint64_t> value = ParseDigits(text, kMaxDealNumber);
    if (!value || *value == 0) {
        return std::nullopt;
    }
    return static_cast<uint32_t>(*value);
}

NumberedDeal NewNumberedGame(Game& game, uint32_t number, Grade wanted) {
    return NewNumberedGame(game, number, wanted, kDifficultyBands);
}

NumberedDeal NewNumberedGame(Game& game, uint32_t number, Grade wanted, GradeBands bands) {
    number = std::clamp<uint32_t>(number, 1, kMaxDealNumber);
    NumberedDeal result;
    result.number = number;
    result.draws = 1;
    if (wanted == Grade::Any) {
        result.measure = dealUngraded(game, number, game.settings.AvoidUnsolveableGames);
    } else {
        // Every finished construction is measured before the solver sees
        // it: one of another grade costs only its playouts, and one that a
        // playout cleared is proven without the solver.
        GradeMeasure last;
        auto nearest = std::make_unique<Board>();
        GradeMeasure nearestMeasure;
        int nearestMiss = -1;
        const ConstructionFilter filter = [&](const Board& board) {
            last = MeasureGrade(board);
            const int miss = Miss(last.cleared, wanted, bands);
            if (miss == 0) {
                return last.wins > 0 ? ConstructionVerdict::Proven : ConstructionVerdict::Check;
            }
            if (last.wins > 0 && (nearestMiss < 0 || miss < nearestMiss)) {
                *nearest = board;
                nearestMeasure = last;
                nearestMiss = miss;
            }
            return ConstructionVerdict::Reject;
        };
        bool fitted = false;
        for (int draw = 0; draw < kGradeDrawLimit && !fitted; ++draw) {
            game.Seed = DealSeed(number, static_cast<uint32_t>(draw));
            DealCheckReport report;
            NewGame(game, true, &report, filter);
            result.draws = draw + 1;
            fitted = report.proven; // only a construction the filter let pass is proven
        }
        if (fitted) {
            result.measure = last;
        } else if (nearestMiss >= 0) {
            game.board = *nearest; // same slots and flags: only the kinds differ
            result.measure = nearestMeasure;
        } else {
            // No construction a playout cleared: the number's own deal.
            result.measure = dealUngraded(game, number, true);
        }
    }
    result.grade = GradeOf(result.measure.cleared, bands);
    result.fits = wanted == Grade::Any || result.grade == wanted;
    game.deal = DealIdentity{number, result.grade};
    return result;
}

int32_t DayGameOf(int year, int month, int day) {
    return static_cast<int32_t>(DaysFromCivil(year, month, day) + kUnixDayCount);
}

NumberedDeal NewDayGame(Game& game, int32_t dayCount) {
    const CivilDate date = CivilFromDays(int64_t{dayCount} - kUnixDayCount);
    NumberedDeal result;
    result.number = DealNumberOfDay(static_cast<int>(date.Year), date.Month, date.Day);
    result.draws = 1;
    result.measure = dealUngraded(game, result.number, true);
    result.grade = GradeOf(result.measure.cleared, kDifficultyBands);
    game.deal = DealIdentity{result.number, result.grade, dayCount};
    return result;
}

Grade TypicalGrade(const Layout& layout) {
    // Median measure of the numbers 1..2,000 per built-in layout
    // (`kelmar_grade_census measure 2000 0 all`).
    struct Entry {
        std::string_view layout;
        int median;
    };
    static constexpr Entry kMedians[] = {
        {"Pyramide", 623}, {"Feld", 990},   {"Tuerme", 758}, {"Bruecke", 983},
        {"Ring", 921},     {"Pfeil", 807},  {"Kreuz", 847},  {"Stege", 978},
        {"Festung", 795},  {"Treppe", 761}, {"Falter", 859}, {"Wellen", 882},
    };
    const Layout* builtIn = FindLayout(BuiltInLayouts(), layout.ShortName);
    if (builtIn != nullptr && builtIn->Positions == layout.Positions) {
        for (const Entry& e : kMedians) {
            if (e.layout == layout.ShortName) {
                return GradeOf(e.median, kDifficultyBands);
            }
        }
    }
    auto game = std::make_unique<Game>();
    game->layout = &layout;
    game->settings.AvoidUnsolveableGames = true;
    std::array<int, kTypicalGradeSamples> measures{};
    for (uint32_t n = 1; n <= kTypicalGradeSamples; ++n) {
        measures[n - 1] = NewNumberedGame(*game, n, Grade::Any).measure.cleared;
    }
    std::sort(measures.begin(), measures.end());
    return GradeOf(measures[kTypicalGradeSamples / 2], kDifficultyBands);
}

std::string DealLabel(const DealIdentity& deal) {
    if (deal.Number == 0) {
        return {};
    }
    std::string label = "Spiel " + std::to_string(deal.Number);
    if (deal.DayGame != 0) {
        const CivilDate date = CivilFromDays(int64_t{deal.DayGame} - kUnixDayCount);
        char day[48];
        std::snprintf(day, sizeof day, "Spiel des Tages %02d.%02d.%04lld", date.Day, date.Month,
                      static_cast<long long>(date.Year));
        label = day;
    }
    const std::string_view word = GradeWord(deal.DealGrade);
    if (!word.empty()) {
        label += " \u00B7 "; // middle dot
        label += word;
    }
    return label;
}

} // namespace kelmar
