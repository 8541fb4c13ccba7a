// Texts of the best-times grid and the day counts that date its rows. A day
// count is a double: the whole part counts days from 30 December 1899
// (day 0), the fraction is the time of day.
#pragma once

#include "core/day_count.h"

#include <cstdint>
#include <string>

namespace kelmar {

// Playing time as "MM:SS": whole minutes and whole seconds (truncated), two
// digits each with a leading zero. Minutes are not capped: 100 minutes and
// more show all their digits ("100:00", "1092:15"), since cutting digits
// would show a wrong time. A negative time gets a leading "-".
std::string FormatScoreTime(int32_t timeMs);

// Calendar date of a day count as "DD.MM.YYYY"; the year is a plain decimal
// number (no padding, no cap). The time of day is dropped; a count that is
// not a finite number shows as day 0.
std::string FormatScoreDate(double dayCount);

// The system's current local date and time as a day count.
double CurrentLocalDayCount();

} // namespace kelmar
