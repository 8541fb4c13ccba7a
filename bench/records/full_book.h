// A full records file's worth of games for the records benchmarks: 10,000
// games on three layouts, every grade and result, a game of the day in
// eight, the same for every run.
#pragma once

#include "storage/game_records.h"

#include <random>

namespace kelmar {

inline GameRecordBook fullBook() {
    std::mt19937 random(34);
    const char* layouts[] = {"Pyramide", "Ring", "Festung"};
    GameRecordBook book;
    for (std::size_t i = 0; i < kMaxDetailedRecords; ++i) {
        GameRecord record;
        record.Day = 45000 + static_cast<int32_t>(i / 8);
        record.Second = static_cast<int32_t>(random() % 86400);
        record.Layout = layouts[random() % 3];
        record.Deal = 1 + random() % 999999999;
        record.DealGrade = static_cast<Grade>(random() % 4);
        record.Result = static_cast<GameResult>(random() % 3);
        record.WinnableAtEnd = WinnableAtEnd(record.Result, std::nullopt);
        record.TimeMs = static_cast<int32_t>(120000 + random() % 3000000);
        record.Moves = static_cast<int32_t>(random() % 73);
        record.DayGame = i % 8 == 0 ? record.Day : 0;
        book.Records.push_back(record);
    }
    return book;
}

} // namespace kelmar
