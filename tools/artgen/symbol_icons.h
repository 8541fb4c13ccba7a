// The 20 pictures of the image list shared by tool bar and menu, 16 x 16
// with an alpha channel:
//    0 new game     1 hint        2 undo         3 redo        4 about
//    5 exit         6 save        7 load         8 save as     9 pause
//   10 pixel-format submenu      11 automatic pixel format
//   12 8 and 4 bit 13 16 and 15 bit  14 32 and 24 bit
//   15 render times 16 best times 17 help  18 prevent unsolvable games
//   19 force repaint
#pragma once

#include <QImage>

namespace kelmar::art {

constexpr int kSymbolCount = 20;
constexpr int kSymbolSize = 16;

// ARGB32 picture of symbol `index` (0..19); a fully transparent picture for
// any other index.
QImage makeSymbol(int index);

} // namespace kelmar::art
