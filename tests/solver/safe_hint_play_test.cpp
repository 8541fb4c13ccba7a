// Playing by hint alone, the way a new player tries the game: with the safe
// hint every deal handed out as winnable is won, while the plain hint leads
// some of the same deals into a dead end.
#include "core/deal.h"
#include "core/rules.h"
#include "core/safe_hint.h"
#include "core/solver.h"

#include <gtest/gtest.h>

namespace kelmar {
namespace {

constexpr int kDeals = 200;

void DealWinnable(Game& game, int index) {
    game = Game{};
    game.settings.AvoidUnsolveableGames = true;
    SeedRandom(game, static_cast<uint32_t>(index) * 2'654'435'761U + 12'345U);
    NewGame(game);
    AnalyzeBoard(game);
}

// Presses the hint twice per move until no move is left; the safe hint's
// choice is made by the judgement as the window's worker makes it, with the
// winning order the last judgement found.
void PlayByHint(Game& game, bool safe, int& changedPairs) {
    const HintSolveFunction solve = HintSolverOf({});
    VerdictCache known;
    WinningLine line;
    while (!game.play.NoMovesLeft) {
        if (safe) {
            const std::vector<SolverMove> candidates = HintCandidates(game);
            const HintJudgement judgement =
                RunHintCheck(game.board, candidates, known, solve, kSafeHintNodeBudget, line);
            line = judgement.line;
            ASSERT_EQ(judgement.safety, HintSafety::Safe)
                << "a winnable position has a pair that keeps it so, after "
                << game.history.Position << " moves";
            const HintShown shown = ChooseHintPair(true, candidates, judgement);
            changedPairs += shown.pair.First != candidates.front().First ||
                            shown.pair.Second != candidates.front().Second;
            ShowHintPair(game, shown.pair.First, shown.pair.Second);
        } else {
            GiveHint(game);
        }
        ASSERT_TRUE(game.play.HintShowing);
        GiveHint(game);
    }
}

TEST(SafeHintPlay, WinsEveryOneOf200WinnableDealsWhereThePlainHintGetsStuck) {
    int safeWon = 0;
    int plainWon = 0;
    int changedPairs = 0;
    int unused = 0;
    Game game;
    for (int i = 0; i < kDeals; ++i) {
        DealWinnable(game, i);
        PlayByHint(game, false, unused);
        plainWon += game.play.GameWon ? 1 : 0;

        DealWinnable(game, i);
        PlayByHint(game, true, changedPairs);
        if (HasFatalFailure()) {
            return;
        }
        EXPECT_TRUE(game.play.GameWon) << "deal " << i;
        safeWon += game.play.GameWon ? 1 : 0;
    }
    EXPECT_EQ(safeWon, kDeals);
    // The deals must be ones where the choice matters.
    EXPECT_LT(plainWon, kDeals / 2);
    EXPECT_GT(changedPairs, 0);
    RecordProperty("plain_hint_won", plainWon);
    RecordProperty("pairs_changed", changedPairs);
}

} // namespace
} // namespace kelmar
