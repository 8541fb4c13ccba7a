#include "scores/score_text.h"

#include <cmath>
#include <ctime>
#include <gtest/gtest.h>
#include <limits>

namespace kelmar {
namespace {

TEST(FormatScoreTime, ShowsTwoDigitMinutesAndSecondsWithoutCappingTheMinutes) {
    const struct {
        int32_t ms;
        const char* text;
    } cases[] = {
        {0, "00:00"},
        {999, "00:00"},
        {59999, "00:59"},
        {180000, "03:00"},
        {62 * 60000 + 5000, "62:05"},
        {5999999, "99:59"},
        {6000000, "100:00"},
        {65535000, "1092:15"},
        {-61000, "-01:01"},
        {INT32_MAX, "35791:23"},
        {INT32_MIN, "-35791:23"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatScoreTime(c.ms), c.text) << c.ms;
    }
}

TEST(FormatScoreDate, ShowsTheCalendarDayOfTheWholeDayCount) {
    const struct {
        double days;
        const char* text;
    } cases[] = {
        {0, "30.12.1899"},         {1, "31.12.1899"},
        {-1, "29.12.1899"},        {60, "28.02.1900"},
        {61, "01.03.1900"},        {36526, "01.01.2000"},
        {36526.999, "01.01.2000"}, {36585, "29.02.2000"},
        {45657.5, "31.12.2024"},   {2958465, "31.12.9999"},
        {2958466, "01.01.10000"},  {std::numeric_limits<double>::quiet_NaN(), "30.12.1899"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatScoreDate(c.days), c.text) << c.days;
    }
    // The largest date the settings file can hold, and beyond: some text, no crash.
    EXPECT_FALSE(FormatScoreDate(4294967295.5).empty());
    EXPECT_FALSE(FormatScoreDate(std::numeric_limits<double>::infinity()).empty());
    EXPECT_FALSE(FormatScoreDate(-1e300).empty());
}

TEST(DayCount, CivilDatesAndDayCountsConvertBothWays) {
    EXPECT_EQ(DayCountFromCivil(1899, 12, 30), 0.0);
    EXPECT_EQ(DayCountFromCivil(2000, 1, 1, 12), 36526.5);
    EXPECT_EQ(DayCountFromCivil(2000, 1, 1, 18), 36526.75);
    for (int days = -800; days < 80000; ++days) {
        const CivilDate date = CivilFromDayCount(days + 0.25);
        ASSERT_EQ(DayCountFromCivil(date.Year, date.Month, date.Day), days);
    }
}

TEST(DayCount, NowIsTodaysLocalDate) {
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    ASSERT_NE(localtime_r(&t, &local), nullptr);
    const double expected = DayCountFromCivil(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                              local.tm_hour, local.tm_min);
    // Only a change of minute can lie between the two readings.
    EXPECT_NEAR(CurrentLocalDayCount(), expected, 2.0 / 1440);
}

} // namespace
} // namespace kelmar
