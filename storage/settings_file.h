// The settings file: the six options and the ten best times, read once at
// start and rewritten whole at shutdown.
//
// Written form (every line ends with CR LF; names and values are Windows-1252
// bytes, one byte per character):
//
//   [Kelmar]
//   AvoidUnsolveableGames=1
//   PlayerName=Kelmar
//   PixelFormat=0              bits per pixel: 0 (Device), 4, 8, 15, 16, 24, 32
//   ShowRenderSpeed=0
//   ForceRepaint=0
//   Zoom=100                   percent: 100, 150, 200, 250 or 300
//   <empty line>
//   [Highscores]
//   1=064B656C6D617200B400008EAE
//   ... rows 2 to 10
//
// High-score record: upper-case hex digits, two per byte, high digit first:
//   name length (1 byte, 0..20) | name bytes | whole seconds (2 bytes, high
//   byte first, low 16 bits) | whole days (4 bytes, high first, low 32 bits).
#pragma once

#include "core/game.h"
#include "scores/high_score_table.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace kelmar {

constexpr const char* kSettingsFileName = "Kelmar.ini";

// Reads the options and rows 1..10 of the table from the settings file at
// `path`. Never fails: a missing or unreadable file, section or key leaves
// the values as they are; a value that is no number gives the current value
// (PixelFormat: Device). A missing Zoom line, or one that holds no zoom
// level, gives 100.
void ReadSettings(GameSettings& settings, HighScoreTable& table,
                  const std::string& path = kSettingsFileName);

// The same from the file's bytes.
void ApplySettingsText(GameSettings& settings, HighScoreTable& table, std::string_view text);

// Rewrites the settings file at `path` with its nineteen lines (the
// eighteen of the first version and Zoom after ForceRepaint). The new file
// is written beside the old one and renamed over it only when complete: a
// failure leaves the previous file whole and throws IoError (German message).
void WriteSettings(const GameSettings& settings, const HighScoreTable& table,
                   const std::string& path = kSettingsFileName);

// The lines as WriteSettings writes them.
std::string SettingsText(const GameSettings& settings, const HighScoreTable& table);

// Bits per pixel as stored for a pixel format (Device and unknown codes: 0),
// and back (every number not in the table: Device).
int PixelFormatToBits(PixelFormatSetting format);
PixelFormatSetting PixelFormatFromBits(int32_t bits);

} // namespace kelmar
