// The player's own data folder of the game, where the layouts and tile sets
// players make themselves are looked for. The game never writes there.
#pragma once

#include <string>

namespace kelmar {

// $XDG_DATA_HOME/kelmar/`child`, or ~/.local/share/kelmar/`child` when
// XDG_DATA_HOME is unset, empty or not absolute; empty when neither it nor
// HOME gives an absolute folder.
std::string PlayerDataFolder(const std::string& child);

} // namespace kelmar
