#include "storage/player_folder.h"

#include <cstdlib>

namespace kelmar {

std::string PlayerDataFolder(const std::string& child) {
    const auto absolute = [](const char* path) { return path != nullptr && path[0] == '/'; };
    const char* data = std::getenv("XDG_DATA_HOME");
    if (absolute(data)) {
        return std::string(data) + "/kelmar/" + child;
    }
    const char* home = std::getenv("HOME");
    if (absolute(home)) {
        return std::string(home) + "/.local/share/kelmar/" + child;
    }
    return {};
}

} // namespace kelmar
