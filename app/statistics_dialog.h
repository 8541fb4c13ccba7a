// The statistics window ("Kelmar-Statistik"): per layout, over all layouts
// and per grade the games, wins, win rate, streaks and winning times; the
// games of the day; and a small chart of the latest winning times of the
// row chosen in the table. It only shows what it is given: reading and
// resetting the records file is the owner's work.
#pragma once

#include "scores/statistics.h"

#include <QDialog>
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QLabel;
class QPushButton;
class QTableWidget;
class QTreeWidget;

namespace kelmar {

// The latest winning times as a line chart: oldest on the left, the time
// upwards in minutes and seconds.
class TimesChart final : public QWidget {
public:
    explicit TimesChart(QWidget* parent = nullptr);
    void setTimes(std::vector<int32_t> timesMs, QString title);
    const std::vector<int32_t>& times() const { return times_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<int32_t> times_;
    QString title_;
};

// The name the player sees for a layout's short name (kAllLayouts and
// kUnknownLayout included).
using LayoutNamer = std::function<QString(const std::string& shortName)>;

// The words of a table row: "Alle Aufstellungen", the layout's name, or
// the grade indented below its layout.
QString StatisticsRowName(const GroupStatistics& group, const LayoutNamer& name);
// One cell text per column after the name: games, wins, rate, current and
// longest streak, best and mean time ("–" without a win).
QStringList StatisticsRowCells(const GroupStatistics& group);

class StatisticsDialog final : public QDialog {
public:
    // `reset` starts the records anew and returns the statistics then (or
    // nullopt when that failed; the owner has told the player why).
    // `confirm` asks the player first; empty: a message box.
    StatisticsDialog(LayoutNamer name, std::function<std::optional<RecordStatistics>()> reset,
                     std::function<bool(QWidget*)> confirm = {}, QWidget* parent = nullptr);

    void setStatistics(const RecordStatistics& statistics);

    QTableWidget* table() const { return table_; }
    QTreeWidget* dayGames() const { return dayGames_; }
    TimesChart* chart() const { return chart_; }
    QPushButton* resetButton() const { return reset_; }

private:
    void showChartOfRow(int row);
    void resetClicked();

    LayoutNamer name_;
    std::function<std::optional<RecordStatistics>()> resetRecords_;
    std::function<bool(QWidget*)> confirm_;
    RecordStatistics statistics_;
    QTableWidget* table_ = nullptr;
    QTreeWidget* dayGames_ = nullptr;
    TimesChart* chart_ = nullptr;
    QLabel* empty_ = nullptr;
    QPushButton* reset_ = nullptr;
};

} // namespace kelmar
