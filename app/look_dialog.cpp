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

// The part of the 640 x 480 board shown, 4:3: for a tile set the middle,
// tiles of every layer at their own size so that their faces can be read;
// for a felt a corner, where the felt shows around the tiles.
constexpr QRect kFacesPiece(200, 150, 240, 180);
constexpr QRect kFeltPiece(0, 0, 320, 240);

} // namespace

QImage LookPreview(const Graphics& graphics, const LookSetting& looks, int width, bool faces) {
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
    return surface.picture.copy(faces ? kFacesPiece : kFeltPiece)
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
        entries.push_back({choice.Name, LookPreview(graphics, looks, width, tileSets)});
    }
    return entries;
}

std::optional<int> AskLook(QWidget* owner, const QString& title,
                           const std::vector<LookEntry>& entries, int current) {
    QDialog dialog(owner);
    QListWidget* list = ChooserList(dialog, title, QStringLiteral("LookList"));
    QSize icon(240, 180);
    for (const LookEntry& entry : entries) {
        if (!entry.picture.isNull()) {
            icon = entry.picture.size();
        }
    }
    list->setIconSize(icon);
    for (const LookEntry& entry : entries) {
        // The chosen entry's picture is shown as it is, not tinted with
        // the selection colour: it is the look the player judges.
        const QPixmap picture = QPixmap::fromImage(entry.picture);
        QIcon icon(picture);
        icon.addPixmap(picture, QIcon::Selected);
        list->addItem(new QListWidgetItem(icon, entry.name));
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
