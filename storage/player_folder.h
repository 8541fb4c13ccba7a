// The player's own data folder of the game, where the layouts and tile sets
// players make themselves are looked for. The game never writes there.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace kelmar {

// $XDG_DATA_HOME/kelmar/`child`, or ~/.local/share/kelmar/`child` when
// XDG_DATA_HOME is unset, empty or not absolute; empty when neither it nor
// HOME gives an absolute folder.
std::string PlayerDataFolder(const std::string& child);

// Messages named one by one in a warning about the player's files before
// the rest are only counted.
constexpr std::size_t kPlayerFileMessagesNamed = 5;

// One German warning of `messages`: the first kPlayerFileMessagesNamed
// apart by blank lines, then "… und N " and `oneMore` or `manyMore` for the
// rest ("weitere Datei wird übergangen.").
std::string PlayerFileMessagesText(const std::vector<std::string>& messages,
                                   const std::string& oneMore, const std::string& manyMore);

} // namespace kelmar
