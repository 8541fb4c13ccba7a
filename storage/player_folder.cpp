#include "storage/player_folder.h"

#include <algorithm>
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

std::string PlayerFileMessagesText(const std::vector<std::string>& messages,
                                   const std::string& oneMore, const std::string& manyMore) {
    std::string text;
    const std::size_t named = std::min(messages.size(), kPlayerFileMessagesNamed);
    for (std::size_t i = 0; i < named; ++i) {
        text += (i == 0 ? "" : "\n\n") + messages[i];
    }
    if (messages.size() > named) {
        const std::size_t more = messages.size() - named;
        text += "\n\n… und " + std::to_string(more) + " " + (more == 1 ? oneMore : manyMore);
    }
    return text;
}

} // namespace kelmar
