#include "core/board.h"
#include "core/deal.h"
#include "core/rules.h"
#include "test_support.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace kelmar {
namespace {

using test::Deal;
using test::KeepOnly;
using test::Range;
using test::RecordingView;
using Call = RecordingView::Call;

std::vector<int32_t> FreeListOf(const PlayState& play) {
    return {play.FreeList.begin() + 1, play.FreeList.begin() + 1 + play.FreeCount};
}

// A full board whose 35 free tiles are all of different, non-matching kinds
// except slots 21, 88 and 124 (kind 9).
void PrepareHintBoard(Game& game) {
    Deal(game, 31, false);
    std::vector<uint8_t> kinds;
    for (uint8_t k = 1; k <= 34; ++k) {
        if (k != 9) {
            kinds.push_back(k);
        }
    }
    kinds.push_back(35);
    kinds.push_back(39);
    ASSERT_EQ(game.play.FreeCount, static_cast<int32_t>(kinds.size()));
    for (int32_t i = 1; i <= game.play.FreeCount; ++i) {
        const int32_t s = game.play.FreeList[static_cast<size_t>(i)];
        game.board.Slots[static_cast<size_t>(s)].Kind = kinds[static_cast<size_t>(i - 1)];
    }
    for (int32_t s : {21, 88, 124}) {
        game.board.Slots[static_cast<size_t>(s)].Kind = 9;
    }
    AnalyzeBoard(game);
}

// Slot 88 (layer 2) lies on slot 14, both of kind 5: one free tile, no move.
void PrepareStuckBoard(Game& game) {
    Deal(game, 4, false);
    KeepOnly(game, {14, 88});
    game.board.Slots[14].Kind = 5;
    game.board.Slots[88].Kind = 5;
    AnalyzeBoard(game);
}

TEST(Analysis, ExactlyThirtyFiveTilesAreFreeOnAFreshBoard) {
    const std::vector<int32_t> expected = {
        1,   12,  13,  20,  21,  30,  43,  57,  58,  67,  68,  75,  76,  87,  88,  93,  94, 99,
        100, 105, 106, 111, 112, 117, 118, 123, 124, 127, 128, 131, 132, 135, 136, 139, 144};
    for (bool solvable : {false, true}) {
        Game game;
        Deal(game, 2024, solvable);
        EXPECT_EQ(FreeListOf(game.play), expected);
        for (int32_t s = 1; s <= 144; ++s) {
            EXPECT_EQ(game.board.Slots[static_cast<size_t>(s)].Free,
                      std::binary_search(expected.begin(), expected.end(), s))
                << "slot " << s;
        }
    }
}

// Slot 41 is the tile at X 76 of the layer-1 row at Y 162; slot 42 lies left
// of it, 31..40 right of it; the single tiles 57 (X 0), 44 (X 494) and
// 43 (X 532) share its band.
struct SideCase {
    const char* what;
    std::vector<int32_t> removed;
    bool free;
};

class TileAtX76OfRow162 : public ::testing::TestWithParam<SideCase> {};

TEST_P(TileAtX76OfRow162, IsFreeExactlyWhenOneSideOfItsBandIsEmpty) {
    Game game;
    Deal(game, 99, false);
    for (int32_t s : GetParam().removed) {
        RemoveTile(game.board, s);
    }
    AnalyzeBoard(game);
    EXPECT_EQ(game.board.Slots[41].Free, GetParam().free) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Sides, TileAtX76OfRow162,
    ::testing::Values(SideCase{"full board", {}, false},
                      SideCase{"left neighbour and single tile at X 0 gone", {42, 57}, true},
                      SideCase{"only the left neighbour gone", {42}, false},
                      SideCase{"only the single tile at X 0 gone", {57}, false},
                      SideCase{"whole right side gone", Range(31, 40, {43, 44}), true},
                      SideCase{"right side gone but the far single tile", Range(31, 40, {44}),
                               false},
                      SideCase{"right row gone, single tiles stay", Range(31, 40), false},
                      SideCase{"the row below does not count", Range(45, 56, {42}), false}));

// Fills `game` with `count` random slots: positions in the ranges a saved
// game can hold, kinds including a few without a match entry.
void RandomBoard(Game& game, std::mt19937& rng, int32_t count, bool tight) {
    ResetBoard(game);
    std::uniform_int_distribution<int> coord(0, tight ? 300 : 1023);
    std::uniform_int_distribution<int> layer(0, tight ? 3 : 15);
    std::uniform_int_distribution<int> kind(0, 50);
    for (int32_t i = 0; i < count; ++i) {
        AddSlot(game.board, coord(rng), coord(rng), static_cast<uint8_t>(layer(rng)),
                static_cast<uint8_t>(kind(rng)));
    }
    game.board.DealtCount = count;
}

void ExpectAnalysisMatchesReference(Game& game, const char* what, int round) {
    std::vector<TileSlot> before(game.board.Slots.begin(), game.board.Slots.end());
    AnalyzeBoard(game);
    std::vector<int32_t> freeSlots;
    for (int32_t s = 1; s <= game.board.SlotCount; ++s) {
        const TileSlot& t = game.board.Slots[static_cast<size_t>(s)];
        if (!t.Present) {
            ASSERT_EQ(t.Free, before[static_cast<size_t>(s)].Free) << "absent slot kept its flag";
            continue;
        }
        const bool free = test::ReferenceFree(game.board, s);
        ASSERT_EQ(t.Free, free) << what << " round " << round << " slot " << s;
        if (free) {
            freeSlots.push_back(s);
        }
    }
    ASSERT_EQ(FreeListOf(game.play), freeSlots) << what << " round " << round;
    const int32_t moves = test::ReferenceMoveCount(game.board, freeSlots);
    ASSERT_EQ(game.play.MoveCount, moves) << what << " round " << round;
    ASSERT_EQ(game.play.NoMovesLeft, moves == 0);
    ASSERT_EQ(game.play.GameWon, moves == 0 && game.board.SlotCount == 0);
}

TEST(Analysis, MatchesThePlainFreeTestOnPartlyClearedDeals) {
    std::mt19937 rng(7);
    for (int round = 0; round < 400; ++round) {
        Game game;
        Deal(game, static_cast<uint32_t>(round), false);
        std::bernoulli_distribution keep(std::uniform_real_distribution<double>(0, 1)(rng));
        for (int32_t s = 1; s <= 144; ++s) {
            if (!keep(rng)) {
                RemoveTile(game.board, s);
            }
        }
        ExpectAnalysisMatchesReference(game, "deal", round);
    }
}

TEST(Analysis, StaysExactWhenPositionsChangeWithoutPreparation) {
    // A loaded game replaces the slots behind the analysis' back; the
    // analysis must notice and still agree with the plain test.
    std::mt19937 rng(11);
    Game game;
    Deal(game, 1, true);
    for (int round = 0; round < 300; ++round) {
        const bool tight = round % 3 != 0;
        RandomBoard(game, rng, std::uniform_int_distribution<int32_t>(0, 255)(rng), tight);
        ExpectAnalysisMatchesReference(game, tight ? "tight random" : "sparse random", round);
        // Only some slots present, SlotCount below DealtCount.
        for (int32_t s = 1; s <= game.board.SlotCount; s += 3) {
            RemoveTile(game.board, s);
        }
        ExpectAnalysisMatchesReference(game, "thinned", round);
    }
    // One slot moved by a single pixel is noticed as well.
    Deal(game, 3, false);
    game.board.Slots[42].X = 39;
    ExpectAnalysisMatchesReference(game, "moved slot 42", 0);
}

// The row rule on small layouts: every position is a slot of the layout,
// `absent` lists the slots that have been taken (they still shape the rows).
struct RowCase {
    const char* name;
    std::vector<SlotPosition> positions; // slots 1.. in order
    std::vector<int32_t> absent;
    std::vector<int32_t> free;
};

class RowRuleCase : public ::testing::TestWithParam<RowCase> {};

TEST_P(RowRuleCase, FreeTilesAreThoseWithAnEmptySideInTheirRow) {
    const RowCase& c = GetParam();
    Game game;
    ResetBoard(game);
    for (const SlotPosition& p : c.positions) {
        AddSlot(game.board, p.X, p.Y, p.Layer, 1);
    }
    game.board.DealtCount = game.board.SlotCount;
    for (int32_t s : c.absent) {
        game.board.Slots[static_cast<size_t>(s)].Present = false;
    }
    AnalyzeBoard(game);
    EXPECT_EQ(FreeListOf(game.play), c.free);
    for (int32_t s : c.free) {
        EXPECT_TRUE(test::ReferenceFree(game.board, s)) << s;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RowRuleCase,
    ::testing::Values(
        RowCase{"TouchingFacesAreOneRow", {{0, 0, 1}, {38, 0, 1}, {76, 0, 1}}, {}, {1, 3}},
        RowCase{"FeltUnderHalfAFaceKeepsTheRow", {{0, 0, 1}, {56, 0, 1}, {112, 0, 1}}, {}, {1, 3}},
        RowCase{"HalfAFaceOfFeltEndsTheRow", {{0, 0, 1}, {57, 0, 1}, {95, 0, 1}}, {}, {1, 2, 3}},
        RowCase{"ThreeTowersOfABandAreThreeRows",
                {{0, 0, 1}, {38, 0, 1}, {190, 0, 1}, {228, 0, 1}, {380, 0, 1}, {418, 0, 1}},
                {},
                {1, 2, 3, 4, 5, 6}},
        // A taken tile still joins its row: the gap is a property of the layout.
        RowCase{"ATakenTileStillJoinsTheRow", {{0, 0, 1}, {38, 0, 1}, {76, 0, 1}}, {2}, {1, 3}},
        // Half a row lower is the same band, so it bridges the gap between them.
        RowCase{"AHalfLowerTileBridgesTheGap",
                {{0, 0, 1}, {76, 0, 1}, {38, 27, 1}, {114, 0, 1}},
                {},
                {1, 4}},
        // 38 px lower is another band and bridges nothing.
        RowCase{"AnotherBandBridgesNothing", {{0, 0, 1}, {76, 0, 1}, {38, 38, 1}}, {}, {1, 2, 3}},
        RowCase{
            "AnotherLayerBridgesNothing", {{0, 0, 1}, {76, 0, 1}, {38, 100, 2}}, {}, {1, 2, 3}}),
    [](const ::testing::TestParamInfo<RowCase>& info) { return info.param.name; });

// On the pyramid every band is one row, so reading rows by their gaps
// changes no neighbour set and no free flag in any position.
TEST(Analysis, EveryBandOfThePyramidIsOneRow) {
    Game game;
    Deal(game, 1, false);
    BoardGeometry whole;
    BuildBoardGeometry(whole, game.board, kLayoutSize, RowRule::WholeBand);
    for (int32_t s = 1; s <= kLayoutSize; ++s) {
        const auto si = static_cast<size_t>(s);
        EXPECT_EQ(game.geometry.LeftInRow[si], whole.LeftInRow[si]) << s;
        EXPECT_EQ(game.geometry.RightInRow[si], whole.RightInRow[si]) << s;
    }
}

struct MoveCase {
    std::array<uint8_t, 4> kinds;
    int32_t moves;
};

class MoveCountOfFourFreeTiles : public ::testing::TestWithParam<MoveCase> {};

TEST_P(MoveCountOfFourFreeTiles, CountsUnorderedMatchingPairs) {
    Game game;
    Deal(game, 8, false);
    const int32_t slots[] = {1, 13, 21, 76}; // each alone in its row: all free
    KeepOnly(game, {1, 13, 21, 76});
    for (size_t i = 0; i < 4; ++i) {
        game.board.Slots[static_cast<size_t>(slots[i])].Kind = GetParam().kinds[i];
    }
    AnalyzeBoard(game);
    ASSERT_EQ(game.play.FreeCount, 4);
    EXPECT_EQ(game.play.MoveCount, GetParam().moves);
    EXPECT_EQ(game.play.NoMovesLeft, GetParam().moves == 0);
    EXPECT_FALSE(game.play.GameWon);
}

INSTANTIATE_TEST_SUITE_P(Kinds, MoveCountOfFourFreeTiles,
                         ::testing::Values(MoveCase{{5, 5, 5, 5}, 6}, MoveCase{{35, 38, 1, 2}, 1},
                                           MoveCase{{38, 39, 1, 2}, 0},
                                           MoveCase{{35, 36, 37, 38}, 6},
                                           MoveCase{{39, 40, 41, 42}, 6}, MoveCase{{5, 5, 6, 6}, 2},
                                           MoveCase{{1, 2, 3, 4}, 0}));

TEST(Analysis, EntersTheBestTimeOnceOnTheFirstAnalysisOfTheEmptyBoard) {
    Game game;
    RecordingView view(game);
    game.view = &view;
    game.clock.Elapsed = 123456;
    PrepareStuckBoard(game);
    EXPECT_TRUE(game.play.NoMovesLeft);
    EXPECT_FALSE(game.play.GameWon);

    KeepOnly(game, {});
    AnalyzeBoard(game);
    AnalyzeBoard(game);
    EXPECT_TRUE(game.play.NoMovesLeft);
    EXPECT_TRUE(game.play.GameWon);
    EXPECT_EQ(view.highScores, std::vector<int32_t>{123456});
    EXPECT_TRUE(game.history.ReplayBackwards);
}

// --- Selection ----------------------------------------------------------

enum class Target { Same, Covered, FreeOtherKind, FreeMatching, Sentinel };

struct ClickCase {
    const char* what;
    bool selectedBefore;
    Target target;
    bool selectedAfter;
    int32_t selectedSlotAfter;
    bool pairTaken;
    int highlights;
};

class SelectionStateMachine : public ::testing::TestWithParam<ClickCase> {};

// Slots 1 and 12 are free and of kind 5, slot 13 is free and of kind 7,
// slot 2 (kind 5) is blocked on both sides.
TEST_P(SelectionStateMachine, SecondClick) {
    const ClickCase& c = GetParam();
    Game game;
    RecordingView view(game);
    game.view = &view;
    Deal(game, 21, false);
    for (int32_t s : {1, 2, 12}) {
        game.board.Slots[static_cast<size_t>(s)].Kind = 5;
    }
    game.board.Slots[13].Kind = 7;
    AnalyzeBoard(game);
    game.play.BoardChanged = false;
    game.clock.Elapsed = 4242;
    ASSERT_TRUE(game.board.Slots[1].Free && game.board.Slots[12].Free);
    ASSERT_FALSE(game.board.Slots[2].Free);

    if (c.selectedBefore) {
        ClickTile(game, 1);
        ASSERT_TRUE(game.play.SelectionActive);
        ASSERT_EQ(view.highlights, std::vector<Rect>{TileRect(game.board, 1)});
    }
    const int32_t target[] = {1, 2, 13, 12, 0};
    ClickTile(game, target[static_cast<int>(c.target)]);

    EXPECT_EQ(game.play.SelectionActive, c.selectedAfter) << c.what;
    if (c.selectedAfter) {
        EXPECT_EQ(game.play.SelectedSlot, c.selectedSlotAfter) << c.what;
    }
    EXPECT_EQ(static_cast<int>(view.highlights.size()), c.highlights) << c.what;
    EXPECT_EQ(view.count(Call::Render), 0) << "the click itself never redraws";
    EXPECT_EQ(game.play.BoardChanged, c.pairTaken) << c.what;
    EXPECT_EQ(game.board.Slots[1].Present, !c.pairTaken);
    EXPECT_EQ(game.board.Slots[12].Present, !c.pairTaken);
    EXPECT_EQ(game.history.Length, c.pairTaken ? 1 : 0);
    if (c.pairTaken) {
        const MoveRecord& r = game.history.Records[1];
        EXPECT_EQ(r.First, 1);
        EXPECT_EQ(r.Second, 12);
        EXPECT_EQ(r.Time, 4242);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SelectionStateMachine,
    ::testing::Values(
        ClickCase{"nothing selected, free tile", false, Target::FreeOtherKind, true, 13, false, 1},
        ClickCase{"nothing selected, covered tile", false, Target::Covered, false, 0, false, 0},
        ClickCase{"nothing selected, sentinel", false, Target::Sentinel, false, 0, false, 0},
        ClickCase{"selected, same tile", true, Target::Same, false, 0, false, 1},
        ClickCase{"selected, covered tile", true, Target::Covered, false, 0, false, 1},
        ClickCase{"selected, sentinel", true, Target::Sentinel, false, 0, false, 1},
        ClickCase{"selected, free other kind", true, Target::FreeOtherKind, true, 13, false, 1},
        ClickCase{"selected, free matching", true, Target::FreeMatching, false, 0, true, 1}));

TEST(Selection, ARemovedTileIsNeverTakenAgain) {
    Game game;
    Deal(game, 21, false);
    game.board.Slots[1].Kind = 5;
    game.board.Slots[12].Kind = 5;
    AnalyzeBoard(game);
    ClickTile(game, 1);
    ClickTile(game, 12);
    ASSERT_EQ(game.history.Length, 1);
    // Without an analysis in between both still carry Free = true.
    ClickTile(game, 1);
    ClickTile(game, 12);
    EXPECT_FALSE(game.play.SelectionActive);
    EXPECT_EQ(game.history.Length, 1);
}

// --- Hint ---------------------------------------------------------------

TEST(Hint, FirstPressShowsTheHighestPairSecondTakesItChargingTenSecondsOnce) {
    Game game;
    RecordingView view(game);
    game.view = &view;
    PrepareHintBoard(game);
    ASSERT_EQ(game.play.MoveCount, 3);
    game.clock.CurrentTick = 5000;
    game.clock.Elapsed = 60000;
    ClickTile(game, 1); // a selection the hint must end
    view.clear();

    GiveHint(game);
    EXPECT_TRUE(game.play.HintShowing);
    EXPECT_EQ(game.play.HintSlotA, 124);
    EXPECT_EQ(game.play.HintSlotB, 88);
    EXPECT_EQ(view.highlights,
              (std::vector<Rect>{TileRect(game.board, 124), TileRect(game.board, 88)}));
    EXPECT_EQ(view.calls, (std::vector<Call>{Call::Highlight, Call::Highlight, Call::Present}));
    EXPECT_EQ(game.clock.BaseElapsed, 70000);
    EXPECT_EQ(game.clock.BaseTick, 5000u);
    EXPECT_EQ(game.history.Length, 0);

    game.clock.CurrentTick = 9000;
    game.clock.Elapsed = 71234; // as the next timer event computed it
    view.clear();
    GiveHint(game);
    EXPECT_FALSE(game.board.Slots[124].Present);
    EXPECT_FALSE(game.board.Slots[88].Present);
    ASSERT_EQ(game.history.Length, 1);
    const MoveRecord& r = game.history.Records[1];
    EXPECT_EQ((std::array<int32_t, 3>{r.First, r.Second, r.Time}),
              (std::array<int32_t, 3>{124, 88, 71234}));
    EXPECT_EQ(game.clock.BaseElapsed, 70000) << "the penalty is charged once";
    EXPECT_FALSE(game.play.SelectionActive);
    EXPECT_FALSE(game.play.HintShowing);
    EXPECT_EQ(view.calls, std::vector<Call>{Call::Render});
    EXPECT_TRUE(game.board.Slots[125].Free) << "analysed after taking the pair";
}

TEST(Hint, ARedrawBetweenThePressesMakesTheSecondPressSearchAndChargeAgain) {
    Game game;
    RecordingView view(game);
    game.view = &view;
    PrepareHintBoard(game);
    game.clock.Elapsed = 1000;
    GiveHint(game);
    view.RenderBoard(); // e.g. a click beside every tile
    GiveHint(game);
    EXPECT_TRUE(game.play.HintShowing);
    EXPECT_EQ(game.history.Length, 0);
    EXPECT_EQ(game.clock.BaseElapsed, 11000); // Elapsed has not moved: no timer event
}

TEST(Hint, DoesNothingWhenStuck) {
    Game game;
    RecordingView view(game);
    game.view = &view;
    PrepareStuckBoard(game);
    ASSERT_TRUE(game.play.NoMovesLeft);
    game.clock.Elapsed = 5000;
    game.clock.BaseElapsed = 4000;
    view.clear();
    GiveHint(game);
    GiveHint(game);
    EXPECT_FALSE(game.play.HintShowing);
    EXPECT_EQ(game.clock.BaseElapsed, 4000);
    EXPECT_TRUE(view.calls.empty());
}

TEST(Hint, WorksWithoutAViewAndNeverTakesAPairTwice) {
    Game game;
    PrepareHintBoard(game);
    GiveHint(game);
    GiveHint(game); // takes 124 and 88
    ASSERT_EQ(game.history.Length, 1);
    EXPECT_FALSE(game.play.HintShowing);
    GiveHint(game); // a fresh search, never the pair already taken
    EXPECT_EQ(game.history.Length, 1);
    if (game.play.HintShowing) {
        EXPECT_TRUE(game.board.Slots[static_cast<size_t>(game.play.HintSlotA)].Present);
        EXPECT_TRUE(game.board.Slots[static_cast<size_t>(game.play.HintSlotB)].Present);
    }
}

} // namespace
} // namespace kelmar
