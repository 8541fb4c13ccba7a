#include "app/status_panels.h"

#include <QLabel>
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
}

void TStatusBar::setGeometry(int left, int top, int width, int height) {
    QWidget::setGeometry(left, top, width, height);
    // 500 px for panel 0 as long as the time keeps room beside it.
    const int first = std::max(0, std::min(kPanel0Width, width - kTimePanelRoom));
    panels_[0]->setGeometry(0, 0, first, height);
    panels_[1]->setGeometry(first, 0, width - first, height);
}

void TStatusBar::setPanelText(int panel, const QString& text) {
    panels_.at(static_cast<std::size_t>(panel))->setText(text);
}

QString TStatusBar::panelText(int panel) const {
    return panels_.at(static_cast<std::size_t>(panel))->text();
}

} // namespace kelmar
