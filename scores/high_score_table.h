// The ten best playing times. Plain data and rules, no Qt: the score window
// shows it, the settings file loads and stores rows 1..10.
#pragma once

#include <array>
#include <climits>
#include <cstdint>
#include <string>

namespace kelmar {

constexpr int kScoreRows = 10;
constexpr std::size_t kMaxScoreNameLength = 20;
// The name a row gets while the name field is empty.
constexpr const char* kShyPlayerName = "Mr. Shy";

// The time of a row no win has taken yet: every playing time beats it.
constexpr int32_t kEmptyRowTime = INT32_MAX;

struct HighScoreEntry {
    std::string Name; // Windows-1252 bytes, at most 20
    int32_t Time = 0; // playing time in ms
    double Date = 0;  // days since 30 Dec 1899; the fraction is the time of day
    // Entered by this run of the game (not read from the settings file); the
    // close merges these rows into the file's table.
    bool AddedThisRun = false;
};

struct HighScoreTable {
    // Row 0 is the blank template (empty name, Time 0, Date 0) that clears a
    // row about to receive an entry and ends the rank search at row 1.
    // Rows 1..10 are the list, shortest time first.
    std::array<HighScoreEntry, kScoreRows + 1> Rows;
    int32_t NewEntryRow = 0; // row whose name is being taken, 0 for none

    // Initial contents: "Kelmar" in every row, row r holds r + 2 minutes,
    // dated noon of 1 January 2000 (36526.5).
    HighScoreTable();
};

// A row no win has taken: no name and kEmptyRowTime. Shown blank, never
// written to the settings file.
bool IsEmptyRow(const HighScoreEntry& entry);

// A table whose ten rows are empty: the start of every layout's table but
// the pyramid's, so that its first ten wins all enter.
HighScoreTable EmptyScoreTable();

// The time of the fastest row a player entered (any row but the initial
// "Kelmar" rows dated 1 January 2000 and empty rows), or -1 when there is
// none: the
// player's best time, as the layout chooser shows it.
int32_t PlayerBestTime(const HighScoreTable& table);

// The row a time would take (1..10), or 0 when it does not beat row 10;
// the result is also stored in NewEntryRow. Ties rank below earlier rows, so
// a time equal to row 10's does not enter. A negative time never enters.
int32_t FindRank(HighScoreTable& table, int32_t timeMs);

// For rows 1..9: shifts rows row..9 down one (the old row 10 drops out) and
// clears the row with the blank row 0. Row 10 is left for the caller.
void MakeRoom(HighScoreTable& table, int32_t row);

// The name a row stores for `name`: without blanks at either end, so that it
// comes back exactly from the settings file (whose reader trims values);
// "Mr. Shy" when nothing else is left.
std::string StoredPlayerName(const std::string& name);

// Enters `entry` where its Time ranks (FindRank, MakeRoom, the row), as it
// is. Returns the row, or 0 with the table unchanged.
int32_t EnterHighScoreRow(HighScoreTable& table, const HighScoreEntry& entry);

// The table part of a fresh win: FindRank, and when the time enters, MakeRoom
// and the new row (first 20 bytes of StoredPlayerName(playerName), `timeMs`,
// `date` as a day count, AddedThisRun). Returns the new row, or 0 with the
// table unchanged.
int32_t RecordHighScore(HighScoreTable& table, const std::string& playerName, int32_t timeMs,
                        double date);

// The name field changed to `typed` (Windows-1252 bytes) while row
// NewEntryRow is being named: PlayerName becomes StoredPlayerName(typed)
// (blanks at the ends dropped; "Mr. Shy" for a field that is empty or only
// blanks), and the row keeps its first 20 bytes. Does nothing while
// NewEntryRow is 0.
void TakeTypedName(HighScoreTable& table, std::string& playerName, const std::string& typed);

} // namespace kelmar
