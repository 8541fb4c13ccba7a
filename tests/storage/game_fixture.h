// Games for the saved-game tests: a dealt game, pairs taken through the
// rules, and a fingerprint of everything a load may change.
#pragma once

#include "core/board.h"
#include "core/deal.h"
#include "core/game.h"
#include "core/game_view.h"
#include "core/rules.h"

#include <cstdint>
#include <vector>

namespace kelmar::testing {

class RecordingView final : public GameView {
public:
    void RenderBoard() override { ++renders; }
    void HighlightTile(const Rect&) override {}
    void PresentBoard() override {}
    void EnterHighScore(int32_t timeMs) override { highScores.push_back(timeMs); }

    int renders = 0;
    std::vector<int32_t> highScores;
};

// Random deals: the solvable deal is much slower and adds nothing here.
inline void DealGame(Game& game, uint32_t seed) {
    game.settings.AvoidUnsolveableGames = false;
    SeedRandom(game, seed);
    NewGame(game);
    AnalyzeBoard(game);
    game.play.BoardChanged = false;
}

// Takes the first free matching pair by two clicks at game time `timeMs`.
inline bool TakeAnyPair(Game& game, int32_t timeMs) {
    game.clock.Elapsed = timeMs;
    const auto pairs = FreeMatchingPairs(game);
    if (pairs.empty()) {
        return false;
    }
    ClickTile(game, pairs.front().first);
    ClickTile(game, pairs.front().second);
    AnalyzeBoard(game);
    game.play.BoardChanged = false;
    return true;
}

// Every field of the board, as one comparable byte string.
inline std::vector<int64_t> Fingerprint(const Board& board) {
    std::vector<int64_t> f;
    for (const TileSlot& s : board.Slots) {
        f.insert(f.end(), {s.Present, s.X, s.Y, s.Layer, s.Kind, s.Free});
    }
    f.insert(f.end(), {board.SlotCount, board.DealtCount, board.MaxLayer});
    return f;
}

// Every field of the game a load may touch, as one comparable byte string.
inline std::vector<int64_t> Fingerprint(const Game& game) {
    std::vector<int64_t> f = Fingerprint(game.board);
    const MoveHistory& h = game.history;
    for (const ShuffleRecord& r : h.Shuffles) {
        f.insert(f.end(), r.From.begin(), r.From.end());
    }
    f.insert(f.end(), {game.Aids.Shuffled, game.Aids.Demonstrated});
    for (const MoveRecord& r : h.Records) {
        f.insert(f.end(), {r.Time, r.First, r.Second});
    }
    f.insert(f.end(), {h.Position, h.Length, h.ReplayBackwards, h.LastStepDone});
    const GameClock& c = game.clock;
    f.insert(f.end(), {c.CurrentTick, c.BaseTick, c.BaseElapsed, c.Elapsed, c.NextStatusTick});
    const PlayState& p = game.play;
    f.insert(f.end(), {p.FreeCount, p.MoveCount, p.NoMovesLeft, p.GameWon, p.SelectionActive,
                       p.SelectedSlot, p.BoardChanged, p.HintShowing, game.Running});
    return f;
}

} // namespace kelmar::testing
