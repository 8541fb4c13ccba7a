// The window's side of "can this still be won?": asks the verdicts already
// known first and otherwise runs the check on a worker thread with copies of
// the board, the history and the known verdicts, so the window never waits.
// An answer is handed on only while its position, its history and its game
// are still the ones on the board; otherwise it is dropped (its verdicts are
// kept, they stay true).
#pragma once

#include "app/position_worker.h"
#include "core/solvability.h"
#include "play/play_controller.h"

#include <QObject>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace kelmar {

// The real solver's time for one check (the walk back included): past it
// the check answers "nicht entschieden", so no board keeps "Prüfe ..." up
// for long. The node budgets bound the work on a fast machine; this bounds
// it on a slow one and on boards whose nodes are costly.
constexpr std::chrono::milliseconds kSolvabilityTimeLimit{2500};

class SolvabilityCheck final : public QObject {
    Q_OBJECT
public:
    using AnswerSink = std::function<void(const SolvabilityAnswer&, SolvabilityAction)>;

    // `game`, `verdicts` (the known verdicts, shared with the safe hint) and
    // `ticks` (the counter the time limit is measured on) must outlive this.
    // `solve` empty means SolvePosition, stopped after kSolvabilityTimeLimit
    // and by cancel(). The sink is called on the
    // window's thread, at once from ask() or later when the worker is done.
    SolvabilityCheck(const Game& game, VerdictCache& verdicts, TickSource& ticks,
                     SolveFunction solve, AnswerSink sink, QObject* parent = nullptr);
    // Cancels and waits for a running worker: it holds the solve function.
    ~SolvabilityCheck() override;

    // The window closes: a running check of the real solver ends within a
    // few dozen search nodes and nothing is answered any more.
    void cancel();

    // True once cancel() ran or the running check has used its time; the
    // real solver asks it, and an injected one may (thread-safe).
    SolveStop stopSignal() const { return worker_.stopSignal(); }

    // The time a check may take from now on (kSolvabilityTimeLimit).
    void setTimeLimit(std::chrono::milliseconds limit) { timeLimit_ = limit; }

    // About the position on the board now. True: answered at once (the sink
    // has run); false: a worker check runs or is queued behind the running
    // one, and its answer follows if the position is still on the board.
    bool ask(SolvabilityAction action);

    // The board was replaced (new game, the same game anew, a load): nothing
    // asked before is answered any more.
    void newRun();

    bool busy() const { return running_.has_value(); }

private:
    struct Request {
        SolvabilityAction action = SolvabilityAction::Show;
        uint64_t run = 0;
        PositionKey position;
        MoveHistory history; // only Position and Records[1..Position] count
    };
    Request requestNow(SolvabilityAction action) const;
    bool sameState(const Request& a, const Request& b) const;
    bool answerFromKnown(SolvabilityAction action);
    void start();
    void finished(const SolvabilityAnswer& answer);

    const Game& game_;
    PositionWorker worker_; // before solve_, which holds its stop signal
    std::chrono::milliseconds timeLimit_ = kSolvabilityTimeLimit;
    SolveFunction solve_;
    AnswerSink sink_;
    VerdictCache& verdicts_;
    uint64_t run_ = 0;
    std::optional<Request> pending_; // the latest question not yet answered
    std::optional<Request> running_; // what the worker is checking
};

} // namespace kelmar
