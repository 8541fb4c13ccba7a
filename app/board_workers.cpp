#include "app/board_workers.h"

#include "app/demo_runner.h"
#include "app/safe_hint_check.h"
#include "app/solvability_check.h"

namespace kelmar {

BoardWorkers::BoardWorkers(PlayController& play, TickSource& ticks, SolveFunction solve,
                           QWidget& board, Hooks hooks)
    : hooks_(std::move(hooks)) {
    solvability_ = std::make_unique<SolvabilityCheck>(
        play.game(), play.verdicts(), ticks, solve,
        [this, &play](const SolvabilityAnswer& answer, SolvabilityAction action) {
            hooks_.command([&] { return play.checkAnswered(answer, action); });
        });
    safeHint_ = std::make_unique<SafeHintCheck>(
        play.game(), play.verdicts(), ticks, solve,
        [this, &play](const std::vector<SolverMove>& candidates,
                      const std::optional<HintJudgement>& judgement) {
            hooks_.command([&] { return play.hintJudged(candidates, judgement); });
        });
    demo_ = std::make_unique<DemoRunner>(
        play.game(), play.verdicts(), ticks, board,
        DemoRunner::Sinks{
            [this, &play](DemoVerdict verdict) {
                hooks_.command([&] { return play.demoPlanned(verdict); });
            },
            [this, &play](SolverMove step) { hooks_.command([&] { return play.demoStep(step); }); },
            [this] { hooks_.note({}); }});
}

BoardWorkers::~BoardWorkers() = default;

void BoardWorkers::ask(Ask ask) {
    switch (ask) {
    case Ask::Nothing:
        break;
    case Ask::SafeHint:
        safeHint_->ask();
        break;
    case Ask::Demo:
        demo_->start();
        break;
    case Ask::Check:
    case Ask::CheckGoBack:
        if (!solvability_->ask(ask == Ask::Check ? SolvabilityAction::Show
                                                 : SolvabilityAction::GoBack)) {
            hooks_.note(QString::fromStdString(CheckingText()));
        }
        break;
    }
}

void BoardWorkers::changed(const Effects& effects) {
    if (effects.newBoard || effects.screen != Screen::Keep) {
        demo_->stop();
    }
    if (effects.newBoard) {
        solvability_->newRun();
        safeHint_->forget();
    }
}

void BoardWorkers::forgetHint() {
    safeHint_->forget();
}

void BoardWorkers::cancel() {
    solvability_->cancel();
    safeHint_->cancel();
    demo_->stop();
}

} // namespace kelmar
