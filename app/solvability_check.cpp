#include "app/solvability_check.h"

#include "core/history.h"

namespace kelmar {

SolvabilityCheck::SolvabilityCheck(const Game& game, VerdictCache& verdicts, TickSource& ticks,
                                   SolveFunction solve, AnswerSink sink, QObject* parent)
    : QObject(parent), game_(game), worker_(verdicts, ticks), solve_(std::move(solve)),
      sink_(std::move(sink)), verdicts_(verdicts) {
    if (!solve_) {
        solve_ = [stopped = stopSignal()](const Board& board, int64_t budget, SolverStats* stats) {
            return SolvePosition(board, budget, stats, nullptr, stopped);
        };
    }
}

SolvabilityCheck::~SolvabilityCheck() = default;

void SolvabilityCheck::cancel() {
    worker_.cancel();
    pending_.reset();
}

SolvabilityCheck::Request SolvabilityCheck::requestNow(SolvabilityAction action) const {
    return {action, run_, PositionKey::Of(game_.board), game_.history};
}

bool SolvabilityCheck::sameState(const Request& a, const Request& b) const {
    return a.run == b.run && a.position == b.position && SameSteps(a.history, b.history);
}

// The whole answer from verdicts already found, without the solver.
bool SolvabilityCheck::answerFromKnown(SolvabilityAction action) {
    const SolvabilityWalk walk = WalkBack(game_.board, game_.history, [this](const Board& b) {
        return verdicts_.find(PositionKey::Of(b));
    });
    if (!walk.complete) {
        return false;
    }
    pending_.reset();
    sink_(walk.answer, action);
    return true;
}

bool SolvabilityCheck::ask(SolvabilityAction action) {
    if (answerFromKnown(action)) {
        return true;
    }
    Request request = requestNow(action);
    if (pending_ && sameState(*pending_, request)) {
        // Asked again while the check runs: going back wins over showing.
        if (action == SolvabilityAction::GoBack) {
            pending_->action = action;
        }
        return false;
    }
    pending_ = std::move(request);
    if (!running_) {
        start();
    }
    return false;
}

void SolvabilityCheck::newRun() {
    ++run_;
    pending_.reset();
}

// Copies only: the worker never touches the game.
void SolvabilityCheck::start() {
    running_ = pending_;
    worker_.run(
        [this, board = game_.board, history = game_.history,
         solve = solve_](VerdictCache& known, const SolveStop&) -> PositionWorker::Finish {
            const SolvabilityAnswer answer = RunSolvabilityCheck(board, history, known, solve);
            return [this, answer] { finished(answer); };
        },
        static_cast<uint32_t>(timeLimit_.count()));
}

void SolvabilityCheck::finished(const SolvabilityAnswer& answer) {
    const Request done = *running_;
    running_.reset();
    if (!pending_) {
        return;
    }
    const Request now = requestNow(pending_->action);
    if (!sameState(*pending_, now)) {
        pending_.reset(); // the board changed and nobody asked again
        return;
    }
    if (sameState(done, now)) {
        const SolvabilityAction action = pending_->action;
        pending_.reset();
        sink_(answer, action);
        return;
    }
    // Asked about a later position while the worker was busy.
    if (!answerFromKnown(pending_->action)) {
        start();
    }
}

} // namespace kelmar
