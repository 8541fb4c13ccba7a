#include "core/board.h"
#include "core/builtin_layouts.h"
#include "core/grade.h"
#include "core/layout.h"
#include "core/numbered_deal.h"

#include <gtest/gtest.h>
#include <string_view>

namespace kelmar {
namespace {

// A hand-made position of `gadgets` groups of six tiles, `traps` of them
// laid as a trap for a careless player, the rest with every tile free.
//
// Trap (A = four of one kind, B = a pair of another): a1 lies on b1 and b2
// on a2; a3 and a4 lie free on their own. Taking a3 with a4 first leaves a1
// without a free partner and the group stuck; taking a1 with a3 or a4
// frees b1, then b1-b2 frees a2 for the last A. A random player falls in
// with chance 1/3 per trap, so the measure must fall with every trap.
Board GadgetBoard(int gadgets, int traps) {
    Game game;
    ResetBoard(game);
    Board& b = game.board;
    for (int g = 0; g < gadgets; ++g) {
        const int32_t y = g * 100;
        const auto a = static_cast<uint8_t>(1 + g);  // kinds 1..34: four of a kind
        const auto p = static_cast<uint8_t>(20 + g); // its pair partner kind
        if (g < traps) {
            AddSlot(b, 0, y, 1, p);        // b1
            AddSlot(b, 0, y, 2, a);        // a1 on b1
            AddSlot(b, 100, y, 1, a);      // a2
            AddSlot(b, 100, y, 2, p);      // b2 on a2
            AddSlot(b, 0, y + 50, 1, a);   // a3
            AddSlot(b, 100, y + 50, 1, a); // a4
        } else {
            AddSlot(b, 0, y, 1, p);
            AddSlot(b, 200, y, 1, a);
            AddSlot(b, 0, y + 50, 1, a);
            AddSlot(b, 200, y + 50, 1, p);
            AddSlot(b, 600, y, 2, a);
            AddSlot(b, 700, y, 2, a);
        }
    }
    return b;
}

TEST(GradeMeasure, FallsWithEveryTrapOnHandMadePositions) {
    const GradeMeasure allFree = MeasureGrade(GadgetBoard(4, 0));
    EXPECT_EQ(allFree.cleared, kGradeScale);
    EXPECT_EQ(allFree.wins, kGradePlayouts);
    // Each trap costs a third of the time its four trapped tiles: about 56
    // per mille of 24 tiles, against a sampling error of about 10.
    int previousCleared = allFree.cleared;
    for (int traps = 1; traps <= 4; ++traps) {
        const GradeMeasure m = MeasureGrade(GadgetBoard(4, traps));
        EXPECT_LT(m.cleared, previousCleared) << traps << " traps";
        // Each trap is escaped two times in three: some playouts win, not all.
        EXPECT_GT(m.wins, 0) << traps << " traps";
        EXPECT_LT(m.wins, kGradePlayouts) << traps << " traps";
        previousCleared = m.cleared;
    }
}

TEST(GradeMeasure, DependsOnThePositionAloneAndCountsOnlyPresentTiles) {
    const Board board = GadgetBoard(3, 2);
    const GradeMeasure first = MeasureGrade(board);
    const GradeMeasure again = MeasureGrade(board);
    EXPECT_EQ(first.cleared, again.cleared);
    EXPECT_EQ(first.wins, again.wins);

    // Without the trapped groups' tiles only the free group is left: all clear.
    Board rest = board;
    for (int32_t s = 1; s <= 12; ++s) {
        rest.Slots[static_cast<size_t>(s)].Present = false;
    }
    EXPECT_EQ(MeasureGrade(rest).cleared, kGradeScale);

    // Nothing left at all: won, and no division by zero tiles.
    Board empty = board;
    for (int32_t s = 1; s <= empty.SlotCount; ++s) {
        empty.Slots[static_cast<size_t>(s)].Present = false;
    }
    empty.SlotCount = 0;
    EXPECT_EQ(MeasureGrade(empty).cleared, kGradeScale);
    EXPECT_EQ(MeasureGrade(empty).wins, kGradePlayouts);
}

TEST(GradeMeasure, APositionWithoutAnyMoveClearsNothing) {
    Game game;
    ResetBoard(game);
    // Two bands of two unmatched free tiles each.
    AddSlot(game.board, 0, 0, 1, 1);
    AddSlot(game.board, 100, 0, 1, 2);
    AddSlot(game.board, 0, 100, 1, 3);
    AddSlot(game.board, 100, 100, 1, 4);
    const GradeMeasure m = MeasureGrade(game.board);
    EXPECT_EQ(m.cleared, 0);
    EXPECT_EQ(m.wins, 0);
}

TEST(GradeBands, EdgesOfTheBandsAndOverlappingBands) {
    const GradeBands bands{665, 584};
    const struct {
        int cleared;
        Grade grade;
    } cases[] = {
        {0, Grade::Hard},     {584, Grade::Hard}, {585, Grade::Medium},
        {664, Grade::Medium}, {665, Grade::Easy}, {1000, Grade::Easy},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GradeOf(c.cleared, bands), c.grade) << c.cleared;
    }
    // No medium band: what lies in both is hard.
    EXPECT_EQ(GradeOf(600, GradeBands{600, 600}), Grade::Hard);
    EXPECT_EQ(GradeOf(601, GradeBands{600, 600}), Grade::Easy);
}

// One scale: a grade means the same on every layout, built-in or not.
TEST(GradeBands, EveryLayoutIsGradedOnTheOneScaleWithAMediumBandInsideIt) {
    EXPECT_GT(kDifficultyBands.hardMax, 0);
    EXPECT_GT(kDifficultyBands.easyMin, kDifficultyBands.hardMax + 1);
    EXPECT_LT(kDifficultyBands.easyMin, kGradeScale);
    for (const std::string_view name : {"Pyramide", "Feld", "Selbstgemacht"}) {
        EXPECT_EQ(BandsForLayout(name).easyMin, kDifficultyBands.easyMin) << name;
        EXPECT_EQ(BandsForLayout(name).hardMax, kDifficultyBands.hardMax) << name;
    }
}

// The chooser's typical grade: from the census for a built-in layout, and
// measured for any other; a player's copy of a built-in layout gets the
// same grade both ways.
TEST(TypicalGrade, TheCensusAndTheMeasureOfACopyAgree) {
    const struct {
        const char* layout;
        Grade grade;
    } cases[] = {{"Pyramide", Grade::Hard}, {"Feld", Grade::Easy}, {"Kreuz", Grade::Medium}};
    for (const auto& c : cases) {
        const Layout* builtIn = FindLayout(BuiltInLayouts(), c.layout);
        ASSERT_NE(builtIn, nullptr) << c.layout;
        EXPECT_EQ(TypicalGrade(*builtIn), c.grade) << c.layout;
        Layout copy = *builtIn;
        copy.ShortName = "Kopie";
        EXPECT_EQ(TypicalGrade(copy), c.grade) << c.layout;
    }
}

TEST(GradeCode, SettingsCodesAndWords) {
    const struct {
        int32_t code;
        Grade grade;
        const char* word;
    } cases[] = {{0, Grade::Any, ""},          {1, Grade::Easy, "leicht"},
                 {2, Grade::Medium, "mittel"}, {3, Grade::Hard, "schwer"},
                 {4, Grade::Any, ""},          {-1, Grade::Any, ""},
                 {259, Grade::Any, ""}};
    for (const auto& c : cases) {
        EXPECT_EQ(GradeFromCode(c.code), c.grade) << c.code;
        EXPECT_EQ(GradeWord(GradeFromCode(c.code)), c.word) << c.code;
    }
}

} // namespace
} // namespace kelmar
