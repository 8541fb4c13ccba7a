#include "test_support.h"

#include "core/board.h"
#include "core/deal.h"
#include "core/rules.h"

#include <algorithm>

namespace kelmar::test {

int RecordingView::count(Call c) const {
    return static_cast<int>(std::count(calls.begin(), calls.end(), c));
}

void Deal(Game& game, uint32_t seed, bool solvable) {
    game.settings.AvoidUnsolveableGames = solvable;
    SeedRandom(game, seed);
    NewGame(game);
    AnalyzeBoard(game);
}

void KeepOnly(Game& game, const std::vector<int32_t>& slots) {
    Board& board = game.board;
    for (int32_t s = 1; s < kSlotCapacity; ++s) {
        board.Slots[static_cast<size_t>(s)].Present = false;
    }
    board.SlotCount = 0;
    for (int32_t s : slots) {
        RestoreTile(board, s);
    }
}

void KeepOnly(Game& game, std::initializer_list<int32_t> slots) {
    KeepOnly(game, std::vector<int32_t>(slots));
}

std::vector<int32_t> Range(int32_t first, int32_t last, std::vector<int32_t> extra) {
    for (int32_t s = first; s <= last; ++s) {
        extra.push_back(s);
    }
    return extra;
}

namespace {

bool SameBand(const TileSlot& a, const TileSlot& b) {
    return b.Layer == a.Layer && b.Y + 38 > a.Y && b.Y - 38 < a.Y;
}

// True when no felt of half a face (19 px) or more lies between positions
// at X `from` < `to` of the band of `a`: every band position from `from` up
// to `to` has a next band position at most 56 px (38 + 18) further right.
bool RowJoins(const Board& board, const TileSlot& a, int32_t from, int32_t to) {
    const int32_t last = std::max(board.SlotCount, board.DealtCount);
    const auto inBand = [&](int32_t j) {
        const TileSlot& b = board.Slots[static_cast<size_t>(j)];
        return &b == &a || SameBand(a, b);
    };
    for (int32_t p = 1; p <= last; ++p) {
        const int32_t px = board.Slots[static_cast<size_t>(p)].X;
        if (!inBand(p) || px < from || px >= to) {
            continue;
        }
        bool next = false;
        for (int32_t q = 1; q <= last && !next; ++q) {
            const int32_t qx = board.Slots[static_cast<size_t>(q)].X;
            next = inBand(q) && qx > px && qx - px <= 56;
        }
        if (!next) {
            return false;
        }
    }
    return true;
}

} // namespace

bool ReferenceFree(const Board& board, int32_t s) {
    const TileSlot& a = board.Slots[static_cast<size_t>(s)];
    bool covered = false;
    bool blockedLeft = false;
    bool blockedRight = false;
    for (int32_t j = 1; j <= board.SlotCount; ++j) {
        const TileSlot& b = board.Slots[static_cast<size_t>(j)];
        if (j == s || !b.Present) {
            continue;
        }
        covered = covered || (b.Layer > a.Layer && b.X + 38 > a.X && b.X - 38 < a.X &&
                              b.Y + 38 > a.Y && b.Y - 38 < a.Y);
        const bool band = SameBand(a, b);
        blockedLeft = blockedLeft || (band && b.X + 37 < a.X && RowJoins(board, a, b.X, a.X));
        blockedRight = blockedRight || (band && b.X - 37 > a.X && RowJoins(board, a, a.X, b.X));
    }
    return !covered && (!blockedLeft || !blockedRight);
}

int32_t ReferenceMoveCount(const Board& board, const std::vector<int32_t>& freeSlots) {
    int32_t ordered = 0;
    for (size_t i = 0; i < freeSlots.size(); ++i) {
        for (size_t j = 0; j < freeSlots.size(); ++j) {
            const uint8_t a = board.Slots[static_cast<size_t>(freeSlots[i])].Kind;
            const uint8_t b = board.Slots[static_cast<size_t>(freeSlots[j])].Kind;
            if (i != j && b <= kKindCount && board.Low[b] <= a && a <= board.High[b]) {
                ++ordered;
            }
        }
    }
    return ordered / 2;
}

int32_t LayoutSlot(int32_t x, int32_t y, uint8_t layer) {
    for (size_t i = 0; i < BoardLayout.size(); ++i) {
        const LayoutPosition& p = BoardLayout[i];
        if (p.X == x && p.Y == y && p.Layer == layer) {
            return static_cast<int32_t>(i) + 1;
        }
    }
    return 0;
}

} // namespace kelmar::test
