// The rules of the kept game, without a window.
#include "core/deal.h"
#include "core/history.h"
#include "core/rules.h"
#include "play/resume_rules.h"

#include <gtest/gtest.h>
#include <optional>

namespace kelmar {
namespace {

ResumeFacts playing(int32_t moves = 3) {
    return {true, true, true, moves, false};
}

struct StepCase {
    const char* name;
    ResumeFacts facts;
    KeptCopy copy;
    KeepStep afterCommand;
    KeepStep atClose;
};

// Each row guards a way the copy could go wrong: another copy of the game
// removing or overwriting ours, an ended game continued at the next start,
// a write for every move, a close that keeps an old clock.
TEST(ResumeRules, WhenTheCopyIsWrittenPostponedOrRemoved) {
    const ResumeFacts noLock{true, false, true, 3, false};
    const ResumeFacts optionOff{false, true, true, 3, false};
    const ResumeFacts won{true, true, true, 72, true};
    const ResumeFacts freshDeal = playing(0);
    const ResumeFacts notDealt{true, true, false, 0, false};
    const KeptCopy none{};
    const KeptCopy current{true, true, 100u};
    const StepCase cases[] = {
        {"first move, never written", playing(1), none, KeepStep::Write, KeepStep::Write},
        {"changed, just written",
         playing(),
         {true, false, 0u},
         KeepStep::WriteLater,
         KeepStep::Write},
        {"changed, 4999 ms",
         playing(),
         {true, false, 4999u},
         KeepStep::WriteLater,
         KeepStep::Write},
        {"changed, 5000 ms", playing(), {true, false, 5000u}, KeepStep::Write, KeepStep::Write},
        {"continued copy, first change",
         playing(),
         {true, false, std::nullopt},
         KeepStep::Write,
         KeepStep::Write},
        {"game ended and a new one begun",
         playing(1),
         {false, false, 1000u},
         KeepStep::Write,
         KeepStep::Write},
        {"unchanged", playing(), current, KeepStep::Nothing, KeepStep::Write},
        {"no lock, changed", noLock, none, KeepStep::Nothing, KeepStep::Nothing},
        {"no lock, copy of the other",
         noLock,
         {true, false, std::nullopt},
         KeepStep::Nothing,
         KeepStep::Nothing},
        {"option off, own copy", optionOff, current, KeepStep::Remove, KeepStep::Remove},
        {"option off, no copy", optionOff, none, KeepStep::Nothing, KeepStep::Nothing},
        {"won, own copy", won, current, KeepStep::Remove, KeepStep::Remove},
        {"won, no copy", won, none, KeepStep::Nothing, KeepStep::Nothing},
        {"new deal, own copy", freshDeal, {true, false, 9000u}, KeepStep::Remove, KeepStep::Remove},
        {"new deal, no copy", freshDeal, none, KeepStep::Nothing, KeepStep::Nothing},
        {"start failed, nothing dealt", notDealt, none, KeepStep::Nothing, KeepStep::Nothing},
    };
    for (const StepCase& c : cases) {
        EXPECT_EQ(StepAfterCommand(c.facts, c.copy), c.afterCommand) << c.name;
        EXPECT_EQ(StepAtClose(c.facts, c.copy), c.atClose) << c.name;
    }
}

TEST(ResumeRules, OnlyTheOwnerWithTheOptionOnContinuesAnExistingCopy) {
    for (int bits = 0; bits < 8; ++bits) {
        const bool option = (bits & 1) != 0, lock = (bits & 2) != 0, exists = (bits & 4) != 0;
        EXPECT_EQ(StepAtStart(option, lock, exists),
                  bits == 7 ? StartStep::Continue : StartStep::DealNew)
            << option << lock << exists;
    }
}

class Signature : public ::testing::Test {
protected:
    void SetUp() override {
        SeedRandom(game, 4711);
        game.settings.AvoidUnsolveableGames = false;
        NewGame(game);
        AnalyzeBoard(game);
    }
    std::pair<int32_t, int32_t> pair(std::size_t index) {
        const auto pairs = FreeMatchingPairs(game);
        return pairs.at(index % pairs.size());
    }
    void take(std::pair<int32_t, int32_t> p) {
        ClickTile(game, p.first);
        ClickTile(game, p.second);
        AnalyzeBoard(game);
    }
    Game game;
};

// Undo followed by another move leaves Length and Position as they were; a
// signature of the counts alone would keep the copy of the undone move.
TEST_F(Signature, SeesAnotherMoveAfterUndoWithTheSameCounts) {
    take(pair(0));
    ASSERT_GE(FreeMatchingPairs(game).size(), 2u);
    const auto first = pair(0);
    take(first);
    const uint64_t before = GameSignature(game);
    UndoMove(game);
    const auto other = pair(0) == first ? pair(1) : pair(0);
    take(other);
    ASSERT_EQ(game.history.Length, 2);
    ASSERT_EQ(game.history.Position, 2);
    EXPECT_NE(GameSignature(game), before);
}

TEST_F(Signature, FollowsBoardAndHistoryButNotTheClockOrSelection) {
    const uint64_t fresh = GameSignature(game);
    Game copy = game;
    copy.clock.Elapsed += 123456;
    copy.clock.BaseElapsed += 10000;
    copy.play.SelectionActive = true;
    copy.play.SelectedSlot = 7;
    EXPECT_EQ(GameSignature(copy), fresh) << "time and selection are not the game";

    take(pair(0));
    const uint64_t oneMove = GameSignature(game);
    EXPECT_NE(oneMove, fresh);
    UndoMove(game);
    const uint64_t undone = GameSignature(game);
    EXPECT_NE(undone, oneMove);
    EXPECT_NE(undone, fresh) << "the undone move is still redoable";

    Game otherDeal;
    SeedRandom(otherDeal, 815);
    otherDeal.settings.AvoidUnsolveableGames = false;
    NewGame(otherDeal);
    EXPECT_NE(GameSignature(otherDeal), fresh);
}

} // namespace
} // namespace kelmar
