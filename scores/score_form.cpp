#include "scores/score_form.h"

#include "scores/name_validator.h"
#include "scores/score_text.h"
#include "scores/windows1252.h"

#include <QFont>
#include <QFontMetrics>
#include <QFrame>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTableWidget>
#include <algorithm>

namespace kelmar {

namespace {

constexpr int kClientWidth = 440;
constexpr int kClientHeight = 256;
constexpr int kPanelWidth = 129;
constexpr int kGridRowHeight = 20;
constexpr int kGridColumns = 4;
constexpr int kNameColumn = 1;
constexpr int kTimeColumn = 2;
constexpr int kDateColumn = 3;
constexpr int kColumnWidths[kGridColumns] = {30, 125, 50, 80};

// The settings reader takes at most 2047 characters of a value; a longer
// name would come back cut after the next start.
constexpr int kMaxPlayerNameLength = 2047;

// Seven lines; each '\r' is one line break.
const char* const kPromptText = "Sie haben eine der\r10 besten Zeiten\rerreicht. Bitte\r"
                                "geben Sie ihren\rNamen ein, um in\rdie Liste aufge-\r"
                                "nommen zu werden:";

QFont pixelFont(const char* family, int pixels, bool bold = false, bool italic = false) {
    QFont font(QString::fromLatin1(family));
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

// The layout leaves room for the requested fonts' widths. Where the desktop
// substitutes a wider family, the font is condensed (same pixel height) just
// enough for the widest of `samples` to fit `width` pixels.
QFont condensedToFit(QFont font, const QStringList& samples, int width) {
    int widest = 0;
    const QFontMetrics metrics(font);
    for (const QString& sample : samples) {
        widest = std::max(widest, metrics.horizontalAdvance(sample));
    }
    if (widest > width && widest > 0) {
        constexpr int kNarrowest = 50; // percent
        font.setStretch(std::max(kNarrowest, 100 * width / widest));
    }
    return font;
}

void fillBackground(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QLabel* makeLabel(QWidget* parent, const char* objectName, int left, int top) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(objectName));
    label->move(left, top);
    return label;
}

} // namespace

TScoreForm::TScoreForm(HighScoreTable& table, GameSettings& settings, QWidget* parent, DayClock now)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), table_(&table),
      settings_(settings), now_(std::move(now)) {
    if (!now_) {
        now_ = CurrentLocalDayCount;
    }
    setObjectName(QStringLiteral("ScoreForm"));
    setWindowTitle(QStringLiteral("Kelmar-Bestenliste"));
    setFixedSize(kClientWidth, kClientHeight);
    setFont(pixelFont("Tahoma", 11));
    fillBackground(this, QColor(160, 160, 168));
    createControls();
    FormCreate();
}

void TScoreForm::createControls() {
    createGrid();
    createInputPanel();

    OKbtn = new QPushButton(QStringLiteral("OK"), this);
    OKbtn->setObjectName(QStringLiteral("OKbtn"));
    OKbtn->setGeometry(304, 224, 129, 25);
    OKbtn->setDefault(true);
    connect(OKbtn, &QPushButton::clicked, this, &TScoreForm::OKbtnClick);

    setTabOrder(InpName, OKbtn);
}

void TScoreForm::createGrid() {
    ScoreBox = new QTableWidget(kScoreRows, kGridColumns, this);
    ScoreBox->setObjectName(QStringLiteral("ScoreBox"));
    ScoreBox->setGeometry(8, 8, 289, 241);
    ScoreBox->setTextElideMode(Qt::ElideNone);
    ScoreBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ScoreBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ScoreBox->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The list is only read: the user neither selects nor moves through it;
    // SelectScoreRow marks the new entry.
    ScoreBox->setSelectionMode(QAbstractItemView::NoSelection);
    ScoreBox->setFocusPolicy(Qt::NoFocus);
    ScoreBox->setShowGrid(false);
    ScoreBox->setWordWrap(false);
    ScoreBox->setCornerButtonEnabled(false);
    ScoreBox->verticalHeader()->hide();

    QHeaderView* vertical = ScoreBox->verticalHeader();
    vertical->setMinimumSectionSize(kGridRowHeight);
    vertical->setDefaultSectionSize(kGridRowHeight);
    vertical->setSectionResizeMode(QHeaderView::Fixed);

    QHeaderView* header = ScoreBox->horizontalHeader();
    header->setFixedHeight(kGridRowHeight);
    header->setMinimumSectionSize(1);
    header->setSectionResizeMode(QHeaderView::Fixed);
    header->setSectionsClickable(false);
    header->setHighlightSections(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    for (int r = 0; r < kScoreRows; ++r) {
        for (int c = 0; c < kGridColumns; ++c) {
            auto* item = new QTableWidgetItem;
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            ScoreBox->setItem(r, c, item);
        }
    }
}

void TScoreForm::createInputPanel() {
    ScoreInpPanel = new QFrame(this);
    ScoreInpPanel->setObjectName(QStringLiteral("ScoreInpPanel"));
    ScoreInpPanel->setGeometry(304, 8, kPanelWidth, 209);
    LDummy = makeLabel(ScoreInpPanel, "LDummy", 12, 88);
    LDummy->setText(QStringLiteral("Kelmar"));

    LGrat = makeLabel(ScoreInpPanel, "LGrat", 8, 8);
    LGrat->setText(QStringLiteral("Gratulation!"));
    QPalette yellow = LGrat->palette();
    yellow.setColor(QPalette::WindowText, QColor(255, 255, 0));
    LGrat->setPalette(yellow);

    LPrompt = makeLabel(ScoreInpPanel, "LPrompt", 6, 40);
    LPrompt->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    InpName = new QLineEdit(ScoreInpPanel);
    InpName->setObjectName(QStringLiteral("InpName"));
    InpName->setGeometry(8, 172, 113, 26);
    InpName->setMaxLength(kMaxPlayerNameLength);
    InpName->setValidator(new Windows1252NameValidator(InpName));
    connect(InpName, &QLineEdit::textChanged, this, &TScoreForm::InpNameChange);
}

void TScoreForm::FormCreate() {
    entryMode_ = false;
    for (int c = 0; c < kGridColumns; ++c) {
        ScoreBox->setColumnWidth(c, kColumnWidths[c]);
    }
    ScoreBox->setHorizontalHeaderLabels({QStringLiteral("Nr."), QStringLiteral("Name"),
                                         QStringLiteral("Zeit"), QStringLiteral("Datum")});
    for (int r = 1; r <= kScoreRows; ++r) {
        ScoreBox->item(r - 1, 0)->setText(QString::number(r));
    }
    // QLabel breaks plain text at '\n' only.
    LPrompt->setText(
        QString::fromLatin1(kPromptText).replace(QLatin1Char('\r'), QLatin1Char('\n')));
    // entryMode_ is false, so this change does not touch the table.
    InpName->setText(FromWindows1252(settings_.PlayerName));
    table_->NewEntryRow = 0;
    setEntryControlsVisible(false);
    OKbtn->setFocus();
}

void TScoreForm::EnterHighScore(int32_t timeMs) {
    const int32_t row = RecordHighScore(*table_, settings_.PlayerName, timeMs, now_());
    if (row == 0) {
        return;
    }
    entryMode_ = true;
    setEntryControlsVisible(true);
    FillScoreGrid();
    SelectScoreRow(row);
    showWindow();
    // The old name stays; selected, so typing replaces it in one go.
    InpName->setFocus();
    InpName->selectAll();
}

void TScoreForm::ShowScoreList() {
    entryMode_ = false;
    setEntryControlsVisible(false);
    FillScoreGrid();
    SelectScoreRow(-1);
    showWindow();
    OKbtn->setFocus();
}

void TScoreForm::FillScoreGrid() {
    for (int r = 1; r <= kScoreRows; ++r) {
        const HighScoreEntry& entry = table_->Rows[r];
        const bool empty = IsEmptyRow(entry); // a place still free: blank
        ScoreBox->item(r - 1, kNameColumn)->setText(FromWindows1252(entry.Name));
        ScoreBox->item(r - 1, kTimeColumn)
            ->setText(empty ? QString() : QString::fromStdString(FormatScoreTime(entry.Time)));
        ScoreBox->item(r - 1, kDateColumn)
            ->setText(empty ? QString() : QString::fromStdString(FormatScoreDate(entry.Date)));
    }
}

void TScoreForm::SelectScoreRow(int row) {
    ScoreBox->clearSelection();
    if (row >= 1 && row <= kScoreRows) {
        ScoreBox->setRangeSelected(
            QTableWidgetSelectionRange(row - 1, 0, row - 1, kGridColumns - 1), true);
    }
}

void TScoreForm::InpNameChange(const QString& text) {
    const int32_t row = table_->NewEntryRow;
    if (!entryMode_ || row < 1 || row > kScoreRows) {
        return;
    }
    TakeTypedName(*table_, settings_.PlayerName, ToWindows1252(text));
    ScoreBox->item(row - 1, kNameColumn)->setText(FromWindows1252(settings_.PlayerName));
}

void TScoreForm::OKbtnClick() {
    const bool named = entryMode_;
    hide();
    if (named) {
        Q_EMIT nameConfirmed();
    }
}

void TScoreForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        OKbtn->click();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TScoreForm::setEntryControlsVisible(bool entry) {
    LDummy->setVisible(!entry);
    LGrat->setVisible(entry);
    LPrompt->setVisible(entry);
    InpName->setVisible(entry);
}

// Fonts, style sheets and the OK button's icon are set when the window is
// first shown, not when it is created hidden at start-up: measuring loads each
// font, the style sheets bring in the style-sheet engine and the icon a search
// of the desktop's icon theme, together over 2 MB that a game without a best
// time never needs.
void TScoreForm::finishForShowing() {
    // Cells and header in their own colours; the only lines are the ones
    // under the header cells.
    ScoreBox->setStyleSheet(QStringLiteral(
        "QTableWidget { background-color: rgb(185, 174, 142); color: black;"
        " selection-background-color: palette(highlight);"
        " selection-color: palette(highlighted-text); }"
        "QTableWidget::item { padding-left: 2px; }"
        "QHeaderView { background-color: rgb(197, 173, 131); }"
        "QHeaderView::section { background-color: rgb(197, 173, 131); color: black;"
        " border: none; border-bottom: 1px solid rgb(96, 84, 60); padding-left: 2px; }"));

    // A lowered bevel: dark top and left edges, light bottom and right ones.
    ScoreInpPanel->setStyleSheet(
        QStringLiteral("QFrame#ScoreInpPanel { background-color: rgb(139, 154, 188);"
                       " border: 1px solid; border-color: rgb(84, 92, 113) rgb(226, 230, 240)"
                       " rgb(226, 230, 240) rgb(84, 92, 113); }"));

    const QIcon okIcon = style()->standardIcon(QStyle::SP_DialogOkButton, nullptr, this);
    if (!okIcon.isNull()) {
        OKbtn->setIcon(okIcon);
    }

    // A date is the widest cell text; the cell keeps a few pixels of margin.
    const QFont gridFont =
        condensedToFit(pixelFont("Trebuchet MS", 13, true), {QStringLiteral("30.12.2000")},
                       kColumnWidths[kDateColumn] - 14);
    ScoreBox->setFont(gridFont);
    ScoreBox->horizontalHeader()->setFont(gridFont);

    // Each label fits the panel's width less its left offset on both sides.
    LDummy->setFont(condensedToFit(pixelFont("Trebuchet MS", 29, true), {LDummy->text()},
                                   kPanelWidth - 2 * 12));
    LDummy->adjustSize();
    LGrat->setFont(condensedToFit(pixelFont("Trebuchet MS", 19, true, true), {LGrat->text()},
                                  kPanelWidth - 2 * 8));
    LGrat->adjustSize();
    LPrompt->setFont(condensedToFit(pixelFont("Trebuchet MS", 13),
                                    QString::fromLatin1(kPromptText).split(QLatin1Char('\r')),
                                    kPanelWidth - 2 * 9));
    // As wide as the panel less the left offset on both sides, so the centred
    // lines sit in the middle of the panel.
    LPrompt->adjustSize();
    LPrompt->resize(kPanelWidth - 2 * 6, LPrompt->height());
    InpName->setFont(pixelFont("Trebuchet MS", 13, true));
}

void TScoreForm::showWindow() {
    if (!placed_) {
        finishForShowing();
        const QScreen* screen =
            parentWidget() != nullptr ? parentWidget()->screen() : QGuiApplication::primaryScreen();
        if (screen != nullptr) {
            QRect area = rect();
            area.moveCenter(screen->availableGeometry().center());
            move(area.topLeft());
        }
        placed_ = true;
    }
    show();
    raise();
    activateWindow();
}

void TScoreForm::UseTable(HighScoreTable& table, const QString& layoutName) {
    if (&table != table_) {
        // A name still being taken belongs to the old table's row.
        table_->NewEntryRow = 0;
        entryMode_ = false;
        table_ = &table;
    }
    setWindowTitle(QStringLiteral("Kelmar-Bestenliste – ") + layoutName);
    FillScoreGrid();
}

} // namespace kelmar
