#include "app/file_requester.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace kelmar {

namespace {

// One entry; both extensions are listed because Qt's dialog filters by the
// patterns in the parentheses.
const QString kFilter = QStringLiteral("Kelmar-Spielstände (*.klmr *.klm)");

std::optional<QString> runDialog(QWidget* owner, const QString& title, const QString& preset,
                                 bool save) {
    const QString savedCurrent = QDir::currentPath();
    QFileDialog dialog(owner, title);
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
