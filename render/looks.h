// The looks the player chooses: a tile set (the face sheet and the tile
// frame) and a background (a felt picture or one plain colour).
//
// A tile set is a folder holding KLTiles.bmp and KLTFrame.bmp in the sheet
// layout of the game folder, and the same pictures for the larger levels
// (KLTiles200.bmp ...); a felt is a folder holding KLBack.bmp and its
// levels. A level missing in a folder is filtered from another one
// (FindLevelPicture), so a set of one file serves every scale.
//
// The game folder itself holds the classic set and the blue felt, the
// defaults; the other sets of our own lie in the game folder under
// "sets/NAME", the other felts under "felts/NAME". Only the chosen set and
// felt are ever read into memory.
#pragma once

#include "core/game.h"
#include "core/tick_source.h"
#include "render/board_surface.h"
#include "render/graphics.h"

#include <QRgb>
#include <QString>
#include <optional>
#include <vector>

namespace kelmar {

// One tile set or felt on offer. `Folder` is relative to the game folder
// (empty: the game folder itself) or absolute (a player's set).
struct LookChoice {
    QString ShortName; // kept in the settings file; letters, digits, '-', '_'
    QString Name;      // German, shown in the chooser
    QString Folder;
};

// Our own tile sets, the classic one first (the default).
const std::vector<LookChoice>& BuiltInTileSets();
// Our own felts, today's blue felt first (the default).
const std::vector<LookChoice>& BuiltInBackgrounds();

// The choice named `shortName` (letter case aside) in `choices`; the first
// choice when no name matches. `choices` must not be empty.
const LookChoice& FindLook(const std::vector<LookChoice>& choices, const QString& shortName);

// "#rrggbb" (either letter case) as a colour; nullopt for anything else.
std::optional<QRgb> ParsePlainColour(const QString& text);
// The colour as "#rrggbb", lower case.
QString PlainColourText(QRgb colour);

// What the looks settings ask for: a tile set by short name, and a felt by
// short name or a plain colour ("#rrggbb"). Unknown names give the defaults.
struct LookSetting {
    const LookChoice* TileSet = nullptr;
    const LookChoice* Background = nullptr; // null when PlainColour is set
    std::optional<QRgb> PlainColour;
};
LookSetting ResolveLooks(const std::vector<LookChoice>& tileSets,
                         const std::vector<LookChoice>& backgrounds, const QString& tileSet,
                         const QString& background);

// Sets TileSetFolder, BackgroundFolder and PlainBackground of `graphics`
// from `setting`; reads nothing.
void ApplyLooks(Graphics& graphics, const LookSetting& setting);

// The background tile of a plain colour: a small square of it in `format`.
Bitmap PlainBackgroundTile(QRgb colour, PixelFormatSetting format);

// The player chose new looks: ApplyLooks, then LoadGraphics in the game's
// pixel format, and RenderBoard while the game is Running (the deal, the
// clock and the history are not touched; a logo screen stays up and shows
// the new looks when it is left). When a picture of the new looks cannot be
// read, the previous looks are put back and read again, and the error of
// the new looks propagates (GraphicsError).
void ChooseLooks(Game& game, Graphics& graphics, BoardSurface& surface, TickSource& ticks,
                 const LookSetting& setting);

} // namespace kelmar
