// TScoreForm: the best-times window. Created once at start-up, after the main
// window has read the settings, and hidden until EnterHighScore or
// ShowScoreList shows it. Closing it only hides it. It is never modal: the
// player can go on playing while it is up.
#pragma once

#include "core/game.h"
#include "scores/high_score_table.h"

#include <QWidget>
#include <cstdint>
#include <functional>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace kelmar {

class TScoreForm : public QWidget {
    Q_OBJECT

public:
    // Local date and time as a day count (days since 30 Dec 1899, fraction =
    // time of day). Injected so tests can fix the date of a new entry.
    using DayClock = std::function<double()>;

    // `table` and `settings` belong to the caller and must outlive the window
    // (in the program both live for the whole run). The settings must already
    // hold the stored PlayerName: it becomes the name field's text. With a
    // parent the window stays a separate top-level window above it. An empty
    // `now` means the system's local clock.
    TScoreForm(HighScoreTable& table, GameSettings& settings, QWidget* parent = nullptr,
               DayClock now = {});

    // A fresh win after `timeMs` milliseconds. When the time beats row 10 it
    // enters the table at once (dated now, named with the first 20 characters
    // of PlayerName) and the window shows in entry mode with the new row
    // selected and the focus in the name field. Otherwise nothing happens; an
    // entry still being named is then no longer changed by the name field.
    void EnterHighScore(int32_t timeMs);

    // The window shows and fills `table` from now on (the table of the
    // layout just won, or of the current one), with the layout's name in
    // its title. A name still being taken for the old table ends.
    void UseTable(HighScoreTable& table, const QString& layoutName);

    // Shows the list only: no name field, no row selected, focus on OK.
    void ShowScoreList();

    // Rewrites name, time and date cells of grid rows 1..10 from the table.
    void FillScoreGrid();
    // Selects columns 0..3 of grid row `row` (1..10); -1 (or any other value)
    // leaves no row selected.
    void SelectScoreRow(int row);

    // True while the window takes a name for a new entry.
    bool EntryMode() const { return entryMode_; }

    // The window's controls, named as in the window layout. Owned by the
    // window; public so the program and tests can inspect them.
    QPushButton* OKbtn = nullptr;
    QTableWidget* ScoreBox = nullptr;
    QFrame* ScoreInpPanel = nullptr;
    QLabel* LDummy = nullptr;
    QLabel* LGrat = nullptr;
    QLabel* LPrompt = nullptr;
    QLineEdit* InpName = nullptr;

Q_SIGNALS:
    // OK (or Enter, Return) ended the taking of a name for a new entry: the
    // table holds the name the player confirmed.
    void nameConfirmed();

protected:
    // Enter and Return press OK from anywhere in the window, the name field
    // included (a plain QWidget has no default-button handling of its own).
    void keyPressEvent(QKeyEvent* event) override;

private Q_SLOTS:
    void OKbtnClick();
    void InpNameChange(const QString& text);

private:
    void FormCreate();
    void createControls();
    void createGrid();
    void createInputPanel();
    void setEntryControlsVisible(bool entry);
    void finishForShowing();
    void showWindow();

    HighScoreTable* table_;
    GameSettings& settings_;
    DayClock now_;
    bool entryMode_ = false;
    bool placed_ = false; // centred on the screen before the first showing
};

} // namespace kelmar
