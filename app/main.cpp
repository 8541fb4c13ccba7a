// Program entry: the application, the main window (whose creation runs the
// start-up), then the hidden score window, then the event loop.
#include "app/close_requests.h"
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

} // namespace

int main(int argc, char* argv[]) {
    // On an X server Qt sends the window's pixels through shared memory, and
    // before painting again over pixels sent that way it waits for the
    // server to have read them: a round trip that wakes two of our threads
    // every time the clock's text changes. Through the socket nothing waits,
    // and a second of a running game wakes the program once; the board asks
    // for paints only where it changed (TField::present), so moves send
    // little either way. Qt reads the variable when it connects; a value the
    // user set is kept, ours is removed again so that programs we start (the
    // browser) do not inherit it.
    const char* const noSharedPixels = "QT_XCB_NO_MITSHM";
    const bool ownSetting = !qEnvironmentVariableIsSet(noSharedPixels);
    if (ownSetting) {
        qputenv(noSharedPixels, "1");
    }
    QApplication app(argc, argv);
    if (ownSetting) {
        qunsetenv(noSharedPixels);
    }
    QApplication::setApplicationName(QStringLiteral("Kelmar"));
    QApplication::setDesktopFileName(QStringLiteral("kelmar"));
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QTranslator qtTexts;
    loadGermanQtTexts(app, qtTexts);

    kelmar::SteadyTickSource ticks;
    kelmar::MessageBoxSink messages;
    kelmar::DialogFileRequester files;
    kelmar::MainFormServices services{.ticks = &ticks,
                                      .messages = &messages,
                                      .files = &files,
                                      .openHelp = kelmar::DesktopHelpOpener()};

    kelmar::TMainForm form(services);
    kelmar::TScoreForm scoreForm(form.scores(), form.game().settings, &form);
    form.setScoreForm(&scoreForm);

    kelmar::QuitSignals quitSignals;
    kelmar::StandardErrorSink signalMessages;
    kelmar::ConnectCloseRequests(app, form, quitSignals, signalMessages);

    form.show();
    return QApplication::exec();
}
