#include "app/help.h"

#include "app/message_sink.h"
#include "render/picture_file.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <algorithm>

namespace kelmar {

namespace {

// Our page is about 20 KB; a file far larger is not ours.
constexpr qint64 kMaxHelpPageBytes = 4 * 1024 * 1024;

void warnHelpFailed(MessageSink& sink, QWidget* owner) {
    sink.showWarning(owner, QStringLiteral("Kelmar-Fehler"),
                     QStringLiteral("Kann Hilfe nicht aufrufen"));
}

} // namespace

HelpOpener DesktopHelpOpener() {
    return [](const QUrl& url) { return QDesktopServices::openUrl(url); };
}

QUrl HelpPageUrl() {
    return QUrl::fromLocalFile(QDir::current().absoluteFilePath(QStringLiteral("Kelmar.htm")));
}

THelpForm::THelpForm(HelpOpener open, MessageSink& sink, QWidget* parent)
    : QDialog(parent), open_(std::move(open)), sink_(sink) {
    setObjectName(QStringLiteral("HelpForm"));
    setWindowTitle(QStringLiteral("Kelmar – Hilfe"));
    resize(820, 640);

    Browser = new QTextBrowser(this);
    Browser->setObjectName(QStringLiteral("Browser"));
    // Links are followed here, so that a link never loads a file by itself.
    Browser->setOpenLinks(false);
    connect(Browser, &QTextBrowser::anchorClicked, this, &THelpForm::followLink);

    BBrowser = new QPushButton(QStringLiteral("Im &Browser öffnen"), this);
    BBrowser->setObjectName(QStringLiteral("BBrowser"));
    BBrowser->setAutoDefault(false);
    connect(BBrowser, &QPushButton::clicked, this, &THelpForm::BBrowserClick);
    BClose = new QPushButton(QStringLiteral("&Schließen"), this);
    BClose->setObjectName(QStringLiteral("BClose"));
    connect(BClose, &QPushButton::clicked, this, &QDialog::close);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BBrowser);
    buttons->addWidget(BClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Browser, 1);
    layout->addLayout(buttons);
}

bool THelpForm::LoadPage() {
    QFile file(HelpPageUrl().toLocalFile());
    if (!OpenRegularFile(file)) {
        return false;
    }
    const QByteArray page = file.read(std::min(file.size(), kMaxHelpPageBytes));
    if (page.isEmpty()) {
        return false;
    }
    Browser->document()->setBaseUrl(HelpPageUrl());
    Browser->setHtml(QString::fromUtf8(page));
    return true;
}

void THelpForm::BBrowserClick() {
    if (!open_ || !open_(HelpPageUrl())) {
        warnHelpFailed(sink_, this);
    }
}

void THelpForm::followLink(const QUrl& link) {
    if (link.scheme().isEmpty() && link.path().isEmpty() && link.hasFragment()) {
        Browser->scrollToAnchor(link.fragment());
        return;
    }
    if (!open_ || !open_(HelpPageUrl().resolved(link))) {
        warnHelpFailed(sink_, this);
    }
}

void ShowHelp(THelpForm*& form, const HelpOpener& open, MessageSink& sink, QWidget* owner) {
    if (form == nullptr) {
        form = new THelpForm(open, sink, owner);
    }
    if (!form->LoadPage()) {
        form->hide();
        warnHelpFailed(sink, owner);
        return;
    }
    form->show();
    form->raise();
    form->activateWindow();
}

} // namespace kelmar
