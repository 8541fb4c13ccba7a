#include "core/board.h"

namespace kelmar {

namespace {

constexpr LayoutPosition P(int32_t x, int32_t y, uint8_t layer) {
    return {x, y, layer};
}

// Appends `n` positions of one row, X running from `rightX` leftwards in
// steps of one face width.
template <size_t N>
constexpr void AddRow(std::array<LayoutPosition, N>& out, size_t& next, uint8_t layer, int32_t y,
                      int32_t rightX, int n) {
    for (int i = 0; i < n; ++i) {
        out[next++] = P(rightX - i * kFaceWidth, y, layer);
    }
}

constexpr std::array<LayoutPosition, kLayoutSize> MakeLayout() {
    std::array<LayoutPosition, kLayoutSize> out{};
    size_t next = 0;
    // Layer 1; the three single tiles at Y 189 sit between the rows they
    // share a band with, in creation order.
    AddRow(out, next, 1, 0, 456, 12);
    AddRow(out, next, 1, 54, 380, 8);
    AddRow(out, next, 1, 108, 418, 10);
    AddRow(out, next, 1, 162, 456, 12);
    out[next++] = P(532, 189, 1);
    out[next++] = P(494, 189, 1);
    AddRow(out, next, 1, 216, 456, 12);
    out[next++] = P(0, 189, 1);
    AddRow(out, next, 1, 270, 418, 10);
    AddRow(out, next, 1, 324, 380, 8);
    AddRow(out, next, 1, 378, 456, 12);
    // Layer 2: six rows of six.
    for (int32_t y = 54; y <= 324; y += kFaceHeight) {
        AddRow(out, next, 2, y, 342, 6);
    }
    // Layer 3: four rows of four.
    for (int32_t y = 108; y <= 270; y += kFaceHeight) {
        AddRow(out, next, 3, y, 304, 4);
    }
    // Layer 4: two rows of two; layer 5: the top tile.
    AddRow(out, next, 4, 162, 266, 2);
    AddRow(out, next, 4, 216, 266, 2);
    out[next++] = P(247, 189, 5);
    return next == kLayoutSize ? out : throw "layout size";
}

bool ValidSlot(int32_t slot) {
    return slot >= 0 && slot < kSlotCapacity;
}

// Evaluated by the compiler, so a miscounted row fails the build.
constexpr std::array<LayoutPosition, kLayoutSize> kLayoutTable = MakeLayout();

} // namespace

const std::array<LayoutPosition, kLayoutSize> BoardLayout = kLayoutTable;

void FillMatchRange(Board& board) {
    board.Low[0] = 0;
    board.High[0] = 0;
    for (uint8_t k = 1; k <= kKindCount; ++k) {
        if (k <= 34) {
            board.Low[k] = k;
            board.High[k] = k;
        } else if (k <= 38) {
            board.Low[k] = 35;
            board.High[k] = 38;
        } else {
            board.Low[k] = 39;
            board.High[k] = 42;
        }
    }
}

void FillTilePool(Board& board) {
    board.CopiesLeft[0] = 0;
    for (int k = 1; k <= kKindCount; ++k) {
        board.CopiesLeft[static_cast<size_t>(k)] = k <= 34 ? 4 : 1;
    }
}

void ResetBoard(Game& game) {
    Board& board = game.board;
    FillTilePool(board);
    FillMatchRange(board);
    board.SlotCount = 0;
    board.MaxLayer = 0;
    board.Slots[0].Present = true;
    board.Slots[0].Free = false;
    game.play.SelectionActive = false;
    game.play.NoMovesLeft = false;
    game.history.Position = 0;
    game.history.Length = 0;
    game.Aids = GameAids{};
    game.clock.BaseElapsed = 0;
    game.clock.BaseTick = game.clock.CurrentTick;
    game.clock.NextStatusTick = 0;
}

void AddSlot(Board& board, int32_t x, int32_t y, uint8_t layer, uint8_t kind) {
    if (board.SlotCount < 0 || board.SlotCount >= kSlotCapacity - 1) {
        return;
    }
    ++board.SlotCount;
    board.Slots[static_cast<size_t>(board.SlotCount)] =
        TileSlot{.Present = true, .X = x, .Y = y, .Layer = layer, .Kind = kind, .Free = false};
    if (layer > board.MaxLayer) {
        board.MaxLayer = layer;
    }
}

void RemoveTile(Board& board, int32_t slot) {
    // The sentinel is never taken off; it is what stops the shrinking below.
    if (slot < 1 || slot >= kSlotCapacity) {
        return;
    }
    board.Slots[static_cast<size_t>(slot)].Present = false;
    if (board.SlotCount >= kSlotCapacity) {
        board.SlotCount = kSlotCapacity - 1;
    }
    while (board.SlotCount > 0 && !board.Slots[static_cast<size_t>(board.SlotCount)].Present) {
        --board.SlotCount;
    }
}

void RestoreTile(Board& board, int32_t slot) {
    if (slot < 1 || slot >= kSlotCapacity) {
        return;
    }
    board.Slots[static_cast<size_t>(slot)].Present = true;
    if (slot > board.SlotCount) {
        board.SlotCount = slot;
    }
}

Rect TileRect(const Board& board, int32_t slot) {
    if (!ValidSlot(slot)) {
        return Rect{};
    }
    const TileSlot& t = board.Slots[static_cast<size_t>(slot)];
    const int32_t left = t.X + 26 + 9 * t.Layer;
    const int32_t top = t.Y + 29 - 9 * t.Layer;
    return Rect{left, top, left + kFaceWidth, top + kFaceHeight};
}

int32_t HitTest(const Board& board, int32_t px, int32_t py) {
    int32_t best = 0;
    uint8_t bestLayer = 0;
    const int32_t limit = ScanLimit(board);
    for (int32_t s = 1; s <= limit; ++s) {
        const TileSlot& t = board.Slots[static_cast<size_t>(s)];
        if (!t.Present || t.Layer <= bestLayer) {
            continue;
        }
        const Rect r = TileRect(board, s);
        if (r.Left <= px && px < r.Right && r.Top <= py && py < r.Bottom) {
            best = s;
            bestLayer = t.Layer;
        }
    }
    return best;
}

} // namespace kelmar
