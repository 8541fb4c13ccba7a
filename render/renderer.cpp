#include "render/renderer.h"

#include "core/board.h"
#include "render/bitmap_ops.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>

namespace kelmar {
namespace {

// The frame picture starts FrameGeometryAt(level).FaceLeft pixels left of
// the face and FaceTop above it: 9 and 1 at 100 %.
constexpr int32_t kBannerShadow = 4; // shadow offset right and down, board pixels
constexpr int kHighlightStep = 32;   // true-colour lightening per byte

bool HasBitmaps(const Graphics& graphics) {
    return graphics.BackgroundTile && graphics.TileSheet && graphics.TileFrame &&
           graphics.BackBuffer;
}

void DrawBackground(Graphics& graphics) {
    const int32_t w = graphics.BackgroundWidth;
    const int32_t h = graphics.BackgroundHeight;
    if (w <= 0 || h <= 0) {
        return;
    }
    Bitmap& bb = *graphics.BackBuffer;
    const int32_t width = ToBackBuffer(graphics, kBoardWidth);
    const int32_t height = ToBackBuffer(graphics, kBoardHeight);
    const Rect whole{0, 0, w, h};
    // The first row of copies is drawn tile by tile. The copies are opaque,
    // so every further row of copies equals the first one and is copied from
    // it in whole BackBuffer rows: the same picture with far fewer copies.
    for (int32_t x = 0; x < width; x += w) {
        CopyRect(bb, x, 0, *graphics.BackgroundTile, whole);
    }
    const int32_t band = std::min(h, height);
    for (int32_t y = band; y < height; y += band) {
        CopyRect(bb, 0, y, bb, {0, 0, width, band});
    }
}

// The frame's opaque runs, whole and without the part under the tile's own
// face. That part is always overwritten by the face in the face pass of the
// same layer (all frames of a layer come before its faces, and the face copy
// is opaque), so it need not be written when the face will cover its whole
// rectangle: the picture is the same with about two thirds fewer frame
// pixels written. The cut splits most rows into two short runs, though, and
// a run costs about as much as copying a few dozen bytes; measured, the cut
// pays off from 3 bytes per pixel (a face row of 114 bytes or more), costs
// time in Bits4 and Bits8 and makes no difference in Bits15 and Bits16. So
// AroundFace is filled, and used, only from 3 bytes per pixel on.
struct FrameRuns {
    OpaqueRuns Whole;
    OpaqueRuns AroundFace;
    bool UseAroundFace = false;
};

void FindFrameRuns(const Graphics& graphics, FrameRuns& runs) {
    const Bitmap& frame = *graphics.TileFrame;
    FindOpaqueRuns(frame, runs.Whole);
    runs.UseAroundFace = StorageBitsPerPixel(frame.format()) >= 24;
    if (runs.UseAroundFace) {
        const TileFrameGeometry at = FrameGeometryAt(graphics.ScalePercent);
        CutOpaqueRuns(runs.Whole,
                      {at.FaceLeft, at.FaceTop, at.FaceLeft + ToBackBuffer(graphics, kFaceWidth),
                       at.FaceTop + ToBackBuffer(graphics, kFaceHeight)},
                      runs.AroundFace);
    }
}

// The sheet cell of `kind` in TileSheet pixels, one pitch wide and high
// (SheetCellAt); `kind` must be below kSheetIndexSize.
Rect SheetCell(const Graphics& graphics, uint8_t kind) {
    return SheetCellAt(graphics, graphics.SheetIndex.X[kind], graphics.SheetIndex.Y[kind]);
}

// True when the face pass will copy a whole cell onto the face of a tile of
// `kind`: a kind with a sheet entry whose cell lies inside the sheet.
bool FaceCoversItsRect(const Graphics& graphics, uint8_t kind) {
    if (kind >= kSheetIndexSize) {
        return false;
    }
    const Rect cell = SheetCell(graphics, kind);
    return cell.Left >= 0 && cell.Top >= 0 && cell.Right <= graphics.TileSheet->width() &&
           cell.Bottom <= graphics.TileSheet->height();
}

void DrawFrames(const Board& board, int32_t lastSlot, uint8_t layer, Graphics& graphics,
                const FrameRuns& frameRuns) {
    const Bitmap& frame = *graphics.TileFrame;
    const TileFrameGeometry at = FrameGeometryAt(graphics.ScalePercent);
    for (int32_t slot = 1; slot <= lastSlot; ++slot) {
        const TileSlot& s = board.Slots[slot];
        if (s.Present && s.Layer == layer) {
            const Rect face = ToBackBuffer(graphics, TileRect(board, slot));
            const OpaqueRuns& runs = frameRuns.UseAroundFace && FaceCoversItsRect(graphics, s.Kind)
                                         ? frameRuns.AroundFace
                                         : frameRuns.Whole;
            CopyOpaqueRuns(*graphics.BackBuffer, face.Left - at.FaceLeft, face.Top - at.FaceTop,
                           frame, runs);
        }
    }
}

void DrawFaces(const Game& game, int32_t lastSlot, uint8_t layer, Graphics& graphics) {
    for (int32_t slot = 1; slot <= lastSlot; ++slot) {
        const TileSlot& s = game.board.Slots[slot];
        if (!s.Present || s.Layer != layer) {
            continue;
        }
        const Rect face = TileRect(game.board, slot);
        if (s.Kind < kSheetIndexSize) {
            // Between the levels a face is a pixel wider or higher where its
            // scaled edges round apart; the cell's spare column and row
            // (SheetPitch) fill it.
            const Rect scaled = ToBackBuffer(graphics, face);
            const Rect cell = SheetCell(graphics, s.Kind);
            CopyRect(*graphics.BackBuffer, scaled.Left, scaled.Top, *graphics.TileSheet,
                     {cell.Left, cell.Top, cell.Left + std::min(scaled.width(), cell.width()),
                      cell.Top + std::min(scaled.height(), cell.height())});
        }
        if (game.play.SelectionActive && game.play.SelectedSlot == slot) {
            HighlightTile(graphics, face);
        }
    }
}

void DrawBanner(Graphics& graphics, int32_t x, Rgb colour, const QString& text) {
    const int32_t y = graphics.BannerLayout.Y;
    const int32_t shadow = ToBackBuffer(graphics, kBannerShadow);
    DrawText(*graphics.BackBuffer, x + shadow, y + shadow, graphics.BannerFont, Rgb{0, 0, 0}, text);
    DrawText(*graphics.BackBuffer, x, y, graphics.BannerFont, colour, text);
}

void ShowOutcome(const Game& game, Graphics& graphics, BoardSurface& surface) {
    if (!game.play.NoMovesLeft) {
        surface.setStatusText(QString::fromUtf8("mögliche Züge: ") +
                              QString::number(game.play.MoveCount));
    } else if (game.play.GameWon) {
        surface.setStatusText(QStringLiteral("GEWONNEN!"));
        DrawBanner(graphics, graphics.BannerLayout.WonX, Rgb{0, 255, 0},
                   QStringLiteral("GEWONNEN!"));
    } else {
        surface.setStatusText(QString::fromUtf8("KEINE WEITEREN ZÜGE!"));
        DrawBanner(graphics, graphics.BannerLayout.StuckX, Rgb{255, 0, 0},
                   QStringLiteral("VERLOREN!"));
    }
}

// The two byte changes of the highlight, on one byte and on eight bytes at
// once (a face row is up to 152 bytes).
struct InvertBytes {
    static uint8_t one(uint8_t b) { return static_cast<uint8_t>(b ^ 0xFF); }
    static uint64_t eight(uint64_t v) { return ~v; }
};

struct LightenBytes {
    static uint8_t one(uint8_t b) {
        return static_cast<uint8_t>(std::min(b + kHighlightStep, 255));
    }
    // Adds 32 to each byte, stopping at 255: the low seven bits of each byte
    // plus 32 cannot carry into the next byte; a byte overflows exactly when
    // its top bit and the top bit of that sum are both set.
    static uint64_t eight(uint64_t v) {
        constexpr uint64_t kHigh = 0x8080808080808080u;
        constexpr uint64_t kStep = 0x2020202020202020u;
        const uint64_t low = (v & ~kHigh) + kStep;
        const uint64_t sum = low ^ (v & kHigh);
        const uint64_t overflow = (v & low & kHigh) >> 7;
        return sum | (overflow * 0xFF);
    }
};

// Applies the change to bytes [first, last] of rows top..bottom-1.
template <typename Change>
void ChangeRowBytes(Bitmap& bitmap, int32_t top, int32_t bottom, int32_t first, int32_t last) {
    for (int32_t y = top; y < bottom; ++y) {
        uint8_t* row = bitmap.row(y);
        int32_t i = first;
        for (; i + 8 <= last + 1; i += 8) {
            uint64_t v;
            std::memcpy(&v, row + i, 8);
            v = Change::eight(v);
            std::memcpy(row + i, &v, 8);
        }
        for (; i <= last; ++i) {
            row[i] = Change::one(row[i]);
        }
    }
}

} // namespace

void RenderBoard(Game& game, Graphics& graphics, BoardSurface& surface, TickSource& ticks) {
    if (!HasBitmaps(graphics)) {
        return;
    }
    const uint32_t start = ticks.now();
    DrawBackground(graphics);
    const int32_t lastSlot = std::clamp(game.board.SlotCount, 0, kSlotCapacity - 1);
    // The frame is drawn up to 144 times: find its opaque runs once per
    // composition and copy only those.
    thread_local FrameRuns frameRuns;
    FindFrameRuns(graphics, frameRuns);
    for (int layer = 1; layer <= game.board.MaxLayer; ++layer) {
        DrawFrames(game.board, lastSlot, static_cast<uint8_t>(layer), graphics, frameRuns);
        DrawFaces(game, lastSlot, static_cast<uint8_t>(layer), graphics);
    }
    graphics.LastRenderMs = static_cast<int32_t>(ticks.now() - start);
    ShowOutcome(game, graphics, surface);
    PresentBoard(graphics, surface);
    game.play.HintShowing = false;
}

void HighlightTile(Graphics& graphics, const Rect& boardRect) {
    if (!graphics.BackBuffer || !graphics.TileSheet) {
        return;
    }
    const Rect rect = ToBackBuffer(graphics, boardRect);
    Bitmap& bb = *graphics.BackBuffer;
    if (bb.format() == PixelFormatSetting::Device) {
        // The mask cell is read from its top-left corner; the part of `rect`
        // inside the BackBuffer takes the matching part of the cell.
        const int64_t left = std::max(rect.Left, 0);
        const int64_t top = std::max(rect.Top, 0);
        const int64_t right = std::min(rect.Right, bb.width());
        const int64_t bottom = std::min(rect.Bottom, bb.height());
        if (left >= right || top >= bottom) {
            return;
        }
        const Rect mask =
            SheetCellAt(graphics, graphics.HighlightMask.Left, graphics.HighlightMask.Top);
        const int64_t srcLeft = std::min<int64_t>(mask.Left + (left - rect.Left), INT32_MAX / 2);
        const int64_t srcTop = std::min<int64_t>(mask.Top + (top - rect.Top), INT32_MAX / 2);
        MergePaint(bb, static_cast<int32_t>(left), static_cast<int32_t>(top), *graphics.TileSheet,
                   {static_cast<int32_t>(srcLeft), static_cast<int32_t>(srcTop),
                    static_cast<int32_t>(srcLeft + (right - left)),
                    static_cast<int32_t>(srcTop + (bottom - top))});
        return;
    }
    const int32_t left = std::max(rect.Left, 0);
    const int32_t top = std::max(rect.Top, 0);
    const int32_t right = std::min(rect.Right, bb.width());
    const int32_t bottom = std::min(rect.Bottom, bb.height());
    if (left >= right || top >= bottom) {
        return;
    }
    switch (bb.format()) {
    case PixelFormatSetting::Bits4:
        ChangeRowBytes<InvertBytes>(bb, top, bottom, left / 2, (right - 1) / 2);
        break;
    case PixelFormatSetting::Bits8:
        ChangeRowBytes<InvertBytes>(bb, top, bottom, left, right - 1);
        break;
    case PixelFormatSetting::Bits15:
    case PixelFormatSetting::Bits16:
        ChangeRowBytes<InvertBytes>(bb, top, bottom, 2 * left, 2 * right - 1);
        break;
    case PixelFormatSetting::Bits24:
        ChangeRowBytes<LightenBytes>(bb, top, bottom, 3 * left, 3 * right - 1);
        break;
    default:
        ChangeRowBytes<LightenBytes>(bb, top, bottom, 4 * left, 4 * right - 1);
        break;
    }
}

void PresentBoard(Graphics& graphics, BoardSurface& surface) {
    if (graphics.BackBuffer) {
        surface.present(*graphics.BackBuffer);
    }
}

} // namespace kelmar
