#include "core/history.h"

#include "core/board.h"
#include "core/rules.h"
#include "core/view_calls.h"

namespace kelmar {

namespace {

// Records are numbered 1..80; a damaged saved game may claim others.
bool RecordExists(int32_t index) {
    return index >= 1 && index <= kHistoryCapacity;
}

// Shared tail of undo and redo once the board has changed.
void FinishStep(Game& game) {
    game.play.SelectionActive = false;
    if (!game.play.GameWon) {
        AnalyzeBoard(game);
    }
    RenderBoardView(game);
}

} // namespace

void AppendMove(Game& game, int32_t time, int32_t first, int32_t second) {
    MoveHistory& h = game.history;
    if (h.Position < 0 || h.Position >= kHistoryCapacity) {
        return;
    }
    ++h.Position;
    h.Length = h.Position;
    h.Records[static_cast<size_t>(h.Position)] = MoveRecord{time, first, second};
}

void UndoMove(Game& game) {
    MoveHistory& h = game.history;
    if (!RecordExists(h.Position)) {
        h.LastStepDone = false;
        return;
    }
    h.LastStepDone = true;
    const MoveRecord& r = h.Records[static_cast<size_t>(h.Position)];
    if (!game.play.GameWon) {
        RebaseClock(game.clock, r.Time);
    }
    RestoreTile(game.board, r.First);
    RestoreTile(game.board, r.Second);
    --h.Position;
    FinishStep(game);
}

void RedoMove(Game& game) {
    MoveHistory& h = game.history;
    if (h.Position >= h.Length || !RecordExists(h.Position + 1)) {
        h.LastStepDone = false;
        return;
    }
    h.LastStepDone = true;
    ++h.Position;
    const MoveRecord& r = h.Records[static_cast<size_t>(h.Position)];
    if (!game.play.GameWon) {
        RebaseClock(game.clock, r.Time);
    }
    RemoveTile(game.board, r.First);
    RemoveTile(game.board, r.Second);
    FinishStep(game);
}

void ReplayStep(Game& game) {
    if (game.history.ReplayBackwards) {
        UndoMove(game);
    } else {
        RedoMove(game);
    }
    if (!game.history.LastStepDone) {
        game.history.ReplayBackwards = !game.history.ReplayBackwards;
    }
}

} // namespace kelmar
