#include "app/clock_pacer.h"

#include "app/status_panels.h"
#include "core/tick_source.h"

#include <QTimer>

namespace kelmar {

ClockPacer::ClockPacer(Game& game, TickSource& ticks, QTimer& timer, TStatusBar& status,
                       std::function<int32_t()> lastRenderMs)
    : game_(game), ticks_(ticks), timer_(timer), status_(status),
      lastRenderMs_(std::move(lastRenderMs)) {}

bool ClockPacer::pacing() const {
    return pace_ == TimerPace::Resting || timer_.isActive();
}

void ClockPacer::show(const std::optional<std::string>& text) {
    if (text) {
        status_.setPanelText(1, QString::fromStdString(*text));
    }
}

void ClockPacer::showTime() {
    show(ClockText(game_.clock.Elapsed, game_.settings.ShowRenderSpeed, lastRenderMs_()));
}

void ClockPacer::catchUp() {
    if (pacing()) {
        show(CatchUpClock(game_, ticks_.now(), lastRenderMs_()));
    }
}

void ClockPacer::pace() {
    if (!pacing()) {
        return;
    }
    const TimerPace pace = TimerPaceFor(game_);
    if (pace == TimerPace::Resting) {
        timer_.stop();
    } else if (pace == TimerPace::Steps) {
        if (pace_ != TimerPace::Steps || !timer_.isActive()) {
            timer_.start(static_cast<int>(kTimerStepMs));
        }
    } else {
        // The wait counts from the sample; time spent since in the handler is
        // taken off, so the wake-up is not late by it.
        const uint32_t wait =
            QuietWaitMs(game_, status_.panelText(1).toStdString(), lastRenderMs_());
        const uint32_t spent = ticks_.now() - game_.clock.CurrentTick;
        timer_.start(static_cast<int>(wait > spent ? wait - spent : 0));
    }
    pace_ = pace;
}

void ClockPacer::step() {
    const uint32_t now = ticks_.now();
    if (pacing() && pace_ != TimerPace::Steps) {
        show(CatchUpClock(game_, now, lastRenderMs_()));
    } else {
        game_.clock.CurrentTick = now;
        show(ClockTick(game_, lastRenderMs_()));
    }
}

} // namespace kelmar
