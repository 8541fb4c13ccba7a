// TMainForm, the main window: tool bar, menu, the board surface `Field` in its
// sunken frame, the two-panel status bar and the paced timer. A switchboard:
// every handler hands the command to the PlayController and turns the
// Effects it returns into calls of the renderer (through MainView), the
// workers, the dialogs and the score window.
#pragma once

#include "app/main_form_services.h"
#include "play/play_controller.h"

#include <QMainWindow>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class QFrame;
class QIcon;
class QTimer;

namespace kelmar {

class ClockPacer;
class BoardWorkers;
class TMainMenu;
class LookCommands;
class MainView;
class MessageSink;
class RecordWriter;
class ResumeKeeper;
class TField;
class TScoreForm;
class TStatusBar;
class WindowSizer;

class TMainForm final : public QMainWindow {
    Q_OBJECT
public:
    // Builds the window and runs FormCreate: the start-up sequence and the
    // start screen. An error on the way is shown and the window opens anyway.
    explicit TMainForm(MainFormServices services, QWidget* parent = nullptr);
    ~TMainForm() override;

    // The score window, created after this one; EnterHighScore and the best
    // times command reach it from then on. A best time it enters is written
    // to the settings file at once, its name when confirmed, both again at
    // close.
    void setScoreForm(TScoreForm* form);

    // The game's flow: the game, its layouts, best times and settings.
    PlayController& play() { return play_; }
    Game& game() { return play_.game(); }
    // The pyramid's best times (the table of [Highscores]).
    HighScoreTable& scores() { return play_.scores().pyramid(); }
    bool ShutDownDone() const { return shutDownDone_; }

    // Once-only shutdown: settings written (an error is shown and the
    // shutdown goes on), timer stopped, the four bitmaps freed.
    void ShutDownGame();
    // Where the shutdown reports a failed settings write from now on (a
    // close by a signal: nobody may be there to answer a message box); null
    // for the window's own message boxes.
    void setShutdownMessages(MessageSink* sink) { shutdownMessages_ = sink; }

    // The commands, named after their tool button (B) and menu item (M). A
    // button and its menu item do the same.
public Q_SLOTS:
    void BNewClick() { run(&PlayController::newGame); }
    void MNewClick() { run(&PlayController::newGame); }
    void BLoadClick() { quickLoadCommand(); }
    void MLoadClick();
    void BSaveClick() { saveCommand(); }
    void MSaveClick() { saveCommand(); }
    void MSaveAsClick();
    void MExitClick();
    void BUndoClick() { run(&PlayController::undo); }
    void MUndoClick() { run(&PlayController::undo); }
    void BRedoClick() { run(&PlayController::redo); }
    void MRedoClick() { run(&PlayController::redo); }
    void BHintClick() { run(&PlayController::hint); }
    void MHintClick() { run(&PlayController::hint); }
    void BPauseClick() { run(&PlayController::pause); }
    void MPauseClick() { run(&PlayController::pause); }
    void MNoUnsolveableGamesClick() { toggleOption("AvoidUnsolveableGames"); }
    void MSafeHintClick() { toggleOption("SafeHint"); }
    void MFDeviceClick() { chooseFormat(PixelFormatSetting::Device); }
    void MF32Click() { chooseFormat(PixelFormatSetting::Bits32); }
    void MF24Click() { chooseFormat(PixelFormatSetting::Bits24); }
    void MF16Click() { chooseFormat(PixelFormatSetting::Bits16); }
    void MF15Click() { chooseFormat(PixelFormatSetting::Bits15); }
    void MF8Click() { chooseFormat(PixelFormatSetting::Bits8); }
    void MF4Click() { chooseFormat(PixelFormatSetting::Bits4); }
    void MShowSpeedClick() { toggleOption("ShowRenderSpeed"); }
    void MForceRepaintClick() { toggleOption("ForceRepaint"); }
    void MResumeGameClick() { toggleOption("ResumeGame"); }
    void MZoomInClick();
    void MZoomOutClick();
    void MFullScreenClick();
    void BHelpClick() { helpCommand(); }
    void MHelpStartClick() { helpCommand(); }
    void MScoreClick();
    void MAboutClick() { run(&PlayController::about); }
    void TimerObjectTimer();
    void MCheckSolvableClick();
    void MBackToSolvableClick();
    void MSameGameClick() { run(&PlayController::sameGame); }
    void MLayoutClick();
    void MDealNumberClick();
    void MDayGameClick();
    void MShuffleClick() { run(&PlayController::shuffle); }
    void MDemoClick() { run(&PlayController::demo); }
    void MStatisticsClick();
    void MTileSetClick();
    void MBackgroundClick();

Q_SIGNALS:
    // The window has closed after the shutdown; the program ends.
    void closed();

public:
    // Mouse events of `Field` in Field coordinates (any button).
    void FieldMouseDown(Qt::MouseButton button, int x, int y);
    void FieldMouseUp(Qt::MouseButton button, int x, int y);

protected:
    void closeEvent(QCloseEvent* event) override; // FormCloseQuery

private:
    // Controls and their geometry (main_window_widgets.cpp).
    friend struct TMainFormInside;
    void createControls();
    void layoutClient(int width, int height);

    // Start-up and shutdown (main_window.cpp).
    void FormCreate();
    void InitializeGame();
    void setCheckMarks();
    void FormCloseQuery(QCloseEvent* event);

    // Every command runs through handle(): the clock caught up, the command,
    // the timer paced, the kept game written, the stuck dialog offered
    // (main_window_commands.cpp). apply() carries a command's Effects out.
    template <typename Fn> void handle(Fn&& fn);
    void command(const std::function<Effects()>& fn);
    // A command that is one call of the controller.
    void run(Effects (PlayController::*call)()) {
        command([this, call] { return (play_.*call)(); });
    }
    void apply(const Effects& effects);
    void quickLoadCommand();
    void saveCommand();
    void helpCommand();
    void chooseFormat(PixelFormatSetting format);
    void toggleOption(const char* key);
    void chooseDifficulty(Grade grade);
    void loadFrom(const QString& fileName);
    void saveTo(const QString& fileName);
    void showDeal();
    void showTime();
    void offerWayOut();

    // The workers that judge positions off this thread, and the layouts
    // (main_window_workers.cpp).
    void createWorkers();
    void createRecordWriter();
    void readLayouts();
    // Shows a German warning unless `text` is empty.
    void warn(const std::string& text);
    void enterHighScore(int32_t timeMs);
    // Merges the options and best times into the settings file now;
    // failures and a lock warning go to `messages`.
    void writeSettings(MessageSink& messages);

    // The clock caught up with the counter before a command (ClockPacer).
    void catchUpClock();

    // Controls, named as in the window layout; every menu item and tool
    // button carries its name (BNew, MNew, ...) as object name.
    QWidget* Client = nullptr; // the client area below the menu bar
    QWidget* ToolBar = nullptr;
    QFrame* Bevel1 = nullptr;
    TField* Field = nullptr;
    TStatusBar* Status = nullptr;
    QTimer* TimerObject = nullptr;
    std::unique_ptr<TMainMenu> menu_; // tool bar buttons and menu bar

    PlayController play_;
    Game& game_; // play_'s
    MainFormServices services_;
    std::unique_ptr<MainView> view_;
    std::unique_ptr<WindowSizer> sizer_; // the window's and the board's size (window_sizer.h)
    std::unique_ptr<LookCommands> looks_;
    std::unique_ptr<ClockPacer> pacer_;
    std::unique_ptr<std::array<QIcon, 20>> symbols_;
    TScoreForm* scoreForm_ = nullptr;
    THelpForm* helpForm_ = nullptr; // created by the first help command
    MessageSink* shutdownMessages_ = nullptr;
    bool shutDownDone_ = false;
    // The game kept for the next start (resume_keeper.h).
    std::unique_ptr<ResumeKeeper> resume_;
    bool continuing_ = false; // the start continued the kept game
    // The records of ended games (record_writer.h).
    std::unique_ptr<RecordWriter> records_;
    // Last: they refer to the game and wait for their workers when destroyed.
    std::unique_ptr<BoardWorkers> workers_;
};

} // namespace kelmar
