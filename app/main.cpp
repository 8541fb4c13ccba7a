// Program entry: the application, the main window (whose creation runs the
// start-up), then the hidden score window, then the event loop.
#include "app/file_requester.h"
#include "app/help.h"
#include "app/main_window.h"
#include "app/message_sink.h"
#include "app/quit_signals.h"
#include "core/tick_source.h"
#include "scores/score_form.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QSessionManager>
#include <QTranslator>

namespace {

// Qt's own dialogs and buttons ("Abbrechen", "Öffnen") in German, whatever
// the desktop's language: every text of the program is German.
void loadGermanQtTexts(QApplication& app, QTranslator& translator) {
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (translator.load(QStringLiteral("qtbase_de"), folder)) {
        app.installTranslator(&translator);
    }
}

// A close request from outside: end any modal dialog first, then close the
// main window through its normal path (which writes the settings once).
void closeFromOutside(kelmar::TMainForm& form) {
    while (QWidget* modal = QApplication::activeModalWidget()) {
        if (!modal->close()) {
            break;
        }
    }
    form.close();
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kelmar"));
    QApplication::setApplicationDisplayName(QStringLiteral("Kelmar"));
    QApplication::setDesktopFileName(QStringLiteral("kelmar"));
    QTranslator qtTexts;
    loadGermanQtTexts(app, qtTexts);

    kelmar::SteadyTickSource ticks;
    kelmar::MessageBoxSink messages;
    kelmar::DialogFileRequester files;
    kelmar::MainFormServices services{&ticks, &messages, &files, kelmar::DesktopHelpOpener(), {}};

    kelmar::TMainForm form(services);
    kelmar::TScoreForm scoreForm(form.scores(), form.game().settings, &form);
    form.setScoreForm(&scoreForm);

    kelmar::QuitSignals quitSignals;
    QObject::connect(&quitSignals, &kelmar::QuitSignals::quitRequested, &form,
                     [&form](int) { closeFromOutside(form); });
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &form,
                     [&form](QSessionManager&) { closeFromOutside(form); });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &form, [&form] { form.ShutDownGame(); });
    QObject::connect(&form, &kelmar::TMainForm::closed, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);

    form.show();
    return QApplication::exec();
}
