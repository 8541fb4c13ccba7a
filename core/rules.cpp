#include "core/rules.h"

#include "core/board.h"
#include "core/history.h"
#include "core/view_calls.h"

#include <algorithm>

namespace kelmar {

namespace {

const TileSlot& SlotAt(const Board& board, int32_t slot) {
    return board.Slots[static_cast<size_t>(slot)];
}

// Ordered pairs of different free tiles (a, b) with Low[kind b] <= kind a <=
// High[kind b], halved: counted per kind through prefix sums, so the cost
// does not grow with the square of the free tiles.
int32_t CountMoves(const Board& board, const PlayState& play) {
    constexpr int kKindSlots = 256; // any uint8_t kind
    std::array<int32_t, kKindSlots + 1> prefix{};
    for (int32_t i = 1; i <= play.FreeCount; ++i) {
        ++prefix[static_cast<size_t>(SlotAt(board, play.FreeList[static_cast<size_t>(i)]).Kind) +
                 1];
    }
    for (size_t k = 1; k < prefix.size(); ++k) {
        prefix[k] += prefix[k - 1];
    }
    int64_t ordered = 0;
    for (int32_t i = 1; i <= play.FreeCount; ++i) {
        const uint8_t kb = SlotAt(board, play.FreeList[static_cast<size_t>(i)]).Kind;
        if (kb > kKindCount || board.Low[kb] > board.High[kb]) {
            continue; // no match entry
        }
        const uint8_t low = board.Low[kb];
        const uint8_t high = board.High[kb];
        ordered += prefix[static_cast<size_t>(high) + 1] - prefix[low];
        if (low <= kb && kb <= high) {
            --ordered; // a tile is no partner of itself
        }
    }
    return static_cast<int32_t>(ordered / 2);
}

bool TakeablePair(const Game& game, int32_t a, int32_t b) {
    const Board& board = game.board;
    const int32_t limit = ScanLimit(board);
    if (a < 1 || b < 1 || a > limit || b > limit || a == b) {
        return false;
    }
    const TileSlot& ta = SlotAt(board, a);
    const TileSlot& tb = SlotAt(board, b);
    return ta.Present && tb.Present && ta.Free && tb.Free && KindsMatch(board, ta.Kind, tb.Kind);
}

// Highest free tile with a free partner, and its highest free partner.
bool FindHintPair(const Game& game, int32_t& a, int32_t& b) {
    const Board& board = game.board;
    const PlayState& play = game.play;
    for (int32_t i = play.FreeCount; i >= 1; --i) {
        const int32_t si = play.FreeList[static_cast<size_t>(i)];
        for (int32_t j = play.FreeCount; j >= 1; --j) {
            const int32_t sj = play.FreeList[static_cast<size_t>(j)];
            if (j != i && KindsMatch(board, SlotAt(board, si).Kind, SlotAt(board, sj).Kind)) {
                a = si;
                b = sj;
                return true;
            }
        }
    }
    return false;
}

} // namespace

void TakePair(Game& game, int32_t first, int32_t second) {
    RemoveTile(game.board, first);
    RemoveTile(game.board, second);
    AppendMove(game, game.clock.Elapsed, first, second);
}

void PrepareBoardGeometry(Game& game) {
    const Board& board = game.board;
    BuildBoardGeometry(game.geometry, board, LayoutCount(board));
}

void AnalyzeBoard(Game& game) {
    Board& board = game.board;
    PlayState& play = game.play;
    if (!BoardGeometryMatches(game.geometry, board)) {
        PrepareBoardGeometry(game);
    }
    const BoardGeometry& g = game.geometry;
    const bool wasWon = play.GameWon;
    const SlotMask present = PresentMask(board);
    const int32_t limit = ScanLimit(board);

    play.FreeCount = 0;
    for (int32_t s = 1; s <= limit; ++s) {
        if (!present.test(s)) {
            continue;
        }
        const bool free = FreeAmong(g, s, present);
        board.Slots[static_cast<size_t>(s)].Free = free;
        if (free) {
            play.FreeList[static_cast<size_t>(++play.FreeCount)] = s;
        }
    }
    play.MoveCount = CountMoves(board, play);
    play.NoMovesLeft = play.MoveCount == 0;
    play.GameWon = play.NoMovesLeft && board.SlotCount == 0;
    game.history.ReplayBackwards = true;
    if (play.GameWon && !wasWon) {
        EnterHighScoreView(game, game.clock.Elapsed);
    }
}

void ClickTile(Game& game, int32_t slot) {
    if (slot < 0 || slot >= kSlotCapacity) {
        return;
    }
    PlayState& play = game.play;
    const TileSlot& clicked = SlotAt(game.board, slot);
    // The sentinel and a slot without a tile count as not free, whatever
    // their flag says (a removed slot keeps its last Free value).
    const bool free = slot != 0 && slot <= ScanLimit(game.board) && clicked.Present && clicked.Free;
    if (!play.SelectionActive) {
        if (free) {
            play.SelectionActive = true;
            play.SelectedSlot = slot;
            HighlightSlotView(game, slot);
        }
        return;
    }
    if (slot == play.SelectedSlot || !free) {
        play.SelectionActive = false;
        return;
    }
    const int32_t selected = play.SelectedSlot;
    const uint8_t selectedKind = SlotAt(game.board, std::clamp(selected, 0, 255)).Kind;
    if (!KindsMatch(game.board, clicked.Kind, selectedKind)) {
        play.SelectedSlot = slot;
        return;
    }
    play.SelectionActive = false;
    TakePair(game, selected, slot);
    play.BoardChanged = true;
}

void GiveHint(Game& game) {
    PlayState& play = game.play;
    if (play.NoMovesLeft) {
        return;
    }
    // The shown pair is still on the board and free, because every change of
    // the board is followed by a redraw that ends the hint; checked anyway so
    // that a damaged state can never record a move of absent tiles.
    if (play.HintShowing && TakeablePair(game, play.HintSlotA, play.HintSlotB)) {
        TakePair(game, play.HintSlotA, play.HintSlotB);
        play.SelectionActive = false;
        AnalyzeBoard(game);
        RenderBoardView(game);
        return;
    }
    int32_t a = 0;
    int32_t b = 0;
    if (!FindHintPair(game, a, b)) {
        return; // stale analysis: nothing to show, nothing charged
    }
    ShowHintPair(game, a, b);
}

void ShowHintPair(Game& game, int32_t a, int32_t b) {
    PlayState& play = game.play;
    if (play.NoMovesLeft || !TakeablePair(game, a, b)) {
        return;
    }
    play.HintSlotA = a;
    play.HintSlotB = b;
    play.HintShowing = true;
    HighlightSlotView(game, a);
    HighlightSlotView(game, b);
    // Game time goes on from Elapsed + 10 s; 32-bit wrap like all clock sums.
    RebaseClock(game.clock, static_cast<int32_t>(static_cast<uint32_t>(game.clock.Elapsed) +
                                                 static_cast<uint32_t>(kHintPenaltyMs)));
    PresentBoardView(game);
}

std::vector<std::pair<int32_t, int32_t>> FreeMatchingPairs(const Game& game) {
    std::vector<std::pair<int32_t, int32_t>> pairs;
    const PlayState& play = game.play;
    const Board& board = game.board;
    for (int32_t i = 1; i <= play.FreeCount; ++i) {
        for (int32_t j = i + 1; j <= play.FreeCount; ++j) {
            const int32_t a = play.FreeList[static_cast<size_t>(i)];
            const int32_t b = play.FreeList[static_cast<size_t>(j)];
            if (KindsMatch(board, board.Slots[static_cast<size_t>(a)].Kind,
                           board.Slots[static_cast<size_t>(b)].Kind)) {
                pairs.emplace_back(a, b);
            }
        }
    }
    return pairs;
}

void ShowMovedBoard(Game& game) {
    game.play.SelectionActive = false;
    game.play.BoardChanged = true;
    AnalyzeBoard(game);
    RenderBoardView(game);
}

} // namespace kelmar
