#include "tile_sets.h"

#include "felt_background.h"
#include "set_faces.h"
#include "tile_faces.h"

namespace kelmar::art {
namespace {

void paintContrastFace(QPainter& painter, int kind) {
    paintSetFace(painter, kContrastStyle, kind);
}
void paintLargePrintFace(QPainter& painter, int kind) {
    paintSetFace(painter, kLargePrintStyle, kind);
}
void paintNightFace(QPainter& painter, int kind) {
    paintSetFace(painter, kNightStyle, kind);
}

// The highlight's bits (see kHighlightRing): over the dark rims of the
// other sets all of red and the top two bits of green turn the rim yellow;
// inside, the light grounds gain the bits they lack in red and green, and
// the slate ground of the night set lightens by a quarter.
const QColor kBrightRing{0xFF, 0xC0, 0x00};

} // namespace

const std::vector<TileSetArt>& tileSetArts() {
    static const std::vector<TileSetArt> sets{
        {QStringLiteral("klassisch"), kClassicSheetArt, kClassicFrame},
        {QStringLiteral("kontrast"),
         {paintContrastFace, kBrightRing, QColor(0x0F, 0x15, 0x00)},
         {{250, 248, 240},
          {212, 208, 196},
          {84, 84, 100},
          {48, 48, 62},
          {110, 110, 120},
          {40, 40, 48},
          {12, 12, 16},
          kContrastStyle.ground}},
        {QStringLiteral("grossdruck"),
         {paintLargePrintFace, kBrightRing, QColor(0x0B, 0x11, 0x00)},
         {{252, 248, 236},
          {222, 214, 192},
          {70, 90, 160},
          {36, 52, 110},
          {100, 100, 120},
          {40, 48, 80},
          {20, 24, 40},
          kLargePrintStyle.ground}},
        {QStringLiteral("nacht"),
         {paintNightFace, kBrightRing, QColor(0x48, 0x48, 0x48)},
         {{104, 112, 136},
          {70, 76, 98},
          {50, 54, 72},
          {32, 35, 48},
          {130, 138, 160},
          {150, 158, 180},
          {120, 128, 150},
          kNightStyle.ground}},
    };
    return sets;
}

const std::vector<FeltArt>& feltArts() {
    static const std::vector<FeltArt> felts{
        {QStringLiteral("blau"), kFeltSeed, kFeltBase},
        {QStringLiteral("gruen"), 0x4B454C31u, QColor(22, 82, 46)},
        {QStringLiteral("wein"), 0x4B454C32u, QColor(92, 22, 40)},
        {QStringLiteral("nacht"), 0x4B454C33u, QColor(24, 26, 34)},
    };
    return felts;
}

QImage makeSetSheet(const TileSetArt& set, int percent) {
    return makeTileSheet(percent, set.sheet);
}

QImage makeSetFrame(const TileSetArt& set, int percent) {
    return makeTileFrame(percent, set.frame);
}

QImage makeFelt(const FeltArt& felt, int percent) {
    return makeFeltBackground(felt.seed, felt.base, percent);
}

} // namespace kelmar::art
