#include "core/board.h"
#include "test_support.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace kelmar {
namespace {

using test::Deal;
using test::KeepOnly;

// The layout as a table of rows: a second transcription that catches a
// slipped row, step or order in the library's own.
struct LayoutRow {
    int first;
    int last;
    uint8_t layer;
    int32_t y;
    int32_t rightX;
};

constexpr LayoutRow kRows[] = {
    {1, 12, 1, 0, 456},      {13, 20, 1, 54, 380},    {21, 30, 1, 108, 418},
    {31, 42, 1, 162, 456},   {43, 43, 1, 189, 532},   {44, 44, 1, 189, 494},
    {45, 56, 1, 216, 456},   {57, 57, 1, 189, 0},     {58, 67, 1, 270, 418},
    {68, 75, 1, 324, 380},   {76, 87, 1, 378, 456},   {88, 93, 2, 54, 342},
    {94, 99, 2, 108, 342},   {100, 105, 2, 162, 342}, {106, 111, 2, 216, 342},
    {112, 117, 2, 270, 342}, {118, 123, 2, 324, 342}, {124, 127, 3, 108, 304},
    {128, 131, 3, 162, 304}, {132, 135, 3, 216, 304}, {136, 139, 3, 270, 304},
    {140, 141, 4, 162, 266}, {142, 143, 4, 216, 266}, {144, 144, 5, 189, 247},
};

TEST(Layout, EverySlotHasItsRowPositionInCreationOrder) {
    int checked = 0;
    for (const LayoutRow& row : kRows) {
        for (int slot = row.first; slot <= row.last; ++slot) {
            const LayoutPosition& p = BoardLayout[static_cast<size_t>(slot - 1)];
            EXPECT_EQ(p.Layer, row.layer) << "slot " << slot;
            EXPECT_EQ(p.Y, row.y) << "slot " << slot;
            EXPECT_EQ(p.X, row.rightX - 38 * (slot - row.first)) << "slot " << slot;
            ++checked;
        }
    }
    EXPECT_EQ(checked, kLayoutSize);
}

TEST(Layout, FacesCoverTheBoardAreaFrom35_20To605_452) {
    Game game;
    Deal(game, 1, false);
    Rect bounds{1000, 1000, -1000, -1000};
    for (int32_t s = 1; s <= kLayoutSize; ++s) {
        const Rect r = TileRect(game.board, s);
        bounds = {std::min(bounds.Left, r.Left), std::min(bounds.Top, r.Top),
                  std::max(bounds.Right, r.Right), std::max(bounds.Bottom, r.Bottom)};
    }
    EXPECT_EQ(bounds, (Rect{35, 20, 605, 452}));
}

TEST(TileRect, ShiftsEachLayerNinePixelsRightAndUp) {
    Game game;
    Deal(game, 1, false);
    EXPECT_EQ(TileRect(game.board, 57), (Rect{35, 209, 73, 263}));
    EXPECT_EQ(TileRect(game.board, 144), (Rect{318, 173, 356, 227}));
    EXPECT_EQ(TileRect(game.board, -1), Rect{});
    EXPECT_EQ(TileRect(game.board, 256), Rect{});
}

TEST(Board, ResetRebasesTheClockAndLeavesDealtCountAndTheWonFlag) {
    Game game;
    Deal(game, 7, false);
    game.play.GameWon = true;
    game.history.Length = 5;
    game.clock.CurrentTick = 123456;
    game.clock.BaseElapsed = 999;
    game.clock.NextStatusTick = 77;
    ResetBoard(game);
    EXPECT_EQ(game.board.SlotCount, 0);
    EXPECT_EQ(game.board.DealtCount, 144);
    EXPECT_TRUE(game.play.GameWon); // NewGame clears it
    EXPECT_EQ(game.history.Length, 0);
    EXPECT_EQ(game.clock.BaseTick, 123456u);
    EXPECT_EQ(game.clock.BaseElapsed, 0);
    EXPECT_EQ(game.clock.NextStatusTick, 0u);
}

TEST(Board, SlotCountFollowsTheHighestPresentSlot) {
    Game game;
    Deal(game, 3, false);
    Board& b = game.board;

    RemoveTile(b, 50); // below the top end
    EXPECT_EQ(b.SlotCount, 144);
    for (int32_t s = 137; s <= 143; ++s) {
        RemoveTile(b, s);
    }
    EXPECT_EQ(b.SlotCount, 144);
    RemoveTile(b, 144);
    EXPECT_EQ(b.SlotCount, 136);

    KeepOnly(game, {10});
    RestoreTile(b, 144);
    EXPECT_EQ(b.SlotCount, 144);
    RemoveTile(b, 144);
    EXPECT_EQ(b.SlotCount, 10);
    RestoreTile(b, 5);
    EXPECT_EQ(b.SlotCount, 10);

    RemoveTile(b, 5);
    RemoveTile(b, 10); // the last tile: the sentinel stops the shrinking
    EXPECT_EQ(b.SlotCount, 0);
    EXPECT_TRUE(b.Slots[0].Present);

    RemoveTile(b, 0); // the sentinel can never be taken off
    RemoveTile(b, 300);
    RestoreTile(b, -4);
    EXPECT_TRUE(b.Slots[0].Present);
    EXPECT_EQ(b.SlotCount, 0);
}

TEST(Board, AddSlotStopsAtTheLastSlot) {
    Board b;
    for (int i = 0; i < 300; ++i) {
        AddSlot(b, 0, 0, static_cast<uint8_t>(1 + i % 9), 1);
    }
    EXPECT_EQ(b.SlotCount, 255);
    EXPECT_EQ(b.MaxLayer, 9);
}

struct HitCase {
    const char* what;
    int32_t px;
    int32_t py;
    int32_t expected;
};

class HitTestOnFullBoard : public ::testing::TestWithParam<HitCase> {};

TEST_P(HitTestOnFullBoard, FindsTheTopmostTile) {
    Game game;
    Deal(game, 11, false);
    const HitCase& c = GetParam();
    EXPECT_EQ(HitTest(game.board, c.px, c.py), c.expected) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Points, HitTestOnFullBoard,
    ::testing::Values(HitCase{"top tile over a layer-4 tile", 330, 180, 144},
                      HitCase{"right edge of the top tile belongs to the tile below", 356, 200,
                              140},
                      HitCase{"top-left corner of slot 57 is inside", 35, 209, 57},
                      HitCase{"left of slot 57 is outside every face", 34, 209, 0},
                      HitCase{"shared edge of neighbours hits the right one", 491, 50, 1},
                      HitCase{"bottom edge of slot 1 is outside", 491, 74, 0},
                      HitCase{"shared edge of single tile and row", 529, 220, 44},
                      HitCase{"corner of the board area", 0, 0, 0},
                      HitCase{"far outside", -5000, 9000, 0}));

TEST(HitTest, LowestSlotWinsAmongEqualLayersAndNothingOnAnEmptyBoard) {
    Board b;
    AddSlot(b, 100, 100, 2, 1);
    AddSlot(b, 100, 100, 2, 1); // same place, same layer (only a loaded game does that)
    AddSlot(b, 110, 100, 1, 1);
    EXPECT_EQ(HitTest(b, 150, 130), 1);
    RemoveTile(b, 1);
    EXPECT_EQ(HitTest(b, 150, 130), 2);
    RemoveTile(b, 2);
    EXPECT_EQ(HitTest(b, 150, 130), 3);
    RemoveTile(b, 3);
    EXPECT_EQ(HitTest(b, 150, 130), 0);
}

TEST(MatchRange, GroupsMatchWithinThemselvesOnly) {
    Board b;
    FillMatchRange(b);
    struct Case {
        uint8_t a;
        uint8_t b;
        bool match;
    };
    const Case cases[] = {{1, 1, true},    {34, 34, true}, {1, 2, false},   {34, 35, false},
                          {35, 38, true},  {38, 35, true}, {36, 37, true},  {38, 39, false},
                          {39, 42, true},  {42, 39, true}, {42, 43, false}, {43, 43, false},
                          {60, 60, false}, {0, 5, false}};
    for (const Case& c : cases) {
        EXPECT_EQ(KindsMatch(b, c.a, c.b), c.match) << int{c.a} << " / " << int{c.b};
    }
}

} // namespace
} // namespace kelmar
