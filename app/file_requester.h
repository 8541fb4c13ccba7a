// `OpenRequester` and `SaveRequester`: the file dialogs of the load and
// save-as commands, behind an interface so window tests need no dialog.
#pragma once

#include <QString>
#include <optional>

class QWidget;

namespace kelmar {

class FileRequester {
public:
    virtual ~FileRequester() = default;
    // The file chosen in the open dialog preset with `preset`; nullopt when
    // the player cancels. The file exists.
    virtual std::optional<QString> askOpen(QWidget* owner, const QString& preset) = 0;
    // The file chosen in the save dialog preset with `preset`, the player
    // having agreed to overwrite it if it exists; nullopt on cancel.
    virtual std::optional<QString> askSave(QWidget* owner, const QString& preset) = 0;
};

// QFileDialog (Qt's own dialog, German through the loaded translations):
// titles "Spielstand laden" / "Spielstand speichern", one filter entry for
// *.klmr and *.klm, default suffix "klmr", an existing file for open, an
// overwrite prompt for save, an existing folder for both (the save dialog
// says "Ordner „…“ nicht gefunden." and stays open). The working directory
// is never changed, and nothing is written outside it: the dialog's own
// history is not stored.
class DialogFileRequester final : public FileRequester {
public:
    std::optional<QString> askOpen(QWidget* owner, const QString& preset) override;
    std::optional<QString> askSave(QWidget* owner, const QString& preset) override;
};

} // namespace kelmar
