#include "app/safe_hint_check.h"

#include <QtConcurrent/QtConcurrentRun>

namespace kelmar {

QString LostHintText() {
    return QString::fromUtf8("Nicht mehr lösbar – Strg+B geht zurück bis lösbar.");
}

SafeHintCheck::SafeHintCheck(const Game& game, VerdictCache& known, SolveFunction solve,
                             AnswerSink sink, QObject* parent)
    : QObject(parent), game_(game), known_(known), solve_(std::move(solve)),
      sink_(std::move(sink)) {
    if (!solve_) {
        solve_ = [](const Board& board, int64_t budget, SolverStats* stats) {
            return SolvePosition(board, budget, stats);
        };
    }
    wait_.setSingleShot(true);
    connect(&wait_, &QTimer::timeout, this, &SafeHintCheck::waitEnded);
    connect(&watcher_, &QFutureWatcher<Outcome>::finished, this, &SafeHintCheck::workerDone);
}

SafeHintCheck::~SafeHintCheck() {
    watcher_.disconnect(this);
    watcher_.waitForFinished();
}

bool SafeHintCheck::ask() {
    PositionKey position = PositionKey::Of(game_.board);
    if (asked_ && asked_->position == position) {
        return false; // asked again while the answer is on its way
    }
    forget(); // a question about a position no longer on the board
    Question question{++questions_, std::move(position), HintCandidates(game_)};
    if (question.candidates.empty()) {
        return true; // nothing to show; the caller's guard keeps this from happening
    }
    const HintJudgement known = JudgeHintFromKnown(game_.board, question.candidates, known_);
    if (known.safety != HintSafety::Unknown) {
        RememberJudgement(known_, game_.board, known);
        sink_(question.candidates, known);
        return true;
    }
    asked_ = std::move(question);
    wait_.start(waitMs_);
    if (!working_) {
        start();
    }
    return false;
}

void SafeHintCheck::start() {
    working_ = true;
    workingOn_ = asked_->number;
    // Copies only: the worker never touches the game.
    watcher_.setFuture(QtConcurrent::run([board = game_.board, candidates = asked_->candidates,
                                          known = known_, solve = solve_]() mutable {
        Outcome outcome;
        outcome.judgement = RunHintCheck(board, candidates, known, solve);
        outcome.verdicts = std::move(known);
        return outcome;
    }));
}

// Hands the open question's answer on if its position is still the one on
// the board, and closes it either way.
void SafeHintCheck::answer(const std::optional<HintJudgement>& judgement) {
    wait_.stop();
    Question question = std::move(*asked_);
    asked_.reset();
    if (question.position == PositionKey::Of(game_.board)) {
        sink_(question.candidates, judgement);
    }
}

void SafeHintCheck::waitEnded() {
    if (asked_) {
        answer(std::nullopt);
    }
}

void SafeHintCheck::forget() {
    wait_.stop();
    asked_.reset();
}

void SafeHintCheck::workerDone() {
    const Outcome outcome = watcher_.result();
    working_ = false;
    known_.merge(outcome.verdicts);
    if (!asked_) {
        return; // answered by the wait, or forgotten
    }
    if (!(asked_->position == PositionKey::Of(game_.board))) {
        forget(); // the board changed while the worker ran
        return;
    }
    if (asked_->number == workingOn_) {
        answer(outcome.judgement);
        return;
    }
    // Asked again while the worker judged an older question.
    const HintJudgement known = JudgeHintFromKnown(game_.board, asked_->candidates, known_);
    if (known.safety != HintSafety::Unknown) {
        RememberJudgement(known_, game_.board, known);
        answer(known);
    } else {
        start();
    }
}

} // namespace kelmar
