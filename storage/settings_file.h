// The settings file: the options, the layout and the best times of every
// layout, read once at start and rewritten whole when a best time is entered
// and at shutdown.
//
// Written form (every line ends with CR LF; names and values are Windows-1252
// bytes, one byte per character; sections the game does not write follow,
// as the file held them):
//
//   [Kelmar]
//   AvoidUnsolveableGames=1
//   PlayerName=Kelmar
//   PixelFormat=0              bits per pixel: 0 (Device), 4, 8, 15, 16, 24, 32
//   ShowRenderSpeed=0
//   ForceRepaint=0
//   Zoom=100                   percent: 100, 150, 200, 250 or 300
//   Layout=Pyramide            short name of the layout new games are dealt on
//   SafeHint=1                 the hint keeps a winnable game winnable
//   ResumeGame=1               keep a game in progress for the next start
//   Difficulty=0               0 any, 1 easy, 2 medium, 3 hard
//   TileSet=klassisch          short name of the tile set
//   Background=blau            short name of the felt, or a plain colour #rrggbb
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
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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
// `path`. A missing file, section or key leaves the values as they are (so a
// file without a SafeHint or ResumeGame line keeps that option on); a value
// that is no number gives the current value (PixelFormat: Device); a missing
// Zoom line, or one that holds no zoom level, gives 100; a missing Layout
// line gives the pyramid; a missing Difficulty line, or one that holds no
// difficulty, gives any; a TileSet or Background line that is missing or
// holds no short name (nor, for the background, #rrggbb) gives today's look. `layouts`, when given,
// receives the tables of the other layouts. UTF-16 with a byte order mark is read as the text it
// is. The file is read whole, in time linear in its size. A file that cannot be read leaves
// everything as it is and says so; so does a file whose best times cannot be used: a [Highscores]
// section without one readable row, or a file larger than kIniMaxFileBytes. Never blocks: a pipe
// under the name counts as unreadable.
SettingsReadResult ReadSettings(GameSettings& settings, HighScoreTable& table,
                                const std::string& path = kSettingsFileName,
                                LayoutScores* layouts = nullptr);

// The same from the file's bytes (UTF-16 with a byte order mark decoded).
void ApplySettingsText(GameSettings& settings, HighScoreTable& table, std::string_view text,
                       LayoutScores* layouts = nullptr);

// Rewrites the settings file at `path` with its twenty-five lines (the
// eighteen of the first version, then Zoom, Layout, SafeHint, ResumeGame,
// Difficulty, TileSet and Background after ForceRepaint) and the sections of `layouts`. The new
// file is written beside the old one and renamed over it only when complete: a failure leaves the
// previous file whole and throws IoError (German message).
void WriteSettings(const GameSettings& settings, const HighScoreTable& table,
                   const std::string& path = kSettingsFileName, const LayoutScores& layouts = {});

// The close of a run: the best times this run added (rows with AddedThisRun)
// are entered into the table the file at `path` holds now, the other rows
// come from that file, the options from `settings`; then the file is
// rewritten. So best times that another copy of the game wrote since the
// start survive. The other layouts' tables are merged the same way; their
// sections in the file are kept whatever this run knows. The read, the
// merge and the rewrite happen under an exclusive lock on `path` + ".lock"
// (beside the file a link points to), so copies closing at the same moment
// take turns and keep every row each added; a copy waits at most 3 s for
// the lock. The lock file is never reached through a link, and must be a
// regular file; when the lock cannot be had (or not in time) the file is
// written without it and the German warning returned names the lock file;
// else the result is empty. Only the tables this run added a time to are
// rewritten (under their section line as the file writes it); every other
// section the file holds, a repeated one included, is carried over line
// for line, and a new table comes right after [Highscores]. `atStart` is
// the table as this run read it, taken for rows the file no longer
// supplies; a missing file gives `current` unchanged. Throws IoError when
// the file exists but cannot be read now or its best times cannot be used
// (it is then left alone), or when the file cannot be written.
std::string MergeAndWriteSettings(const GameSettings& settings, const HighScoreTable& current,
                                  const HighScoreTable& atStart,
                                  const std::string& path = kSettingsFileName,
                                  const LayoutScores& currentLayouts = {},
                                  const LayoutScores& atStartLayouts = {});

// A best time of this run as it was last written: its record in the file,
// and the time and date that identify it in the run's table.
struct WrittenScoreRow {
    std::string record;
    int32_t time = 0;
    double date = 0;
};
// Per table: the empty key for the pyramid's, else the layout's key.
using WrittenScoreRows = std::map<std::string, std::vector<WrittenScoreRow>>;

// The settings file over one run of the game: read once at start, merged and
// rewritten whenever a best time is entered and at close, never rewritten
// when it could not be read.
class SettingsSession {
public:
    explicit SettingsSession(std::string path = kSettingsFileName) : path_(std::move(path)) {}

    // ReadSettings; remembers the tables as read. Returns the warning to show
    // once when the file could not be read, else an empty text.
    std::string Read(GameSettings& settings, HighScoreTable& table,
                     LayoutScores* layouts = nullptr);
    // MergeAndWriteSettings, or nothing after a failed read. A row this run
    // wrote before is replaced in the file (under the name it has now), not
    // entered twice. Returns the lock warning the first time one comes up
    // in the run, else an empty text.
    std::string Write(const GameSettings& settings, const HighScoreTable& table,
                      const LayoutScores& layouts = {});

private:
    std::string path_;
    bool unreadable_ = false;
    bool lockWarned_ = false;
    HighScoreTable atStart_;
    LayoutScores layoutsAtStart_;
    WrittenScoreRows written_;
};

// The text as WriteSettings writes it.
std::string SettingsText(const GameSettings& settings, const HighScoreTable& table,
                         const LayoutScores& layouts = {});

// Bits per pixel as stored for a pixel format (Device and unknown codes: 0),
// and back (every number not in the table: Device).
int PixelFormatToBits(PixelFormatSetting format);
PixelFormatSetting PixelFormatFromBits(int32_t bits);

} // namespace kelmar
