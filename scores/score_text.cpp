#include "scores/score_text.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace kelmar {

namespace {

// Days from 1 March of year 0 style epoch arithmetic (H. Hinnant's civil
// algorithms), shifted so 1970-01-01 is 0.
int64_t daysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2 ? 1 : 0;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;                                  // 0..399
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1; // 0..365
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;          // 0..146096
    return era * 146097 + doe - 719468;
}

CivilDate civilFromDays(int64_t z) {
    z += 719468;
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

// 30 December 1899 counted from 1 January 1970.
const int64_t kDayCountEpoch = daysFromCivil(1899, 12, 30);

// Far beyond any stored date (the settings file holds at most 2^32 days) and
// well inside the range the civil algorithm handles without overflow.
constexpr double kDayCountLimit = 1e12;

constexpr double kMsPerDay = 86400000.0;

} // namespace

std::string FormatScoreTime(int32_t timeMs) {
    const int64_t ms = timeMs;
    const int64_t magnitude = ms < 0 ? -ms : ms;
    const long long minutes = magnitude / 60000;
    const long long seconds = magnitude / 1000 % 60;
    char text[32];
    std::snprintf(text, sizeof text, "%s%02lld:%02lld", ms < 0 ? "-" : "", minutes, seconds);
    return text;
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
    return civilFromDays(static_cast<int64_t>(std::floor(dayCount)) + kDayCountEpoch);
}

std::string FormatScoreDate(double dayCount) {
    const CivilDate date = CivilFromDayCount(dayCount);
    char text[48];
    std::snprintf(text, sizeof text, "%02d.%02d.%lld", date.Day, date.Month,
                  static_cast<long long>(date.Year));
    return text;
}

double DayCountFromCivil(int64_t year, int month, int day, int hour, int minute, int second,
                         int millisecond) {
    const int64_t days = daysFromCivil(year, month, day) - kDayCountEpoch;
    const int64_t msOfDay =
        ((static_cast<int64_t>(hour) * 60 + minute) * 60 + second) * 1000 + millisecond;
    return static_cast<double>(days) + static_cast<double>(msOfDay) / kMsPerDay;
}

double CurrentLocalDayCount() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        now - std::chrono::system_clock::from_time_t(seconds))
                        .count();
    std::tm local{};
    if (localtime_r(&seconds, &local) == nullptr) {
        return static_cast<double>(seconds / 86400 - kDayCountEpoch);
    }
    return DayCountFromCivil(local.tm_year + 1900LL, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                             local.tm_min, local.tm_sec, static_cast<int>(ms < 0 ? 0 : ms));
}

} // namespace kelmar
