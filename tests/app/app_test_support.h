// Shared fixture of the window tests: a temporary working directory with the
// game files, a main window with an injected counter, recorded message boxes,
// scripted file dialogs and a recorded help opener.
#pragma once

#include "app/file_requester.h"
#include "app/main_window.h"
#include "app/message_sink.h"
#include "core/tick_source.h"

#include <QDir>
#include <QImage>
#include <QString>
#include <QTemporaryDir>
#include <QUrl>
#include <array>
#include <gtest/gtest.h>
#include <optional>
#include <utility>
#include <vector>

namespace kelmar::testing {

struct RecordedMessage {
    bool error; // false: warning
    QString caption;
    QString text;
};

class RecordingSink final : public MessageSink {
public:
    void showError(QWidget*, const QString& text) override {
        messages.push_back({true, QStringLiteral("Kelmar"), text});
    }
    void showWarning(QWidget*, const QString& caption, const QString& text) override {
        messages.push_back({false, caption, text});
    }
    std::vector<RecordedMessage> messages;
};

// Answers each dialog with the next scripted answer (nullopt = cancel) and
// records the presets it was shown with.
class ScriptedFiles final : public FileRequester {
public:
    std::optional<QString> askOpen(QWidget*, const QString& preset) override {
        presets.push_back(preset);
        return answer;
    }
    std::optional<QString> askSave(QWidget*, const QString& preset) override {
        presets.push_back(preset);
        return answer;
    }
    std::optional<QString> answer;
    std::vector<QString> presets;
};

// Rearranges the kinds of the dealt board so that a known order of pairs
// clears it: pairs are drawn from the tiles that are free by position alone
// (highest layer first), and each drawn pair gets a matching pair of kinds.
// Returns that order; the board keeps its positions.
std::vector<std::pair<int32_t, int32_t>> arrangeWinnableDeal(Game& game);
// Waits (processing events, not sleeping) until a hint press has its pair:
// with "Hinweis hält das Spiel lösbar" on it comes from a worker thread.
void WaitForHint(TMainForm& form);

// Copies the game files from the build's game folder into `folder`.
void ProvideGameFiles(const QString& folder);

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates the window (runs the start-up) with the timer stopped, so time
    // moves only through tick().
    void createWindow();
    // Raises SIGTERM with the quit signals connected to the window as the
    // program connects them, and waits until the window has closed; what the
    // close would write to standard error goes to `standardError`.
    void closeByTerminationSignal(RecordingSink& standardError);
    // One timer event `ms` counter milliseconds after the previous one.
    void tick(uint32_t ms);
    // Leaves the start screen by a release on the board.
    void startPlaying();

    Game& game() { return form->game(); }
    // Centre of a tile's face in Field coordinates.
    static QPoint centreOf(const Board& board, int32_t slot);
    // Two free tiles that match, or {0, 0}.
    std::pair<int32_t, int32_t> freeMatchingPair();
    // Takes a pair with two clicks through the mouse handlers.
    void clickPair(int32_t a, int32_t b);
    void click(int32_t slot);

    // Replaces the running game's board by five tiles, a row at y=0 of kinds
    // 3 1 1 2 and a single kind-3 tile below, and analyses it without drawing:
    // once the pair (1, 5) is taken no move is left.
    void buildStuckAfterOneMoveBoard();
    // Takes that pair by clicks and checks that the game is stuck, not won.
    void takePairThatLeavesNoMove();

    QImage shownPicture() const;
    QString panel(int index) const;

    QTemporaryDir folder;
    QString previousCurrent;
    ManualTickSource ticks{1000};
    RecordingSink sink;
    ScriptedFiles files;
    std::vector<QUrl> helpCalls;
    bool helpResult = true;
    // The solver of the solvability check (set before createWindow; empty:
    // the real one) and the scripted stuck dialog.
    SolveFunction solve;
    StuckChoice stuckChoice = StuckChoice::Close;
    // The scripted layout chooser: what it was shown and what it answers.
    std::vector<LayoutChoice> layoutChoices;
    int layoutCurrent = -1;
    std::optional<int> layoutAnswer;
    int stuckDialogs = 0;
    // The scripted number dialog: its answer (nullopt = cancel), the presets
    // it was shown with, and counter milliseconds it stays open.
    std::optional<uint32_t> typedNumber;
    std::vector<uint32_t> numberPresets;
    uint32_t numberDialogMs = 0;
    std::array<int, 3> today{2026, 12, 7};
    // The work area the size menu measures against: room for every level.
    QRect workArea{0, 0, 3840, 2160};
    // The scripted looks chooser and colour dialog: what the chooser was
    // shown last and what they answer.
    std::vector<LookEntry> lookEntries;
    QString lookTitle;
    int lookCurrent = -1;
    std::optional<int> lookAnswer;
    std::optional<QRgb> colourAnswer;
    std::unique_ptr<TMainForm> form;
};

} // namespace kelmar::testing
