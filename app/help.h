// Opening the help page "Kelmar.htm" of the working directory in the
// desktop's default viewer.
#pragma once

#include <QUrl>
#include <functional>

class QWidget;

namespace kelmar {

class MessageSink;

// Asks the desktop to open a URL; false when it could not. Injectable so
// tests need no desktop.
using HelpOpener = std::function<bool(const QUrl&)>;

// QDesktopServices::openUrl.
HelpOpener DesktopHelpOpener();

// file:// URL of the absolute path of "Kelmar.htm" in the working directory.
QUrl HelpPageUrl();

// Opens the help page. A missing page, or the opener reporting failure, shows
// the warning "Kann Hilfe nicht aufrufen" with caption "Kelmar-Fehler";
// nothing else changes.
void ShowHelp(const HelpOpener& open, MessageSink& sink, QWidget* owner);

} // namespace kelmar
