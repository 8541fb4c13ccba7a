#ifdef KELMAR_BENCH_GUI_ONLY
#include <QGuiApplication>
#else
#include <QApplication>
#endif
#include <benchmark/benchmark.h>

int main(int argc, char** argv) {
#ifdef KELMAR_BENCH_GUI_ONLY
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
#else
    QApplication app(argc, argv);
#endif
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
