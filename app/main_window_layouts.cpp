// The layouts of the main window: reading them at start, the chooser, the
// layout of a loaded board and the best-times table a win enters.
#include "app/error_guard.h"
#include "app/layout_dialog.h"
#include "app/main_view.h"
#include "app/main_window.h"
#include "app/message_sink.h"
#include "core/builtin_layouts.h"
#include "core/deal.h"
#include "core/numbered_deal.h"
#include "core/rules.h"
#include "scores/score_form.h"
#include "scores/score_text.h"
#include "storage/layout_files.h"

namespace kelmar {

namespace {

// Width of a picture in the chooser, in pixels.
constexpr int kPreviewWidth = 192;

QString nameOf(const Layout* layout) {
    return layout != nullptr ? QString::fromStdString(layout->Name)
                             : QStringLiteral("unbekannte Aufstellung");
}

} // namespace

void TMainForm::readLayouts() {
    layouts_ = BuiltInLayouts();
    const std::string folder =
        services_.layoutFolder ? *services_.layoutFolder : PlayerLayoutFolder();
    PlayerLayouts own = ReadPlayerLayouts(folder, layouts_);
    for (Layout& l : own.layouts) {
        layouts_.push_back(std::move(l));
    }
    if (!own.messages.empty()) {
        services_.messages->showWarning(this, QStringLiteral("Kelmar"),
                                        QString::fromStdString(SkippedLayoutsText(own.messages)));
    }
    // A name no layout of this run has reads as the pyramid.
    const Layout* chosen = FindLayout(layouts_, game_.settings.LayoutName);
    game_.layout = chosen != nullptr ? chosen : &layouts_.front();
    game_.settings.LayoutName = game_.layout->ShortName;
}

void TMainForm::MLayoutClick() {
    chooseLayoutCommand();
}

void TMainForm::chooseLayoutCommand() {
    handleAction([this] {
        std::vector<LayoutChoice> choices;
        for (const Layout& l : layouts_) {
            const HighScoreTable* table = &l == &layouts_.front()
                                              ? &scores_
                                              : FindLayoutScoreTable(layoutScores_, l.ShortName);
            const int32_t best = table != nullptr ? PlayerBestTime(*table) : -1;
            choices.push_back(
                {QString::fromStdString(l.Name), l.LayerCount(),
                 best >= 0 ? QString::fromStdString(FormatScoreTime(best)) : QStringLiteral("–"),
                 LayoutPreview(l, view_->graphics(), kPreviewWidth), TypicalGradeWord(l)});
        }
        const int current = static_cast<int>(game_.layout - layouts_.data());
        const std::optional<int> chosen = services_.askLayout
                                              ? services_.askLayout(this, choices, current)
                                              : AskLayout(this, choices, current);
        if (!chosen || *chosen < 0 || *chosen >= static_cast<int>(layouts_.size()) ||
            shutDownDone_) {
            return;
        }
        dealOn(layouts_[static_cast<std::size_t>(*chosen)]);
    });
}

// Like the new-game command, on `layout` from now on.
void TMainForm::dealOn(const Layout& layout) {
    game_.layout = &layout;
    game_.settings.LayoutName = layout.ShortName;
    dealNumbered(DrawDealNumber(game_.NumberSeed));
}

void TMainForm::takeLayoutOfLoadedBoard() {
    boardLayout_ = LayoutOfBoard(layouts_, game_.board);
    if (boardLayout_ != nullptr) {
        game_.layout = boardLayout_;
        game_.settings.LayoutName = boardLayout_->ShortName;
    }
    showLayoutName();
}

void TMainForm::showLayoutName() {
    setWindowTitle(QStringLiteral("Kelmar – ") + nameOf(boardLayout_));
}

HighScoreTable* TMainForm::scoreTableFor(int32_t timeMs) {
    if (boardLayout_ == nullptr) {
        return nullptr;
    }
    if (boardLayout_ == &layouts_.front()) {
        return &scores_;
    }
    if (FindLayoutScoreTable(layoutScores_, boardLayout_->ShortName) == nullptr) {
        // A table is only made (and written) for a time that enters it.
        HighScoreTable fresh;
        if (FindRank(fresh, timeMs) == 0) {
            return nullptr;
        }
    }
    return &LayoutScoreTableFor(layoutScores_, boardLayout_->ShortName);
}

HighScoreTable* TMainForm::shownScoreTable() {
    const Layout* layout = boardLayout_ != nullptr ? boardLayout_ : game_.layout;
    if (layout == &layouts_.front()) {
        return &scores_;
    }
    if (FindLayoutScoreTable(layoutScores_, layout->ShortName) == nullptr) {
        initialRows_ = HighScoreTable();
        return &initialRows_;
    }
    return &LayoutScoreTableFor(layoutScores_, layout->ShortName);
}

void TMainForm::enterHighScore(int32_t timeMs) {
    HighScoreTable* table = scoreTableFor(timeMs);
    if (table == nullptr || scoreForm_ == nullptr) {
        return;
    }
    scoreForm_->UseTable(*table, nameOf(boardLayout_));
    scoreForm_->EnterHighScore(timeMs);
    if (table->NewEntryRow != 0) {
        // Written at once, so that a crash or a power cut before the close
        // does not lose it; the name is written when it is confirmed.
        writeSettings(*services_.messages);
    }
}

} // namespace kelmar
