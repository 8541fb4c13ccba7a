// The options of the [Kelmar] section, in the order the settings file holds
// them: the five of the first version, then the newer ones in the order they
// were added. The on/off options carry their field of GameSettings and their
// menu item; their initial values are those of GameSettings.
#pragma once

#include "core/game.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kelmar {

enum class OptionKind : uint8_t {
    Flag,
    PlayerName,
    PixelFormat,
    Zoom,
    Layout,
    Difficulty,
    TileSet,
    Background,
    WindowState
};

struct OptionEntry {
    const char* key; // as the settings file writes it
    OptionKind kind;
    bool GameSettings::*flag = nullptr; // Flag only
    const char* item = nullptr;         // Flag only: the menu item's name
    const char* caption = nullptr;      // Flag only: its caption, with its access key
};

inline constexpr std::array<OptionEntry, 13> kOptions{{
    {"AvoidUnsolveableGames", OptionKind::Flag, &GameSettings::AvoidUnsolveableGames,
     "MNoUnsolveableGames", "&Unlösbare Spiele verhindern"},
    {"PlayerName", OptionKind::PlayerName},
    {"PixelFormat", OptionKind::PixelFormat},
    {"ShowRenderSpeed", OptionKind::Flag, &GameSettings::ShowRenderSpeed, "MShowSpeed",
     "&Render-Zeiten anzeigen"},
    {"ForceRepaint", OptionKind::Flag, &GameSettings::ForceRepaint, "MForceRepaint",
     "&Neuzeichnen erzwingen"},
    {"Zoom", OptionKind::Zoom},
    {"Layout", OptionKind::Layout},
    {"SafeHint", OptionKind::Flag, &GameSettings::SafeHint, "MSafeHint",
     "&Hinweis hält das Spiel lösbar"},
    {"ResumeGame", OptionKind::Flag, &GameSettings::ResumeGame, "MResumeGame",
     "Spiel beim Beenden &merken"},
    {"Difficulty", OptionKind::Difficulty},
    {"TileSet", OptionKind::TileSet},
    {"Background", OptionKind::Background},
    {"WindowState", OptionKind::WindowState},
}};

// The entry of `key`, which kOptions must hold.
constexpr const OptionEntry& OptionOf(std::string_view key) {
    std::size_t i = 0;
    while (std::string_view(kOptions[i].key) != key) {
        ++i;
    }
    return kOptions[i];
}

} // namespace kelmar
