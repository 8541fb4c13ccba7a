// `Status`, the two-panel status bar under the board: panel 0 (500 px) shows
// the move count or the outcome, panel 1 the rest of the bar the game time.
// The number and grade of the deal stand at the right end of panel 0,
// wherever its own text leaves room for them.
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

    // The deal's number and grade ("Spiel 482913 · mittel"); empty for none.
    void setDealText(const QString& text);
    QString dealText() const;
    // False while panel 0's own text needs the room.
    bool dealTextShown() const;

    // A menu item's status tip, shown across both panels while the item is
    // highlighted (empty: the panels again). The window's status tips come
    // here by themselves.
    void showTip(const QString& tip);
    QString tip() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void placeDealText();
    std::array<QLabel*, 2> panels_{};
    QLabel* deal_ = nullptr;
    QLabel* tip_ = nullptr;
};

} // namespace kelmar
