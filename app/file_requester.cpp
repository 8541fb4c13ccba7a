#include "app/file_requester.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QSettings>

namespace kelmar {

namespace {

// One entry; both extensions are listed because Qt's dialog filters by the
// patterns in the parentheses.
const QString kFilter = QStringLiteral("Kelmar-Spielstände (*.klmr *.klm)");

// Qt's save dialog takes a name in a folder that does not exist; this one
// says so and stays open, like the open dialog for a missing file.
class KelmarFileDialog final : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    void accept() override {
        const QStringList chosen = selectedFiles();
        if (acceptMode() == AcceptSave && !chosen.isEmpty()) {
            const QFileInfo file(chosen.first());
            if (!file.isDir() && !file.absoluteDir().exists()) {
                QMessageBox::warning(this, windowTitle(),
                                     QStringLiteral("Ordner „%1“ nicht gefunden.\nBitte wählen Sie "
                                                    "einen vorhandenen Ordner.")
                                         .arg(QDir::toNativeSeparators(file.absolutePath())));
                return;
            }
        }
        QFileDialog::accept();
    }
};

// Qt's own file dialog stores its history, sidebar and last folder in the
// user's QtProject.conf (QSettings, user scope, native format) when it is
// destroyed, and nothing turns that off. The game writes only in its working
// folder and uses no QSettings of its own, so that location is pointed at
// /dev/null, below which no file can be read or created: the dialog starts
// from its defaults and its store fails quietly.
void keepDialogHistoryOutOfTheHomeFolder() {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("/dev/null"));
}

std::optional<QString> runDialog(QWidget* owner, const QString& title, const QString& preset,
                                 bool save) {
    keepDialogHistoryOutOfTheHomeFolder();
    const QString savedCurrent = QDir::currentPath();
    KelmarFileDialog dialog(owner, title);
    dialog.resize(720, 440); // room for the German column titles
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::ReadOnly, false);
    dialog.setNameFilter(kFilter);
    dialog.setDefaultSuffix(QStringLiteral("klmr"));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    const QFileInfo presetInfo(preset);
    dialog.setDirectory(presetInfo.absolutePath());
    dialog.selectFile(presetInfo.fileName());
    const bool accepted = dialog.exec() == QDialog::Accepted;
    // Pictures, settings and help are opened relative to the working
    // directory; make sure no dialog moved it.
    if (QDir::currentPath() != savedCurrent) {
        QDir::setCurrent(savedCurrent);
    }
    const QStringList chosen = dialog.selectedFiles();
    if (!accepted || chosen.isEmpty()) {
        return std::nullopt;
    }
    return chosen.first();
}

} // namespace

std::optional<QString> DialogFileRequester::askOpen(QWidget* owner, const QString& preset) {
    return runDialog(owner, QStringLiteral("Spielstand laden"), preset, false);
}

std::optional<QString> DialogFileRequester::askSave(QWidget* owner, const QString& preset) {
    return runDialog(owner, QStringLiteral("Spielstand speichern"), preset, true);
}

} // namespace kelmar
