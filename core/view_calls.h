// The core's calls into the screen and the best-times list. A game without
// a view (tests, tools, benchmarks) plays the same, just unseen.
#pragma once

#include "core/board.h"
#include "core/game.h"
#include "core/game_view.h"

namespace kelmar {

// Full redraw. It ends a shown hint: the view clears HintShowing as well,
// clearing it here keeps a game without a view from taking a stale pair.
inline void RenderBoardView(Game& game) {
    game.play.HintShowing = false;
    if (game.view != nullptr) {
        game.view->RenderBoard();
    }
}

inline void HighlightSlotView(Game& game, int32_t slot) {
    if (game.view != nullptr) {
        game.view->HighlightTile(TileRect(game.board, slot));
    }
}

inline void PresentBoardView(Game& game) {
    if (game.view != nullptr) {
        game.view->PresentBoard();
    }
}

inline void EnterHighScoreView(Game& game, int32_t timeMs) {
    if (game.view != nullptr) {
        game.view->EnterHighScore(timeMs);
    }
}

} // namespace kelmar
