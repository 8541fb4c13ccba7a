// The records file: one line per ended game, in its own file beside the
// settings file, appended as each game ends.
//
// Why this form: a person can read it in any editor or pager, find a
// layout's games with grep and load it into a spreadsheet (columns split
// at blanks; no field ever holds a blank, since short names cannot), and a
// damaged line stays one damaged line. The words are German because the
// player reads them. The first line names the format and its version, so a
// file of a later version is refused instead of misread, and a file that
// is no records file is never taken for one. Times keep their
// milliseconds, so ranks tie exactly as the best-times table does.
//
// Written form (lines end with LF; CR LF is read too; ASCII but for the
// comment line; columns padded with blanks so that they line up):
//
//   Kelmar-Spiele 1
//   # Datum    Uhrzeit  Aufstellung  Spiel     Grad   Ergebnis     Spielzeit ...
//   Zusammenfassung Pyramide * bis=2026-01-03 Spiele=120 Siege=80 Serie=3
//       Rekordserie=12 Zeitsumme=98765432 Tagesspiele=5 Tagessiege=3
//       Beste=12:03.100,13:00.000,... Letzte=14:10.250,...     (one line)
//   2026-12-08 21:04:51 Pyramide     482913    mittel gewonnen      28:14.250   72
//       1         0 ja     -          -                               (one line)
//
// Record line, fields separated by one or more blanks, in this order:
//   date        YYYY-MM-DD, local, the day the game ended
//   time        HH:MM:SS, local
//   layout      the layout's short name, or "?" for a board of no known layout
//   deal        the deal number 1..999999999, or "-" (a loaded game)
//   grade       "leicht", "mittel", "schwer", or "-" (not graded)
//   result      "gewonnen", "festgefahren", "aufgegeben"
//   play time   M:SS.mmm, minutes (1 to 6 digits), seconds, milliseconds
//   moves, hints, checks   decimal numbers 0..2147483647
//   winnable    "ja", "nein", "-" (not known when the game ended); a won
//               game is never "nein", a stuck one never "ja"
//   day game    YYYY-MM-DD of the day whose game of the day it was, or "-"
//   origin      "-", "geladen", "fortgesetzt" or "geladen,fortgesetzt"
//
// Summary line ("Zusammenfassung", the layout or "*" for all or "?", the
// grade or "*" for all, then key=value fields in the order shown): the
// games folded away to keep the file small, counted as GroupStatistics
// (scores/statistics.h) counts them: "bis" is the day of the last of them,
// "Serie" the winning streak at their end, "Zeitsumme" the sum of the
// winning times in ms, "Beste" the kept best and "Letzte" the latest
// winning times ("-" for none). Summaries come before every record line,
// one per group.
//
// Lines that start with '#' and empty lines are ignored and not kept.
#pragma once

#include "scores/statistics.h"
#include "storage/settings_file.h"
#include "storage/storage_error.h"

#include <atomic>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kelmar {

constexpr const char* kGameRecordsFileName = "Kelmar-Spiele.txt";
// Where a reset puts the records it takes away, beside the file.
constexpr const char* kGameRecordsBackupFileName = "Kelmar-Spiele-alt.txt";
constexpr std::string_view kGameRecordsVersionLine = "Kelmar-Spiele 1";

// The records kept line by line. Once an append makes more, the oldest are
// folded into the summaries until kSummarisedRecords fewer remain (so the
// fold happens once in that many games, not at every game). A full file is
// about a megabyte.
constexpr std::size_t kMaxDetailedRecords = 10000;
constexpr std::size_t kSummarisedRecords = 2000;
// A larger file is no file this game wrote; it is not read.
constexpr std::size_t kMaxRecordsFileBytes = std::size_t{16} << 20;

// What parsing a records file found.
struct GameRecordsParse {
    GameRecordBook Book; // every line that could be read
    // 1-based numbers of lines that are no record, no summary, no comment.
    std::vector<int> DamagedLines;
    // German: why the file as a whole cannot be used (no records file, a
    // later version); empty when it can.
    std::string Problem;

    // The file can be rewritten without losing anything it holds.
    bool Sound() const { return Problem.empty() && DamagedLines.empty(); }
};

// Strict: every line must be exactly a record, a summary, a comment or
// empty, and the first the version line (after a UTF-8 byte order mark an
// editor may have put before it). An empty text is an empty file.
GameRecordsParse ParseGameRecords(std::string_view text);

// The file's text for `book`: version line, comment line, summaries, records.
std::string GameRecordsText(const GameRecordBook& book);
std::string GameRecordLine(const GameRecord& record);

// The records file beside the settings file at `settingsPath`.
std::string GameRecordsPathBeside(const std::string& settingsPath);
std::string GameRecordsBackupPathBeside(const std::string& settingsPath);

struct GameRecordsRead {
    GameRecordBook Book;
    bool Usable = true;  // false: the file must not be written
    std::string Warning; // German, when not usable
};

// Reads the records file at `path` (a missing one is empty and usable).
// Needs no lock: the file is only ever replaced whole.
GameRecordsRead ReadGameRecords(const std::string& path);

// The records file cannot be read, or holds lines that are no records: it
// is left as it is. The message is the German warning.
class UnsoundRecordsError : public IoError {
public:
    using IoError::IoError;
};

// Appends `record` to the records file beside `settingsPath` under the
// settings lock: reads the file, adds the record, folds the oldest records
// into the summaries when there are more than kMaxDetailedRecords, and
// replaces the file whole (a write killed half way leaves the old file).
// Values no game produces are stored in range (an invalid short name as the
// unknown layout, negative counts as 0), so one record never spoils the file.
// Returns the book the file now holds. Throws UnsoundRecordsError when the
// file cannot be read or is not sound (it is then left as it is), IoError when
// the lock is not had in time, or when the new file cannot be written.
GameRecordBook AppendGameRecord(const std::string& settingsPath, const GameRecord& record);

// Starts the records anew: under the settings lock the file is renamed to
// the backup name (replacing an older backup) and an empty file written.
// Throws IoError.
void ResetGameRecords(const std::string& settingsPath);

// The records file over one run of the game. Read once at start; a file
// that is not sound then, or turns out not sound at an append, gets one
// warning and is never written in this run. Append, Read and Reset may run
// on a worker thread, one at a time.
class GameRecordsSession {
public:
    explicit GameRecordsSession(std::string settingsPath = kSettingsFileName)
        : settingsPath_(std::move(settingsPath)) {}

    // Returns the German warning to show once, else an empty text.
    std::string Open();
    // AppendGameRecord; nullopt without writing when the file is not to be
    // written. Throws IoError: once with the warning when the file turns
    // out not sound, else whenever the write fails.
    std::optional<GameRecordBook> Append(const GameRecord& record);
    GameRecordsRead Read() const;
    // ResetGameRecords; the file is then usable again.
    void Reset();
    bool Usable() const { return usable_; }

private:
    std::string settingsPath_;
    std::atomic<bool> usable_{true};
};

} // namespace kelmar
