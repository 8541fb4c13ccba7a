// Texts of the best-times grid and the day counts that date its rows. A day
// count is a double: the whole part counts days from 30 December 1899
// (day 0), the fraction is the time of day.
#pragma once

#include <cstdint>
#include <string>

namespace kelmar {

struct CivilDate {
    int64_t Year = 1899;
    int Month = 12; // 1..12
    int Day = 30;   // 1..31
};

// Playing time as "MM:SS": whole minutes and whole seconds (truncated), two
// digits each with a leading zero. Minutes are not capped: 100 minutes and
// more show all their digits ("100:00", "1092:15"), since cutting digits
// would show a wrong time. A negative time gets a leading "-".
std::string FormatScoreTime(int32_t timeMs);

// Calendar date of a day count as "DD.MM.YYYY"; the year is a plain decimal
// number (no padding, no cap). The time of day is dropped; a count that is
// not a finite number shows as day 0.
std::string FormatScoreDate(double dayCount);

// Calendar date of the whole day containing `dayCount` (proleptic Gregorian).
CivilDate CivilFromDayCount(double dayCount);

// Day count of a calendar date and time of day (month 1..12, day 1..31,
// hour 0..23, minute and second 0..59, millisecond 0..999).
double DayCountFromCivil(int64_t year, int month, int day, int hour = 0, int minute = 0,
                         int second = 0, int millisecond = 0);

// The system's current local date and time as a day count.
double CurrentLocalDayCount();

} // namespace kelmar
