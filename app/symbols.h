// The pictures compiled into the program: the 20 images of `Symbols` shared
// by tool bar and menu, and the window icon.
#pragma once

#include <QIcon>
#include <array>

namespace kelmar {

// Index i is ":/icons/symbol-ii.png" (two digits). A missing picture gives a
// null icon: the command is still there, without its image.
std::array<QIcon, 20> LoadSymbols();

// The program icon in every size the resources hold (16 px first).
QIcon WindowIcon();

} // namespace kelmar
