// Where the main window's message boxes go. Production shows QMessageBox;
// window tests record the messages instead of blocking on a modal box.
#pragma once

#include <QString>

class QWidget;

namespace kelmar {

class MessageSink {
public:
    virtual ~MessageSink() = default;
    // An error that escaped an event handler: critical icon, caption "Kelmar".
    virtual void showError(QWidget* owner, const QString& text) = 0;
    // A warning with its own caption (the help failure).
    virtual void showWarning(QWidget* owner, const QString& caption, const QString& text) = 0;
};

class MessageBoxSink final : public MessageSink {
public:
    void showError(QWidget* owner, const QString& text) override;
    void showWarning(QWidget* owner, const QString& caption, const QString& text) override;
};

// For a close that nobody watches (a signal): each message becomes one line
// "Kelmar: <text>" on standard error, and nothing waits for an answer.
class StandardErrorSink final : public MessageSink {
public:
    void showError(QWidget* owner, const QString& text) override;
    void showWarning(QWidget* owner, const QString& caption, const QString& text) override;
};

} // namespace kelmar
