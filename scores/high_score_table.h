// The ten best playing times. Plain data and rules, no Qt: the score window
// shows it, the settings file loads and stores rows 1..10.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace kelmar {

constexpr int kScoreRows = 10;
constexpr std::size_t kMaxScoreNameLength = 20;

struct HighScoreEntry {
    std::string Name;  // Windows-1252 bytes, at most 20
    int32_t Time = 0;  // playing time in ms
    double Date = 0;   // days since 30 Dec 1899; the fraction is the time of day
};

struct HighScoreTable {
    // Row 0 is the blank template (empty name, Time 0, Date 0) that clears a
    // row about to receive an entry and ends the rank search at row 1.
    // Rows 1..10 are the list, shortest time first.
    std::array<HighScoreEntry, kScoreRows + 1> Rows;
    int32_t NewEntryRow = 0;  // row whose name is being taken, 0 for none

    // Initial contents: "Kelmar" in every row, row r holds r + 2 minutes,
    // dated noon of 1 January 2000 (36526.5).
    HighScoreTable();
};

// The row a time would take (1..10), or 0 when it does not beat row 10;
// the result is also stored in NewEntryRow. Ties rank below earlier rows.
int32_t FindRank(HighScoreTable& table, int32_t timeMs);

// For rows 1..9: shifts rows row..9 down one (the old row 10 drops out) and
// clears the row with the blank row 0. Row 10 is left for the caller.
void MakeRoom(HighScoreTable& table, int32_t row);

}  // namespace kelmar
