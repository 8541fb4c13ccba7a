#include "app/statistics_dialog.h"

#include "core/grade.h"
#include "scores/score_text.h"
#include "storage/game_records.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace kelmar {
namespace {

QString utf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString timeText(int32_t ms) {
    return ms < 0 ? QStringLiteral("\u2013") : utf8(FormatScoreTime(ms));
}

constexpr int kChartMargin = 10;
constexpr int kChartLabelWidth = 44;
constexpr int kMinuteMs = 60000;

} // namespace

TimesChart::TimesChart(QWidget* parent) : QWidget(parent) {
    setMinimumSize(320, 170);
}

QSize TimesChart::sizeHint() const {
    return {420, 200};
}

void TimesChart::setTimes(std::vector<int32_t> timesMs, QString title) {
    times_ = std::move(timesMs);
    title_ = std::move(title);
    update();
}

void TimesChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), palette().base());
    painter.setPen(palette().mid().color());
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.setPen(palette().text().color());
    const int lineHeight = painter.fontMetrics().height();
    painter.drawText(QRect(kChartMargin, kChartMargin / 2, width() - 2 * kChartMargin, lineHeight),
                     Qt::AlignLeft | Qt::AlignVCenter, title_);
    const QRectF plot(kChartMargin + kChartLabelWidth + kChartMargin, kChartMargin + lineHeight,
                      width() - 3 * kChartMargin - kChartLabelWidth - kChartMargin,
                      height() - 2 * kChartMargin - lineHeight - lineHeight / 2);
    if (times_.empty()) {
        painter.drawText(plot, Qt::AlignCenter, QStringLiteral("Noch kein gewonnenes Spiel"));
        return;
    }
    // Whole minutes around the times, at least one minute apart.
    const auto [low, high] = std::minmax_element(times_.begin(), times_.end());
    const int64_t bottom = *low / kMinuteMs * kMinuteMs;
    const int64_t top =
        std::max<int64_t>((*high + kMinuteMs - 1) / kMinuteMs * kMinuteMs, bottom + kMinuteMs);
    const auto yOf = [&](int64_t ms) {
        return plot.bottom() -
               plot.height() * static_cast<double>(ms - bottom) / static_cast<double>(top - bottom);
    };
    const auto xOf = [&](std::size_t i) {
        return times_.size() == 1 ? plot.center().x()
                                  : plot.left() + plot.width() * static_cast<double>(i) /
                                                      static_cast<double>(times_.size() - 1);
    };
    // Three guide lines with their times.
    for (int step = 0; step <= 2; ++step) {
        const int64_t ms = bottom + (top - bottom) * step / 2;
        const double y = yOf(ms);
        painter.setPen(QPen(palette().mid().color(), 1, Qt::DotLine));
        painter.drawLine(QPointF(plot.left() - kChartMargin, y),
                         QPointF(plot.right() + kChartMargin, y));
        painter.setPen(palette().text().color());
        painter.drawText(
            QRectF(kChartMargin, y - lineHeight / 2.0, kChartLabelWidth - 6, lineHeight),
            Qt::AlignRight | Qt::AlignVCenter, timeText(static_cast<int32_t>(ms)));
    }
    QPainterPath line;
    for (std::size_t i = 0; i < times_.size(); ++i) {
        const QPointF point(xOf(i), yOf(times_[i]));
        i == 0 ? line.moveTo(point) : line.lineTo(point);
    }
    const QColor ink(40, 90, 170);
    painter.setPen(QPen(ink, 2));
    painter.drawPath(line);
    painter.setBrush(ink);
    const std::size_t best = static_cast<std::size_t>(low - times_.begin());
    for (std::size_t i = 0; i < times_.size(); ++i) {
        const double radius = i == best ? 4.5 : 2.5;
        painter.setBrush(i == best ? QColor(30, 150, 60) : ink);
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(QPointF(xOf(i), yOf(times_[i])), radius, radius);
    }
}

QString StatisticsRowName(const GroupStatistics& group, const LayoutNamer& name) {
    if (group.DealGrade != Grade::Any) {
        return QStringLiteral("      ") + utf8(GradeWord(group.DealGrade));
    }
    return group.Layout == kAllLayouts ? QStringLiteral("Alle Aufstellungen") : name(group.Layout);
}

QStringList StatisticsRowCells(const GroupStatistics& group) {
    return {QString::number(group.Games),
            QString::number(group.Wins),
            QString::number(group.WinPercent()) + QStringLiteral(" %"),
            QString::number(group.CurrentStreak),
            QString::number(group.LongestStreak),
            timeText(group.BestTimeMs()),
            timeText(group.MeanTimeMs())};
}

StatisticsDialog::StatisticsDialog(LayoutNamer name,
                                   std::function<std::optional<RecordStatistics>()> reset,
                                   std::function<bool(QWidget*)> confirm, QWidget* parent)
    : QDialog(parent), name_(std::move(name)), resetRecords_(std::move(reset)),
      confirm_(std::move(confirm)) {
    setWindowTitle(QStringLiteral("Kelmar-Statistik"));
    table_ = new QTableWidget(0, 8, this);
    table_->setHorizontalHeaderLabels({QStringLiteral("Aufstellung"), QStringLiteral("Spiele"),
                                       QStringLiteral("Siege"), QStringLiteral("Quote"),
                                       QStringLiteral("Serie"), QStringLiteral("Längste Serie"),
                                       QStringLiteral("Bestzeit"), QStringLiteral("Mittel")});
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    connect(table_, &QTableWidget::currentCellChanged, this,
            [this](int row) { showChartOfRow(row); });

    chart_ = new TimesChart(this);
    dayGames_ = new QTreeWidget(this);
    dayGames_->setHeaderLabels({QStringLiteral("Spiel des Tages"), QStringLiteral("Aufstellung"),
                                QStringLiteral("Ergebnis"), QStringLiteral("Zeit")});
    dayGames_->setRootIsDecorated(false);
    // Years of games of the day make thousands of rows: sizing the columns
    // to their contents would measure every row at each layout pass, so the
    // widths come from the longest text each column can hold.
    dayGames_->setUniformRowHeights(true);
    const QFontMetrics metrics = dayGames_->fontMetrics();
    const QString widest[] = {QStringLiteral("Spiel des Tages"), QStringLiteral("Aufstellung"),
                              QStringLiteral("festgefahren"), QStringLiteral("999:59")};
    for (int column = 0; column < 4; ++column) {
        dayGames_->header()->resizeSection(column, metrics.horizontalAdvance(widest[column]) + 24);
    }
    empty_ = new QLabel(QStringLiteral("Noch keine Spiele aufgezeichnet."), this);

    reset_ = new QPushButton(QStringLiteral("&Zurücksetzen"), this);
    connect(reset_, &QPushButton::clicked, this, [this] { resetClicked(); });
    auto* close = new QPushButton(QStringLiteral("&Schließen"), this);
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(reset_);
    buttons->addStretch();
    buttons->addWidget(close);

    auto* lower = new QHBoxLayout;
    lower->addWidget(chart_, 1);
    lower->addWidget(dayGames_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(empty_);
    layout->addWidget(table_, 3);
    layout->addLayout(lower, 2);
    layout->addLayout(buttons);
    resize(860, 580);
}

void StatisticsDialog::setStatistics(const RecordStatistics& statistics) {
    statistics_ = statistics;
    const auto& groups = statistics_.Groups;
    empty_->setVisible(groups.empty());
    table_->setRowCount(static_cast<int>(groups.size()));
    for (int row = 0; row < static_cast<int>(groups.size()); ++row) {
        const GroupStatistics& group = groups[static_cast<std::size_t>(row)];
        QStringList cells = StatisticsRowCells(group);
        cells.prepend(StatisticsRowName(group, name_));
        for (int column = 0; column < cells.size(); ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            if (column > 0) {
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            }
            if (group.DealGrade == Grade::Any) {
                QFont font = item->font();
                font.setBold(true);
                item->setFont(font);
            }
            table_->setItem(row, column, item);
        }
    }
    // The layout column as wide as the longest name shown in it.
    const QFontMetrics metrics = dayGames_->fontMetrics();
    int layoutWidth = metrics.horizontalAdvance(QStringLiteral("Aufstellung"));
    for (const GroupStatistics& group : groups) {
        if (group.Layout != kAllLayouts) {
            layoutWidth = std::max(layoutWidth, metrics.horizontalAdvance(name_(group.Layout)));
        }
    }
    dayGames_->header()->resizeSection(1, layoutWidth + 24);
    dayGames_->clear();
    for (const DayGameResult& day : statistics_.DayGames) {
        dayGames_->addTopLevelItem(
            new QTreeWidgetItem({utf8(FormatScoreDate(day.Day)), name_(day.Layout),
                                 utf8(ResultWord(day.Result)), timeText(day.TimeMs)}));
    }
    table_->setCurrentCell(groups.empty() ? -1 : 0, 0);
    showChartOfRow(groups.empty() ? -1 : 0);
}

void StatisticsDialog::showChartOfRow(int row) {
    const auto& groups = statistics_.Groups;
    if (row < 0 || row >= static_cast<int>(groups.size())) {
        chart_->setTimes({}, QStringLiteral("Letzte Siege"));
        return;
    }
    const GroupStatistics& group = groups[static_cast<std::size_t>(row)];
    QString title = QStringLiteral("Letzte %1 Siege \u2013 ").arg(group.LastTimes.size()) +
                    StatisticsRowName(group, name_).trimmed();
    if (group.DealGrade != Grade::Any) {
        title += QStringLiteral(", ") + (group.Layout == kAllLayouts
                                             ? QStringLiteral("alle Aufstellungen")
                                             : name_(group.Layout));
    }
    chart_->setTimes(group.LastTimes, title);
}

void StatisticsDialog::resetClicked() {
    const auto ask = confirm_ ? confirm_ : [](QWidget* owner) {
        return QMessageBox::question(
                   owner, QStringLiteral("Kelmar"),
                   QStringLiteral("Alle Aufzeichnungen gespielter Spiele löschen?\nDie "
                                  "bisherigen Aufzeichnungen bleiben in „%1“ erhalten.")
                       .arg(QString::fromUtf8(kGameRecordsBackupFileName)),
                   QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
    };
    if (!ask(this) || !resetRecords_) {
        return;
    }
    if (const std::optional<RecordStatistics> fresh = resetRecords_()) {
        setStatistics(*fresh);
    }
}

} // namespace kelmar
