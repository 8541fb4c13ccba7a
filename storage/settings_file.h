// The settings file: the options, the layout and the best times of every
// layout, read once at start and rewritten whole at shutdown.
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
//   Layout=Pyramide            short name of the layout new games are dealt on
//   Difficulty=0               0 any, 1 easy, 2 medium, 3 hard
//   <empty line>
//   [Highscores]
//   1=064B656C6D617200B400008EAE
//   ... rows 2 to 10
//   <empty line>, [Highscores NAME] and its rows for every other layout with
//   a table (storage/layout_scores.h)
//
// High-score record: upper-case hex digits, two per byte, high digit first:
//   name length (1 byte, 0..20) | name bytes | whole seconds (2 bytes, high
//   byte first, low 16 bits) | whole days (4 bytes, high first, low 32 bits).
#pragma once

#include "core/game.h"
#include "scores/high_score_table.h"
#include "storage/layout_scores.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace kelmar {

constexpr const char* kSettingsFileName = "Kelmar.ini";

// What reading the settings file found.
struct SettingsReadResult {
    // The file exists but could not be read (no permission, an I/O error, no
    // regular file): it holds best times this run knows nothing of, so it
    // must not be replaced.
    bool unreadable = false;
    std::string warning; // German, for the player; empty unless unreadable
};

// Reads the options and rows 1..10 of the table from the settings file at
// `path`. A missing file, section or key leaves the values as they are; a
// value that is no number gives the current value (PixelFormat: Device); a
// missing Zoom line, or one that holds no zoom level, gives 100; a missing
// Difficulty line, or one that holds no difficulty, gives any. A file that
// cannot be read leaves everything as it is and says so. Never
// blocks: a pipe under the name counts as unreadable.
// A missing Layout line gives the pyramid. `layouts`, when given, receives
// the tables of the other layouts.
SettingsReadResult ReadSettings(GameSettings& settings, HighScoreTable& table,
                                const std::string& path = kSettingsFileName,
                                LayoutScores* layouts = nullptr);

// The same from the file's bytes.
void ApplySettingsText(GameSettings& settings, HighScoreTable& table, std::string_view text,
                       LayoutScores* layouts = nullptr);

// Rewrites the settings file at `path` with its twenty lines (the
// eighteen of the first version, then Zoom, Layout and Difficulty after
// ForceRepaint) and the sections of `layouts`. The new file
// is written beside the old one and renamed over it only when complete: a
// failure leaves the previous file whole and throws IoError (German message).
void WriteSettings(const GameSettings& settings, const HighScoreTable& table,
                   const std::string& path = kSettingsFileName, const LayoutScores& layouts = {});

// The close of a run: the best times this run added (rows with AddedThisRun)
// are entered into the table the file at `path` holds now, the other rows
// come from that file, the options from `settings`; then the file is
// rewritten. So best times that another copy of the game wrote since the
// start survive. `atStart` is the table as this run read it, taken for rows
// the file no longer supplies; a missing file gives `current` unchanged.
// The other layouts' tables are merged the same way (MergeLayoutScores);
// their sections in the file are kept whatever this run knows.
// Throws IoError when the file exists but cannot be read now (it is then
// left alone) or cannot be written.
void MergeAndWriteSettings(const GameSettings& settings, const HighScoreTable& current,
                           const HighScoreTable& atStart,
                           const std::string& path = kSettingsFileName,
                           const LayoutScores& currentLayouts = {},
                           const LayoutScores& atStartLayouts = {});

// The settings file over one run of the game: read once at start, merged and
// rewritten once at close, never rewritten when it could not be read.
class SettingsSession {
public:
    explicit SettingsSession(std::string path = kSettingsFileName) : path_(std::move(path)) {}

    // ReadSettings; remembers the tables as read. Returns the warning to show
    // once when the file could not be read, else an empty text.
    std::string Read(GameSettings& settings, HighScoreTable& table,
                     LayoutScores* layouts = nullptr);
    // MergeAndWriteSettings, or nothing after a failed read.
    void Write(const GameSettings& settings, const HighScoreTable& table,
               const LayoutScores& layouts = {}) const;

private:
    std::string path_;
    bool unreadable_ = false;
    HighScoreTable atStart_;
    LayoutScores layoutsAtStart_;
};

// The text as WriteSettings writes it.
std::string SettingsText(const GameSettings& settings, const HighScoreTable& table,
                         const LayoutScores& layouts = {});

// Bits per pixel as stored for a pixel format (Device and unknown codes: 0),
// and back (every number not in the table: Device).
int PixelFormatToBits(PixelFormatSetting format);
PixelFormatSetting PixelFormatFromBits(int32_t bits);

} // namespace kelmar
