// The tile sets and felts the generator draws, by the short names under
// which the game offers them (render/looks.h gives their German names and
// folders). The classic set and the blue felt are the game's own pictures.
#pragma once

#include "tile_frame.h"
#include "tile_sheet.h"

#include <QColor>
#include <QImage>
#include <QString>
#include <cstdint>
#include <vector>

namespace kelmar::art {

struct TileSetArt {
    QString shortName;
    SheetArt sheet;
    FrameColours frame;
};

struct FeltArt {
    QString shortName;
    uint32_t seed;
    QColor base;
};

// In the order of BuiltInTileSets and BuiltInBackgrounds.
const std::vector<TileSetArt>& tileSetArts();
const std::vector<FeltArt>& feltArts();

// The sheet and frame of `set` at zoom level `percent`.
QImage makeSetSheet(const TileSetArt& set, int percent = 100);
QImage makeSetFrame(const TileSetArt& set, int percent = 100);
QImage makeFelt(const FeltArt& felt, int percent = 100);

} // namespace kelmar::art
