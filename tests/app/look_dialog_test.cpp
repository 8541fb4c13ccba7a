// The looks chooser: its previews come from the sets' own pictures, and
// the dialog answers with the entry the player picks.
#include "app/look_dialog.h"
#include "render/graphics.h"

#include <QApplication>
#include <QDialog>
#include <QListWidget>
#include <QTimer>
#include <gtest/gtest.h>

namespace kelmar {
namespace {

Graphics GameFolder() {
    Graphics graphics;
    graphics.PictureFolder = QStringLiteral(KELMAR_TEST_GAME_DIR);
    return graphics;
}

TEST(LookDialog, EverySetIsPreviewedWithItsOwnFaces) {
    const LookSetting today = ResolveLooks(BuiltInTileSets(), BuiltInBackgrounds(), {}, {});
    const std::vector<LookEntry> entries =
        LookEntries(GameFolder(), BuiltInTileSets(), true, today, 240);
    ASSERT_EQ(entries.size(), BuiltInTileSets().size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].name, BuiltInTileSets()[i].Name);
        ASSERT_EQ(entries[i].picture.size(), QSize(240, 180)) << i;
        for (std::size_t j = 0; j < i; ++j) {
            EXPECT_NE(entries[i].picture, entries[j].picture) << i << " and " << j;
        }
    }
    // A felt preview keeps the chosen set and shows the felt around it.
    const std::vector<LookEntry> felts =
        LookEntries(GameFolder(), BuiltInBackgrounds(), false, today, 240);
    EXPECT_EQ(felts.size(), BuiltInBackgrounds().size());
    EXPECT_NE(felts[0].picture, felts[1].picture);
}

TEST(LookDialog, AnUnreadableSetGivesNoPictureInsteadOfAnError) {
    const LookChoice gone{QStringLiteral("weg"), QStringLiteral("Weg"),
                          QStringLiteral("/nonexistent-kelmar-set")};
    EXPECT_TRUE(
        LookPreview(GameFolder(), {&gone, &BuiltInBackgrounds()[0], std::nullopt}, 240).isNull());
}

TEST(LookDialog, AnswersWithThePickedEntryOrNothing) {
    const std::vector<LookEntry> entries{
        {QStringLiteral("Eins"), {}}, {QStringLiteral("Zwei"), {}}, {QStringLiteral("Drei"), {}}};
    for (const bool accept : {true, false}) {
        QTimer::singleShot(0, [accept] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Kacheln wählen"));
            auto* list = dialog->findChild<QListWidget*>(QStringLiteral("LookList"));
            ASSERT_NE(list, nullptr);
            EXPECT_EQ(list->currentRow(), 1);
            list->setCurrentRow(2);
            accept ? dialog->accept() : dialog->reject();
        });
        const std::optional<int> answer =
            AskLook(nullptr, QStringLiteral("Kacheln wählen"), entries, 1);
        EXPECT_EQ(answer, accept ? std::optional<int>(2) : std::nullopt);
    }
}

} // namespace
} // namespace kelmar
