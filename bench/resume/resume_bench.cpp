// What keeping the game for the next start costs a move.
//
// On the user-interface thread every command computes the game's signature;
// at most every five seconds a move also copies the game for the worker.
// Encoding and writing the file (with its fsync) run on the worker and are
// measured here only to show what the move no longer waits for. The last
// pair takes a pair through the window's mouse handlers with the option on
// and off: the two must not differ by more than the noise.
//
// Target: signature plus copy under 5 us, and the window move with the
// option on within 5 % of the move without it.
#include "app/main_window.h"
#include "app/main_window_inside.h"
#include "app/message_sink.h"
#include "app/resume_keeper.h"
#include "core/board.h"
#include "core/deal.h"
#include "core/history.h"
#include "core/rules.h"
#include "core/tick_source.h"
#include "storage/saved_game.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <array>
#include <benchmark/benchmark.h>
#include <cstring>

namespace kelmar {
namespace {

Game DealtGameWithMoves(int moves) {
    Game game;
    game.settings.AvoidUnsolveableGames = false;
    SeedRandom(game, 4711);
    NewGame(game);
    AnalyzeBoard(game);
    for (int move = 0; move < moves; ++move) {
        const auto pairs = FreeMatchingPairs(game);
        if (pairs.empty()) {
            break;
        }
        ClickTile(game, pairs.front().first);
        ClickTile(game, pairs.front().second);
        AnalyzeBoard(game);
    }
    return game;
}

// Baseline for comparing machines: copying as many bytes as a Game holds.
void BM_CopyGameBytes(benchmark::State& state) {
    static std::array<unsigned char, sizeof(Game)> source{};
    static std::array<unsigned char, sizeof(Game)> target{};
    for (auto _ : state) {
        std::memcpy(target.data(), source.data(), sizeof(Game));
        benchmark::DoNotOptimize(&target);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(sizeof(Game)));
}
BENCHMARK(BM_CopyGameBytes);

void BM_GameSignature(benchmark::State& state) {
    static const Game game = DealtGameWithMoves(20);
    for (auto _ : state) {
        benchmark::DoNotOptimize(GameSignature(game));
    }
}
BENCHMARK(BM_GameSignature);

// The user-interface part of a background write: the copy and its signature.
void BM_SnapshotForTheWorker(benchmark::State& state) {
    static const Game game = DealtGameWithMoves(20);
    static Game snapshot;
    for (auto _ : state) {
        snapshot = game;
        benchmark::DoNotOptimize(GameSignature(snapshot));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_SnapshotForTheWorker);

// The worker's part, for reference: encode, write, sync, rename.
void BM_WorkerWritesTheCopy(benchmark::State& state) {
    static const Game game = DealtGameWithMoves(20);
    QTemporaryDir folder;
    const std::string path =
        QDir(folder.path()).filePath(QStringLiteral("copy.klmr")).toStdString();
    for (auto _ : state) {
        SaveGame(game, path);
    }
}
BENCHMARK(BM_WorkerWritesTheCopy)->Unit(benchmark::kMicrosecond);

class SilentSink final : public MessageSink {
public:
    void showError(QWidget*, const QString&) override {}
    void showWarning(QWidget*, const QString&, const QString&) override {}
};

// A pair taken and given back through the window's handlers (two releases
// on tiles, then undo), in a folder of its own, option on (1) or off (0).
void BM_WindowMoveAndUndo(benchmark::State& state) {
    QTemporaryDir folder;
    const QDir game(QStringLiteral(KELMAR_BENCH_GAME_DIR));
    for (const QString& name : game.entryList({QStringLiteral("*.bmp"), QStringLiteral("*.jpg")})) {
        QFile::copy(game.filePath(name), QDir(folder.path()).filePath(name));
    }
    const QString previous = QDir::currentPath();
    QDir::setCurrent(folder.path());
    const bool option = state.range(0) != 0;
    QFile ini(QStringLiteral("Kelmar.ini"));
    if (ini.open(QIODevice::WriteOnly)) {
        ini.write(option ? "[Kelmar]\r\nResumeGame=1\r\n" : "[Kelmar]\r\nResumeGame=0\r\n");
        ini.close();
    }
    {
        SteadyTickSource ticks;
        SilentSink messages;
        MainFormServices services;
        services.askStuck = [](QWidget*) { return StuckChoice::Close; };
        services.ticks = &ticks;
        services.messages = &messages;
        services.msSinceMidnightUtc = [] { return 4711u; };
        TMainForm form(services);
        form.FieldMouseUp(Qt::LeftButton, 5, 5);
        const auto centre = [&](int32_t slot) {
            const Rect r = TileRect(form.game().board, slot);
            return std::pair<int, int>{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
        };
        // One move first, so that the option has a game to keep.
        auto pair = FreeMatchingPairs(form.game()).front();
        for (int32_t slot : {pair.first, pair.second}) {
            const auto [x, y] = centre(slot);
            form.FieldMouseUp(Qt::LeftButton, x, y);
        }
        pair = FreeMatchingPairs(form.game()).front();
        const auto a = centre(pair.first);
        const auto b = centre(pair.second);
        for (auto _ : state) {
            form.FieldMouseUp(Qt::LeftButton, a.first, a.second);
            form.FieldMouseUp(Qt::LeftButton, b.first, b.second);
            form.MUndoClick();
        }
        Inside(form).resume().waitForWrites();
        form.close();
    }
    QDir::setCurrent(previous);
}
BENCHMARK(BM_WindowMoveAndUndo)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace kelmar
