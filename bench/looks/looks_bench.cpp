// Switching the looks while a game runs, at the scale of a 1920 x 1080
// screen in full screen (225 %): ChooseLooks reads the new set's pictures of
// the next larger level (250 %), filters them to the scale and composes the
// whole board. Wall time, files read every time (the page cache holds them,
// as it does in play). Target: at most 100 ms per switch in every format.
#include "core/deal.h"
#include "core/rules.h"
#include "core/zoom.h"
#include "render/looks.h"
#include "render/renderer.h"

#include <benchmark/benchmark.h>

namespace kelmar {
namespace {

class NullSurface : public BoardSurface {
public:
    void present(const Bitmap& backBuffer) override { benchmark::DoNotOptimize(&backBuffer); }
    void setStatusText(const QString&) override {}
    void drawSurfaceText(int, int, const QColor&, const QString&) override {}
};

struct Running {
    explicit Running(PixelFormatSetting format) {
        game.Seed = 99;
        NewGame(game);
        AnalyzeBoard(game);
        game.Running = true;
        game.settings.PixelFormat = format;
        graphics.PictureFolder = QStringLiteral(KELMAR_BENCH_GAME_DIR);
        graphics.ScalePercent = FitScale(1920, 1080);
        BuildSheetIndex(graphics);
        LoadGraphics(graphics, format);
    }
    Game game;
    Graphics graphics;
    NullSurface surface;
    ManualTickSource ticks;
};

// state.range(0): the index of the format in kAllPixelFormats. Every
// switch goes to the next of our sets, each on its own felt.
void BM_SwitchTileSet(benchmark::State& state) {
    Running run(kAllPixelFormats[static_cast<std::size_t>(state.range(0))]);
    const auto& sets = BuiltInTileSets();
    const auto& felts = BuiltInBackgrounds();
    std::size_t next = 1;
    for (auto _ : state) {
        ChooseLooks(run.game, run.graphics, run.surface, run.ticks,
                    {&sets[next % sets.size()], &felts[next % felts.size()], std::nullopt});
        ++next;
    }
    state.SetLabel(PixelFormatName(run.game.settings.PixelFormat));
}

// Only the background: a plain colour and back to a felt.
void BM_SwitchBackground(benchmark::State& state) {
    Running run(PixelFormatSetting::Device);
    const auto& sets = BuiltInTileSets();
    bool plain = false;
    for (auto _ : state) {
        plain = !plain;
        ChooseLooks(run.game, run.graphics, run.surface, run.ticks,
                    {&sets[0], plain ? nullptr : &BuiltInBackgrounds()[3],
                     plain ? std::optional<QRgb>(qRgb(30, 60, 40)) : std::nullopt});
    }
}

BENCHMARK(BM_SwitchTileSet)->DenseRange(0, 6)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SwitchBackground)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace kelmar
