#include "app/help.h"

#include "app/help_page.h"
#include "app/message_sink.h"
#include "render/picture_file.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImage>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace kelmar {

namespace {

// Pictures and style sheets the page names: far larger ones are not ours.
constexpr qint64 kMaxHelpResourceBytes = 4 * 1024 * 1024;

void warnHelpFailed(MessageSink& sink, QWidget* owner) {
    sink.showWarning(owner, QStringLiteral("Kelmar-Fehler"),
                     QStringLiteral("Kann Hilfe nicht aufrufen"));
}

// The bytes of a regular file of at most `limit` bytes, opened without
// blocking; empty for anything else.
QByteArray readBounded(const QString& path, qint64 limit) {
    QFile file(path);
    if (!OpenRegularFile(file) || file.size() > limit) {
        return {};
    }
    return file.read(limit);
}

// The page's text browser: it loads what the page names only from regular
// files inside the game's folder or inside the folder the page itself lies
// in (an installed game links its shared page and pictures into the game
// folder), never through a link that leads elsewhere, of bounded size, and pictures only as PNG or
// BMP by their suffix: a JPEG of thousands of scans would hold the window. A picture it does not
// load is an empty 1 x 1 pixel picture.
class HelpBrowser final : public QTextBrowser {
public:
    using QTextBrowser::QTextBrowser;

    QVariant loadResource(int type, const QUrl& name) override {
        const QVariant loaded = loadAllowed(type, name);
        // Given no picture, Qt's layout would open the named file itself.
        if (type == QTextDocument::ImageResource && !loaded.isValid()) {
            QImage blank(1, 1, QImage::Format_ARGB32);
            blank.fill(Qt::transparent);
            return blank;
        }
        return loaded;
    }

private:
    static QVariant loadAllowed(int type, const QUrl& name) {
        const QUrl url = HelpPageUrl().resolved(name);
        if (!url.isLocalFile()) {
            return {};
        }
        const QString folder = QDir::current().canonicalPath() + QLatin1Char('/');
        const QString page = QFileInfo(HelpPageUrl().toLocalFile()).canonicalFilePath();
        const QString pageFolder =
            page.isEmpty() ? folder : QFileInfo(page).path() + QLatin1Char('/');
        const QFileInfo info(url.toLocalFile());
        const QString path = info.canonicalFilePath();
        if (path.isEmpty() || !(path.startsWith(folder) || path.startsWith(pageFolder))) {
            return {};
        }
        const QByteArray bytes = readBounded(path, kMaxHelpResourceBytes);
        if (bytes.isEmpty()) {
            return {};
        }
        if (type == QTextDocument::StyleSheetResource &&
            !HelpStyleFits(
                std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())))) {
            return {}; // its lengths would hold the window as a page's would
        }
        if (type != QTextDocument::ImageResource) {
            return bytes;
        }
        const QString suffix = info.suffix().toLower();
        if (suffix != QLatin1String("png") && suffix != QLatin1String("bmp")) {
            return {};
        }
        const QImage image = QImage::fromData(bytes, suffix.toLatin1().constData());
        return image.isNull() ? QVariant() : QVariant(image);
    }
};

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

    Browser = new HelpBrowser(this);
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

HelpPageResult THelpForm::LoadPage() {
    const QByteArray page = readBounded(HelpPageUrl().toLocalFile(), kMaxHelpPageBytes);
    if (page.isEmpty()) {
        QFile file(HelpPageUrl().toLocalFile());
        return OpenRegularFile(file) && file.size() > kMaxHelpPageBytes ? HelpPageResult::Refused
                                                                        : HelpPageResult::Missing;
    }
    if (!HelpPageFits(page)) {
        return HelpPageResult::Refused;
    }
    Browser->document()->setBaseUrl(HelpPageUrl());
    Browser->setHtml(QString::fromUtf8(page));
    return HelpPageResult::Shown;
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
    const HelpPageResult page = form->LoadPage();
    if (page == HelpPageResult::Missing) {
        form->hide();
        warnHelpFailed(sink, owner);
        return;
    }
    if (page == HelpPageResult::Refused) {
        // The desktop's browser may still show it: the window stays as the
        // way there, without the page.
        warnHelpFailed(sink, owner);
        form->Browser->setPlainText(QString::fromUtf8(
            "Die Hilfeseite ist zu groß, zu tief verschachtelt oder gibt zu große Maße an, um "
            "hier gezeigt zu werden. "
            "„Im Browser öffnen“ zeigt sie im Browser."));
    }
    form->show();
    form->raise();
    form->activateWindow();
}

} // namespace kelmar
