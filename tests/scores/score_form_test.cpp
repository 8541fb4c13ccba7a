#include "scores/score_form.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace kelmar {
namespace {

constexpr int32_t kMinute = 60000;
constexpr double kToday = 45000.75; // 15.03.2023, 18:00

class ScoreForm : public ::testing::Test {
protected:
    HighScoreTable table;
    GameSettings settings;
    TScoreForm form{table, settings, nullptr, [] { return kToday; }};

    QString cell(int row, int column) const { return form.ScoreBox->item(row - 1, column)->text(); }

    // Rows of the grid that are selected, as row numbers 1..10.
    QList<int> selectedRows() const {
        QList<int> rows;
        for (const QTableWidgetItem* item : form.ScoreBox->selectedItems()) {
            if (!rows.contains(item->row() + 1)) {
                rows.append(item->row() + 1);
            }
        }
        return rows;
    }

    // One edit of the name field as the user makes it: through the validator.
    void typeName(const QString& name) {
        form.InpName->selectAll();
        form.InpName->insert(name);
    }
};

TEST_F(ScoreForm, IsCreatedHiddenWithHeadersNumbersPromptAndThePlayerName) {
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(form.EntryMode());
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Kelmar-Bestenliste"));
    const QStringList headers = {QStringLiteral("Nr."), QStringLiteral("Name"),
                                 QStringLiteral("Zeit"), QStringLiteral("Datum")};
    const int widths[] = {30, 125, 50, 80};
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(form.ScoreBox->horizontalHeaderItem(c)->text(), headers[c]);
        EXPECT_EQ(form.ScoreBox->columnWidth(c), widths[c]);
    }
    EXPECT_EQ(form.ScoreBox->horizontalHeader()->height(), 20);
    for (int r = 1; r <= 10; ++r) {
        EXPECT_EQ(cell(r, 0), QString::number(r));
        EXPECT_EQ(form.ScoreBox->rowHeight(r - 1), 20);
    }
    EXPECT_EQ(form.LPrompt->text(),
              QStringLiteral("Sie haben eine der\n10 besten Zeiten\nerreicht. Bitte\n"
                             "geben Sie ihren\nNamen ein, um in\ndie Liste aufge-\n"
                             "nommen zu werden:"));
    EXPECT_EQ(form.InpName->text(), QStringLiteral("Kelmar"));

    // A row left from an earlier naming is not taken over by a new window.
    HighScoreTable stale;
    stale.NewEntryRow = 5;
    const TScoreForm other(stale, settings);
    EXPECT_EQ(stale.NewEntryRow, 0);
}

TEST_F(ScoreForm, TheGridShowsMinutesSecondsAndTheCalendarDate) {
    table.Rows[2].Time = 62 * kMinute + 5000;
    form.ShowScoreList();
    EXPECT_EQ(cell(1, 1), QStringLiteral("Kelmar"));
    EXPECT_EQ(cell(1, 2), QStringLiteral("03:00"));
    EXPECT_EQ(cell(2, 2), QStringLiteral("62:05"));
    EXPECT_EQ(cell(10, 3), QStringLiteral("01.01.2000"));
    EXPECT_TRUE(selectedRows().isEmpty());
}

TEST_F(ScoreForm, AWinJustUnderTwelveMinutesEntersRowTenAndTwelveMinutesDoesNot) {
    form.EnterHighScore(12 * kMinute);
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(form.EntryMode());
    EXPECT_EQ(table.Rows[10].Time, 12 * kMinute);

    form.EnterHighScore(12 * kMinute - 1);
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(form.EntryMode());
    EXPECT_EQ(table.NewEntryRow, 10);
    EXPECT_EQ(table.Rows[10].Time, 12 * kMinute - 1);
    EXPECT_EQ(table.Rows[10].Date, kToday);
    EXPECT_EQ(cell(10, 2), QStringLiteral("11:59"));
    EXPECT_EQ(cell(10, 3), QStringLiteral("15.03.2023"));
    EXPECT_EQ(selectedRows(), QList<int>{10});
    EXPECT_TRUE(form.InpName->isVisibleTo(&form));
    EXPECT_TRUE(form.LGrat->isVisibleTo(&form));
    EXPECT_FALSE(form.LDummy->isVisibleTo(&form));
}

TEST_F(ScoreForm, TypingRenamesTheNewRowAndEmptyingTheFieldShowsMrShy) {
    form.EnterHighScore(5 * kMinute + 30000); // between rows 3 and 4
    ASSERT_EQ(table.NewEntryRow, 4);
    typeName(QString::fromUtf8("Jürgen"));
    EXPECT_EQ(settings.PlayerName, "J\xFCrgen");
    EXPECT_EQ(table.Rows[4].Name, "J\xFCrgen");
    EXPECT_EQ(cell(4, 1), QString::fromUtf8("Jürgen"));

    form.InpName->clear();
    EXPECT_EQ(form.InpName->text(), QString());
    EXPECT_EQ(settings.PlayerName, "Mr. Shy");
    EXPECT_EQ(table.Rows[4].Name, "Mr. Shy");
    EXPECT_EQ(cell(4, 1), QStringLiteral("Mr. Shy"));
}

TEST_F(ScoreForm, ALongNameShowsWholeWhileTypedAndCutAfterTheNextFilling) {
    form.EnterHighScore(4 * kMinute);
    const QString name = QStringLiteral("Abcdefghijklmnopqrstuvwxy"); // 25
    typeName(name);
    EXPECT_EQ(cell(3, 1), name);
    EXPECT_EQ(table.Rows[3].Name, "Abcdefghijklmnopqrst");
    EXPECT_EQ(settings.PlayerName, name.toStdString());

    form.ShowScoreList();
    EXPECT_EQ(cell(3, 1), name.left(20));
    EXPECT_FALSE(form.EntryMode());
    EXPECT_TRUE(selectedRows().isEmpty());
    EXPECT_FALSE(form.InpName->isVisibleTo(&form));
    EXPECT_TRUE(form.LDummy->isVisibleTo(&form));
    typeName(QStringLiteral("ignored")); // field hidden, not in entry mode
    EXPECT_EQ(table.Rows[3].Name, "Abcdefghijklmnopqrst");
}

TEST_F(ScoreForm, ASecondWinWhileOpenEntersAnotherRowAndTheFieldKeepsItsText) {
    form.EnterHighScore(5 * kMinute + 30000);
    typeName(QStringLiteral("Anna"));
    form.EnterHighScore(3 * kMinute + 30000); // row 2; Anna's row moves to 5
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(table.NewEntryRow, 2);
    EXPECT_EQ(selectedRows(), QList<int>{2});
    EXPECT_EQ(form.InpName->text(), QStringLiteral("Anna"));
    EXPECT_EQ(table.Rows[2].Name, "Anna");
    EXPECT_EQ(table.Rows[5].Name, "Anna");
    EXPECT_EQ(table.Rows[5].Time, 5 * kMinute + 30000);

    typeName(QStringLiteral("Bert"));
    EXPECT_EQ(table.Rows[2].Name, "Bert");
    EXPECT_EQ(table.Rows[5].Name, "Anna");

    // A win too slow to enter ends the naming: the field no longer changes a row.
    form.EnterHighScore(20 * kMinute);
    typeName(QStringLiteral("Carl"));
    EXPECT_EQ(table.Rows[2].Name, "Bert");
    EXPECT_EQ(settings.PlayerName, "Bert");
}

TEST_F(ScoreForm, TheNameFieldRefusesCharactersTheSettingsFileCannotHold) {
    form.EnterHighScore(4 * kMinute);
    typeName(QString::fromUtf8("Zoë€"));
    EXPECT_EQ(settings.PlayerName, "Zo\xEB\x80");
    form.InpName->insert(QString::fromUtf8("Łukasz"));
    EXPECT_EQ(form.InpName->text(), QString::fromUtf8("Zoë€"));
    EXPECT_EQ(settings.PlayerName, "Zo\xEB\x80");
    EXPECT_EQ(table.Rows[3].Name, "Zo\xEB\x80");
}

TEST_F(ScoreForm, EnterInTheNameFieldOrOnTheButtonHidesTheWindowAndKeepsTheEntry) {
    form.EnterHighScore(4 * kMinute);
    typeName(QStringLiteral("Dora"));
    QTest::keyClick(form.InpName, Qt::Key_Return);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(table.Rows[3].Name, "Dora");

    form.ShowScoreList();
    ASSERT_TRUE(form.isVisible());
    QTest::keyClick(form.OKbtn, Qt::Key_Enter);
    EXPECT_FALSE(form.isVisible());

    form.ShowScoreList();
    QTest::mouseClick(form.OKbtn, Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(table.Rows[3].Name, "Dora");
}

TEST_F(ScoreForm, ANameFromTheSettingsFileIsKeptByteForByteUntilEdited) {
    // Bytes that cannot be typed (a tab, the undefined 0x81) still make a
    // player name that a new entry takes over unchanged.
    GameSettings odd;
    odd.PlayerName = "A\tB\x81";
    TScoreForm other(table, odd, nullptr, [] { return kToday; });
    other.EnterHighScore(4 * kMinute);
    EXPECT_EQ(odd.PlayerName, "A\tB\x81");
    EXPECT_EQ(table.Rows[3].Name, "A\tB\x81");
    other.InpName->end(false);
    other.InpName->backspace(); // the edit still goes through, and back to bytes
    EXPECT_EQ(odd.PlayerName, "A\tB");
}

} // namespace
} // namespace kelmar
