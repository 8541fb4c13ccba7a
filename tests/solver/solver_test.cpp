#include "core/board.h"
#include "core/builtin_layouts.h"
#include "core/deal.h"
#include "core/solver.h"
#include "core/solver/reasoning.h"
#include "core/solver/search.h"
#include "tests/solver/reference_solver.h"

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>
#include <random>
#include <string>

namespace kelmar {
namespace {

using test::ClearsBoard;
using test::ReferenceWinnable;

struct Tile {
    int32_t x;
    int32_t y;
    uint8_t layer;
    uint8_t kind;
};

Board MakeBoard(const std::vector<Tile>& tiles) {
    Board board;
    FillMatchRange(board);
    board.Slots[0].Present = true;
    for (const Tile& t : tiles) {
        AddSlot(board, t.x, t.y, t.layer, t.kind);
    }
    return board;
}

constexpr int64_t kAmple = int64_t{1} << 22;

struct HandMade {
    std::string name;
    std::vector<Tile> tiles;
    SolveResult expected;
};

class SolverHandMade : public ::testing::TestWithParam<HandMade> {};

TEST_P(SolverHandMade, GivesTheKnownAnswerAndAClearanceWhenWinnable) {
    const Board board = MakeBoard(GetParam().tiles);
    std::vector<SolverMove> moves;
    EXPECT_EQ(SolvePosition(board, kAmple, nullptr, &moves), GetParam().expected);
    EXPECT_EQ(ReferenceWinnable(board), GetParam().expected == SolveResult::Winnable);
    if (GetParam().expected == SolveResult::Winnable) {
        EXPECT_TRUE(ClearsBoard(board, moves));
    }
}

const SolveResult W = SolveResult::Winnable;
const SolveResult U = SolveResult::Unwinnable;

INSTANTIATE_TEST_SUITE_P(
    Positions, SolverHandMade,
    ::testing::Values(
        // A different kind on top: take it with its partner first.
        HandMade{"StackOfDifferentKinds",
                 {{0, 0, 1, 1}, {0, 0, 2, 2}, {0, 100, 1, 2}, {0, 200, 1, 1}},
                 W},
        // The upper tile of a pair lies on the lower one: never both free.
        HandMade{
            "MatchingPairStacked", {{0, 0, 1, 1}, {0, 0, 2, 1}, {0, 100, 1, 2}, {0, 200, 1, 2}}, U},
        HandMade{"HalfOffsetStillCovers", {{0, 0, 1, 1}, {19, 27, 2, 1}}, U},
        // 38 px apart is outside the cover window.
        HandMade{"ThirtyEightApartDoesNotCover", {{0, 0, 1, 1}, {38, 0, 2, 1}}, W},
        HandMade{"FlowerGroupMatchesAcrossKinds",
                 {{0, 0, 1, 35}, {0, 100, 1, 36}, {0, 200, 1, 37}, {0, 300, 1, 38}},
                 W},
        HandMade{"GroupsDoNotMatchEachOther", {{0, 0, 1, 38}, {0, 100, 1, 39}}, U},
        // All free, but three of a group cannot all be paired.
        HandMade{"OddGroupAllFree",
                 {{0, 0, 1, 35}, {0, 100, 1, 36}, {0, 200, 1, 37}, {0, 300, 1, 4}, {0, 400, 1, 4}},
                 U},
        HandMade{"InterleavedPairsInARow",
                 {{0, 0, 1, 1}, {38, 0, 1, 1}, {76, 0, 1, 2}, {114, 0, 1, 2}},
                 U},
        HandMade{
            "NestedPairsInARow", {{0, 0, 1, 1}, {38, 0, 1, 2}, {76, 0, 1, 2}, {114, 0, 1, 1}}, W},
        // Felt of 18 px between faces keeps one row: the inner tiles stay
        // blocked and the two ends do not match.
        HandMade{"GapUnderHalfAFaceKeepsTheRow",
                 {{0, 0, 1, 1}, {56, 0, 1, 2}, {112, 0, 1, 1}, {168, 0, 1, 2}},
                 U},
        // 19 px, half a face, ends it: four rows of one tile each.
        HandMade{"GapOfHalfAFaceEndsTheRow",
                 {{0, 0, 1, 1}, {57, 0, 1, 2}, {114, 0, 1, 1}, {171, 0, 1, 2}},
                 W},
        HandMade{"BandReachesThirtySevenInY",
                 {{0, 0, 1, 1}, {38, 0, 1, 2}, {76, 37, 1, 1}, {114, 37, 1, 2}},
                 U},
        HandMade{"ThirtyEightInYIsAnotherBand",
                 {{0, 0, 1, 1}, {38, 0, 1, 2}, {76, 38, 1, 1}, {114, 38, 1, 2}},
                 W}),
    [](const ::testing::TestParamInfo<HandMade>& info) { return info.param.name; });

// Three free tiles of kind 1 and a fourth under a kind-2 tile whose partner
// lies under the first kind-1 tile: only pairs that take tile a1 keep the
// position winnable.
Board GreedyTrap() {
    return MakeBoard({
        {0, 0, 2, 1},   // 1: a1, on b2
        {0, 0, 1, 2},   // 2: b2
        {0, 100, 1, 1}, // 3: a2
        {0, 200, 1, 1}, // 4: a3
        {0, 300, 1, 1}, // 5: a4, under b1
        {0, 300, 2, 2}, // 6: b1
    });
}

TEST(Solver, FindsTheWinWhereTheObviousPairLoses) {
    Board board = GreedyTrap();
    std::vector<SolverMove> moves;
    ASSERT_EQ(SolvePosition(board, kAmple, nullptr, &moves), SolveResult::Winnable);
    EXPECT_TRUE(ClearsBoard(board, moves));

    // Taking a2 with a3 first is the losing choice.
    board.Slots[3].Present = false;
    board.Slots[4].Present = false;
    EXPECT_EQ(SolvePosition(board, kAmple), SolveResult::Unwinnable);
}

// A row A B D X D B A: the relaxed play takes the A, the B and the D pairs
// (six tiles) and is left with X, which has no partner. Asked to stop after
// `most` tiles, it answers X only when it got stuck within them.
TEST(Solver, TheRelaxedPlayBoundedByTilesTellsStuckWithinFromTooLong) {
    const uint8_t kinds[] = {1, 2, 4, 9, 4, 2, 1};
    std::vector<Tile> row;
    for (int k = 0; k < 7; ++k) {
        row.push_back({38 * k, 0, 1, kinds[k]});
    }
    solver::Problem p;
    solver::buildProblem(MakeBoard(row), p);
    std::array<int, solver::kMaxTiles> mate{};
    mate.fill(-1);
    const solver::TileSet none;
    const solver::TileSet left = solver::relaxedLeftover(p, p.all, none, mate);
    ASSERT_EQ(left.count(), 1);
    EXPECT_EQ(solver::stuckWithin(p, p.all, none, p.all, mate, 6), left);
    EXPECT_EQ(solver::stuckWithin(p, p.all, none, p.all, mate, 5), none);
}

TEST(Solver, AnEmptyBoardIsWinnableWithoutSearch) {
    Board board = MakeBoard({});
    SolverStats stats;
    EXPECT_EQ(SolvePosition(board, 0, &stats), SolveResult::Winnable);
    EXPECT_EQ(stats.nodes, 0);
}

TEST(Solver, AnExhaustedBudgetAnswersUndecided) {
    SolverStats stats;
    EXPECT_EQ(SolvePosition(GreedyTrap(), 0, &stats), SolveResult::Undecided);
    EXPECT_EQ(stats.nodes, 0);

    // A full random deal: the budget holds and no answer is made up.
    Game game;
    ResetBoard(game);
    game.Seed = 12345;
    DealRandom(game);
    for (int64_t budget : {1, 10, 100}) {
        std::vector<SolverMove> moves;
        const SolveResult r = SolvePosition(game.board, budget, &stats, &moves);
        EXPECT_LE(stats.nodes, budget);
        if (r == SolveResult::Winnable) {
            EXPECT_TRUE(ClearsBoard(game.board, moves));
        }
    }
}

// Closing the window could not end a running check: the solver ran until
// its budget was spent, seconds on a full board.
TEST(Solver, TheCallersStopEndsTheSearchAsUndecided) {
    // A random deal that needs thousands of search nodes (7,497).
    Game game;
    game.settings.AvoidUnsolveableGames = false;
    SeedRandom(game, 172813);
    NewGame(game);
    SolverStats free;
    const SolveResult unstopped = SolvePosition(game.board, 1'000'000, &free);
    ASSERT_NE(unstopped, SolveResult::Undecided);
    ASSERT_GT(free.nodes, 1000);
    const struct {
        const char* name;
        int stopAtAsk; // 0: never
        bool decided;
    } cases[] = {{"at the first question", 1, false},
                 {"at the third question", 3, false},
                 {"never", 0, true}};
    for (const auto& c : cases) {
        int asked = 0;
        SolverStats stats;
        const SolveResult r = SolvePosition(game.board, 1'000'000, &stats, nullptr,
                                            [&] { return ++asked == c.stopAtAsk; });
        EXPECT_EQ(r, c.decided ? unstopped : SolveResult::Undecided) << c.name;
        if (!c.decided) {
            EXPECT_EQ(asked, c.stopAtAsk) << c.name << ": not asked again once stopped";
            EXPECT_LE(stats.nodes, c.stopAtAsk * solver::kStopCheckNodes) << c.name;
        } else {
            EXPECT_EQ(stats.nodes, free.nodes) << "asking changes nothing";
        }
    }
}

TEST(Solver, DamagedBoardsAreAnsweredWithoutHarm) {
    // Kinds outside the tile set match nothing (kind 0 matches kind 0 as
    // the match table has it); SlotCount beyond the slot array is clamped.
    Board board = MakeBoard({{0, 0, 1, 50}, {0, 100, 1, 50}, {0, 200, 1, 63}});
    EXPECT_EQ(SolvePosition(board, kAmple), SolveResult::Unwinnable);
    board = MakeBoard({{0, 0, 1, 0}, {0, 0, 1, 0}});
    EXPECT_EQ(SolvePosition(board, kAmple), ReferenceWinnable(board) ? W : U);
    board = MakeBoard({{0, 0, 1, 7}, {500, 300, 9, 7}});
    board.SlotCount = 100000;
    EXPECT_EQ(SolvePosition(board, kAmple), SolveResult::Winnable);
    board.SlotCount = -5;
    EXPECT_EQ(SolvePosition(board, kAmple), SolveResult::Winnable);
}

// Kinds for a random board: pairs from a few plain kinds and both groups,
// so classes of two, four and more arise; sometimes one tile is changed so
// that a class is odd.
std::vector<uint8_t> RandomKinds(std::mt19937& rng, size_t count) {
    std::vector<uint8_t> kinds;
    while (kinds.size() + 1 < count) {
        const int pick = static_cast<int>(rng() % 6);
        for (int k = 0; k < 2; ++k) {
            if (pick == 4) {
                kinds.push_back(static_cast<uint8_t>(35 + rng() % 4));
            } else if (pick == 5) {
                kinds.push_back(static_cast<uint8_t>(39 + rng() % 4));
            } else {
                kinds.push_back(static_cast<uint8_t>(pick + 1));
            }
        }
    }
    if (kinds.size() < count || rng() % 10 == 0) {
        kinds.resize(count);
        kinds.back() = static_cast<uint8_t>(1 + rng() % 4);
    }
    std::shuffle(kinds.begin(), kinds.end(), rng);
    return kinds;
}

// Pairings the late search ruled out over all ExpectAgreement calls: the
// tests that compare with the reference check that this rule was at work.
int64_t gRuledOut = 0;

constexpr solver::LatePace kQuickLatePace{0, 4};

void ExpectAgreement(const Board& board, const std::string& what) {
    SCOPED_TRACE(what);
    const bool winnable = ReferenceWinnable(board);
    const SolveResult expected = winnable ? SolveResult::Winnable : SolveResult::Unwinnable;
    std::vector<SolverMove> moves;
    const SolveResult full = SolvePosition(board, kAmple, nullptr, &moves);
    ASSERT_EQ(full, expected);
    if (winnable) {
        ASSERT_TRUE(ClearsBoard(board, moves));
    }
    // The late dives from the first node, a few nodes each, so that the
    // pairings are tried again between them; on whole deals they only
    // start after many nodes.
    SolverStats late;
    ASSERT_EQ(solver::solveBoard(board, kAmple, &late, &moves, {}, kQuickLatePace), expected)
        << "late search";
    if (winnable) {
        ASSERT_TRUE(ClearsBoard(board, moves)) << "late search";
    }
    gRuledOut += late.ruledOut;
    // A small budget may give up, but never with a wrong answer.
    const SolveResult quick = SolvePosition(board, 3);
    ASSERT_TRUE(quick == SolveResult::Undecided || quick == full);
}

// Compact pieces of the real layout (rows, the single tiles sharing two
// bands, layers on top), so every window of the free test is exercised.
TEST(Solver, AgreesWithExhaustiveSearchOnPiecesOfTheLayout) {
    std::mt19937 rng(2024);
    for (int trial = 0; trial < 1500; ++trial) {
        const LayoutPosition& centre = BoardLayout[rng() % kLayoutSize];
        std::vector<LayoutPosition> near(BoardLayout.begin(), BoardLayout.end());
        std::sort(near.begin(), near.end(), [&](const LayoutPosition& a, const LayoutPosition& b) {
            const auto d = [&](const LayoutPosition& p) {
                return std::abs(p.X - centre.X) + std::abs(p.Y - centre.Y);
            };
            return d(a) < d(b);
        });
        const size_t count = 10 + rng() % 11;
        const std::vector<uint8_t> kinds = RandomKinds(rng, count);
        Board board = MakeBoard({});
        for (size_t i = 0; i < count; ++i) {
            AddSlot(board, near[i].X, near[i].Y, near[i].Layer, kinds[i]);
        }
        ExpectAgreement(board, "layout piece " + std::to_string(trial));
    }
}

// The 24 or 28 positions of `near` closest to `centre` (a row counts
// `rowWeight` times a column, so pieces run along the rows), dealt four
// tiles to a kind in random order.
Board FourToAKindPiece(std::vector<LayoutPosition> near, const LayoutPosition& centre,
                       int rowWeight, std::mt19937& rng) {
    std::stable_sort(near.begin(), near.end(),
                     [&](const LayoutPosition& a, const LayoutPosition& b) {
                         const auto d = [&](const LayoutPosition& p) {
                             return std::abs(p.X - centre.X) + rowWeight * std::abs(p.Y - centre.Y);
                         };
                         return d(a) < d(b);
                     });
    const size_t count = 24 + 4 * (rng() % 2);
    std::vector<uint8_t> kinds;
    for (size_t i = 0; i < count; ++i) {
        kinds.push_back(static_cast<uint8_t>(1 + i / 4));
    }
    std::shuffle(kinds.begin(), kinds.end(), rng);
    Board board = MakeBoard({});
    for (size_t i = 0; i < count; ++i) {
        AddSlot(board, near[i].X, near[i].Y, near[i].Layer, kinds[i]);
    }
    return board;
}

// Bigger pieces dealt like the game, four tiles to a kind: the search has
// to commit pairings in several classes and meets positions again.
TEST(Solver, AgreesWithExhaustiveSearchOnPiecesDealtFourToAKind) {
    std::mt19937 rng(4);
    for (int trial = 0; trial < 1000; ++trial) {
        const LayoutPosition& centre = BoardLayout[rng() % kLayoutSize];
        const Board board =
            FourToAKindPiece({BoardLayout.begin(), BoardLayout.end()}, centre, 2, rng);
        ExpectAgreement(board, "four to a kind " + std::to_string(trial));
    }
}

// The same on pieces of every built-in layout, cut along the rows: long
// rows on few layers are where the search goes deepest and where the
// pairings forced at its nodes are taken back again.
TEST(Solver, AgreesWithExhaustiveSearchOnRowsOfEveryLayout) {
    std::mt19937 rng(24);
    const int64_t ruledOutBefore = gRuledOut;
    for (const Layout& layout : BuiltInLayouts()) {
        for (int trial = 0; trial < 150; ++trial) {
            const LayoutPosition& centre = layout.Positions[rng() % kLayoutSize];
            const Board board = FourToAKindPiece({layout.Positions.begin(), layout.Positions.end()},
                                                 centre, 4, rng);
            ExpectAgreement(board, layout.ShortName + " rows " + std::to_string(trial));
        }
    }
    EXPECT_GT(gRuledOut, ruledOutBefore) << "no pairing was ruled out by a conflict";
}

// Free-form positions with overlaps, tiles less than 38 px apart in a band,
// duplicates, and sometimes a match table that is not an equivalence.
TEST(Solver, AgreesWithExhaustiveSearchOnFreeFormBoards) {
    std::mt19937 rng(77);
    for (int trial = 0; trial < 1500; ++trial) {
        const size_t count = 8 + rng() % 9;
        const std::vector<uint8_t> kinds = RandomKinds(rng, count);
        Board board = MakeBoard({});
        if (trial % 4 == 0) {
            board.Low[2] = 1; // 2 goes with 1 and 3, but 1 not with 3
            board.High[2] = 3;
        }
        for (size_t i = 0; i < count; ++i) {
            AddSlot(board, static_cast<int32_t>(19 * (rng() % 11)),
                    static_cast<int32_t>(19 * (rng() % 9)), static_cast<uint8_t>(1 + rng() % 3),
                    kinds[i]);
        }
        ExpectAgreement(board, "free-form board " + std::to_string(trial));
    }
}

// On whole deals the reference is out of reach; a Winnable answer must
// still come with a clearance that the plain rules accept.
TEST(Solver, WinsOnWholeDealsComeWithAValidClearance) {
    int decided = 0;
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        for (bool solvable : {false, true}) {
            Game game;
            game.settings.AvoidUnsolveableGames = solvable;
            game.Seed = seed * 2654435761U;
            NewGame(game);
            std::vector<SolverMove> moves;
            const SolveResult r = SolvePosition(game.board, 20000, nullptr, &moves);
            decided += r == SolveResult::Undecided ? 0 : 1;
            if (r == SolveResult::Winnable) {
                EXPECT_TRUE(ClearsBoard(game.board, moves)) << "seed " << seed;
                EXPECT_EQ(moves.size(), 72U);
            }
        }
    }
    // Strength guard: whole deals take a few thousand nodes at most; an
    // undecided one here means the search lost its way.
    EXPECT_EQ(decided, 40);
}

} // namespace
} // namespace kelmar
