// A board at a scale between the picture levels, made three ways, for
// choosing by cost and by eye:
//   0 filtered:  the next larger level's pictures filtered down face by face
//                once, the board composed at the scale (what the game does);
//   1 composed:  the board composed at the next larger level from its own
//                pictures, then the whole board filtered down (every
//                present pays the filter);
//   2 generated: the pictures drawn by our generator at the scale itself.
// The benchmarks time what a new scale costs up to a composed board at
// 143 % (1366 x 768 maximised) and 210 % (1920 x 1080 full screen), Device
// format. `--comparison-dir=DIR` also writes each way's board as PNG
// (board-<scale>-<way>.png) and a close-up of the three side by side
// (closeup-<scale>.png), pixels doubled.
#include "board_preview.h"
#include "core/board.h"
#include "core/deal.h"
#include "core/rules.h"
#include "felt_background.h"
#include "render/display_image.h"
#include "render/picture_file.h"
#include "render/renderer.h"
#include "tile_frame.h"
#include "tile_sheet.h"

#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <cstring>
#include <string>

namespace kelmar {
namespace {

const char* const kWays[] = {"filtered", "composed", "generated"};

class NullSurface final : public BoardSurface {
public:
    void present(const Bitmap&) override {}
    void setStatusText(const QString&) override {}
    void drawSurfaceText(int, int, const QColor&, const QString&) override {}
};

class ZeroTicks final : public TickSource {
public:
    uint32_t now() override { return 0; }
};

Game DealtGame() {
    Game game;
    SeedRandom(game, 20261207u);
    NewGame(game);
    AnalyzeBoard(game);
    game.Running = true;
    return game;
}

int NextLevelUp(int scale) {
    for (int level : kZoomLevels) {
        if (level >= scale) {
            return level;
        }
    }
    return kZoomLevels.back();
}

// The generator's sheet for `scale` (cells at the scaled multiples of the
// face size) on the game's pitch grid, the spare column and row repeated.
QImage OnPitchGrid(const QImage& sheet, int scale) {
    const int faceW = ScaleLength(kFaceWidth, scale);
    const int faceH = ScaleLength(kFaceHeight, scale);
    const int pitchX = SheetPitch(kFaceWidth, scale);
    const int pitchY = SheetPitch(kFaceHeight, scale);
    QImage out(9 * pitchX, 5 * pitchY, QImage::Format_RGB32);
    QPainter painter(&out);
    for (int row = 0; row < 5; ++row) {
        for (int column = 0; column < 9; ++column) {
            const QImage cell = sheet.copy(ScaleLength(kFaceWidth * column, scale),
                                           ScaleLength(kFaceHeight * row, scale), faceW, faceH);
            for (int dy = 0; dy <= pitchY - faceH; ++dy) {
                for (int dx = 0; dx <= pitchX - faceW; ++dx) {
                    painter.drawImage(column * pitchX + dx, row * pitchY + dy, cell);
                }
            }
            painter.drawImage(column * pitchX, row * pitchY, cell);
        }
    }
    return out;
}

// The composed board of `way` at `scale`, RGB32, and the Graphics it used.
QImage MakeBoard(int way, int scale, Game& game) {
    Graphics graphics;
    graphics.PictureFolder = QStringLiteral(KELMAR_BENCH_GAME_DIR);
    NullSurface surface;
    ZeroTicks ticks;
    if (way == 2) {
        graphics.ScalePercent = scale;
        CreateBitmaps(graphics, PixelFormatSetting::Device);
        *graphics.BackgroundTile =
            BitmapFromImage(art::makeFeltBackgroundAt(scale), PixelFormatSetting::Device);
        graphics.BackgroundWidth = graphics.BackgroundTile->width();
        graphics.BackgroundHeight = graphics.BackgroundTile->height();
        *graphics.TileSheet = BitmapFromImage(OnPitchGrid(art::makeTileSheet(scale), scale),
                                              PixelFormatSetting::Device);
        *graphics.TileFrame = BitmapFromImage(art::makeTileFrame(scale), PixelFormatSetting::Device,
                                              ColourKey::Black);
        graphics.BackBuffer->resize(ScaleLength(kBoardWidth, scale),
                                    ScaleLength(kBoardHeight, scale));
        BuildSheetIndex(graphics);
        RenderBoard(game, graphics, surface, ticks);
        return BitmapToImage(*graphics.BackBuffer);
    }
    graphics.ScalePercent = way == 0 ? scale : NextLevelUp(scale);
    LoadGraphics(graphics, PixelFormatSetting::Device);
    BuildSheetIndex(graphics);
    RenderBoard(game, graphics, surface, ticks);
    const QImage board = BitmapToImage(*graphics.BackBuffer);
    if (way == 0) {
        return board;
    }
    return board.scaled(ScaleLength(kBoardWidth, scale), ScaleLength(kBoardHeight, scale),
                        Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

void BM_NewScaleToComposedBoard(benchmark::State& state) {
    const int way = static_cast<int>(state.range(0));
    const int scale = static_cast<int>(state.range(1));
    state.SetLabel(kWays[way]);
    Game game = DealtGame();
    for (auto _ : state) {
        benchmark::DoNotOptimize(MakeBoard(way, scale, game));
    }
}
BENCHMARK(BM_NewScaleToComposedBoard)
    ->ArgsProduct({{0, 1, 2}, {143, 210}})
    ->Unit(benchmark::kMillisecond);

// What the "composed" way pays again at every present (a move, a hint): the
// whole board filtered down.
void BM_FilterWholeBoard(benchmark::State& state) {
    const int scale = static_cast<int>(state.range(0));
    Game game = DealtGame();
    Graphics graphics;
    graphics.PictureFolder = QStringLiteral(KELMAR_BENCH_GAME_DIR);
    graphics.ScalePercent = NextLevelUp(scale);
    LoadGraphics(graphics, PixelFormatSetting::Device);
    BuildSheetIndex(graphics);
    NullSurface surface;
    ZeroTicks ticks;
    RenderBoard(game, graphics, surface, ticks);
    QImage scratch;
    for (auto _ : state) {
        benchmark::DoNotOptimize(DisplayImage(*graphics.BackBuffer, scratch)
                                     .scaled(ScaleLength(kBoardWidth, scale),
                                             ScaleLength(kBoardHeight, scale),
                                             Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    }
}
BENCHMARK(BM_FilterWholeBoard)->Arg(143)->Arg(210)->Unit(benchmark::kMillisecond);

void WriteComparison(const QString& dir) {
    for (int scale : {143, 210}) {
        Game game = DealtGame();
        QImage boards[3];
        for (int way = 0; way < 3; ++way) {
            boards[way] = MakeBoard(way, scale, game);
            boards[way].save(QDir(dir).filePath(
                QStringLiteral("board-%1-%2.png").arg(scale).arg(QLatin1String(kWays[way]))));
        }
        // The middle of the pyramid, pixels doubled, the three ways side by side.
        const QRect area(ScaleLength(250, scale), ScaleLength(150, scale), ScaleLength(120, scale),
                         ScaleLength(120, scale));
        QImage closeup(3 * 2 * area.width() + 20, 2 * area.height(), QImage::Format_RGB32);
        closeup.fill(Qt::white);
        QPainter painter(&closeup);
        for (int way = 0; way < 3; ++way) {
            painter.drawImage(
                QRect(way * (2 * area.width() + 10), 0, 2 * area.width(), 2 * area.height()),
                boards[way].copy(area));
        }
        painter.end();
        closeup.save(QDir(dir).filePath(QStringLiteral("closeup-%1.png").arg(scale)));
    }
}

} // namespace
} // namespace kelmar

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const char* const flag = "--comparison-dir=";
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], flag, std::strlen(flag)) == 0) {
            kelmar::WriteComparison(QString::fromLocal8Bit(argv[i] + std::strlen(flag)));
            return 0;
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
