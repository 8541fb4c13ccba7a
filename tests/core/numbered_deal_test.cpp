#include "core/board.h"
#include "core/builtin_layouts.h"
#include "core/deal.h"
#include "core/grade.h"
#include "core/numbered_deal.h"
#include "core/solver.h"

#include <array>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <set>
#include <string>
#include <utility>

namespace kelmar {
namespace {

// FNV-1a over the kinds of slots 1..SlotCount: one number per board.
uint64_t KindsDigest(const Board& board) {
    uint64_t h = 0xCBF29CE484222325ULL;
    for (int32_t s = 1; s <= board.SlotCount; ++s) {
        h ^= board.Slots[static_cast<size_t>(s)].Kind;
        h *= 0x100000001B3ULL;
    }
    return h;
}

TEST(DealNumber, TypedTextIsANumberOnlyWhenItIsOneToNineHundredNinetyNineMillion) {
    const struct {
        const char* text;
        std::optional<uint32_t> number;
    } cases[] = {
        {"1", 1u},
        {"482913", 482913u},
        {"999999999", 999999999u},
        {"  42\t", 42u},
        {"0000000007", 7u},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"0", std::nullopt},
        {"000", std::nullopt},
        {"1000000000", std::nullopt},
        {"4294967297", std::nullopt}, // 2^32 + 1 must not wrap to 1
        {"99999999999999999999", std::nullopt},
        {"-5", std::nullopt},
        {"+5", std::nullopt},
        {"12x", std::nullopt},
        {"4 2", std::nullopt},
        {"482.913", std::nullopt},
        {"0x10", std::nullopt},
        {"\xD9\xA3", std::nullopt}, // an Arabic-Indic digit three
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseDealNumber(c.text), c.number) << '"' << c.text << '"';
    }
}

// The inverse of the generator's factor modulo 2^32, by Newton's method.
uint32_t InverseOfFactor() {
    const uint32_t a = 134775813U;
    uint32_t x = a; // correct to 3 bits for odd a
    for (int i = 0; i < 5; ++i) {
        x *= 2U - a * x;
    }
    return x;
}

TEST(DealNumber, FreshNumbersReachBothEndsOfTheRangeAndNothingBeyond) {
    const uint32_t inverse = InverseOfFactor();
    ASSERT_EQ(134775813U * inverse, 1U);
    // The states whose next step is 0 and 2^32 - 1: the smallest and the
    // largest product.
    uint32_t lowest = (0U - 1U) * inverse;
    EXPECT_EQ(DrawDealNumber(lowest), 1u);
    uint32_t highest = (0xFFFFFFFFU - 1U) * inverse;
    EXPECT_EQ(DrawDealNumber(highest), kMaxDealNumber);
    // Spread over the whole range: each tenth of it gets about a tenth.
    uint32_t state = 4711;
    std::array<int, 10> tenths{};
    for (int i = 0; i < 10000; ++i) {
        const uint32_t n = DrawDealNumber(state);
        ASSERT_GE(n, 1u);
        ASSERT_LE(n, kMaxDealNumber);
        ++tenths[(n - 1) / 100'000'000];
    }
    for (size_t t = 0; t < tenths.size(); ++t) {
        EXPECT_GT(tenths[t], 850) << "tenth " << t;
        EXPECT_LT(tenths[t], 1150) << "tenth " << t;
    }
}

TEST(DealNumber, EveryDayOfACenturyHasItsOwnNumber) {
    std::set<uint32_t> seen;
    int days = 0;
    for (int year = 2000; year < 2100; ++year) {
        for (int month = 1; month <= 12; ++month) {
            const int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
            const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
            const int length = lengths[month - 1] + (month == 2 && leap ? 1 : 0);
            for (int day = 1; day <= length; ++day) {
                const uint32_t n = DealNumberOfDay(year, month, day);
                ASSERT_GE(n, 1u);
                ASSERT_LE(n, kMaxDealNumber);
                seen.insert(n);
                ++days;
            }
        }
    }
    EXPECT_EQ(days, 36525);
    EXPECT_EQ(seen.size(), static_cast<size_t>(days));
    // Pinned: every player gets this deal on these days.
    EXPECT_EQ(DealNumberOfDay(2026, 12, 7), 89442494u);
    EXPECT_EQ(DealNumberOfDay(2000, 1, 1), 722646021u);
    EXPECT_NE(DealNumberOfDay(2024, 2, 29), DealNumberOfDay(2024, 3, 1));
    EXPECT_NE(DealNumberOfDay(2026, 12, 31), DealNumberOfDay(2027, 1, 1));
}

// Pinned deals: a change of the seed mapping, the generator, the dealing
// algorithms, the solver check or the measure changes what a number means,
// and players' shared numbers with it. Only change these on purpose.
TEST(NumberedDeal, PinnedNumbersKeepTheirDeals) {
    const struct {
        const char* layout;
        uint32_t number;
        bool winnableOnly;
        Grade wanted;
        uint32_t seed;
        uint64_t digest;
        int cleared;
        Grade grade;
        int draws;
    } cases[] = {
        {"Pyramide", 1u, true, Grade::Any, 0xCF0D80E5U, 0x5D66FCF3896BE1F7ULL, 639, Grade::Hard, 1},
        {"Pyramide", 482913u, true, Grade::Any, 0x764354D2U, 0x805F6759983FDE75ULL, 750,
         Grade::Hard, 1},
        {"Pyramide", 999999999u, false, Grade::Any, 0xEA097579U, 0x208AACFB8815BCB3ULL, 558,
         Grade::Hard, 1},
        // Easy is out of the pyramid's reach: the nearest construction after
        // all draws, with the grade it has.
        {"Pyramide", 20261207u, true, Grade::Easy, 0xF6F207DFU, 0x9E391B1BDE819887ULL, 902,
         Grade::Medium, 3},
        {"Pyramide", 20261207u, true, Grade::Medium, 0xF6F207DFU, 0xB5DB4CBEA9D859DBULL, 892,
         Grade::Medium, 2},
        {"Pyramide", 20261207u, false, Grade::Hard, 0xF6F207DFU, 0xC1BDE778B8C7DAFBULL, 629,
         Grade::Hard, 1},
        {"Feld", 482913u, true, Grade::Any, 0x764354D2U, 0x9605ED4DE5BCA0CDULL, 992, Grade::Easy,
         1},
        {"Festung", 482913u, true, Grade::Hard, 0x764354D2U, 0xE0E93518FE2639C7ULL, 761,
         Grade::Hard, 1},
    };
    for (const auto& c : cases) {
        auto game = std::make_unique<Game>();
        game->settings.AvoidUnsolveableGames = c.winnableOnly;
        for (const Layout& layout : BuiltInLayouts()) {
            if (layout.ShortName == c.layout) {
                game->layout = &layout;
            }
        }
        ASSERT_EQ(game->layout->ShortName, c.layout);
        const NumberedDeal d = NewNumberedGame(*game, c.number, c.wanted);
        EXPECT_EQ(DealSeed(c.number, 0), c.seed) << c.number;
        EXPECT_EQ(KindsDigest(game->board), c.digest) << c.layout << " " << c.number;
        EXPECT_EQ(d.measure.cleared, c.cleared) << c.layout << " " << c.number;
        EXPECT_EQ(d.grade, c.grade) << c.layout << " " << c.number;
        EXPECT_EQ(d.draws, c.draws) << c.layout << " " << c.number;
        EXPECT_EQ(game->deal.Number, c.number);
        EXPECT_EQ(game->deal.DealGrade, d.grade);
    }
}

TEST(NumberedDeal, DrawZeroIsTheUnchangedDealOfTheNumbersSeed) {
    for (const bool winnableOnly : {false, true}) {
        Game numbered;
        numbered.settings.AvoidUnsolveableGames = winnableOnly;
        NewNumberedGame(numbered, 31337, Grade::Any);
        Game plain;
        plain.settings.AvoidUnsolveableGames = winnableOnly;
        plain.Seed = DealSeed(31337, 0);
        NewGame(plain);
        EXPECT_EQ(KindsDigest(numbered.board), KindsDigest(plain.board)) << winnableOnly;
        EXPECT_EQ(numbered.board.SlotCount, 144);
        EXPECT_EQ(numbered.board.DealtCount, 144);
        EXPECT_TRUE(numbered.Running);
    }
}

TEST(NumberedDeal, OutOfRangeNumbersAreClampedIntoTheRange) {
    Game zero;
    EXPECT_EQ(NewNumberedGame(zero, 0, Grade::Any).number, 1u);
    Game huge;
    EXPECT_EQ(NewNumberedGame(huge, 0xFFFFFFFFu, Grade::Any).number, kMaxDealNumber);
    Game top;
    NewNumberedGame(top, kMaxDealNumber, Grade::Any);
    EXPECT_EQ(KindsDigest(huge.board), KindsDigest(top.board));
}

TEST(NumberedDeal, AGradeAskedForIsDealtProvenWinnableEvenWithTheOptionOff) {
    // Each grade on a layout whose deals often have it.
    const std::pair<Grade, const char*> cases[] = {
        {Grade::Easy, "Feld"}, {Grade::Medium, "Ring"}, {Grade::Hard, "Pyramide"}};
    for (const auto& [wanted, layoutName] : cases) {
        for (uint32_t number : {7u, 123456u}) {
            Game game;
            game.layout = FindLayout(BuiltInLayouts(), layoutName);
            game.settings.AvoidUnsolveableGames = false;
            const NumberedDeal d = NewNumberedGame(game, number, wanted);
            EXPECT_TRUE(d.fits);
            EXPECT_EQ(d.grade, wanted);
            EXPECT_EQ(GradeOf(MeasureGrade(game.board).cleared, BandsForLayout({})), wanted);
            EXPECT_EQ(SolvePosition(game.board, 1'000'000), SolveResult::Winnable)
                << number << " " << static_cast<int>(wanted);
        }
    }
}

TEST(NumberedDeal, AGradeThatNeverFitsEndsAtTheDrawLimitWithTheNearestProvenDeal) {
    // Bands without a medium band: no deal can be medium.
    const GradeBands noMedium{600, 599};
    Game game;
    const NumberedDeal d = NewNumberedGame(game, 99, Grade::Medium, noMedium);
    EXPECT_FALSE(d.fits);
    EXPECT_EQ(d.draws, kGradeDrawLimit);
    EXPECT_NE(d.grade, Grade::Medium);
    EXPECT_EQ(MeasureGrade(game.board).cleared, d.measure.cleared) << "the board is the one kept";
    EXPECT_EQ(SolvePosition(game.board, 1'000'000), SolveResult::Winnable);
    // Nearest to the empty band: right next to it on one side or the other.
    EXPECT_LE(std::abs(d.measure.cleared - 600), 10) << d.measure.cleared;
}

TEST(NumberedDeal, TheSameInputsGiveTheSameBoardAndTheLabelSaysWhichItIs) {
    Game a;
    Game b;
    NewNumberedGame(a, 482913, Grade::Hard);
    ResetBoard(b); // whatever lay on the board before plays no part
    b.Seed = 12345;
    NewNumberedGame(b, 482913, Grade::Hard);
    EXPECT_EQ(KindsDigest(a.board), KindsDigest(b.board));
    EXPECT_EQ(DealLabel(a.deal), "Spiel 482913 \u00B7 schwer");
    EXPECT_EQ(DealLabel(DealIdentity{17, Grade::Any}), "Spiel 17");
    EXPECT_EQ(DealLabel(DealIdentity{}), "");
}

// The game of the day is one board per day and layout for every player:
// neither the difficulty nor "Unlösbare Spiele verhindern" changes it (its
// grade is what it is), another day or layout gives another board, and the
// label names the day, zero-padded, with the grade.
TEST(NumberedDeal, TheGameOfTheDayIsOneBoardWhateverTheSettingsAndNamesItsDay) {
    struct Day {
        int year, month, day;
        int32_t count;
    };
    for (const Day& d : {Day{2026, 12, 8, 46364}, Day{2000, 1, 1, 36526}, Day{2024, 2, 29, 45351},
                         Day{1899, 12, 31, 1}}) {
        EXPECT_EQ(DayGameOf(d.year, d.month, d.day), d.count) << d.year << "-" << d.month;
    }
    const auto game = std::make_unique<Game>();
    std::set<uint64_t> boards;
    for (const char* layout : {"Pyramide", "Bruecke"}) {
        game->layout = FindLayout(BuiltInLayouts(), layout);
        for (const int32_t day : {46364, 46365}) {
            std::set<uint64_t> seen;
            Grade grade = Grade::Any;
            for (const Grade difficulty : {Grade::Any, Grade::Easy, Grade::Medium, Grade::Hard}) {
                for (const bool avoid : {true, false}) {
                    game->settings.Difficulty = difficulty;
                    game->settings.AvoidUnsolveableGames = avoid;
                    ResetBoard(*game);
                    const NumberedDeal deal = NewDayGame(*game, day);
                    seen.insert(KindsDigest(game->board));
                    grade = deal.grade;
                    EXPECT_EQ(game->deal, (DealIdentity{deal.number, deal.grade, day}));
                }
            }
            EXPECT_EQ(seen.size(), 1u) << layout << " " << day;
            boards.insert(*seen.begin());
            if (day == 46364) {
                EXPECT_EQ(DealLabel(game->deal),
                          "Spiel des Tages 08.12.2026 \u00B7 " + std::string(GradeWord(grade)));
                EXPECT_EQ(game->deal.Number, DealNumberOfDay(2026, 12, 8));
            }
        }
    }
    EXPECT_EQ(boards.size(), 4u) << "another day or layout, another board";
    EXPECT_EQ(DealLabel(DealIdentity{5, Grade::Any, 36526}), "Spiel des Tages 01.01.2000");
}

// The one scale was set on the numbers 1..2,000 of every built-in layout;
// on numbers it was not set on, the deals of all layouts together still
// fall about a third into each grade (180 deals: a share's sampling error
// is about 4 points).
TEST(GradeBands, OneScaleSplitsOtherNumbersOfAllLayoutsIntoRoughThirds) {
    std::array<int, 4> byGrade{};
    const uint32_t perLayout = 15;
    for (const Layout& layout : BuiltInLayouts()) {
        for (uint32_t number = 20001; number < 20001 + perLayout; ++number) {
            auto game = std::make_unique<Game>();
            game->layout = &layout;
            ++byGrade[static_cast<size_t>(NewNumberedGame(*game, number, Grade::Any).grade)];
        }
    }
    const auto count = static_cast<int>(perLayout * BuiltInLayouts().size());
    EXPECT_EQ(byGrade[0], 0) << "every deal is graded";
    for (size_t g = 1; g <= 3; ++g) {
        EXPECT_GT(byGrade[g] * 100, 20 * count) << "grade " << g;
        EXPECT_LT(byGrade[g] * 100, 47 * count) << "grade " << g;
    }
}

} // namespace
} // namespace kelmar
