// The one guard every window event handler runs through: an error that
// escapes the handler ends that handler, is shown in the error box and the
// program goes on. Nothing else catches the errors of the file and picture
// layers.
#pragma once

#include "app/message_sink.h"

#include <QString>
#include <exception>

namespace kelmar {

// Runs fn(); a std::exception is shown with its what() (UTF-8) as the text.
// Returns false when fn did not complete. Never throws: Qt event handlers must
// not let exceptions through.
template <typename Fn> bool guarded(MessageSink& sink, QWidget* owner, Fn&& fn) noexcept {
    try {
        fn();
        return true;
    } catch (const std::exception& error) {
        try {
            sink.showError(owner, QString::fromUtf8(error.what()));
        } catch (...) {
            // Showing the box failed too (out of memory); the program goes on.
        }
    } catch (...) {
        try {
            sink.showError(owner, QStringLiteral("Unbekannter Fehler"));
        } catch (...) {
        }
    }
    return false;
}

} // namespace kelmar
