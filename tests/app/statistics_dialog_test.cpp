// The statistics window: what its table shows per group, which times the
// chart draws, and that a reset asks first.
#include "app/statistics_dialog.h"

#include <QPushButton>
#include <QTableWidget>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace kelmar {
namespace {

GameRecord played(const char* layout, GameResult result, int32_t timeMs, Grade grade) {
    GameRecord record;
    record.Day = 46364;
    record.DayGame = result == GameResult::Won ? 46364 : 0;
    record.Layout = layout;
    record.Result = result;
    record.TimeMs = timeMs;
    record.DealGrade = grade;
    return record;
}

RecordStatistics twoLayouts() {
    GameRecordBook book;
    book.Records = {played("Pyramide", GameResult::Won, 1694250, Grade::Easy),
                    played("Pyramide", GameResult::GivenUp, 0, Grade::Any),
                    played("Ring", GameResult::Stuck, 0, Grade::Any),
                    played("Pyramide", GameResult::Won, 754000, Grade::Any)};
    return ComputeStatistics(book);
}

QString nameOf(const std::string& shortName) {
    return shortName == "Ring" ? QStringLiteral("Der Ring") : QString::fromStdString(shortName);
}

using Texts = std::vector<std::string>;

Texts rowTexts(const QTableWidget& table, int row) {
    Texts texts;
    for (int column = 0; column < table.columnCount(); ++column) {
        texts.push_back(table.item(row, column)->text().trimmed().toStdString());
    }
    return texts;
}

// A reset that did not ask first would throw away every record at a click.
TEST(StatisticsDialog, ShowsEachGroupChartsTheChosenRowAndResetsOnlyAfterYes) {
    int resets = 0;
    bool answer = false;
    StatisticsDialog dialog(
        nameOf,
        [&resets] {
            ++resets;
            return std::optional<RecordStatistics>(RecordStatistics{});
        },
        [&answer](QWidget*) { return answer; });
    dialog.setStatistics(twoLayouts());
    const QTableWidget& table = *dialog.table();
    ASSERT_EQ(table.rowCount(), 5);
    EXPECT_EQ(rowTexts(table, 0),
              (Texts{"Alle Aufstellungen", "4", "2", "50 %", "1", "1", "12:34", "20:24"}));
    EXPECT_EQ(rowTexts(table, 4),
              (Texts{"Der Ring", "1", "0", "0 %", "0", "0", "\u2013", "\u2013"}));
    EXPECT_EQ(dialog.dayGames()->topLevelItemCount(), 2);
    EXPECT_EQ(dialog.chart()->times(), (std::vector<int32_t>{1694250, 754000}));
    dialog.table()->setCurrentCell(1, 0); // Pyramide, leicht
    EXPECT_EQ(dialog.chart()->times(), std::vector<int32_t>{1694250});

    dialog.resetButton()->click();
    EXPECT_EQ(resets, 0);
    EXPECT_EQ(dialog.table()->rowCount(), 5);
    answer = true;
    dialog.resetButton()->click();
    EXPECT_EQ(resets, 1);
    EXPECT_EQ(dialog.table()->rowCount(), 0);
    EXPECT_TRUE(dialog.chart()->times().empty());
}

} // namespace
} // namespace kelmar
