// Close requests from outside the window: SIGTERM, SIGINT, SIGHUP and the
// session manager at log-off. Each closes the main window through its normal
// close path, so the shutdown (and the settings write) runs exactly once.
#pragma once

class QApplication;

namespace kelmar {

class MessageSink;
class QuitSignals;
class TMainForm;

// Ends any open modal dialog (its command then sees the shutdown and stops),
// then closes `form`.
void CloseFromOutside(TMainForm& form);

// Wires the quit signals, the session manager's commit request and the
// application's last moments (aboutToQuit: shutdown if nothing closed the
// window) to `form`, and ends the program when the form has closed. A close
// by a signal reports a failed settings write to `signalMessages` (standard
// error in the program) instead of a message box nobody may answer.
void ConnectCloseRequests(QApplication& app, TMainForm& form, QuitSignals& signals,
                          MessageSink& signalMessages);

} // namespace kelmar
