// A picture of the sheet layout for players who draw a tile set of their
// own: the classic sheet, faded, at twice its size, each cell labelled with
// the tile it holds (German) and the grid with its pixel positions.
#pragma once

#include <QImage>

namespace kelmar::art {

QImage makeSheetLayoutPicture();

} // namespace kelmar::art
