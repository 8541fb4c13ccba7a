#include "app/look_dialog.h"

#include "app/chooser_parts.h"
#include "core/deal.h"
#include "core/rules.h"
#include "core/tick_source.h"
#include "render/graphics.h"
#include "render/graphics_error.h"
#include "render/renderer.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QVBoxLayout>
#include <memory>

namespace kelmar {

namespace {

// The part of the 640 x 480 board shown: tiles of every layer at their
// own size, so that their faces can be read.
constexpr int kPreviewLeft = 150;
constexpr int kPreviewTop = 120;
constexpr int kPreviewWidth = 320;
constexpr int kPreviewHeight = 240;

} // namespace

QImage LookPreview(const Graphics& graphics, const LookSetting& looks, int width) {
    Graphics own;
    own.PictureFolder = graphics.PictureFolder;
    ApplyLooks(own, looks);
    BuildSheetIndex(own);
    auto game = std::make_unique<Game>();
    game->settings.AvoidUnsolveableGames = false;
    SeedRandom(*game, 1);
    NewGame(*game);
    AnalyzeBoard(*game);
    try {
        LoadGraphics(own, PixelFormatSetting::Device);
    } catch (const GraphicsError&) {
        return {};
    }
    CapturedSurface surface;
    ManualTickSource ticks;
    RenderBoard(*game, own, surface, ticks);
    return surface.picture.copy(kPreviewLeft, kPreviewTop, kPreviewWidth, kPreviewHeight)
        .scaledToWidth(width, Qt::SmoothTransformation);
}

std::vector<LookEntry> LookEntries(const Graphics& graphics, const std::vector<LookChoice>& choices,
                                   bool tileSets, const LookSetting& current, int width) {
    std::vector<LookEntry> entries;
    for (const LookChoice& choice : choices) {
        LookSetting looks = current;
        if (tileSets) {
            looks.TileSet = &choice;
        } else {
            looks.Background = &choice;
            looks.PlainColour.reset();
        }
        entries.push_back({choice.Name, LookPreview(graphics, looks, width)});
    }
    return entries;
}

std::optional<int> AskLook(QWidget* owner, const QString& title,
                           const std::vector<LookEntry>& entries, int current) {
    QDialog dialog(owner);
    dialog.setWindowTitle(title);
    auto* list = new QListWidget(&dialog);
    list->setObjectName(QStringLiteral("LookList"));
    list->setViewMode(QListView::IconMode);
    list->setResizeMode(QListView::Adjust);
    list->setMovement(QListView::Static);
    list->setWordWrap(true);
    QSize icon(240, 180);
    for (const LookEntry& entry : entries) {
        if (!entry.picture.isNull()) {
            icon = entry.picture.size();
        }
    }
    list->setIconSize(icon);
    for (const LookEntry& entry : entries) {
        list->addItem(new QListWidgetItem(QIcon(QPixmap::fromImage(entry.picture)), entry.name));
    }
    list->setGridSize(icon + QSize(24, 40));
    list->setCurrentRow(current);
    AddChooserColumn(dialog, list);
    const int columns = std::min(4, std::max(1, static_cast<int>(entries.size())));
    const int rows = (static_cast<int>(entries.size()) + columns - 1) / columns;
    dialog.resize(columns * (icon.width() + 24) + 40,
                  std::min(2, std::max(rows, 1)) * (icon.height() + 40) + 80);
    if (dialog.exec() != QDialog::Accepted || list->currentRow() < 0) {
        return std::nullopt;
    }
    return list->currentRow();
}

} // namespace kelmar
