#include "app/layout_dialog.h"

#include "app/chooser_parts.h"
#include "core/deal.h"
#include "core/layout.h"
#include "core/numbered_deal.h"
#include "core/tick_source.h"
#include "render/graphics.h"
#include "render/renderer.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <memory>

namespace kelmar {

namespace {

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

std::optional<int> AskLayout(QWidget* owner, const std::vector<LayoutChoice>& choices,
                             int current) {
    QDialog dialog(owner);
    dialog.setWindowTitle(QStringLiteral("Aufstellung wählen"));
    auto* list = new QListWidget(&dialog);
    list->setObjectName(QStringLiteral("LayoutList"));
    list->setViewMode(QListView::IconMode);
    list->setResizeMode(QListView::Adjust);
    list->setMovement(QListView::Static);
    list->setWordWrap(true);
    int iconWidth = 160;
    for (const LayoutChoice& c : choices) {
        if (!c.picture.isNull()) {
            iconWidth = c.picture.width();
            list->setIconSize(c.picture.size());
        }
        list->addItem(
            new QListWidgetItem(QIcon(QPixmap::fromImage(c.picture)), LayoutChoiceText(c)));
    }
    list->setGridSize(QSize(iconWidth + 24, iconWidth * 3 / 4 + 74));
    list->setCurrentRow(current);
    AddChooserColumn(dialog, list);
    const int columns = 4;
    const int rows = (static_cast<int>(choices.size()) + columns - 1) / columns;
    dialog.resize(columns * (iconWidth + 24) + 40,
                  std::min(3, std::max(rows, 1)) * (iconWidth * 3 / 4 + 74) + 80);
    if (dialog.exec() != QDialog::Accepted || list->currentRow() < 0) {
        return std::nullopt;
    }
    return list->currentRow();
}

} // namespace kelmar
