#include "app/look_commands.h"

#include "app/main_view.h"
#include "core/game.h"
#include "render/graphics_error.h"
#include "storage/player_folder.h"
#include "storage/storage_error.h"
#include "storage/tile_set_files.h"

#include <QColorDialog>
#include <algorithm>

namespace kelmar {

namespace {

// Width of a picture in the choosers, in pixels.
constexpr int kPreviewWidth = 240;
// The colour the colour dialog starts on while a felt is chosen.
constexpr QRgb kFirstPlainColour = 0x2E4A3A;

// The settings lines of `looks`.
void keep(GameSettings& settings, const LookSetting& looks) {
    settings.TileSet = looks.TileSet->ShortName.toStdString();
    settings.Background = looks.PlainColour ? PlainColourText(*looks.PlainColour).toStdString()
                                            : looks.Background->ShortName.toStdString();
}

} // namespace

std::optional<QRgb> AskColour(QWidget* owner, QRgb initial) {
    const QColor colour =
        QColorDialog::getColor(QColor(initial), owner, QStringLiteral("Hintergrundfarbe wählen"));
    if (!colour.isValid()) {
        return std::nullopt;
    }
    return colour.rgb();
}

LookCommands::LookCommands(Game& game, MainView& view, LookAsker askLook, ColourAsker askColour)
    : game_(game), view_(view), askLook_(askLook ? std::move(askLook) : LookAsker(AskLook)),
      askColour_(askColour ? std::move(askColour) : ColourAsker(AskColour)),
      tileSets_(BuiltInTileSets()) {}

std::string LookCommands::start(const std::optional<std::string>& folder) {
    std::vector<std::string> known;
    for (const LookChoice& set : BuiltInTileSets()) {
        known.push_back(set.ShortName.toStdString());
    }
    const PlayerTileSets own = ReadPlayerTileSets(folder.value_or(PlayerTileSetFolder()), known);
    for (const PlayerTileSet& set : own.sets) {
        const QString name = QString::fromStdString(set.ShortName);
        tileSets_.push_back({name, name, QString::fromStdString(set.Folder)});
    }
    const LookSetting looks = current();
    keep(game_.settings, looks);
    ApplyLooks(view_.graphics(), looks);
    return PlayerFileMessagesText(own.messages, "weiterer Kachelsatz wird nicht angeboten.",
                                  "weitere Kachelsätze werden nicht angeboten.");
}

std::string LookCommands::loadFirst() {
    try {
        view_.LoadGraphics();
        return {};
    } catch (const GraphicsError& error) {
        const LookSetting chosen = current();
        const LookSetting today = ResolveLooks(tileSets_, BuiltInBackgrounds(), {}, {});
        if (chosen.TileSet == today.TileSet) {
            throw; // our own pictures: the game folder is damaged
        }
        keep(game_.settings, today);
        ApplyLooks(view_.graphics(), today);
        view_.graphics().Sources = {};
        view_.LoadGraphics();
        return "Der Kachelsatz " + QuotedFileName(chosen.TileSet->ShortName.toStdString()) +
               " lässt sich nicht lesen (" + error.what() +
               ").\nKelmar zeigt die klassischen Kacheln auf blauem Filz.";
    }
}

LookSetting LookCommands::current() const {
    return ResolveLooks(tileSets_, BuiltInBackgrounds(),
                        QString::fromStdString(game_.settings.TileSet),
                        QString::fromStdString(game_.settings.Background));
}

void LookCommands::chooseTileSet(QWidget* owner) {
    LookSetting looks = current();
    const auto at = std::find_if(tileSets_.begin(), tileSets_.end(),
                                 [&](const LookChoice& set) { return &set == looks.TileSet; });
    const std::optional<int> chosen =
        askLook_(owner, QStringLiteral("Kacheln wählen"),
                 LookEntries(view_.graphics(), tileSets_, true, looks, kPreviewWidth),
                 static_cast<int>(at - tileSets_.begin()));
    if (!chosen || *chosen < 0 || *chosen >= static_cast<int>(tileSets_.size())) {
        return;
    }
    looks.TileSet = &tileSets_[static_cast<std::size_t>(*chosen)];
    choose(looks);
}

// The felts, then a plain colour of the player's choosing.
void LookCommands::chooseBackground(QWidget* owner) {
    LookSetting looks = current();
    const std::vector<LookChoice>& felts = BuiltInBackgrounds();
    std::vector<LookEntry> entries =
        LookEntries(view_.graphics(), felts, false, looks, kPreviewWidth);
    const QRgb plain = looks.PlainColour.value_or(kFirstPlainColour);
    LookSetting plainLooks = looks;
    plainLooks.Background = nullptr;
    plainLooks.PlainColour = plain;
    entries.push_back({QStringLiteral("Eigene Farbe ..."),
                       LookPreview(view_.graphics(), plainLooks, kPreviewWidth, false)});
    const int colourEntry = static_cast<int>(felts.size());
    const int at =
        looks.PlainColour ? colourEntry : static_cast<int>(looks.Background - felts.data());
    const std::optional<int> chosen =
        askLook_(owner, QStringLiteral("Hintergrund wählen"), entries, at);
    if (!chosen || *chosen < 0 || *chosen > colourEntry) {
        return;
    }
    if (*chosen == colourEntry) {
        const std::optional<QRgb> colour = askColour_(owner, plain);
        if (!colour) {
            return;
        }
        looks.Background = nullptr;
        looks.PlainColour = qRgb(qRed(*colour), qGreen(*colour), qBlue(*colour));
    } else {
        looks.Background = &felts[static_cast<std::size_t>(*chosen)];
        looks.PlainColour.reset();
    }
    choose(looks);
}

// The settings change only once the new looks are on the screen. A window
// closed while the chooser was open has freed its pictures: nothing to draw.
void LookCommands::choose(const LookSetting& looks) {
    if (!view_.graphics().BackBuffer) {
        return;
    }
    view_.ChooseLooks(looks);
    keep(game_.settings, looks);
}

} // namespace kelmar
