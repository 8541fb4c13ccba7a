#include "app/message_sink.h"

#include <QMessageBox>

namespace kelmar {

void MessageBoxSink::showError(QWidget* owner, const QString& text) {
    QMessageBox::critical(owner, QStringLiteral("Kelmar"), text);
}

void MessageBoxSink::showWarning(QWidget* owner, const QString& caption, const QString& text) {
    QMessageBox::warning(owner, caption, text);
}

} // namespace kelmar
