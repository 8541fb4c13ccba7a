// The workers that judge the board off the window's thread: the check, the
// safe hint and the demonstration. The window hands them the controller's
// questions and tells them when the board was replaced or covered; their
// answers come back as commands of the window, so the clock, the kept game
// and the effects follow them as they follow a click.
#pragma once

#include "core/solvability.h"
#include "play/play_controller.h"

#include <QString>
#include <functional>
#include <memory>

class QWidget;

namespace kelmar {

class DemoRunner;
class SafeHintCheck;
class SolvabilityCheck;
class TickSource;

class BoardWorkers {
public:
    struct Hooks {
        // Runs a controller call as a command of the window.
        std::function<void(const std::function<Effects()>&)> command;
        // Shows a status note until the position changes; empty: clears it.
        std::function<void(const QString&)> note;
    };

    // `play`, `ticks` and `board` (the widget a click on which must not take
    // a tile while the demonstration stops) must outlive this. `solve`
    // empty means the real solver.
    BoardWorkers(PlayController& play, TickSource& ticks, SolveFunction solve, QWidget& board,
                 Hooks hooks);
    // Waits for the workers still running.
    ~BoardWorkers();

    // The controller's question about the board now. A check that cannot
    // answer at once says so until its answer comes.
    void ask(Ask ask);
    // After a command: a new board is asked nothing about the old one, and
    // a new board or a screen over it ends a demonstration.
    void changed(const Effects& effects);
    // A hint still waiting for its judgement gives the plain hint instead
    // (the safe hint was turned off).
    void forgetHint();
    // At the close: nothing runs on and nothing answers any more.
    void cancel();

    SolvabilityCheck& solvability() { return *solvability_; }
    SafeHintCheck& safeHint() { return *safeHint_; }
    DemoRunner& demo() { return *demo_; }

private:
    Hooks hooks_;
    std::unique_ptr<SolvabilityCheck> solvability_;
    std::unique_ptr<SafeHintCheck> safeHint_;
    std::unique_ptr<DemoRunner> demo_;
};

} // namespace kelmar
