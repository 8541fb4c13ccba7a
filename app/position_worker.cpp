#include "app/position_worker.h"

#include "core/tick_source.h"

#include <QtConcurrent/QtConcurrentRun>

namespace kelmar {

PositionWorker::PositionWorker(VerdictCache& known, TickSource& ticks, QObject* parent)
    : QObject(parent), known_(known), ticks_(ticks) {
    connect(&watcher_, &QFutureWatcher<Outcome>::finished, this, &PositionWorker::done);
}

PositionWorker::~PositionWorker() {
    cancel();
    watcher_.waitForFinished();
}

void PositionWorker::cancel() {
    stop_->cancelled = true;
    watcher_.disconnect(this);
}

// The deadline is compared by the wrapped 32-bit difference, so the
// counter's wrap does not end a job early or never.
SolveStop PositionWorker::stopSignal() const {
    return [stop = stop_, ticks = &ticks_] {
        return stop->cancelled.load(std::memory_order_relaxed) ||
               (stop->timed.load(std::memory_order_relaxed) &&
                static_cast<int32_t>(ticks->now() - stop->deadline.load()) >= 0);
    };
}

void PositionWorker::run(Job job, uint32_t limitMs) {
    busy_ = true;
    stop_->deadline = ticks_.now() + limitMs;
    stop_->timed = limitMs > 0;
    watcher_.setFuture(
        QtConcurrent::run([job = std::move(job), known = known_, stop = stopSignal()]() mutable {
            Outcome outcome;
            outcome.finish = job(known, stop);
            outcome.verdicts = std::move(known);
            return outcome;
        }));
}

void PositionWorker::done() {
    Outcome outcome = watcher_.result();
    busy_ = false;
    known_.merge(outcome.verdicts);
    if (outcome.finish) {
        outcome.finish();
    }
}

} // namespace kelmar
