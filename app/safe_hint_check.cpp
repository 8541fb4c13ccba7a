#include "app/safe_hint_check.h"

namespace kelmar {

SafeHintCheck::SafeHintCheck(const Game& game, VerdictCache& known, TickSource& ticks,
                             SolveFunction solve, AnswerSink sink, QObject* parent)
    : QObject(parent), game_(game), known_(known), worker_(known, ticks),
      solve_(HintSolverOf(solve, worker_.stopSignal())), sink_(std::move(sink)) {
    wait_.setSingleShot(true);
    connect(&wait_, &QTimer::timeout, this, &SafeHintCheck::waitEnded);
}

SafeHintCheck::~SafeHintCheck() = default;

void SafeHintCheck::cancel() {
    worker_.cancel();
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
    const HintJudgement known =
        JudgeHintFromKnown(game_.board, question.candidates, known_, lineOf(question.position));
    if (known.safety != HintSafety::Unknown) {
        RememberJudgement(known_, game_.board, known);
        learnLine(known);
        sink_(question.candidates, known);
        return true;
    }
    asked_ = std::move(question);
    wait_.start(waitMs_);
    if (!worker_.busy()) {
        start();
    }
    return false;
}

// Copies only: the worker never touches the game.
void SafeHintCheck::start() {
    workingOn_ = asked_->number;
    worker_.run([this, board = game_.board, candidates = asked_->candidates, solve = solve_,
                 line = lineOf(asked_->position)](VerdictCache& known,
                                                  const SolveStop&) -> PositionWorker::Finish {
        const HintJudgement judgement =
            RunHintCheck(board, candidates, known, solve, kSafeHintNodeBudget, line);
        return [this, judgement] { judged(judgement); };
    });
}

const WinningLine& SafeHintCheck::lineOf(const PositionKey& position) const {
    static const WinningLine none;
    return line_ && line_->position == position ? line_->line : none;
}

// Keeps the winning order after a safe pair, keyed by the position it is
// for; the board the judgement was about is still the one in the game.
void SafeHintCheck::learnLine(const HintJudgement& judgement) {
    if (judgement.safety == HintSafety::Safe && !judgement.line.empty()) {
        line_ = KnownLine{PositionKey::Of(BoardAfter(game_.board, judgement.pair)), judgement.line};
    }
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

void SafeHintCheck::judged(const HintJudgement& judgement) {
    if (!asked_) {
        return; // answered by the wait, or forgotten
    }
    if (!(asked_->position == PositionKey::Of(game_.board))) {
        forget(); // the board changed while the worker ran
        return;
    }
    if (asked_->number == workingOn_) {
        learnLine(judgement);
        answer(judgement);
        return;
    }
    // Asked again while the worker judged an older question.
    const HintJudgement known =
        JudgeHintFromKnown(game_.board, asked_->candidates, known_, lineOf(asked_->position));
    if (known.safety != HintSafety::Unknown) {
        RememberJudgement(known_, game_.board, known);
        learnLine(known);
        answer(known);
    } else {
        start();
    }
}

} // namespace kelmar
