#include "app/status_panels.h"

#include <QFontMetrics>
#include <QLabel>
#include <QStatusTipEvent>
#include <algorithm>

namespace kelmar {

namespace {
constexpr int kPanel0Width = 500;
constexpr int kTimePanelRoom = 100; // "Zeit: 59:59" and more, in a narrow window
} // namespace

TStatusBar::TStatusBar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Status"));
    const std::array<QString, 2> initial = {QStringLiteral("mögliche Züge: "),
                                            QStringLiteral("Zeit: ")};
    for (std::size_t i = 0; i < panels_.size(); ++i) {
        auto* panel = new QLabel(initial[i], this);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setTextFormat(Qt::PlainText);
        panel->setIndent(2);
        panel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        panels_[i] = panel;
    }
    deal_ = new QLabel(panels_[0]);
    deal_->setTextFormat(Qt::PlainText);
    deal_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    tip_ = new QLabel(this);
    tip_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    tip_->setTextFormat(Qt::PlainText);
    tip_->setIndent(2);
    tip_->setAutoFillBackground(true);
    tip_->hide();
    // Status tips travel up to the window, which has no QStatusBar.
    if (parent != nullptr) {
        parent->window()->installEventFilter(this);
    }
}

void TStatusBar::showTip(const QString& tip) {
    tip_->setText(tip);
    tip_->setGeometry(rect());
    tip_->setHidden(tip.isEmpty());
    tip_->raise();
}

QString TStatusBar::tip() const {
    return tip_->isHidden() ? QString() : tip_->text();
}

bool TStatusBar::eventFilter(QObject*, QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        showTip(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return false;
}

void TStatusBar::setGeometry(int left, int top, int width, int height) {
    QWidget::setGeometry(left, top, width, height);
    // 500 px for panel 0 as long as the time keeps room beside it.
    const int first = std::max(0, std::min(kPanel0Width, width - kTimePanelRoom));
    panels_[0]->setGeometry(0, 0, first, height);
    panels_[1]->setGeometry(first, 0, width - first, height);
    tip_->setGeometry(0, 0, width, height);
    placeDealText();
}

void TStatusBar::setPanelText(int panel, const QString& text) {
    panels_.at(static_cast<std::size_t>(panel))->setText(text);
    if (panel == 0) {
        placeDealText();
    }
}

void TStatusBar::setDealText(const QString& text) {
    deal_->setText(text);
    placeDealText();
}

QString TStatusBar::dealText() const {
    return deal_->text();
}

bool TStatusBar::dealTextShown() const {
    return !deal_->isHidden();
}

// Right-aligned inside the frame of panel 0; hidden when it would run into
// the panel's own text (a long answer of the solvability check).
void TStatusBar::placeDealText() {
    const QRect inside = panels_[0]->contentsRect().adjusted(0, 0, -4, 0);
    deal_->setGeometry(inside);
    const QFontMetrics metrics(panels_[0]->font());
    const int own = metrics.horizontalAdvance(panels_[0]->text()) + panels_[0]->indent();
    const int needed = metrics.horizontalAdvance(deal_->text());
    const int gap = metrics.horizontalAdvance(QStringLiteral("    "));
    deal_->setHidden(deal_->text().isEmpty() || own + gap + needed > inside.width());
}

QString TStatusBar::panelText(int panel) const {
    return panels_.at(static_cast<std::size_t>(panel))->text();
}

} // namespace kelmar
