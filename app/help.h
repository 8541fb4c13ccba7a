// The help page "Kelmar.htm" of the working directory, shown in the game's
// own window: help works on a machine without a browser, links inside the
// page work there, and the desktop's browser stays a choice.
#pragma once

#include <QDialog>
#include <QUrl>
#include <functional>

class QPushButton;
class QTextBrowser;

namespace kelmar {

class MessageSink;

// Asks the desktop to open a URL; false when it could not. Injectable so
// tests need no desktop.
using HelpOpener = std::function<bool(const QUrl&)>;

// QDesktopServices::openUrl.
HelpOpener DesktopHelpOpener();

// file:// URL of the absolute path of "Kelmar.htm" in the working directory.
QUrl HelpPageUrl();

enum class HelpPageResult { Shown, Missing, Refused };

// The help window `THelpForm`: the page in a text browser, the buttons
// "Im &Browser öffnen" and "&Schließen". Not modal; Esc closes it.
class THelpForm final : public QDialog {
    Q_OBJECT
public:
    // `sink` must outlive the window.
    THelpForm(HelpOpener open, MessageSink& sink, QWidget* parent);

    // Reads the page afresh (never blocking: a pipe under its name is
    // refused) and shows it from the top. Missing, with the window
    // unchanged, when the page is missing or cannot be read; Refused, also
    // with the window unchanged, when it is larger, nested deeper or gives
    // larger lengths than HelpPageFits allows (help_page.h). What the page names (pictures,
    // style sheets) is loaded only from regular files inside the game's
    // folder, up to 4 MiB each; pictures only as PNG or BMP.
    HelpPageResult LoadPage();

    QTextBrowser* Browser = nullptr;
    QPushButton* BBrowser = nullptr;
    QPushButton* BClose = nullptr;

public Q_SLOTS:
    // Hands the page to the desktop's browser; when the desktop reports
    // failure, the warning "Kann Hilfe nicht aufrufen".
    void BBrowserClick();

private:
    // A link inside the page scrolls to its anchor; any other link goes to
    // the desktop.
    void followLink(const QUrl& link);

    HelpOpener open_;
    MessageSink& sink_;
};

// The help command: shows `form` (created on first use as a window of
// `owner`) with the page read afresh, raised and active. A page that cannot
// be read shows the warning "Kann Hilfe nicht aufrufen" (caption
// "Kelmar-Fehler") instead; nothing else changes. A page the window refuses
// to lay out shows the same warning, and the window then opens without it,
// so that "Im Browser öffnen" can hand it to the desktop.
void ShowHelp(THelpForm*& form, const HelpOpener& open, MessageSink& sink, QWidget* owner);

} // namespace kelmar
