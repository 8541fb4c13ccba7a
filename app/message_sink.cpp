#include "app/message_sink.h"

#include <QMessageBox>
#include <cstdio>

namespace kelmar {

void MessageBoxSink::showError(QWidget* owner, const QString& text) {
    QMessageBox::critical(owner, QStringLiteral("Kelmar"), text);
}

void MessageBoxSink::showWarning(QWidget* owner, const QString& caption, const QString& text) {
    QMessageBox::warning(owner, caption, text);
}

void StandardErrorSink::showError(QWidget*, const QString& text) {
    QString line = text;
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    std::fprintf(stderr, "Kelmar: %s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
}

void StandardErrorSink::showWarning(QWidget* owner, const QString&, const QString& text) {
    showError(owner, text);
}

} // namespace kelmar
