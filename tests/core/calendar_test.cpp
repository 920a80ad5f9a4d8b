// Calendar dates and Julian days, and date texts in the user's regional conventions.
#include <gtest/gtest.h>

#include <optional>
#include <tuple>

#include "core/calendar.h"
#include "core/date_text.h"

namespace tarnwick {
namespace {

TEST(calendar, date_to_julian_day) {
  // month, day, year, Julian day. Anchors for the day-by-day walk below, on both sides of
  // the Gregorian switch and across the century years 2100-2300 that are not leap years.
  const std::tuple<int, int, int, double> rows[] = {
      {1, 1, 2000, 2451544.5},    {2, 29, 2000, 2451603.5}, {12, 31, 2399, 2597640.5},
      {10, 16, 1582, 2299161.5},  // first day counted in the Gregorian calendar
      {10, 15, 1582, 2299170.5},  // still Julian: ten days later than 16 October
  };
  for (const auto& [month, day, year, jd] : rows)
    EXPECT_EQ(ConvertDatetoJD(month, day, year), jd) << month << "/" << day << "/" << year;
}

TEST(calendar, julian_day_to_date_text_in_each_order) {
  EXPECT_EQ(ConvertJDtoDate(2451545.0, DateOrder::MonthDayYear), "01/01/2000");
  EXPECT_EQ(ConvertJDtoDate(2451545.0, DateOrder::YearMonthDay), "2000/01/01");
  EXPECT_EQ(ConvertJDtoDate(2454435.5, DateOrder::DayMonthYear), "01/12/2007");
  // 15 October 1582 in the Julian count is 25 October in the proleptic Gregorian date text.
  EXPECT_EQ(ConvertJDtoDate(2299170.5, DateOrder::MonthDayYear), "10/25/1582");
}

// Every day of 1800-2400 both ways, and the month lengths with it (1900 and 2100 are not
// leap years, 2000 is).
TEST(calendar, every_day_from_1800_to_2400_round_trips) {
  CalendarDate expected{1, 1, 1800};
  for (double jd = ConvertDatetoJD(1, 1, 1800); jd <= ConvertDatetoJD(12, 31, 2400); jd += 1.0) {
    const CalendarDate got = CalendarDateFromJD(jd);
    ASSERT_EQ(got, expected) << "jd " << jd;
    ASSERT_EQ(ConvertDatetoJD(got.month, got.day, got.year), jd);
    // Also from late in the day: the civil day runs to the next .5.
    ASSERT_EQ(CalendarDateFromJD(jd + 0.99999), expected);
    if (++expected.day > Days_in_Month(expected.year, expected.month)) {
      expected.day = 1;
      if (++expected.month > 12) expected = {1, 1, expected.year + 1};
    }
  }
}

TEST(calendar, local_date_and_time_texts) {
  const double dec1 = 2454435.5;  // 0h UT, 1 December 2007
  const double sec = 1.0 / 86400.0;
  // what, Julian day (UT), time zone, local date and time
  const std::tuple<const char*, double, double, const char*, const char*> rows[] = {
      {"16:30 UT at zone 5", 2454436.1875, 5, "12/01/2007", "11:30"},
      {"23:59:40 rolls to the next day", dec1 + 86380 * sec, 0, "12/02/2007", "00:00"},
      {"23:59:20 stays", dec1 + 86360 * sec, 0, "12/01/2007", "23:59"},
      {"end of year rolls the year", dec1 + 30 + 86385 * sec, 0, "01/01/2008", "00:00"},
      {"zone east of Greenwich", dec1 + 22.0 / 24, -3, "12/02/2007", "01:00"},
      {"half-hour zone", dec1 + 12.0 / 24, 5.5, "12/01/2007", "06:30"},
  };
  for (const auto& [name, jd_ut, tz, date, time] : rows) {
    const DateAndTimeText t = ConvertJDtoDateandTime(jd_ut, tz, DateOrder::MonthDayYear);
    EXPECT_EQ(t.date, date) << name;
    EXPECT_EQ(t.time, time) << name;
  }
}

const RegionalFormat kUS{DateOrder::MonthDayYear, "/", '.'};
const RegionalFormat kUK{DateOrder::DayMonthYear, "/", '.'};
const RegionalFormat kDE{DateOrder::DayMonthYear, ".", ','};
const RegionalFormat kJP{DateOrder::YearMonthDay, "/", '.'};

TEST(date_text, reads_dates_in_the_regional_order) {
  const CalendarDate dec1{12, 1, 2007};
  const std::tuple<const char*, const RegionalFormat*, std::optional<CalendarDate>> rows[] = {
      {"12/01/2007", &kUS, dec1}, {"12/1/2007", &kUS, dec1}, {"  12/01/2007 ", &kUS, dec1},
      {"12-01-2007", &kUS, dec1}, {"12.01.2007", &kUS, dec1},
      // Ambiguous texts follow the order.
      {"03/04/2007", &kUS, CalendarDate{3, 4, 2007}},
      {"03/04/2007", &kUK, CalendarDate{4, 3, 2007}},
      {"01.12.2007", &kDE, dec1}, {"2007/12/01", &kJP, dec1},
      // Invalid: impossible days, no guessing at another order, a two-digit year that
      // cannot be placed, mixed separators, stray characters, missing or extra fields.
      {"02/29/2007", &kUS, std::nullopt}, {"02/29/1900", &kUS, std::nullopt},
      {"13/01/2007", &kUS, std::nullopt}, {"00/10/2007", &kUS, std::nullopt},
      {"12/01/07", &kUS, std::nullopt},   {"12/01-2007", &kUS, std::nullopt},
      {"12/01/2007x", &kUS, std::nullopt}, {"", &kUS, std::nullopt},
      {"12//2007", &kUS, std::nullopt},   {"1/2/3/2007", &kUS, std::nullopt},
      {"2007/12/01", &kUS, std::nullopt},
  };
  for (const auto& [text, format, expected] : rows)
    EXPECT_EQ(DateFromText(text, *format), expected) << '"' << text << '"';
}

}  // namespace
}  // namespace tarnwick
