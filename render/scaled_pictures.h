// The board pictures for a scale that has no picture files of its own:
// drawn from another level's pictures with a smoothing filter, once per
// scale (when the pictures are loaded, never while painting).
//
// Made smaller, the background and the tile sheet come out bit for bit as
// QImage::scaled with Qt::SmoothTransformation makes them (the mean of the
// source pixels each target pixel covers), in a fraction of its time where
// the processor has AVX2.
//
// All three take and give RGB32 images. `from` is the level the source was
// drawn for, `to` the scale wanted (percentages); the board's lengths at
// `to` are those of ScaleLength.
#pragma once

#include <QImage>

namespace kelmar {

// A background picture that repeats without a seam: scaled as if the
// copies around it were there, so the filter reads across its edges what a
// neighbouring copy shows. Size: the source's times to/from, rounded down,
// at least 1 x 1.
QImage ScaleRepeatingPicture(const QImage& tile, int from, int to);

// A tile sheet of 9 x 5 face cells (cells of ScaleLength(38, from) x
// ScaleLength(54, from) at the multiples of that size), cell by cell so that
// no face blends into its neighbour: each face scaled to ScaleLength(38, to)
// x ScaleLength(54, to) at a pitch of SheetPitch(38, to) x SheetPitch(54,
// to), the spare column and row repeating the face's last ones. Parts of the
// source outside the grid are not read; a cell that the source does not
// hold whole stays black.
QImage ScaleTileSheet(const QImage& sheet, int from, int to);

// A picture whose pure black pixels are transparent (the tile frame): the
// opaque part is filtered on its own and black stays black. A pixel is
// opaque when at least half of what the filter reads there is opaque; its
// colour is then the mean of the opaque colours, never pure black. Size as
// ScaleRepeatingPicture.
QImage ScaleKeyedPicture(const QImage& picture, int from, int to);

} // namespace kelmar
