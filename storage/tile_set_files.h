// The tile sets players make themselves: each sub-folder of the tile-set
// folder is one set, its folder name the set's short name. A set holds the
// face sheet KLTiles.bmp and the tile frame KLTFrame.bmp with the sizes of
// the game folder's own (342 x 270 and 48 x 64 at 100 %), and may hold the
// same pictures for the larger levels instead or as well (KLTiles150.bmp
// ... KLTFrame300.bmp, each scaled by its level); the game draws the sizes
// a set lacks from those it has. Only the headers are read here: a set is
// checked at start, and its pictures are read when it is chosen.
#pragma once

#include <string>
#include <vector>

namespace kelmar {

// $XDG_DATA_HOME/kelmar/tilesets, or ~/.local/share/kelmar/tilesets when
// XDG_DATA_HOME is unset, empty or not absolute; empty when neither it nor
// HOME gives an absolute folder.
std::string PlayerTileSetFolder();

// The reason `folder` (holding a set named `shortName`) is no usable tile
// set, as one German sentence naming the file and what is wrong; empty when
// it is usable. A set is usable when it holds at least one sheet and one
// frame of the level file names, and every such file is a regular file
// holding an uncompressed BMP picture (1, 4, 8, 16, 24 or 32 bits per
// pixel) of exactly the size of its level with all of its pixel rows.
std::string CheckTileSetFolder(const std::string& folder, const std::string& shortName);

struct PlayerTileSet {
    std::string ShortName; // the folder's name
    std::string Folder;    // absolute when `folder` below is
};

struct PlayerTileSets {
    std::vector<PlayerTileSet> sets;   // in the order of their folder names
    std::vector<std::string> messages; // German, one per set not offered
};

// The sets in the sub-folders of `folder` (anything else there is left
// alone). A set is not offered, with one message, when its folder name is
// no short name (1 to 32 of A-Z, a-z, digits, '-', '_'), when one of
// `known` (letter case aside) has it, or when CheckTileSetFolder finds a
// fault. A missing folder gives nothing.
PlayerTileSets ReadPlayerTileSets(const std::string& folder, const std::vector<std::string>& known);

} // namespace kelmar
