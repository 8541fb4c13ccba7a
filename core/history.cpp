#include "core/history.h"

#include "core/board.h"
#include "core/rules.h"
#include "core/shuffle.h"
#include "core/view_calls.h"

#include <algorithm>

namespace kelmar {

namespace {

// Records are numbered 1..80; a damaged saved game may claim others.
bool RecordExists(int32_t index) {
    return index >= 1 && index <= kHistoryCapacity;
}

// The shuffle a shuffle record names, or null for a number outside 1..8.
const ShuffleRecord* ShuffleOf(const MoveHistory& history, const MoveRecord& record) {
    if (record.Second < 1 || record.Second > kShuffleCapacity) {
        return nullptr;
    }
    return &history.Shuffles[static_cast<size_t>(record.Second)];
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

int32_t ShuffleCount(const MoveHistory& history, int32_t upTo) {
    const int32_t last = std::clamp(upTo, 0, kHistoryCapacity);
    int32_t count = 0;
    for (int32_t m = 1; m <= last; ++m) {
        count += IsShuffleRecord(history.Records[static_cast<size_t>(m)]) ? 1 : 0;
    }
    return count;
}

bool SameSteps(const MoveHistory& a, const MoveHistory& b) {
    if (a.Position != b.Position) {
        return false;
    }
    const int32_t applied = std::clamp(a.Position, 0, kHistoryCapacity);
    for (int32_t i = 1; i <= applied; ++i) {
        const MoveRecord& x = a.Records[static_cast<size_t>(i)];
        const MoveRecord& y = b.Records[static_cast<size_t>(i)];
        if (x.First != y.First || x.Second != y.Second) {
            return false;
        }
        if (IsShuffleRecord(x)) {
            const ShuffleRecord* sx = ShuffleOf(a, x);
            const ShuffleRecord* sy = ShuffleOf(b, y);
            if ((sx == nullptr) != (sy == nullptr) || (sx != nullptr && !(*sx == *sy))) {
                return false;
            }
        }
    }
    return true;
}

void AppendShuffle(Game& game, int32_t time, const ShuffleRecord& shuffle) {
    MoveHistory& h = game.history;
    const int32_t number = ShuffleCount(h, h.Position) + 1;
    if (h.Position < 0 || h.Position >= kHistoryCapacity || number > kShuffleCapacity) {
        return;
    }
    h.Shuffles[static_cast<size_t>(number)] = shuffle;
    AppendMove(game, time, 0, number);
}

void TakeBackOn(Board& board, const MoveHistory& history, const MoveRecord& record) {
    if (!IsShuffleRecord(record)) {
        RestoreTile(board, record.First);
        RestoreTile(board, record.Second);
    } else if (const ShuffleRecord* shuffle = ShuffleOf(history, record)) {
        MoveTilesBack(board, *shuffle);
    }
}

void PlayAgainOn(Board& board, const MoveHistory& history, const MoveRecord& record) {
    if (!IsShuffleRecord(record)) {
        RemoveTile(board, record.First);
        RemoveTile(board, record.Second);
    } else if (const ShuffleRecord* shuffle = ShuffleOf(history, record)) {
        MoveTilesBy(board, *shuffle);
    }
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
    TakeBackOn(game.board, h, r);
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
    PlayAgainOn(game.board, h, r);
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
