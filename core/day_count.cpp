#include "core/day_count.h"

#include <cmath>

namespace kelmar {

namespace {

// Far beyond any stored date (the settings file holds at most 2^32 days) and
// well inside the range the civil algorithm handles without overflow.
constexpr double kDayCountLimit = 1e12;

constexpr double kMsPerDay = 86400000.0;

// Days from 1 March of year 0 to 1 January 1970.
constexpr int64_t kMarchEpochShift = 719468;

} // namespace

int64_t DaysFromCivil(int64_t year, int month, int day) {
    const int64_t y = year - (month <= 2 ? 1 : 0);
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;                                            // 0..399
    const int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1; // 0..365
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;                    // 0..146096
    return era * 146097 + doe - kMarchEpochShift;
}

CivilDate CivilFromDays(int64_t days) {
    const int64_t z = days + kMarchEpochShift;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;                                      // 0..146096
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365; // 0..399
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);               // 0..365
    const int64_t mp = (5 * doy + 2) / 153;                                    // 0..11
    CivilDate date;
    date.Day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    date.Month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    date.Year = yoe + era * 400 + (date.Month <= 2 ? 1 : 0);
    return date;
}

CivilDate CivilFromDayCount(double dayCount) {
    if (!std::isfinite(dayCount)) {
        dayCount = 0;
    }
    if (dayCount > kDayCountLimit) {
        dayCount = kDayCountLimit;
    } else if (dayCount < -kDayCountLimit) {
        dayCount = -kDayCountLimit;
    }
    return CivilFromDays(static_cast<int64_t>(std::floor(dayCount)) - kUnixDayCount);
}

double DayCountFromCivil(int64_t year, int month, int day, int hour, int minute, int second,
                         int millisecond) {
    const int64_t days = DaysFromCivil(year, month, day) + kUnixDayCount;
    const int64_t msOfDay =
        ((static_cast<int64_t>(hour) * 60 + minute) * 60 + second) * 1000 + millisecond;
    return static_cast<double>(days) + static_cast<double>(msOfDay) / kMsPerDay;
}

} // namespace kelmar
