// Calendar dates as day counts, the way the game dates best times, records
// and the game of the day: the whole part counts days from 30 December 1899
// (day 0), a fraction is the time of day. Proleptic Gregorian calendar.
#pragma once

#include <cstdint>

namespace kelmar {

// Days from 30 December 1899 to 1 January 1970.
inline constexpr int64_t kUnixDayCount = 25569;

struct CivilDate {
    int64_t Year = 1899;
    int Month = 12; // 1..12
    int Day = 30;   // 1..31
};

// Days from 1 January 1970 to a date (negative before it); month 1..12,
// day 1..31. H. Hinnant's civil algorithms, exact for any 32-bit year.
int64_t DaysFromCivil(int64_t year, int month, int day);
// The date `days` after 1 January 1970.
CivilDate CivilFromDays(int64_t days);

// Calendar date of the whole day containing `dayCount`; a count that is not
// a finite number is day 0, one beyond +-1e12 days is clamped there.
CivilDate CivilFromDayCount(double dayCount);

// Day count of a calendar date and time of day (month 1..12, day 1..31,
// hour 0..23, minute and second 0..59, millisecond 0..999).
double DayCountFromCivil(int64_t year, int month, int day, int hour = 0, int minute = 0,
                         int second = 0, int millisecond = 0);

} // namespace kelmar
