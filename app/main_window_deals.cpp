// Deals with a number and a difficulty: a fresh number for every new game,
// a number the player types, the game of the day, the difficulty chosen in
// the options, and the number and grade in the status bar.
#include "app/main_view.h"
#include "app/main_window.h"
#include "app/status_panels.h"
#include "core/numbered_deal.h"
#include "core/rules.h"
#include "core/tick_source.h"

#include <QAction>
#include <QActionGroup>
#include <QDate>
#include <QMenu>

namespace kelmar {

// Ctrl+N is the new game; the numbered game and the game of the day have
// no shortcut of their own.
void TMainForm::createDealMenu(QMenu* game) {
    game->addSeparator();
    MDealNumber = game->addAction(QStringLiteral("Spiel &Nummer ..."));
    connect(MDealNumber, &QAction::triggered, this, &TMainForm::MDealNumberClick);
    MDayGame = game->addAction(QStringLiteral("Spiel des &Tages"));
    connect(MDayGame, &QAction::triggered, this, &TMainForm::MDayGameClick);
}

void TMainForm::createDifficultyMenu(QMenu* options) {
    QMenu* menu = options->addMenu(QStringLiteral("&Schwierigkeit"));
    MDifficulty = new QActionGroup(this);
    MDifficulty->setExclusive(true);
    // In the order the player reads them; "&Beliebig" (any deal) last.
    const struct {
        const char* caption;
        Grade grade;
    } items[] = {{"&Leicht", Grade::Easy},
                 {"&Mittel", Grade::Medium},
                 {"&Schwer", Grade::Hard},
                 {"&Beliebig", Grade::Any}};
    for (const auto& item : items) {
        QAction* action = menu->addAction(QString::fromUtf8(item.caption));
        action->setCheckable(true);
        const Grade grade = item.grade;
        connect(action, &QAction::triggered, this, [this, grade] { chooseDifficulty(grade); });
        MDifficulty->addAction(action);
        MDifficultyItems[static_cast<std::size_t>(grade)] = action;
    }
    MDifficultyItems[0]->setChecked(true);
}

// Like "Unlösbare Spiele verhindern": the current game goes on, the choice
// acts at the next deal.
void TMainForm::chooseDifficulty(Grade grade) {
    handleAction([this, grade] {
        game_.settings.Difficulty = grade;
        MDifficultyItems[static_cast<std::size_t>(grade)]->setChecked(true);
    });
}

void TMainForm::dealNumbered(uint32_t number) {
    NewNumberedGame(game_, number, game_.settings.Difficulty);
    boardLayout_ = game_.layout;
    showLayoutName();
    boardReplaced();
    AnalyzeBoard(game_);
    view_->RenderBoard();
    showDeal();
}

void TMainForm::showDeal() {
    Status->setDealText(QString::fromStdString(DealLabel(game_.deal)));
}

// Like the new-game command: no guard, ends a pause.
void TMainForm::MDealNumberClick() {
    handleAction([this] {
        const auto ask = services_.askDealNumber ? services_.askDealNumber : AskDealNumber;
        const std::optional<uint32_t> number = ask(this, game_.deal.Number);
        if (number && !shutDownDone_) {
            // The game starts now, not when the dialog opened, also when
            // the caller delivers the timer events itself.
            catchUpClock();
            game_.clock.CurrentTick = services_.ticks->now();
            dealNumbered(*number);
        }
    });
}

void TMainForm::MDayGameClick() {
    handleAction([this] {
        std::array<int, 3> date{};
        if (services_.today) {
            date = services_.today();
        } else {
            const QDate today = QDate::currentDate();
            date = {today.year(), today.month(), today.day()};
        }
        dealNumbered(DealNumberOfDay(date[0], date[1], date[2]));
    });
}

} // namespace kelmar
