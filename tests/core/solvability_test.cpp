#include "core/board.h"
#include "core/rules.h"
#include "core/solvability.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <optional>
#include <vector>

namespace kelmar {
namespace {

using test::Deal;

// A dealt game with `moves` pairs taken by the hint; every one recorded.
Game PlayedGame(uint32_t seed, int moves) {
    Game game;
    Deal(game, seed, true);
    for (int i = 0; i < moves && !game.play.NoMovesLeft; ++i) {
        GiveHint(game);
        GiveHint(game);
    }
    return game;
}

int32_t PresentCount(const Board& board) {
    int32_t n = 0;
    for (int32_t s = 1; s <= board.SlotCount; ++s) {
        n += board.Slots[static_cast<size_t>(s)].Present ? 1 : 0;
    }
    return n;
}

TEST(PositionKey, SeesEveryTileTakenOrChangedAndNothingElse) {
    Game game = PlayedGame(11, 3);
    const PositionKey now = PositionKey::Of(game.board);
    Board same = game.board;
    same.Slots[1].Free = !same.Slots[1].Free; // analysis results are no part of it
    EXPECT_EQ(PositionKey::Of(same), now);

    Board taken = game.board;
    const int32_t slot = game.play.FreeList[1];
    RemoveTile(taken, slot);
    EXPECT_NE(PositionKey::Of(taken), now);
    RestoreTile(taken, slot);
    EXPECT_EQ(PositionKey::Of(taken), now);

    Board otherKind = game.board;
    otherKind.Slots[static_cast<size_t>(slot)].Kind ^= 1;
    EXPECT_NE(PositionKey::Of(otherKind), now);
}

// The fake verdicts are keyed by the number of tiles, which tells the
// positions of one game apart: index i is the position i moves back.
struct WalkCase {
    const char* name;
    std::vector<std::optional<SolveResult>> verdicts;
    SolvabilityAnswer expected;
    bool complete;
    int asked; // verdicts the walk asks for
};

class WalkBackTable : public ::testing::TestWithParam<WalkCase> {};

constexpr auto W = SolveResult::Winnable;
constexpr auto L = SolveResult::Unwinnable;
constexpr auto U = SolveResult::Undecided;

TEST_P(WalkBackTable, AnswersAndStopsWhereTheVerdictsSay) {
    const WalkCase& c = GetParam();
    Game game = PlayedGame(3, 4);
    ASSERT_EQ(game.history.Position, 4);
    const int32_t tilesNow = PresentCount(game.board);
    int asked = 0;
    const VerdictSource source = [&](const Board& b) -> std::optional<SolveResult> {
        const int32_t back = (PresentCount(b) - tilesNow) / 2;
        EXPECT_EQ(asked, back) << "positions are asked for one move back at a time";
        ++asked;
        return static_cast<size_t>(back) < c.verdicts.size() ? c.verdicts[static_cast<size_t>(back)]
                                                             : L;
    };
    const SolvabilityWalk walk = WalkBack(game.board, game.history, source);
    EXPECT_EQ(walk.answer, c.expected);
    EXPECT_EQ(walk.complete, c.complete);
    EXPECT_EQ(asked, c.asked);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WalkBackTable,
    ::testing::Values(
        WalkCase{"Winnable", {W}, {Solvability::Winnable, 0}, true, 1},
        WalkCase{"Undecided", {U}, {Solvability::Undecided, 0}, true, 1},
        WalkCase{"UnknownNow", {std::nullopt}, {Solvability::Undecided, 0}, false, 1},
        WalkCase{"LostOneMoveAgo", {L, W}, {Solvability::LostSince, 1}, true, 2},
        WalkCase{"WinnableOnlyAtTheStart", {L, L, L, L, W}, {Solvability::LostSince, 4}, true, 5},
        WalkCase{"LostFromTheStart", {L, L, L, L, L}, {Solvability::LostFromStart, 0}, true, 5},
        WalkCase{"UndecidedOnTheWay", {L, L, U, W}, {Solvability::LostUnknownBefore, 0}, true, 3},
        WalkCase{
            "UnknownOnTheWay", {L, std::nullopt}, {Solvability::LostUnknownBefore, 0}, false, 2}),
    [](const ::testing::TestParamInfo<WalkCase>& info) { return info.param.name; });

TEST(RunSolvabilityCheck, AsksTheSolverOnlyForUnknownPositionsAndKeepsWhatItFinds) {
    Game game = PlayedGame(9, 3);
    VerdictCache known;
    known.store(PositionKey::Of(game.board), L);
    std::vector<int32_t> solvedTiles;
    const SolveFunction solve = [&](const Board& b, int64_t budget, SolverStats* stats) {
        EXPECT_EQ(budget, kSolvabilityNodeBudget);
        solvedTiles.push_back(PresentCount(b));
        stats->nodes = 10;
        return solvedTiles.size() == 1 ? L : W;
    };
    const SolvabilityAnswer answer = RunSolvabilityCheck(game.board, game.history, known, solve);
    EXPECT_EQ(answer, (SolvabilityAnswer{Solvability::LostSince, 2}));
    const int32_t now = PresentCount(game.board);
    EXPECT_EQ(solvedTiles, (std::vector<int32_t>{now + 2, now + 4}));
    EXPECT_EQ(known.find(PositionKey::Of(BoardBefore(game.board, game.history, 2))), W);

    solvedTiles.clear();
    EXPECT_EQ(RunSolvabilityCheck(game.board, game.history, known, solve), answer);
    EXPECT_TRUE(solvedTiles.empty()) << "a second check is answered from the known verdicts";
}

TEST(RunSolvabilityCheck, StopsTheWalkOnceItsNodeBudgetIsSpent) {
    Game game = PlayedGame(9, 5);
    VerdictCache known;
    int calls = 0;
    const SolveFunction solve = [&](const Board&, int64_t budget, SolverStats* stats) {
        ++calls;
        stats->nodes = budget; // every position proven lost at the end of its budget
        return L;
    };
    const SolvabilityAnswer answer =
        RunSolvabilityCheck(game.board, game.history, known, solve, 2 * kSolvabilityNodeBudget);
    EXPECT_EQ(answer.kind, Solvability::LostUnknownBefore);
    EXPECT_EQ(calls, 2);
}

TEST(VerdictCache, KeepsTheToldMarkAgainstAWorkersCopyAndForgetsItForANewRun) {
    Game game = PlayedGame(2, 1);
    const PositionKey key = PositionKey::Of(game.board);
    VerdictCache cache;
    cache.store(key, W);
    cache.markTold(key);
    VerdictCache worker = cache;
    worker.forgetTold();
    worker.store(key, W);
    cache.merge(worker);
    EXPECT_TRUE(cache.told(key));
    cache.forgetTold();
    EXPECT_FALSE(cache.told(key));
    EXPECT_EQ(cache.find(key), W) << "verdicts stay true across runs";
}

} // namespace
} // namespace kelmar
