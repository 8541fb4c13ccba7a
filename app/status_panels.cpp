#include "app/status_panels.h"

#include <QLabel>

namespace kelmar {

namespace {
constexpr int kPanel0Width = 500;
}

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
    panels_[0]->setGeometry(0, 0, kPanel0Width, height);
    panels_[1]->setGeometry(kPanel0Width, 0, width - kPanel0Width, height);
}

void TStatusBar::setPanelText(int panel, const QString& text) {
    panels_.at(static_cast<std::size_t>(panel))->setText(text);
}

QString TStatusBar::panelText(int panel) const {
    return panels_.at(static_cast<std::size_t>(panel))->text();
}

} // namespace kelmar
