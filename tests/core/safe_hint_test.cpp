#include "core/board.h"
#include "core/deal.h"
#include "core/rules.h"
#include "core/safe_hint.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <ostream>
#include <vector>

namespace kelmar {

bool operator==(SolverMove a, SolverMove b) {
    return a.First == b.First && a.Second == b.Second;
}

namespace {

using test::Deal;
using test::RecordingView;
using Call = RecordingView::Call;

constexpr auto W = SolveResult::Winnable;
constexpr auto L = SolveResult::Unwinnable;
constexpr auto U = SolveResult::Undecided;
constexpr std::optional<SolveResult> kNone = std::nullopt;

// One tile per row at x = 0 (so every tile is free unless something lies
// on it), in slot order.
struct Tile {
    int32_t y;
    uint8_t layer, kind;
};
void BuildBoard(Game& game, std::initializer_list<Tile> tiles) {
    ResetBoard(game);
    for (const Tile& t : tiles) {
        AddSlot(game.board, 0, t.y, t.layer, t.kind);
    }
    game.board.DealtCount = static_cast<int32_t>(tiles.size());
    PrepareBoardGeometry(game);
    AnalyzeBoard(game);
}

// Slots 1..6 of kinds 1 1 2 2 3 3: the candidates are (6,5), (4,3), (2,1).
void BuildThreePairs(Game& game) {
    BuildBoard(game, {{0, 1, 1}, {54, 1, 1}, {108, 1, 2}, {162, 1, 2}, {216, 1, 3}, {270, 1, 3}});
}

TEST(HintCandidates, ComeInTheHintsOwnOrderAndTheFirstIsThePairGiveHintShows) {
    for (uint32_t seed : {1u, 77u, 4711u, 86'399'999u}) {
        for (bool solvable : {false, true}) {
            Game game;
            Deal(game, seed, solvable);
            // Play a few plain hints so that tiles of every layer are free.
            for (int move = 0; move < 12 && !game.play.NoMovesLeft; ++move) {
                const std::vector<SolverMove> pairs = HintCandidates(game);
                ASSERT_EQ(static_cast<int32_t>(pairs.size()), game.play.MoveCount);
                for (std::size_t i = 0; i < pairs.size(); ++i) {
                    const SolverMove p = pairs[i];
                    EXPECT_GT(p.First, p.Second);
                    EXPECT_TRUE(game.board.Slots[static_cast<size_t>(p.First)].Free);
                    EXPECT_TRUE(game.board.Slots[static_cast<size_t>(p.Second)].Free);
                    if (i > 0) {
                        const SolverMove q = pairs[i - 1];
                        EXPECT_TRUE(q.First > p.First ||
                                    (q.First == p.First && q.Second > p.Second))
                            << "seed " << seed << " pair " << i;
                    }
                }
                GiveHint(game);
                ASSERT_TRUE(game.play.HintShowing);
                EXPECT_EQ(pairs.front(), (SolverMove{game.play.HintSlotA, game.play.HintSlotB}));
                GiveHint(game); // takes it
            }
        }
    }
}

TEST(HintCandidates, GroupsOfFourMatchAcrossKindsAndNoMoveGivesNone) {
    Game game;
    // Flowers 35 and 38 match each other, 38 and 39 do not.
    BuildBoard(game, {{0, 1, 35}, {54, 1, 39}, {108, 1, 38}, {162, 1, 40}});
    EXPECT_EQ(HintCandidates(game), (std::vector<SolverMove>{{4, 2}, {3, 1}}));
    BuildBoard(game, {{0, 1, 1}, {0, 2, 1}, {54, 1, 2}});
    EXPECT_TRUE(HintCandidates(game).empty()) << "the kind-1 pair lies on itself";
}

// The judgement over three candidates, with the verdict of the position
// after each (kNone: no verdict to give) and how many were asked for.
struct JudgeCase {
    const char* name;
    std::vector<std::optional<SolveResult>> after;
    HintSafety safety;
    int pair; // index of the shown candidate when Safe
    int asked;
};

void PrintTo(const JudgeCase& c, std::ostream* os) {
    *os << c.name;
}

class JudgeHint : public ::testing::TestWithParam<JudgeCase> {};

TEST_P(JudgeHint, TakesTheFirstProvenSafePairAndStopsWhereAVerdictIsMissing) {
    const JudgeCase& c = GetParam();
    Game game;
    BuildThreePairs(game);
    const std::vector<SolverMove> candidates = HintCandidates(game);
    ASSERT_EQ(candidates, (std::vector<SolverMove>{{6, 5}, {4, 3}, {2, 1}}));
    int asked = 0;
    const HintJudgement j =
        JudgeHintCandidates(game.board, candidates, [&](SolverMove, const Board& after) {
            ++asked;
            EXPECT_EQ(after.Slots[6].Present + after.Slots[4].Present + after.Slots[2].Present, 2)
                << "exactly one pair taken";
            const int index = !after.Slots[6].Present ? 0 : !after.Slots[4].Present ? 1 : 2;
            return c.after[static_cast<size_t>(index)];
        });
    EXPECT_EQ(j.safety, c.safety);
    if (c.safety == HintSafety::Safe) {
        EXPECT_EQ(j.pair, candidates[static_cast<size_t>(c.pair)]);
    }
    EXPECT_EQ(asked, c.asked);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, JudgeHint,
    ::testing::Values(JudgeCase{"PlainPairSafe", {W, L, L}, HintSafety::Safe, 0, 1},
                      JudgeCase{"SecondSafe", {L, W, W}, HintSafety::Safe, 1, 2},
                      JudgeCase{"OnlyLastSafe", {L, L, W}, HintSafety::Safe, 2, 3},
                      JudgeCase{"AllLost", {L, L, L}, HintSafety::Lost, 0, 3},
                      JudgeCase{"UndecidedPassedOver", {U, W, L}, HintSafety::Safe, 1, 2},
                      JudgeCase{"UndecidedIsNoLoss", {L, U, L}, HintSafety::Unknown, 0, 3},
                      JudgeCase{"MissingFirstStops", {kNone, W, W}, HintSafety::Unknown, 0, 1},
                      JudgeCase{"MissingLaterStops", {L, kNone, W}, HintSafety::Unknown, 0, 2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(JudgeHint, NoCandidateIsNoLoss) {
    Game game;
    BuildThreePairs(game);
    EXPECT_EQ(
        JudgeHintCandidates(game.board, {}, [](SolverMove, const Board&) { return L; }).safety,
        HintSafety::Unknown);
}

TEST(JudgeHintFromKnown, AKnownLostPositionNeedsNoCandidateAndUnknownOnesStop) {
    Game game;
    BuildThreePairs(game);
    const std::vector<SolverMove> candidates = HintCandidates(game);
    VerdictCache known;
    EXPECT_EQ(JudgeHintFromKnown(game.board, candidates, known).safety, HintSafety::Unknown);
    known.store(PositionKey::Of(BoardAfter(game.board, candidates[0])), L);
    known.store(PositionKey::Of(BoardAfter(game.board, candidates[2])), W);
    EXPECT_EQ(JudgeHintFromKnown(game.board, candidates, known).safety, HintSafety::Unknown)
        << "the second candidate may be the first safe one";
    known.store(PositionKey::Of(BoardAfter(game.board, candidates[1])), U);
    const HintJudgement j = JudgeHintFromKnown(game.board, candidates, known);
    EXPECT_EQ(j.safety, HintSafety::Safe);
    EXPECT_EQ(j.pair, candidates[2]);
    known.store(PositionKey::Of(game.board), L);
    EXPECT_EQ(JudgeHintFromKnown(game.board, candidates, known).safety, HintSafety::Lost);
}

// A fake solver: verdicts by the first slot of the pair taken (the slot
// that is absent), each call costing `nodes`; a slot listed in `needs`
// stays Undecided, spending the whole budget, below that many nodes. The
// position with none of them taken is `whole`.
struct FakeSolver {
    std::map<int32_t, SolveResult> byTakenSlot;
    SolveResult whole = U;
    std::map<int32_t, int64_t> needs;
    int64_t nodes = 10;
    std::vector<int64_t> budgets;
    HintSolveFunction function() {
        return HintSolverOf([this](const Board& board, int64_t budget, SolverStats* stats) {
            budgets.push_back(budget);
            stats->nodes = nodes;
            for (const auto& [slot, result] : byTakenSlot) {
                if (!board.Slots[static_cast<size_t>(slot)].Present) {
                    if (needs.contains(slot) && needs[slot] > budget) {
                        stats->nodes = budget;
                        return U;
                    }
                    return result;
                }
            }
            return whole;
        });
    }
};

// The three pairs (6,5), (4,3), (2,1) and a fake solver for them.
class RunHintCheckOn : public ::testing::Test {
protected:
    void SetUp() override {
        BuildThreePairs(game);
        candidates = HintCandidates(game);
    }
    Game game;
    std::vector<SolverMove> candidates;
    FakeSolver solver;
};

TEST_F(RunHintCheckOn, LearnsEveryVerdictAndThePositionsOwnSoTheNextCallSolvesNothing) {
    solver.byTakenSlot = {{6, L}, {4, W}, {2, W}};
    VerdictCache known;
    HintJudgement j = RunHintCheck(game.board, candidates, known, solver.function());
    EXPECT_EQ(j.safety, HintSafety::Safe);
    EXPECT_EQ(j.pair, candidates[1]);
    EXPECT_EQ(solver.budgets,
              (std::vector<int64_t>{kSafeHintQuickNodes, kSafeHintQuickNodes, kSafeHintQuickNodes}))
        << "the position itself, then the quick round";
    EXPECT_EQ(known.find(PositionKey::Of(game.board)), W);
    EXPECT_EQ(known.find(PositionKey::Of(BoardAfter(game.board, candidates[0]))), L);

    j = RunHintCheck(game.board, candidates, known, solver.function());
    EXPECT_EQ(j.pair, candidates[1]);
    EXPECT_EQ(solver.budgets.size(), 3u);

    solver.byTakenSlot = {{6, L}, {4, L}, {2, L}};
    VerdictCache lost;
    EXPECT_EQ(RunHintCheck(game.board, candidates, lost, solver.function()).safety,
              HintSafety::Lost);
    EXPECT_EQ(lost.find(PositionKey::Of(game.board)), L);

    solver.whole = L;
    solver.budgets.clear();
    VerdictCache wholeLost;
    EXPECT_EQ(RunHintCheck(game.board, candidates, wholeLost, solver.function()).safety,
              HintSafety::Lost);
    EXPECT_EQ(solver.budgets.size(), 1u) << "a lost position needs no pair judged";
}

TEST_F(RunHintCheckOn, StopsUndecidedOnceTheBudgetIsSpentAndStoresNoUndecidedVerdict) {
    solver.byTakenSlot = {{6, U}, {4, W}};
    solver.nodes = 60;
    VerdictCache known;
    // 60 nodes for the position itself, 60 for the first pair, 40 left.
    EXPECT_EQ(RunHintCheck(game.board, candidates, known, solver.function(), 160).pair,
              candidates[1]);
    VerdictCache poor;
    EXPECT_EQ(RunHintCheck(game.board, candidates, poor, solver.function(), 50).safety,
              HintSafety::Unknown);
    EXPECT_FALSE(poor.find(PositionKey::Of(BoardAfter(game.board, candidates[0]))).has_value())
        << "a budget too small proves nothing about the position";
    EXPECT_FALSE(poor.find(PositionKey::Of(game.board)).has_value());
}

// The window waits 100 ms only: a pair proven safe at once beats an earlier
// one that needs a long search, and the long search comes only when no pair
// is proven quickly.
TEST_F(RunHintCheckOn, AQuickProofBeatsASlowOneAndSlowOnesGetTheRestLast) {
    solver.byTakenSlot = {{6, W}, {4, W}, {2, L}};
    solver.needs = {{6, 50'000}};
    VerdictCache known;
    EXPECT_EQ(RunHintCheck(game.board, candidates, known, solver.function()).pair, candidates[1]);

    solver.byTakenSlot = {{6, W}, {4, L}, {2, L}};
    solver.budgets.clear();
    VerdictCache fresh;
    EXPECT_EQ(RunHintCheck(game.board, candidates, fresh, solver.function()).pair, candidates[0]);
    const int64_t left = kSafeHintNodeBudget - kSafeHintQuickNodes - 3 * solver.nodes;
    EXPECT_EQ(solver.budgets,
              (std::vector<int64_t>{kSafeHintQuickNodes, kSafeHintQuickNodes, kSafeHintQuickNodes,
                                    kSafeHintQuickNodes, left}));

    solver.needs = {{6, 50'000}, {4, 50'000}};
    solver.byTakenSlot = {{6, U}, {4, W}, {2, L}};
    VerdictCache twoSlow;
    EXPECT_EQ(RunHintCheck(game.board, candidates, twoSlow, solver.function()).pair, candidates[1])
        << "the second round keeps the hint order";
}

// A pair of a winning order already known is safe without the solver, and
// the rest of the order goes with the judgement; a pair the solver judged
// carries the solver's order (none from this one).
TEST_F(RunHintCheckOn, APairOfAKnownWinningOrderIsSafeWithoutTheSolver) {
    solver.byTakenSlot = {{6, L}, {4, W}, {2, W}};
    VerdictCache known;
    const WinningLine line{{1, 2}, {3, 4}, {5, 6}}; // the other order in each pair
    HintJudgement j =
        RunHintCheck(game.board, candidates, known, solver.function(), kSafeHintNodeBudget, line);
    EXPECT_EQ(j.pair, candidates[0]);
    EXPECT_EQ(j.line, (WinningLine{{1, 2}, {3, 4}}));
    EXPECT_TRUE(solver.budgets.empty());
    EXPECT_EQ(known.find(PositionKey::Of(game.board)), W);

    VerdictCache fresh;
    j = RunHintCheck(game.board, candidates, fresh, solver.function(), kSafeHintNodeBudget,
                     {{2, 1}});
    EXPECT_EQ(j.pair, candidates[1]) << "a line never makes a pair before it safe";
    EXPECT_TRUE(j.line.empty());
    EXPECT_EQ(solver.budgets.size(), 2u);
    EXPECT_EQ(JudgeHintFromKnown(game.board, candidates, VerdictCache{}, {{5, 6}}).safety,
              HintSafety::Safe);
}

TEST(ChooseHintPair, ShowsTheSafePairOnlyWhenOnAndJudgedAndSaysLostOnlyWhenProven) {
    const std::vector<SolverMove> candidates{{9, 4}, {7, 2}, {5, 1}};
    const HintJudgement safe{HintSafety::Safe, {5, 1}, {}};
    const HintJudgement lost{HintSafety::Lost, {}, {}};
    const HintJudgement unknown{HintSafety::Unknown, {}, {}};
    const struct {
        bool on;
        std::optional<HintJudgement> judgement;
        SolverMove shown;
        bool sayLost;
    } cases[] = {
        {true, safe, {5, 1}, false},          {true, lost, {9, 4}, true},
        {true, unknown, {9, 4}, false},       {true, std::nullopt, {9, 4}, false},
        {false, safe, {9, 4}, false},         {false, lost, {9, 4}, false},
        {false, std::nullopt, {9, 4}, false},
    };
    for (const auto& c : cases) {
        const HintShown shown = ChooseHintPair(c.on, candidates, c.judgement);
        EXPECT_EQ(shown.pair, c.shown) << c.on;
        EXPECT_EQ(shown.sayLost, c.sayLost) << c.on;
    }
}

TEST(ShowHintPair, ShowsAChosenPairForTheNextPressToTakeAndRefusesAnythingElse) {
    Game game;
    RecordingView view(game);
    game.view = &view;
    // Slot 2 (kind 2) lies on slot 1 (kind 1).
    BuildBoard(game, {{0, 1, 1}, {0, 2, 2}, {54, 1, 1}, {108, 1, 2}, {162, 1, 3}, {216, 1, 1}});
    game.clock.CurrentTick = 700;
    game.clock.Elapsed = 3000;
    for (const auto& [a, b] : {std::pair{1, 3}, {3, 4}, {3, 3}, {0, 3}, {3, 300}, {5, 3}}) {
        ShowHintPair(game, a, b);
        EXPECT_FALSE(game.play.HintShowing) << a << "," << b;
    }
    EXPECT_TRUE(view.calls.empty());
    EXPECT_EQ(game.clock.BaseElapsed, 0) << "nothing charged";

    ASSERT_EQ(HintCandidates(game).front(), (SolverMove{6, 3}));
    ShowHintPair(game, 4, 2); // not the plain pair
    EXPECT_TRUE(game.play.HintShowing);
    EXPECT_EQ(view.highlights,
              (std::vector<Rect>{TileRect(game.board, 4), TileRect(game.board, 2)}));
    EXPECT_EQ(view.calls, (std::vector<Call>{Call::Highlight, Call::Highlight, Call::Present}));
    EXPECT_EQ(game.clock.BaseElapsed, 13000);
    GiveHint(game);
    EXPECT_FALSE(game.board.Slots[4].Present);
    EXPECT_FALSE(game.board.Slots[2].Present);
    EXPECT_TRUE(game.board.Slots[6].Present);
    EXPECT_EQ(game.history.Records[1].First, 4);
    EXPECT_EQ(game.clock.BaseElapsed, 13000) << "the taking press is free";
}

// Closing the window stops a hint judgement in progress through the stop
// given with the solver; without it the ending process waited for the
// judgement's whole node budget.
TEST(HintSolver, PassesTheStopOnToTheSearch) {
    Game game; // a random deal that needs thousands of search nodes
    game.settings.AvoidUnsolveableGames = false;
    SeedRandom(game, 172813);
    NewGame(game);
    bool stopped = false;
    const HintSolveFunction solve = HintSolverOf({}, [&stopped] { return stopped; });
    EXPECT_NE(solve(game.board, 1'000'000, nullptr, nullptr), SolveResult::Undecided);
    stopped = true;
    EXPECT_EQ(solve(game.board, 1'000'000, nullptr, nullptr), SolveResult::Undecided);
}

} // namespace
} // namespace kelmar
