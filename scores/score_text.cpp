#include "scores/score_text.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace kelmar {

std::string FormatScoreTime(int32_t timeMs) {
    const int64_t ms = timeMs;
    const int64_t magnitude = ms < 0 ? -ms : ms;
    const long long minutes = magnitude / 60000;
    const long long seconds = magnitude / 1000 % 60;
    char text[32];
    std::snprintf(text, sizeof text, "%s%02lld:%02lld", ms < 0 ? "-" : "", minutes, seconds);
    return text;
}

std::string FormatScoreDate(double dayCount) {
    const CivilDate date = CivilFromDayCount(dayCount);
    char text[48];
    std::snprintf(text, sizeof text, "%02d.%02d.%lld", date.Day, date.Month,
                  static_cast<long long>(date.Year));
    return text;
}

double CurrentLocalDayCount() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        now - std::chrono::system_clock::from_time_t(seconds))
                        .count();
    std::tm local{};
    if (localtime_r(&seconds, &local) == nullptr) {
        return static_cast<double>(seconds / 86400 + kUnixDayCount);
    }
    return DayCountFromCivil(local.tm_year + 1900LL, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                             local.tm_min, local.tm_sec, static_cast<int>(ms < 0 ? 0 : ms));
}

} // namespace kelmar
