// The tile-face sheet KLTiles.bmp: a grid of 9 x 5 cells of 38 x 54.
//
//   row 0 (y   0): kinds 10..18 in columns 0..8
//   row 1 (y  54): kinds  1..9  in columns 0..8
//   row 2 (y 108): kinds 19..27 in columns 0..8
//   row 3 (y 162): kinds 35..38 in columns 0..3, 28..31 in columns 4..7
//   row 4 (y 216): kinds 39..42 in columns 0..3, 32..34 in columns 4..6,
//                  the highlight mask (kind 0) in column 7
//   column 8 of rows 3 and 4 belongs to no kind.
#pragma once

#include "art_style.h"

#include <QImage>
#include <QPoint>
#include <QSize>

namespace kelmar::art {

constexpr int kSheetWidth = 342;
constexpr int kSheetHeight = 270;

// Top-left corner of the cell of `kind` (0..42); (-1, -1) for any other kind.
QPoint sheetCellOrigin(int kind);

// The same corner in the sheet drawn for zoom level `percent`.
QPoint sheetCellOrigin(int kind, int percent);

// What a tile set draws into its sheet: each face (kind 1..42, drawn in
// 38 x 54 units from the painter's origin, ground included) and the bits its
// highlight sets over the rim (ring) and inside (tint); see kHighlightRing.
struct SheetArt {
    void (*paintFace)(QPainter& painter, int kind);
    QColor ring;
    QColor tint;
};

// The classic faces (tile_faces.h) with kHighlightRing and kHighlightTint.
extern const SheetArt kClassicSheetArt;

// The whole sheet, RGB32, every cell drawn; unused cells are plain grey.
// At zoom level `percent` every length is percent/100 times as long (a
// 684 x 540 sheet of 76 x 108 cells at 200), the faces drawn from the same
// outlines.
QImage makeTileSheet(int percent = 100, const SheetArt& art = kClassicSheetArt);

// Whether (x, y) of a face at `percent` lies on the face's rim, within
// kFaceRimWidth board pixels (scaled, rounded up) of its edge.
bool inHighlightRing(int x, int y, int percent = 100);

// Mask colour at (x, y) of the mask cell of the sheet for `percent`
// (38 x 54 at 100): the inverse of kHighlightRing on the rim
// (inHighlightRing), of kHighlightTint inside. A merge-paint sets the bits
// that are clear in the mask (result = NOT mask OR face, per bit).
QRgb highlightMaskColor(int x, int y, int percent = 100, const QColor& ring = kHighlightRing,
                        const QColor& tint = kHighlightTint);

// The merge-paint raster operation, per bit of every colour byte:
// dest := (NOT mask) OR dest, for the mask's cell of `cell` pixels at
// `maskOrigin` of `sheet`, onto `dest` at `at`. Used for previews and checks.
void mergePaint(QImage& dest, QPoint at, const QImage& sheet, QPoint maskOrigin,
                QSize cell = QSize(kFaceWidth, kFaceHeight));

} // namespace kelmar::art
