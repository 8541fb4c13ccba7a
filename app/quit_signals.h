// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal on the user-interface
// thread (self-pipe over a socket pair), so a log-off or a kill closes the
// main window through its normal close path and the settings are written.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace kelmar {

class QuitSignals final : public QObject {
    Q_OBJECT
public:
    // Installs the handlers; at most one instance exists at a time. If the
    // socket pair cannot be made the handlers are not installed and the
    // signals keep their default action.
    explicit QuitSignals(QObject* parent = nullptr);
    ~QuitSignals() override;

    bool installed() const { return notifier_ != nullptr; }

Q_SIGNALS:
    // Emitted on the event loop for every signal that arrived.
    void quitRequested(int signalNumber);

private:
    void readSignal();

    QSocketNotifier* notifier_ = nullptr;
};

} // namespace kelmar
