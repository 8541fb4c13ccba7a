// The open and save dialogs: their setup, cancel and confirm, and the
// working directory they must leave alone.
#include "app/file_requester.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <ostream>

namespace kelmar {
namespace {

// Runs `act` on the dialog as soon as it is up.
void whenDialogShows(std::function<void(QFileDialog&)> act) {
    QTimer::singleShot(0, [act] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
            act(*dialog);
        } else {
            ADD_FAILURE() << "no file dialog";
            if (modal != nullptr) {
                modal->close(); // never leave the test waiting
            }
        }
    });
}

// Answers the overwrite question that the save dialog asks.
void whenPromptShows(std::function<void(QMessageBox&)> act) {
    QTimer::singleShot(0, [act] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* prompt = qobject_cast<QMessageBox*>(modal)) {
            act(*prompt);
        } else {
            ADD_FAILURE() << "no overwrite question";
            if (modal != nullptr) {
                modal->close();
            }
        }
    });
}

struct DialogCase {
    bool save;
    const char* pick;     // typed into the dialog, relative to the preset folder
    const char* expected; // the file the dialog gives back
    bool overwritePrompt; // the dialog asks before replacing the file
};

void PrintTo(const DialogCase& c, std::ostream* out) {
    *out << (c.save ? "save " : "open ") << c.pick;
}

class FileDialogs : public ::testing::TestWithParam<DialogCase> {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("games")));
        saved = QDir(folder.path()).filePath(QStringLiteral("games/old.klm"));
        QFile file(saved);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        previous = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(folder.path()));
    }
    void TearDown() override { QDir::setCurrent(previous); }

    std::optional<QString> ask(const QString& preset) {
        return GetParam().save ? requester.askSave(nullptr, preset)
                               : requester.askOpen(nullptr, preset);
    }

    QTemporaryDir folder;
    QString saved;
    QString previous;
    DialogFileRequester requester;
};

TEST_P(FileDialogs, ConfirmGivesTheFileAndKeepsTheWorkingDirectory) {
    QStringList filters;
    bool prompted = false;
    whenDialogShows([&](QFileDialog& dialog) {
        filters = dialog.nameFilters();
        EXPECT_EQ(dialog.directory().absolutePath(),
                  QDir(folder.path()).filePath(QStringLiteral("games")));
        dialog.selectFile(QString::fromUtf8(GetParam().pick));
        if (GetParam().overwritePrompt) {
            whenPromptShows([&](QMessageBox& prompt) {
                prompted = true;
                prompt.button(QMessageBox::Yes)->click();
            });
        }
        static_cast<QDialog&>(dialog).accept(); // the file dialog checks the choice
    });
    const auto chosen = ask(saved); // preset: folder and name of the current file
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, QDir(folder.path()).filePath(QString::fromUtf8(GetParam().expected)));
    EXPECT_EQ(prompted, GetParam().overwritePrompt);
    EXPECT_EQ(filters, QStringList{QStringLiteral("Kelmar-Spielstände (*.klmr *.klm)")});
    EXPECT_EQ(QDir::currentPath(), QDir(folder.path()).absolutePath());
}

INSTANTIATE_TEST_SUITE_P(OpenAndSave, FileDialogs,
                         ::testing::Values(DialogCase{false, "old.klm", "games/old.klm", false},
                                           DialogCase{true, "new", "games/new.klmr", false},
                                           DialogCase{true, "old.klm", "games/old.klm", true}));

// Qt's save dialog took a name in a folder that does not exist, and every
// save to it then failed.
TEST(FileDialog, SaveRequiresAnExistingFolderAndSaysSo) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    DialogFileRequester requester;
    QString warning;
    bool stillOpen = false;
    whenDialogShows([&](QFileDialog& dialog) {
        dialog.selectFile(QStringLiteral("missing/new.klmr"));
        whenPromptShows([&](QMessageBox& box) {
            warning = box.text();
            box.button(QMessageBox::Ok)->click();
        });
        static_cast<QDialog&>(dialog).accept();
        stillOpen = dialog.isVisible();
        dialog.reject();
    });
    const auto chosen =
        requester.askSave(nullptr, QDir(folder.path()).filePath(QStringLiteral("game.klmr")));
    EXPECT_FALSE(chosen.has_value());
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(warning, QStringLiteral("Ordner „%1“ nicht gefunden.\nBitte wählen Sie einen "
                                      "vorhandenen Ordner.")
                           .arg(QDir(folder.path()).filePath(QStringLiteral("missing"))));
}

// Qt's dialog stored its history in ~/.config/QtProject.conf; the game
// writes only in its working folder. (test_main points HOME and
// XDG_CONFIG_HOME at an empty folder.)
TEST(FileDialog, LeavesNothingInTheHomeFolder) {
    const QDir home(qEnvironmentVariable("HOME"));
    ASSERT_TRUE(home.exists());
    DialogFileRequester requester;
    for (const bool save : {false, true}) {
        whenDialogShows([](QFileDialog& dialog) { dialog.reject(); });
        const auto chosen = save ? requester.askSave(nullptr, QStringLiteral("QuickSave.klmr"))
                                 : requester.askOpen(nullptr, QStringLiteral("QuickSave.klmr"));
        EXPECT_FALSE(chosen.has_value());
    }
    QDirIterator everything(home.path(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                            QDirIterator::Subdirectories);
    QStringList written;
    while (everything.hasNext()) {
        written << everything.next();
    }
    EXPECT_TRUE(written.isEmpty()) << written.join(QStringLiteral(", ")).toStdString();
}

} // namespace
} // namespace kelmar
