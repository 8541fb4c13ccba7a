// Soundness of the solver on the positions the census is made of: whole
// deals and positions reached by play. Every Winnable is checked by the
// game's own rules, late positions against the plain exhaustive search, and
// every Unwinnable against its successors.
#include "core/board.h"
#include "core/deal.h"
#include "core/rules.h"
#include "core/solver.h"
#include "core/solver/search.h"
#include "tests/solver/reference_solver.h"

#include <gtest/gtest.h>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace kelmar {
namespace {

constexpr int64_t kBudget = 1'000'000;

Game Dealt(uint32_t seed, bool avoidUnsolvable) {
    Game game;
    game.settings.AvoidUnsolveableGames = avoidUnsolvable;
    SeedRandom(game, seed);
    NewGame(game);
    AnalyzeBoard(game);
    return game;
}

// Random pairs until at most `tilesLeft` tiles remain; false when stuck first.
bool PlayDownTo(Game& game, int tilesLeft, std::mt19937& rng) {
    for (int left = 144; left > tilesLeft; left -= 2) {
        const auto moves = FreeMatchingPairs(game);
        if (moves.empty()) {
            return false;
        }
        const auto& [a, b] = moves[rng() % moves.size()];
        RemoveTile(game.board, a);
        RemoveTile(game.board, b);
        AnalyzeBoard(game);
    }
    return !FreeMatchingPairs(game).empty();
}

int Present(const Board& board) {
    int n = 0;
    for (int32_t s = 1; s <= board.SlotCount; ++s) {
        n += board.Slots[static_cast<size_t>(s)].Present ? 1 : 0;
    }
    return n;
}

// Plays the solution by clicks, as a player would, and expects the win.
void ExpectClicksWin(Game game, const std::vector<SolverMove>& moves, const std::string& what) {
    AnalyzeBoard(game);
    const int tiles = Present(game.board);
    ASSERT_EQ(static_cast<int>(moves.size()) * 2, tiles) << what;
    for (const SolverMove& m : moves) {
        const int32_t before = game.history.Length;
        ClickTile(game, m.First);
        ClickTile(game, m.Second);
        ASSERT_EQ(game.history.Length, before + 1)
            << what << ": pair " << m.First << "-" << m.Second << " was not taken";
        AnalyzeBoard(game);
    }
    EXPECT_TRUE(game.play.GameWon) << what;
}

// Deals of both kinds and positions 10..60 pairs into random play.
TEST(SolverSoundness, EveryWinComesWithClicksThatClearTheBoard) {
    int wins = 0;
    for (uint32_t i = 0; i < 24; ++i) {
        const uint32_t seed = i * 43199U + 17U;
        for (int sort = 0; sort < 3; ++sort) {
            Game game = Dealt(seed, sort == 0);
            if (sort == 2) {
                std::mt19937 rng(seed);
                if (!PlayDownTo(game, 144 - 2 * (10 + static_cast<int>(i * 7 % 51)), rng)) {
                    continue;
                }
            }
            const std::string what =
                "seed " + std::to_string(seed) + " sort " + std::to_string(sort);
            std::vector<SolverMove> moves;
            const SolveResult r = SolvePosition(game.board, kBudget, nullptr, &moves);
            ASSERT_NE(r, SolveResult::Undecided) << what;
            if (sort == 0) {
                EXPECT_EQ(r, SolveResult::Winnable) << what; // the option's promise
            }
            if (r == SolveResult::Winnable) {
                ++wins;
                ExpectClicksWin(game, moves, what);
            }
        }
    }
    EXPECT_GE(wins, 40);
}

// Positions late in real games, up to 40 tiles: the plain exhaustive search
// is the judge.
TEST(SolverSoundness, AgreesWithExhaustiveSearchLateInRealGames) {
    int lost = 0;
    int checked = 0;
    for (uint32_t seed = 1; checked < 80; ++seed) {
        Game game = Dealt(seed * 2654435761U, seed % 2 == 0);
        std::mt19937 rng(seed);
        if (!PlayDownTo(game, 30 + 2 * static_cast<int>(seed % 6), rng)) {
            continue;
        }
        ++checked;
        const bool winnable = test::ReferenceWinnable(game.board);
        std::vector<SolverMove> moves;
        const SolveResult r = SolvePosition(game.board, kBudget, nullptr, &moves);
        ASSERT_EQ(r, winnable ? SolveResult::Winnable : SolveResult::Unwinnable) << "seed " << seed;
        if (winnable) {
            ASSERT_TRUE(test::ClearsBoard(game.board, moves)) << "seed " << seed;
        }
        // The late dives from the first node, a few nodes each.
        ASSERT_EQ(solver::solveBoard(game.board, kBudget, nullptr, nullptr, {}, {0, 4}), r)
            << "late search, seed " << seed;
        lost += winnable ? 0 : 1;
    }
    // Random play loses often: both answers must have been compared.
    EXPECT_GT(lost, 10);
    EXPECT_LT(lost, 70);
}

// A proof of a loss must hold after every move: each successor of a
// position proven unwinnable is proven unwinnable too.
TEST(SolverSoundness, ALostPositionHasOnlyLostSuccessors) {
    int positions = 0;
    int searched = 0; // proofs that needed the search, not only reasoning
    for (uint32_t seed = 1; positions < 30 && seed < 2000; ++seed) {
        Game game = Dealt(seed * 40503U + 7U, false);
        std::mt19937 rng(seed);
        SolverStats stats;
        if (!PlayDownTo(game, 60 + 2 * static_cast<int>(seed % 20), rng) ||
            SolvePosition(game.board, kBudget, &stats) != SolveResult::Unwinnable ||
            (stats.nodes == 0 && positions >= 2 * searched)) {
            continue;
        }
        ++positions;
        searched += stats.nodes > 0 ? 1 : 0;
        for (const auto& [a, b] : FreeMatchingPairs(game)) {
            Board next = game.board;
            RemoveTile(next, a);
            RemoveTile(next, b);
            ASSERT_EQ(SolvePosition(next, kBudget), SolveResult::Unwinnable)
                << "seed " << seed << " after " << a << "-" << b;
        }
    }
    EXPECT_EQ(positions, 30);
    EXPECT_GE(searched, 10);
}

// The search runs the same whatever its budget until the budget stops it,
// so a larger budget never decides less, and a decision costs the same
// nodes under any budget that reaches it.
TEST(SolverSoundness, ALargerBudgetNeverDecidesLess) {
    for (uint32_t i = 0; i < 40; ++i) {
        const Game game = Dealt(i * 43199U + 17U, i % 2 == 0);
        SolverStats full;
        const SolveResult answer = SolvePosition(game.board, kBudget, &full);
        ASSERT_NE(answer, SolveResult::Undecided);
        for (int64_t budget : {int64_t{0}, int64_t{10}, int64_t{100}, full.nodes, full.nodes + 1}) {
            SolverStats stats;
            const SolveResult r = SolvePosition(game.board, budget, &stats);
            if (budget >= full.nodes) {
                EXPECT_EQ(r, answer) << "deal " << i << " budget " << budget;
                EXPECT_EQ(stats.nodes, full.nodes) << "deal " << i;
            } else {
                EXPECT_TRUE(r == answer || r == SolveResult::Undecided) << "deal " << i;
            }
        }
    }
}

} // namespace
} // namespace kelmar
