// The faces of the tile sets beside the classic one. Each tells every kind
// apart by shape and symbol, so no kind depends on its colour alone:
//
//   coins       round pips        bamboo   upright bars     characters  diamonds
//   winds       the letter N, O, S or W and an arrow pointing that way
//   dragons     a flame (a pointed arch), a hexagon, an empty double frame
//   flowers     a five-petal blossom and the numeral 1..4
//   seasons     an eight-point star and the numeral 1..4
//
// Suit tiles carry their value twice, as a numeral and as the number of
// pips (Kontrast, Nacht), or as one numeral that fills most of the face over
// a band of their suit's shape (Großdruck). All faces are drawn in 38 x 54
// units from the painter's origin, like the classic ones.
#pragma once

#include <QColor>

class QPainter;

namespace kelmar::art {

enum class FaceLayout {
    Pips,       // corner numeral and the value as pips
    LargePrint, // one large numeral over the suit's shape
};

struct SetStyle {
    FaceLayout layout;
    QColor ground;
    QColor rimLit;
    QColor rimShade;
    QColor suit[3]; // coins, bamboo, characters
    QColor honour;  // winds, the white dragon
    QColor redDragon;
    QColor greenDragon;
    QColor flower;
    QColor season;
    QColor edge; // outline of filled shapes; the ground for none
    bool hollow; // pips drawn as outlines (a glow on the dark set)
};

extern const SetStyle kContrastStyle;
extern const SetStyle kLargePrintStyle;
extern const SetStyle kNightStyle;

// The whole face of `kind` (1..42) in `style`, ground and rim included.
void paintSetFace(QPainter& painter, const SetStyle& style, int kind);

} // namespace kelmar::art
