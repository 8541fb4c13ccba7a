#include "scores/high_score_table.h"

namespace kelmar {

namespace {

constexpr int32_t kMinuteMs = 60000;
constexpr double kInitialDate = 36526.5; // noon of 1 January 2000

} // namespace

HighScoreTable::HighScoreTable() {
    for (int r = 1; r <= kScoreRows; ++r) {
        Rows[r].Name = "Kelmar";
        Rows[r].Time = (r + 2) * kMinuteMs;
        Rows[r].Date = kInitialDate;
    }
}

bool IsEmptyRow(const HighScoreEntry& entry) {
    return entry.Name.empty() && entry.Time == kEmptyRowTime;
}

HighScoreTable EmptyScoreTable() {
    HighScoreTable table;
    for (int r = 1; r <= kScoreRows; ++r) {
        table.Rows[r] = HighScoreEntry{{}, kEmptyRowTime, 0, false};
    }
    return table;
}

int32_t PlayerBestTime(const HighScoreTable& table) {
    for (int r = 1; r <= kScoreRows; ++r) {
        const HighScoreEntry& row = table.Rows[static_cast<std::size_t>(r)];
        if (IsEmptyRow(row)) {
            break; // the rows after an empty one are empty too
        }
        if (row.Name != "Kelmar" || row.Date != kInitialDate) {
            return row.Time;
        }
    }
    return -1;
}

int32_t FindRank(HighScoreTable& table, int32_t timeMs) {
    // A negative time is no playing time (only a clock gone wrong yields one);
    // it would also run the search past row 0.
    if (timeMs < 0) {
        table.NewEntryRow = 0;
        return 0;
    }
    int32_t r = kScoreRows + 1;
    while (r > 1 && timeMs < table.Rows[r - 1].Time) {
        --r;
    }
    table.NewEntryRow = r > kScoreRows ? 0 : r;
    return table.NewEntryRow;
}

void MakeRoom(HighScoreTable& table, int32_t row) {
    if (row < 1 || row >= kScoreRows) {
        return;
    }
    for (int32_t r = kScoreRows; r > row; --r) {
        table.Rows[r] = table.Rows[r - 1];
    }
    table.Rows[row] = table.Rows[0];
}

std::string StoredPlayerName(const std::string& name) {
    constexpr const char* kBlanks = " \t";
    const auto first = name.find_first_not_of(kBlanks);
    if (first == std::string::npos) {
        return kShyPlayerName;
    }
    return name.substr(first, name.find_last_not_of(kBlanks) - first + 1);
}

int32_t EnterHighScoreRow(HighScoreTable& table, const HighScoreEntry& entry) {
    const int32_t row = FindRank(table, entry.Time);
    if (row == 0) {
        return 0;
    }
    MakeRoom(table, row);
    table.Rows[row] = entry;
    return row;
}

int32_t RecordHighScore(HighScoreTable& table, const std::string& playerName, int32_t timeMs,
                        double date) {
    return EnterHighScoreRow(
        table, {StoredPlayerName(playerName).substr(0, kMaxScoreNameLength), timeMs, date, true});
}

void TakeTypedName(HighScoreTable& table, std::string& playerName, const std::string& typed) {
    const int32_t row = table.NewEntryRow;
    if (row < 1 || row > kScoreRows) {
        return;
    }
    playerName = StoredPlayerName(typed);
    table.Rows[row].Name = playerName.substr(0, kMaxScoreNameLength);
}

} // namespace kelmar
