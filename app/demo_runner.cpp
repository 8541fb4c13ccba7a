#include "app/demo_runner.h"

#include "app/position_worker.h"
#include "core/view_calls.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

namespace kelmar {

DemoRunner::DemoRunner(Game& game, VerdictCache& known, TickSource& ticks, QWidget& board,
                       Sinks sinks, Planner plan, QObject* parent)
    : QObject(parent), game_(game), known_(known), ticks_(ticks), board_(board),
      sinks_(std::move(sinks)), plan_(std::move(plan)) {
    timer_.setInterval(kDemoHalfStepMs);
    connect(&timer_, &QTimer::timeout, this, &DemoRunner::advance);
}

// A worker still planning is a child: QObject's destructor deletes it, which
// waits for its stopped job.
DemoRunner::~DemoRunner() {
    halt();
    swallowRelease_ = false;
    listen(false);
}

void DemoRunner::start() {
    if (planning_ || playing()) {
        return;
    }
    planning_ = true;
    listen(true);
    worker_ = new PositionWorker(known_, ticks_, this);
    worker_->run(
        [this, board = game_.board, plan = plan_](VerdictCache&,
                                                  const SolveStop& stop) -> PositionWorker::Finish {
            DemoPlan found = plan ? plan(board, stop) : PlanDemo(board, kDemoNodeBudget, stop);
            return [this, found = std::move(found)] { planned(found); };
        },
        kDemoPlanTimeLimitMs);
}

void DemoRunner::stop() {
    const bool busy = planning_ || playing();
    halt();
    if (busy && sinks_.stopped) {
        sinks_.stopped();
    }
}

void DemoRunner::halt() {
    if (worker_ != nullptr) {
        // Its answer is never handed on; it is deleted once its job ended.
        worker_->cancel();
        worker_->deleteLater();
        worker_ = nullptr;
    }
    planning_ = false;
    timer_.stop();
    if (showing_) {
        showing_ = false;
        RenderBoardView(game_);
    }
    playing_ = {};
    listen(swallowRelease_);
}

// A plan of a position no longer on the board (the window changed it
// without input, which stops the demonstration) is dropped.
void DemoRunner::planned(const DemoPlan& plan) {
    worker_->deleteLater();
    worker_ = nullptr;
    planning_ = false;
    if (!PlanFits(plan, game_.board)) {
        halt();
        return;
    }
    sinks_.planned(plan.verdict);
    const bool play = plan.verdict == DemoVerdict::Winnable && !plan.pairs.empty() &&
                      game_.Running && !game_.play.GameWon && PlanFits(plan, game_.board);
    if (!play) {
        halt();
        return;
    }
    playing_ = plan;
    next_ = 0;
    showing_ = false;
    expected_ = plan.start;
    timer_.start();
}

// Every step first makes sure the board is still the one the plan expects:
// anything else that changed it ends the demonstration.
void DemoRunner::advance() {
    if (next_ >= playing_.pairs.size() || !game_.Running || game_.play.GameWon ||
        !(PositionKey::Of(game_.board) == expected_)) {
        stop();
        return;
    }
    const SolverMove step = playing_.pairs[next_];
    if (!showing_) {
        if (!DemoStepValid(game_, step)) {
            stop();
            return;
        }
        HighlightSlotView(game_, step.First);
        HighlightSlotView(game_, step.Second);
        PresentBoardView(game_);
        showing_ = true;
        return;
    }
    showing_ = false;
    sinks_.take(step);
    const auto present = [this](int32_t slot) {
        return game_.board.Slots[static_cast<std::size_t>(slot)].Present;
    };
    if (present(step.First) || present(step.Second)) {
        stop();
        return;
    }
    expected_ = PositionKey::Of(game_.board);
    ++next_;
    if (next_ >= playing_.pairs.size()) {
        stop();
    }
}

void DemoRunner::listen(bool on) {
    if (on == listening_) {
        return;
    }
    listening_ = on;
    if (on) {
        QCoreApplication::instance()->installEventFilter(this);
    } else {
        QCoreApplication::instance()->removeEventFilter(this);
    }
}

// Keys reach the program first as shortcut overrides (menu shortcuts) or
// presses. A press reaches the window system's window first and then the
// widget under the pointer; only the widget's counts. A click on the board
// is eaten together with its release, so it takes no tile; elsewhere (menu,
// tool bar) the click goes on to do its own work.
bool DemoRunner::eventFilter(QObject* watched, QEvent* event) {
    const bool busy = planning_ || playing();
    switch (event->type()) {
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress:
        if (busy) {
            stop();
        }
        return false;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (!busy || !watched->isWidgetType()) {
            return false;
        }
        if (watched == &board_) {
            swallowRelease_ = true;
            stop();
            return true;
        }
        stop();
        return false;
    case QEvent::MouseButtonRelease:
        if (swallowRelease_ && watched == &board_) {
            swallowRelease_ = false;
            listen(planning_ || playing());
            return true;
        }
        return false;
    default:
        return false;
    }
}

} // namespace kelmar
