// Speed of the composition in each pixel format, of the highlight and of the
// conversion for display. Each figure is also reported as a ratio to a plain
// memcpy of the bytes the operation writes, timed in the same run, so that
// the numbers compare across machines:
//   x_memcpy  time of the operation / time of that memcpy
// Targets: RenderBoard at most 3x its memcpy in the byte-aligned formats and
// under 1 ms in all seven at 100 %; at 200 % (a BackBuffer of 1280 x 960) at
// most 3x its memcpy in the byte-aligned formats, and a whole paint of the
// board at most 2 ms in Device. Finding what a move changed on the screen
// (ShownPicture) under 0.1 ms at 100 % and 0.5 ms at 300 % in every format.
#include "core/deal.h"
#include "core/rules.h"
#include "core/zoom.h"
#include "render/bitmap_ops.h"
#include "render/display_image.h"
#include "render/graphics.h"
#include "render/renderer.h"
#include "render/shown_picture.h"
#include "render/text.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QRegion>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstring>
#include <string>
#include <vector>

namespace kelmar {
namespace {

constexpr const auto& kFormats = kAllPixelFormats;

class NullSurface : public BoardSurface {
public:
    void present(const Bitmap& backBuffer) override { benchmark::DoNotOptimize(&backBuffer); }
    void setStatusText(const QString&) override {}
    void drawSurfaceText(int, int, const QColor&, const QString&) override {}
};

// Pictures of the game's sizes at zoom level `percent`: a 100x100
// background, the 342x270 sheet and a 48x64 frame whose body (side left,
// edge below) is opaque and whose corners are black, as a drawn tile frame
// would be; every side scaled by percent/100.
Graphics SyntheticGraphics(PixelFormatSetting format, int percent = 100) {
    Graphics graphics;
    graphics.ScalePercent = percent;
    CreateBitmaps(graphics, format);
    const int32_t side = ScaleLength(100, percent);
    const int32_t sheetWidth = ScaleLength(342, percent);
    const int32_t sheetHeight = ScaleLength(270, percent);
    const TileFrameGeometry at = FrameGeometryAt(percent);
    Bitmap background(side, side, PixelFormatSetting::Bits24);
    Bitmap sheet(sheetWidth, sheetHeight, PixelFormatSetting::Bits24);
    Bitmap frame(at.Width, at.Height, PixelFormatSetting::Bits24);
    for (int32_t y = 0; y < sheetHeight; ++y) {
        for (int32_t x = 0; x < sheetWidth; ++x) {
            const auto v = static_cast<uint8_t>(x * 7 + y * 3);
            sheet.setPixel(x, y, {v, static_cast<uint8_t>(255 - v), 200});
            if (x < side && y < side) {
                background.setPixel(x, y, {30, static_cast<uint8_t>(90 + (x ^ y) % 20), 60});
            }
            if (x < at.Width && y < at.Height && x + (at.Height - 1 - y) >= at.FaceLeft &&
                (at.Width - 1 - x) + y >= at.FaceLeft) {
                frame.setPixel(x, y, {static_cast<uint8_t>(120 + y), 110, 90});
            }
        }
    }
    *graphics.BackgroundTile = ConvertedBitmap(background, format);
    graphics.BackgroundWidth = side;
    graphics.BackgroundHeight = side;
    *graphics.TileSheet = ConvertedBitmap(sheet, format);
    *graphics.TileFrame = ConvertedBitmap(frame, format, ColourKey::Black);
    graphics.BannerFont = BannerFontStyle();
    ComputeBannerLayout(graphics);
    BuildSheetIndex(graphics);
    return graphics;
}

// Seconds per memcpy of `bytes` bytes, between two buffers of that size:
// the fastest of several batches, so that a batch slowed by another process
// on a shared machine does not flatter the ratio.
double MemcpySeconds(std::size_t bytes) {
    std::vector<uint8_t> from(bytes, 1), to(bytes, 0);
    constexpr int kBatches = 5;
    constexpr int kRounds = 40;
    double best = 0;
    for (int batch = 0; batch < kBatches; ++batch) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kRounds; ++i) {
            std::memcpy(to.data(), from.data(), bytes);
            benchmark::DoNotOptimize(to.data());
            benchmark::ClobberMemory();
        }
        const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
        const double perCopy = spent.count() / kRounds;
        best = batch == 0 ? perCopy : std::min(best, perCopy);
    }
    return best;
}

std::size_t Bytes(PixelFormatSetting format, int64_t pixels) {
    return static_cast<std::size_t>(pixels * StorageBitsPerPixel(format) / 8);
}

void ReportRatio(benchmark::State& state, double seconds, std::size_t bytes) {
    const double perIteration = seconds / static_cast<double>(state.iterations());
    state.counters["x_memcpy"] = perIteration / MemcpySeconds(bytes);
    state.counters["bytes"] = static_cast<double>(bytes);
}

int64_t OpaquePixels(const OpaqueRuns& runs) {
    int64_t pixels = 0;
    for (const OpaqueRuns::Run& run : runs.Runs) {
        pixels += run.End - run.Begin;
    }
    return pixels;
}

// The pixel format of the benchmark's argument (an index into kFormats),
// shown as the run's label, with the zoom level of its second argument when
// `withLevel`.
PixelFormatSetting LabelledFormat(benchmark::State& state, bool withLevel = false) {
    const auto format = kFormats[static_cast<std::size_t>(state.range(0))];
    std::string label = PixelFormatName(format);
    if (withLevel) {
        label += " " + std::to_string(state.range(1)) + "%";
    }
    state.SetLabel(label);
    return format;
}

// The same random deal (no solvability check) for every run.
Game DealtGame() {
    Game game;
    game.settings.AvoidUnsolveableGames = false;
    SeedRandom(game, 20001212);
    NewGame(game);
    return game;
}

template <typename Body> double TimedLoop(benchmark::State& state, Body body) {
    double total = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        body();
        const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
        total += spent.count();
    }
    return total;
}

void BM_RenderBoard(benchmark::State& state) {
    const auto format = LabelledFormat(state, true);
    const int percent = static_cast<int>(state.range(1));
    Graphics graphics = SyntheticGraphics(format, percent);
    Game game = DealtGame();
    AnalyzeBoard(game);
    game.play.SelectionActive = true;
    game.play.SelectedSlot = 144;
    NullSurface surface;
    SteadyTickSource ticks;
    const double seconds = TimedLoop(state, [&] { RenderBoard(game, graphics, surface, ticks); });
    // Written by the composition as described: the whole background, then
    // the opaque pixels of every frame and every face rectangle. From 3
    // bytes per pixel on the renderer skips the frame pixels under each
    // tile's own face (its face covers them anyway), so x_memcpy_cut also
    // compares with a memcpy of only the bytes it really writes.
    OpaqueRuns runs, cut;
    FindOpaqueRuns(*graphics.TileFrame, runs);
    const TileFrameGeometry at = FrameGeometryAt(percent);
    const int64_t faceWidth = ScaleLength(kFaceWidth, percent);
    const int64_t faceHeight = ScaleLength(kFaceHeight, percent);
    CutOpaqueRuns(runs,
                  {at.FaceLeft, at.FaceTop, at.FaceLeft + static_cast<int32_t>(faceWidth),
                   at.FaceTop + static_cast<int32_t>(faceHeight)},
                  cut);
    const auto written = [&](const OpaqueRuns& frameRuns) {
        return Bytes(
            format,
            int64_t{ScaleLength(kBoardWidth, percent)} * ScaleLength(kBoardHeight, percent) +
                int64_t{game.board.SlotCount} * (OpaquePixels(frameRuns) + faceWidth * faceHeight));
    };
    ReportRatio(state, seconds, written(runs));
    const bool skipsUnderFace = StorageBitsPerPixel(format) >= 24;
    state.counters["x_memcpy_cut"] = seconds / static_cast<double>(state.iterations()) /
                                     MemcpySeconds(written(skipsUnderFace ? cut : runs));
}

// A finished game: the composition plus the banner text (drawn twice, shadow
// and colour). The replay after a win renders like this at every step.
void BM_RenderBoardWithBanner(benchmark::State& state) {
    Graphics graphics = SyntheticGraphics(LabelledFormat(state));
    Game game = DealtGame();
    game.play.NoMovesLeft = true;
    game.play.GameWon = true;
    NullSurface surface;
    SteadyTickSource ticks;
    for (auto _ : state) {
        RenderBoard(game, graphics, surface, ticks);
    }
}

// The banner alone, shadow and colour, over the composed board: the part of
// each replay step that is text.
void BM_DrawBanner(benchmark::State& state) {
    Graphics graphics = SyntheticGraphics(LabelledFormat(state));
    Bitmap& bb = *graphics.BackBuffer;
    const int32_t x = graphics.BannerLayout.WonX;
    const int32_t y = graphics.BannerLayout.Y;
    for (auto _ : state) {
        DrawText(bb, x + 4, y + 4, graphics.BannerFont, {0, 0, 0}, QStringLiteral("GEWONNEN!"));
        DrawText(bb, x, y, graphics.BannerFont, {0, 255, 0}, QStringLiteral("GEWONNEN!"));
        benchmark::ClobberMemory();
    }
}

void BM_HighlightTile(benchmark::State& state) {
    const auto format = LabelledFormat(state);
    Graphics graphics = SyntheticGraphics(format);
    const Rect face{323, 173, 361, 227};
    const double seconds = TimedLoop(state, [&] {
        HighlightTile(graphics, face);
        benchmark::ClobberMemory();
    });
    ReportRatio(state, seconds, Bytes(format, int64_t{kFaceWidth} * kFaceHeight));
}

// What one paint of Field costs: the display image of the BackBuffer (Device
// rows are shown in place, other formats converted) drawn onto an RGB32
// surface like the window's backing store. Above 100 % the surface is a
// tenth larger than the board each way, and the background picture fills
// the margin around the centred board, as in a resized window.
void BM_PaintBoard(benchmark::State& state) {
    const int percent = static_cast<int>(state.range(1));
    Graphics graphics = SyntheticGraphics(LabelledFormat(state, true), percent);
    QImage scratch;
    const int boardWidth = ScaleLength(kBoardWidth, percent);
    const int boardHeight = ScaleLength(kBoardHeight, percent);
    const int margin = percent == 100 ? 0 : boardWidth / 20;
    QImage surface(boardWidth + 2 * margin, boardHeight + 2 * margin, QImage::Format_RGB32);
    const QRect board(margin, margin, boardWidth, boardHeight);
    const QPixmap felt = QPixmap::fromImage(BitmapToImage(*graphics.BackgroundTile));
    const double seconds = TimedLoop(state, [&] {
        QPainter painter(&surface);
        if (margin > 0) {
            painter.save();
            painter.setClipRegion(QRegion(surface.rect()).subtracted(QRegion(board)));
            painter.drawTiledPixmap(surface.rect(), felt);
            painter.restore();
        }
        painter.drawImage(board.topLeft(), DisplayImage(*graphics.BackBuffer, scratch));
        painter.end();
        benchmark::DoNotOptimize(surface.constBits());
    });
    // The surface is written whole, 4 bytes per pixel.
    ReportRatio(state, seconds, static_cast<std::size_t>(surface.width()) * surface.height() * 4);
}

// Finding the cells of the board that one highlighted tile changed, as a
// present does before asking for a paint: a comparison of the whole
// BackBuffer with the record of the screen.
void BM_ChangedAreas(benchmark::State& state) {
    const auto format = LabelledFormat(state, true);
    const int percent = static_cast<int>(state.range(1));
    Graphics graphics = SyntheticGraphics(format, percent);
    Game game = DealtGame();
    NullSurface surface;
    SteadyTickSource ticks;
    RenderBoard(game, graphics, surface, ticks);
    const Bitmap& bb = *graphics.BackBuffer;
    ShownPicture shown;
    shown.record(bb, {0, 0, bb.width(), bb.height()});
    HighlightTile(graphics, {323, 173, 361, 227});
    std::size_t areas = 0;
    const double seconds = TimedLoop(state, [&] {
        const std::vector<Rect> changed = shown.changedAreas(bb);
        areas = changed.size();
        benchmark::DoNotOptimize(changed.data());
    });
    state.counters["areas"] = static_cast<double>(areas);
    ReportRatio(state, seconds, bb.byteCount());
}

BENCHMARK(BM_RenderBoard)
    ->ArgsProduct({benchmark::CreateDenseRange(0, 6, 1), {100, 200}})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RenderBoardWithBanner)->DenseRange(0, 6)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DrawBanner)->DenseRange(0, 6)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HighlightTile)->DenseRange(0, 6)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PaintBoard)
    ->ArgsProduct({benchmark::CreateDenseRange(0, 6, 1), {100, 200}})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ChangedAreas)
    ->ArgsProduct({benchmark::CreateDenseRange(0, 6, 1), {100, 300}})
    ->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace kelmar
