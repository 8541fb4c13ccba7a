// One machine for "judge this position off the window's thread", shared by
// the solvability check and the safe hint: one job at a time on Qt's thread
// pool, working on copies only (never on the game) and on a copy of the
// known verdicts. When a job ends, the verdicts it learnt are merged into
// the known ones (they stay true whatever happened on the board meanwhile)
// and the result it handed back runs on the window's thread.
#pragma once

#include "core/solvability.h"

#include <QFutureWatcher>
#include <QObject>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

namespace kelmar {

class TickSource;

class PositionWorker final : public QObject {
    Q_OBJECT
public:
    // What a job hands back; runs on the window's thread.
    using Finish = std::function<void()>;
    // Runs on a worker thread with the copy of the known verdicts (which it
    // may extend) and the stop signal for its solver.
    using Job = std::function<Finish(VerdictCache& known, const SolveStop& stop)>;

    // `known` and `ticks` must outlive the worker; `ticks` is read on the
    // worker thread.
    PositionWorker(VerdictCache& known, TickSource& ticks, QObject* parent = nullptr);
    // Cancels and waits for a running job: it may hold references.
    ~PositionWorker() override;

    // Starts `job`; only while not busy(). With `limitMs` > 0 the stop
    // signal is raised once the tick source has moved that far from now.
    void run(Job job, uint32_t limitMs = 0);

    // For good: the stop signal stays raised (a running solver ends within a
    // few search nodes) and no job's result is handed on any more.
    void cancel();

    // Raised by cancel() or the running job's deadline (thread-safe).
    SolveStop stopSignal() const;

    bool busy() const { return busy_; }

private:
    struct Outcome {
        Finish finish;
        VerdictCache verdicts;
    };
    struct Stop {
        std::atomic<bool> cancelled{false};
        std::atomic<bool> timed{false};
        std::atomic<uint32_t> deadline{0}; // tick count
    };
    void done();

    VerdictCache& known_;
    TickSource& ticks_;
    std::shared_ptr<Stop> stop_ = std::make_shared<Stop>();
    bool busy_ = false;
    QFutureWatcher<Outcome> watcher_;
};

} // namespace kelmar
