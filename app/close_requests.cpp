#include "app/close_requests.h"

#include "app/main_window.h"
#include "app/quit_signals.h"

#include <QApplication>
#include <QSessionManager>

namespace kelmar {

void CloseFromOutside(TMainForm& form) {
    // A modal dialog runs its own event loop; closing it lets its command
    // return (and see ShutDownDone) before the program ends.
    while (QWidget* modal = QApplication::activeModalWidget()) {
        if (!modal->close()) {
            break;
        }
    }
    form.close();
}

void ConnectCloseRequests(QApplication& app, TMainForm& form, QuitSignals& signals,
                          MessageSink& signalMessages) {
    QObject::connect(&signals, &QuitSignals::quitRequested, &form, [&form, &signalMessages](int) {
        form.setShutdownMessages(&signalMessages);
        CloseFromOutside(form);
    });
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &form,
                     [&form](QSessionManager&) { CloseFromOutside(form); });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &form, [&form] { form.ShutDownGame(); });
    QObject::connect(&form, &TMainForm::closed, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
}

} // namespace kelmar
