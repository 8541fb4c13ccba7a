// The hint command and the option that makes it keep a winnable game
// winnable.
#include "app/main_view.h"
#include "app/main_window.h"
#include "app/safe_hint_check.h"
#include "app/solvability_check.h"
#include "core/rules.h"
#include "core/safe_hint.h"

#include <QAction>

namespace kelmar {

void TMainForm::createSafeHint() {
    safeHint_ =
        std::make_unique<SafeHintCheck>(game_, solvability_->verdicts(), services_.solve,
                                        [this](const std::vector<SolverMove>& candidates,
                                               const std::optional<HintJudgement>& judgement) {
                                            safeHintAnswered(candidates, judgement);
                                        });
}

// The second press takes the shown pair; with the option off, and on a
// stuck board, the hint is the plain one. Otherwise the pair is shown when
// the judgement is known: at once, or within kSafeHintWaitMs.
void TMainForm::hintCommand() {
    handleAction([this] {
        const PlayState& play = game_.play;
        if (!game_.Running || play.GameWon) {
            return;
        }
        if (!game_.settings.SafeHint || play.HintShowing || play.NoMovesLeft) {
            GiveHint(game_);
            return;
        }
        safeHint_->ask();
    });
}

// For the position on the board now (SafeHintCheck drops the others). A
// pause, a won or stuck board, or a hint shown meanwhile leaves it unused.
void TMainForm::safeHintAnswered(const std::vector<SolverMove>& candidates,
                                 const std::optional<HintJudgement>& judgement) {
    handleAction([&] {
        const PlayState& play = game_.play;
        if (!game_.Running || play.GameWon || play.NoMovesLeft || play.HintShowing) {
            return;
        }
        const HintShown shown = ChooseHintPair(game_.settings.SafeHint, candidates, judgement);
        ShowHintPair(game_, shown.pair.First, shown.pair.Second);
        if (shown.sayLost && play.HintShowing) {
            // The hint's price covers the answer: a check of this position
            // costs nothing more.
            view_->setStatusNote(LostHintText());
            solvability_->verdicts().markTold(PositionKey::Of(game_.board));
        }
    });
}

// Turning it off forgets a hint still waiting for its judgement; the next
// press gives the plain hint.
void TMainForm::MSafeHintClick() {
    handleAction([this] {
        bool& option = game_.settings.SafeHint;
        option = !option;
        MSafeHint->setChecked(option);
        safeHint_->forget();
    });
}

} // namespace kelmar
