#include "app/layout_dialog.h"

#include "app/chooser_parts.h"
#include "core/deal.h"
#include "core/layout.h"
#include "core/numbered_deal.h"
#include "core/tick_source.h"
#include "render/graphics.h"
#include "render/renderer.h"
#include "scores/score_book.h"
#include "scores/score_text.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>

namespace kelmar {

namespace {

// What the dialog needs around its list: the window manager's title bar and
// border, the layout's margins, the buttons under the list, in pixels.
constexpr QSize kDialogChrome(48, 100);

class StillTicks final : public TickSource {
public:
    uint32_t now() override { return 0; }
};

std::unique_ptr<Bitmap> copyOf(const std::unique_ptr<Bitmap>& bitmap) {
    return bitmap ? std::make_unique<Bitmap>(*bitmap) : nullptr;
}

} // namespace

QString LayoutChoiceText(const LayoutChoice& choice) {
    const QString grade = choice.typicalGrade.isEmpty()
                              ? QString()
                              : QStringLiteral(" · meist %1").arg(choice.typicalGrade);
    return choice.name + QStringLiteral("\n%1 Ebenen%2\nBestzeit %3")
                             .arg(choice.layers)
                             .arg(grade, choice.bestTime);
}

QString TypicalGradeWord(const Layout& layout) {
    const std::string_view word = GradeWord(TypicalGrade(layout));
    return QString::fromUtf8(word.data(), static_cast<qsizetype>(word.size()));
}

QImage LayoutPreview(const Layout& layout, const Graphics& graphics, int width) {
    if (!graphics.BackBuffer || !graphics.TileSheet || !graphics.TileFrame ||
        !graphics.BackgroundTile) {
        return {};
    }
    // A graphics state of its own, so the board on the screen is untouched.
    Graphics own;
    own.BackgroundTile = copyOf(graphics.BackgroundTile);
    own.TileSheet = copyOf(graphics.TileSheet);
    own.TileFrame = copyOf(graphics.TileFrame);
    own.BackBuffer = copyOf(graphics.BackBuffer);
    own.BackgroundWidth = graphics.BackgroundWidth;
    own.BackgroundHeight = graphics.BackgroundHeight;
    own.SheetIndex = graphics.SheetIndex;
    own.HighlightMask = graphics.HighlightMask;
    own.BannerFont = graphics.BannerFont;
    own.BannerLayout = graphics.BannerLayout;
    own.ScalePercent = graphics.ScalePercent;
    auto game = std::make_unique<Game>();
    game->layout = &layout;
    game->settings.AvoidUnsolveableGames = false;
    SeedRandom(*game, 1);
    NewGame(*game);
    CapturedSurface surface;
    StillTicks ticks;
    RenderBoard(*game, own, surface, ticks);
    if (surface.picture.isNull()) {
        return {};
    }
    return surface.picture.scaledToWidth(width, Qt::SmoothTransformation);
}

ChooserGrid ChooserGridFor(int count, int cellWidth, int cellHeight, int roomWidth,
                           int roomHeight) {
    ChooserGrid grid;
    count = std::max(count, 1);
    const int maxColumns = std::max(1, roomWidth / std::max(cellWidth, 1));
    const int maxRows = std::max(1, roomHeight / std::max(cellHeight, 1));
    const auto rowsFor = [count](int columns) { return (count + columns - 1) / columns; };
    grid.columns = std::min({4, maxColumns, count});
    while (rowsFor(grid.columns) > maxRows && grid.columns < std::min(maxColumns, count)) {
        ++grid.columns;
    }
    grid.rows = rowsFor(grid.columns);
    grid.visibleRows = std::min(grid.rows, maxRows);
    return grid;
}

std::optional<int> AskLayout(QWidget* owner, const std::vector<LayoutChoice>& choices,
                             int current) {
    QDialog dialog(owner);
    QListWidget* list =
        ChooserList(dialog, QStringLiteral("Aufstellung wählen"), QStringLiteral("LayoutList"));
    int iconWidth = 160;
    for (const LayoutChoice& c : choices) {
        if (!c.picture.isNull()) {
            iconWidth = c.picture.width();
            list->setIconSize(c.picture.size());
        }
        list->addItem(
            new QListWidgetItem(QIcon(QPixmap::fromImage(c.picture)), LayoutChoiceText(c)));
    }
    const QSize cell(iconWidth + 24, iconWidth * 3 / 4 + 74);
    list->setGridSize(cell);
    list->setSpacing(0);
    list->setCurrentRow(current);
    AddChooserColumn(dialog, list);
    // The list's viewport holds whole rows and whole columns; the scroll
    // bar's step is the grid's height, so scrolling never cuts a row.
    const QScreen* screen = owner != nullptr ? owner->screen() : QGuiApplication::primaryScreen();
    const QSize area = screen != nullptr ? screen->availableGeometry().size() : QSize(1024, 768);
    const ChooserGrid grid = ChooserGridFor(static_cast<int>(choices.size()), cell.width(),
                                            cell.height(), area.width() - kDialogChrome.width(),
                                            area.height() - kDialogChrome.height());
    const int scrollBar =
        grid.visibleRows < grid.rows ? list->style()->pixelMetric(QStyle::PM_ScrollBarExtent) : 0;
    list->setVerticalScrollBarPolicy(grid.visibleRows < grid.rows ? Qt::ScrollBarAlwaysOn
                                                                  : Qt::ScrollBarAlwaysOff);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // One pixel wider: the list wraps an item whose cell ends exactly at the
    // viewport's edge.
    list->setFixedSize(grid.columns * cell.width() + 2 * list->frameWidth() + scrollBar + 1,
                       grid.visibleRows * cell.height() + 2 * list->frameWidth());
    dialog.adjustSize();
    if (dialog.exec() != QDialog::Accepted || list->currentRow() < 0) {
        return std::nullopt;
    }
    return list->currentRow();
}

// Width of a picture in the chooser, in pixels.
constexpr int kPreviewWidth = 192;

std::vector<LayoutChoice> LayoutChoices(const std::vector<Layout>& layouts, const ScoreBook& scores,
                                        const Graphics& graphics) {
    std::vector<LayoutChoice> choices;
    for (const Layout& l : layouts) {
        const int32_t best = scores.playerBest(l.ShortName);
        choices.push_back(
            {QString::fromStdString(l.Name), l.LayerCount(),
             best >= 0 ? QString::fromStdString(FormatScoreTime(best)) : QStringLiteral("–"),
             LayoutPreview(l, graphics, kPreviewWidth), TypicalGradeWord(l)});
    }
    return choices;
}

} // namespace kelmar
