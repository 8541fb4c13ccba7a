// The window's side of the hint that keeps the game winnable: judges the
// hint's pairs from the verdicts already known and otherwise on a worker
// thread (the pool the solvability check uses) with copies of the board
// and the known verdicts, so the window never waits. The answer is handed
// on only while the position asked about is still on the board in the same
// run; one that comes after the wait has ended, or for a position no
// longer there, is dropped (its verdicts are kept, they stay true).
#pragma once

#include "app/position_worker.h"
#include "core/safe_hint.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace kelmar {

class SafeHintCheck final : public QObject {
    Q_OBJECT
public:
    // The answer for the position asked about: the candidates in hint order
    // and the judgement, or nullopt when the wait ran out first.
    using AnswerSink = std::function<void(const std::vector<SolverMove>& candidates,
                                          const std::optional<HintJudgement>& judgement)>;

    // `game`, `known` and `ticks` must outlive this. `solve` empty means
    // SolvePosition (with its winning orders). The sink runs on the window's
    // thread, at once from ask() or later.
    SafeHintCheck(const Game& game, VerdictCache& known, TickSource& ticks, SolveFunction solve,
                  AnswerSink sink, QObject* parent = nullptr);
    // Stops a running worker and waits for it: it holds the solve function.
    ~SafeHintCheck() override;

    // Stops the solver of a running worker within a few search nodes (its
    // judgement then proves nothing); for the window's close, so that a
    // judgement in progress does not keep the ending process alive. Later
    // questions are not judged by the solver any more.
    void cancel();

    // About the analysed position on the board now, which must have a move.
    // True: answered at once; false: the worker judges it, and its answer
    // follows within kSafeHintWaitMs (the wait's end answers nullopt). The
    // same question again while it is open is ignored; a question about
    // another position replaces the open one.
    bool ask();

    // The wait for the worker is over: the open question is answered
    // without a judgement. Called by the wait's timer; tests call it
    // instead of waiting.
    void waitEnded();

    // Forgets the open question (the board was replaced, the option turned
    // off); a running worker still adds its verdicts.
    void forget();

    // How long an open question waits for the worker (kSafeHintWaitMs);
    // tests make it long and end it by waitEnded().
    void setWaitMs(int ms) { waitMs_ = ms; }

    bool waiting() const { return asked_.has_value(); }
    bool busy() const { return worker_.busy(); }

private:
    struct Question {
        uint64_t number = 0;
        PositionKey position;
        std::vector<SolverMove> candidates;
    };
    // A winning order of the position after the last pair judged safe: when
    // the player takes that pair, the next hint starts from it.
    struct KnownLine {
        PositionKey position;
        WinningLine line;
    };

    void start();
    const WinningLine& lineOf(const PositionKey& position) const;
    void learnLine(const HintJudgement& judgement);
    void answer(const std::optional<HintJudgement>& judgement);
    void judged(const HintJudgement& judgement);

    const Game& game_;
    VerdictCache& known_;
    PositionWorker worker_; // before solve_, which holds its stop signal
    HintSolveFunction solve_;
    AnswerSink sink_;
    std::optional<KnownLine> line_;
    uint64_t questions_ = 0;
    std::optional<Question> asked_; // open question, answered by worker or wait
    uint64_t workingOn_ = 0;        // number of the question the worker judges
    int waitMs_ = kSafeHintWaitMs;
    QTimer wait_;
};

} // namespace kelmar
