#include "app/help.h"

#include "app/message_sink.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>

namespace kelmar {

HelpOpener DesktopHelpOpener() {
    return [](const QUrl& url) { return QDesktopServices::openUrl(url); };
}

QUrl HelpPageUrl() {
    return QUrl::fromLocalFile(QDir::current().absoluteFilePath(QStringLiteral("Kelmar.htm")));
}

void ShowHelp(const HelpOpener& open, MessageSink& sink, QWidget* owner) {
    const QUrl url = HelpPageUrl();
    // On Linux the desktop launcher reports success before the viewer has
    // looked at the file, so a missing page is caught here.
    const bool opened = QFileInfo::exists(url.toLocalFile()) && open && open(url);
    if (!opened) {
        sink.showWarning(owner, QStringLiteral("Kelmar-Fehler"),
                         QStringLiteral("Kann Hilfe nicht aufrufen"));
    }
}

} // namespace kelmar
