// Resizing the main window: from a new window size to the board painted at
// the scale that fits it, over a scripted drag of the window's corner, in
// the Device format with the game's own pictures (all levels) in a fresh
// folder. Reported as the median and the 99th percentile of the steps, in
// wall time and in CPU time of the whole program.
//
// Runs on the offscreen platform by default (`make bench`); with
// QT_QPA_PLATFORM=xcb and a DISPLAY it measures against a real X server,
// pixels sent included (through the socket, as the game sends them; the
// README's figures: Xvfb at 1920 x 1080 with openbox).
#include "app/board_field.h"
#include "app/file_requester.h"
#include "app/main_view.h"
#include "app/main_window.h"
#include "app/main_window_inside.h"
#include "app/message_sink.h"
#include "core/tick_source.h"
#include "core/zoom.h"
#include "render/picture_file.h"
#include "render/scaled_pictures.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <ctime>
#include <memory>
#include <vector>

namespace kelmar {
namespace {

class SilentMessages final : public MessageSink {
public:
    void showError(QWidget*, const QString&) override {}
    void showWarning(QWidget*, const QString&, const QString&) override {}
};

class NoFiles final : public FileRequester {
public:
    std::optional<QString> askOpen(QWidget*, const QString&) override { return std::nullopt; }
    std::optional<QString> askSave(QWidget*, const QString&) override { return std::nullopt; }
};

// Counts the paints of the board surface.
class PaintCounter final : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints;
        }
        return false;
    }
    int paints = 0;
};

// The window sizes of a drag from about 1366 x 768 to 1920 x 1080 and back,
// a few pixels per step as a window manager reports them, and the last
// steps of it as a maximise and an un-maximise.
std::vector<QSize> DragScript() {
    std::vector<QSize> sizes;
    for (int i = 0; i <= 80; ++i) {
        sizes.emplace_back(1366 + 7 * i, 768 + 4 * i);
    }
    for (int i = 80; i >= 0; --i) {
        sizes.emplace_back(1366 + 7 * i + 3, 768 + 4 * i + 1);
    }
    sizes.emplace_back(1920, 1080);
    sizes.emplace_back(642, 548);
    sizes.emplace_back(1920, 1080);
    return sizes;
}

double ProcessCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

double Percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    const auto at = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[at];
}

// A main window playing in a fresh folder with the game's pictures; the
// working directory is the folder while it lives.
class BenchWindow {
public:
    BenchWindow() : previous_(QDir::currentPath()) {
        const QDir game(QStringLiteral(KELMAR_BENCH_GAME_DIR));
        for (const QString& name : game.entryList({QStringLiteral("KL*")}, QDir::Files)) {
            QFile::copy(game.filePath(name), QDir(folder_.path()).filePath(name));
        }
        QDir::setCurrent(folder_.path());
        services_.ticks = &ticks_;
        services_.messages = &messages_;
        services_.files = &files_;
        services_.askStuck = [](QWidget*) { return StuckChoice::Close; };
        form_ = std::make_unique<TMainForm>(services_);
    }
    ~BenchWindow() {
        form_->ShutDownGame();
        form_.reset();
        QDir::setCurrent(previous_);
    }
    TMainForm& form() { return *form_; }

private:
    QTemporaryDir folder_;
    QString previous_;
    SteadyTickSource ticks_;
    SilentMessages messages_;
    NoFiles files_;
    MainFormServices services_;
    std::unique_ptr<TMainForm> form_;
};

void BM_ResizeToPaintedBoard(benchmark::State& state) {
    BenchWindow window;
    TMainForm& form = window.form();
    form.show();
    form.FieldMouseUp(Qt::LeftButton, 0, 0); // leaves the logo: a board to paint
    PaintCounter counter;
    Inside(form).Field->installEventFilter(&counter);
    QCoreApplication::processEvents();

    const std::vector<QSize> script = DragScript();
    std::vector<double> ms;
    std::vector<double> cpuMs;
    std::size_t step = 0;
    for (auto _ : state) {
        const QSize size = script[step++ % script.size()];
        const int paintsBefore = counter.paints;
        const double cpuBefore = ProcessCpuMs();
        QElapsedTimer timer;
        timer.start();
        form.resize(size);
        // Until the board has been painted at the scale that fits.
        for (int round = 0; round < 1000; ++round) {
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            const int fit = FitScale(Inside(form).Field->width(), Inside(form).Field->height());
            if (counter.paints > paintsBefore && Inside(form).Field->boardLevel() == fit) {
                break;
            }
        }
        const double elapsed = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        ms.push_back(elapsed);
        cpuMs.push_back(ProcessCpuMs() - cpuBefore);
        state.SetIterationTime(elapsed / 1e3);
    }
    state.counters["median_ms"] = Percentile(ms, 0.5);
    state.counters["p99_ms"] = Percentile(ms, 0.99);
    state.counters["worst_ms"] = Percentile(ms, 1.0);
    // CPU of all the program's threads per step: what the step costs
    // without the other load of a shared machine.
    state.counters["cpu_median_ms"] = Percentile(cpuMs, 0.5);
    state.counters["cpu_p99_ms"] = Percentile(cpuMs, 0.99);
}
// The part of a resize step that reads and scales the pictures and
// composes the board (no paint): the scale goes through 201..249 %, whose
// pictures come from the 250 % files.
void BM_RescaleAndCompose(benchmark::State& state) {
    BenchWindow window;
    TMainForm& form = window.form();
    form.FieldMouseUp(Qt::LeftButton, 0, 0);
    int scale = 201;
    for (auto _ : state) {
        Inside(form).view().setScalePercent(scale);
        scale = scale == 249 ? 201 : scale + 1;
    }
}
// The pieces of a rescale from the 250 % files to 210 %: reading a picture
// file (0 background, 1 sheet, 2 frame) and filtering it.
void BM_ReadLevelPicture(benchmark::State& state) {
    const char* const names[] = {"KLBack250.bmp", "KLTiles250.bmp", "KLTFrame250.bmp"};
    const QString path =
        QDir(QStringLiteral(KELMAR_BENCH_GAME_DIR)).filePath(QLatin1String(names[state.range(0)]));
    for (auto _ : state) {
        benchmark::DoNotOptimize(LoadPictureFile(path, PixelFormatSetting::Device));
    }
}
BENCHMARK(BM_ReadLevelPicture)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

void BM_FilterLevelPicture(benchmark::State& state) {
    const char* const names[] = {"KLBack250.bmp", "KLTiles250.bmp", "KLTFrame250.bmp"};
    const QImage image(
        QDir(QStringLiteral(KELMAR_BENCH_GAME_DIR)).filePath(QLatin1String(names[state.range(0)])));
    for (auto _ : state) {
        switch (state.range(0)) {
        case 0:
            benchmark::DoNotOptimize(ScaleRepeatingPicture(image, 250, 210));
            break;
        case 1:
            benchmark::DoNotOptimize(ScaleTileSheet(image, 250, 210));
            break;
        default:
            benchmark::DoNotOptimize(ScaleKeyedPicture(image, 250, 210));
            break;
        }
    }
}
BENCHMARK(BM_FilterLevelPicture)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

BENCHMARK(BM_RescaleAndCompose)->Unit(benchmark::kMillisecond);

BENCHMARK(BM_ResizeToPaintedBoard)->UseManualTime()->Iterations(330)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace kelmar

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // On an X server the pixels go through the socket, as the game sends
    // them (see app/main.cpp).
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM")) {
        qputenv("QT_XCB_NO_MITSHM", "1");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
