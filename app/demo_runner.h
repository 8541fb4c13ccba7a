// The window's side of the demonstration: the plan is made on a worker
// thread from a copy of the board, then one pair is played about every
// second, shown highlighted for half of it before it is taken. Any key or
// click anywhere in the program stops it and leaves the board as it is; a
// click on the board that stops it does nothing else. The window stops it
// on a new board, a screen over the board and its close. The pairs are
// taken by the window's command (the clock caught up, the kept game
// written), never here.
#pragma once

#include "core/demo_plan.h"

#include <QObject>
#include <QTimer>
#include <functional>

class QWidget;

namespace kelmar {

class PositionWorker;
class TickSource;

// Half the time between two pairs: the pair is highlighted this long
// before it is taken, and the next one highlighted this long after.
constexpr int kDemoHalfStepMs = 500;

// The planner's time: past it the plan is Undecided.
constexpr uint32_t kDemoPlanTimeLimitMs = 2500;

class DemoRunner final : public QObject {
    Q_OBJECT
public:
    struct Sinks {
        // The plan's verdict for the position on the board now.
        std::function<void(DemoVerdict)> planned;
        // Take this pair now (the controller's demoStep through a command).
        std::function<void(SolverMove)> take;
        // Planning or playing ended before the plan's end or at it (not
        // after a verdict that plays nothing): the running note goes.
        std::function<void()> stopped;
    };

    // Runs on the worker thread with a copy of the board.
    using Planner = std::function<DemoPlan(const Board&, const SolveStop&)>;

    // `game`, `known`, `ticks` and `board` (the widget a click on which
    // must not take a tile) must outlive the runner. `plan` empty means
    // PlanDemo within kDemoNodeBudget.
    DemoRunner(Game& game, VerdictCache& known, TickSource& ticks, QWidget& board, Sinks sinks,
               Planner plan = {}, QObject* parent = nullptr);
    // Stops and waits for a planning worker: it holds the planner.
    ~DemoRunner() override;

    // Plans the position on the board now; while a plan is being made or
    // played, nothing.
    void start();
    // Ends planning and playing at once: the timer stops, a running
    // planner is stopped within a few search nodes and waited for, a
    // highlighted pair is drawn away. Nothing follows. Does nothing when
    // idle.
    void stop();

    bool planning() const { return planning_; }
    bool playing() const { return timer_.isActive(); }

    // The timer's step: highlight the next pair, or take the highlighted
    // one. Tests call it instead of waiting.
    void advance();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void planned(const DemoPlan& plan);
    // stop() without telling.
    void halt();
    // Watches the program's input (an event filter on the application).
    void listen(bool on);

    Game& game_;
    VerdictCache& known_;
    TickSource& ticks_;
    QWidget& board_;
    Sinks sinks_;
    Planner plan_;
    PositionWorker* worker_ = nullptr; // a child made per plan; deleted once its job ended
    bool planning_ = false;
    DemoPlan playing_;
    std::size_t next_ = 0;        // index in playing_.pairs of the pair to show or take
    bool showing_ = false;        // pairs[next_] is highlighted
    PositionKey expected_;        // the position the next step is for
    bool swallowRelease_ = false; // the click on the board that stopped it is not over
    bool listening_ = false;
    QTimer timer_;
};

} // namespace kelmar
