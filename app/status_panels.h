// `Status`, the two-panel status bar under the board: panel 0 (500 px) shows
// the move count or the outcome, panel 1 the rest of the bar the game time.
#pragma once

#include <QString>
#include <QWidget>
#include <array>

class QLabel;

namespace kelmar {

class TStatusBar final : public QWidget {
    Q_OBJECT
public:
    explicit TStatusBar(QWidget* parent = nullptr);

    // Lays the panels out over the current width (panel 0 fixed at 500 px).
    void setGeometry(int left, int top, int width, int height);

    void setPanelText(int panel, const QString& text);
    QString panelText(int panel) const;

private:
    std::array<QLabel*, 2> panels_{};
};

} // namespace kelmar
