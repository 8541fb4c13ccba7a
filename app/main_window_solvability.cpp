// Still winnable? The check and the way back, the same game anew, and the
// dialog that offers them when a game gets stuck.
#include "app/main_view.h"
#include "app/main_window.h"
#include "app/safe_hint_check.h"
#include "app/solvability_check.h"
#include "core/history.h"
#include "core/rules.h"

#include <QAction>
#include <QMenu>

namespace kelmar {

void TMainForm::createSolvability() {
    solvability_ = std::make_unique<SolvabilityCheck>(
        game_, services_.solve, [this](const SolvabilityAnswer& answer, SolvabilityAction action) {
            solvabilityAnswered(answer, action);
        });
}

// Ctrl+T ("testen") and Ctrl+B ("zurück bis lösbar") are free; the restart
// has no shortcut, as it throws the game's progress away.
void TMainForm::createSolvabilityMenu(QMenu* game) {
    game->addSeparator();
    MCheckSolvable = game->addAction(QString::fromUtf8("&Lösbarkeit prüfen"));
    MCheckSolvable->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    connect(MCheckSolvable, &QAction::triggered, this, &TMainForm::MCheckSolvableClick);
    MBackToSolvable = game->addAction(QString::fromUtf8("&Zurück bis lösbar"));
    MBackToSolvable->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
    connect(MBackToSolvable, &QAction::triggered, this, &TMainForm::MBackToSolvableClick);
    MSameGame = game->addAction(QStringLiteral("&Gleiches Spiel neu"));
    connect(MSameGame, &QAction::triggered, this, &TMainForm::MSameGameClick);
}

void TMainForm::MCheckSolvableClick() {
    askSolvability(SolvabilityAction::Show);
}

void TMainForm::MBackToSolvableClick() {
    askSolvability(SolvabilityAction::GoBack);
}

void TMainForm::MSameGameClick() {
    sameGameCommand();
}

// The hint's guards: nothing behind the logo, pause or about screen, and
// nothing on a won board.
void TMainForm::askSolvability(SolvabilityAction action) {
    handleAction([this, action] {
        if (!game_.Running || game_.play.GameWon) {
            return;
        }
        if (!solvability_->ask(action)) {
            view_->setStatusNote(CheckingText());
        }
    });
}

// Called with an answer for the position on the board now, at once or when
// the worker is done.
void TMainForm::solvabilityAnswered(const SolvabilityAnswer& answer, SolvabilityAction action) {
    handleAction([this, &answer, action] {
        const bool goBack = action == SolvabilityAction::GoBack &&
                            answer.kind == Solvability::LostSince && game_.Running &&
                            !game_.play.GameWon;
        if (!goBack) {
            view_->setStatusNote(SolvabilityText(answer, game_.history.Position));
            chargeCheckOnce(answer);
            return;
        }
        // Exactly as the undo command, one move at a time, clock included.
        for (int32_t i = 0; i < answer.MovesBack; ++i) {
            UndoMove(game_);
        }
        view_->setStatusNote(SolvabilityText({Solvability::Winnable, 0}, game_.history.Position));
        solvability_->verdicts().markTold(PositionKey::Of(game_.board));
    });
}

// A decided answer costs the hint's 10 s once per position and clock run. An
// undecided one tells nothing and a stuck board, like the hint, costs
// nothing: its clock stands still and an undo would set it back anyway.
void TMainForm::chargeCheckOnce(const SolvabilityAnswer& answer) {
    if (answer.kind == Solvability::Undecided) {
        return;
    }
    const PositionKey position = PositionKey::Of(game_.board);
    VerdictCache& verdicts = solvability_->verdicts();
    if (!game_.play.NoMovesLeft && !verdicts.told(position)) {
        ChargeCheckPenalty(game_.clock);
    }
    verdicts.markTold(position);
}

// Like the new-game command: no guard, ends a pause.
void TMainForm::sameGameCommand() {
    handleAction([this] {
        RestartGame(game_);
        boardReplaced();
        AnalyzeBoard(game_);
        view_->RenderBoard();
    });
}

void TMainForm::boardReplaced() {
    solvability_->newRun();
    safeHint_->forget();
    view_->clearStatusNote();
}

bool TMainForm::stuck() const {
    return game_.Running && game_.play.NoMovesLeft && !game_.play.GameWon;
}

// After the handler that got the game stuck, its "VERLOREN!" already drawn.
void TMainForm::offerWayOut() {
    const StuckChoice choice = services_.askStuck ? services_.askStuck(this) : StuckChoice::Close;
    switch (choice) {
    case StuckChoice::BackToSolvable:
        MBackToSolvableClick();
        break;
    case StuckChoice::SameGame:
        MSameGameClick();
        break;
    case StuckChoice::NewGame:
        MNewClick();
        break;
    case StuckChoice::Close:
        break;
    }
}

} // namespace kelmar
