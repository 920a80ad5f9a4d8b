#include "core/calendar.h"

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

TEST(calendar, date_to_julian_day) {
  struct Row {
    int month, day, year;
    double jd;
  };
  const Row rows[] = {
      {12, 1, 2007, 2454435.5},
      {1, 1, 2000, 2451544.5},
      {2, 29, 2000, 2451603.5},
      {10, 16, 1582, 2299161.5},  // first day counted in the Gregorian calendar
      {10, 15, 1582, 2299170.5},  // still Julian: ten days later than 16 October
      {10, 4, 1582, 2299159.5},
      {1, 1, 1800, 2378496.5},
      {12, 31, 2399, 2597640.5},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(ConvertDatetoJD(r.month, r.day, r.year), r.jd) << r.month << "/" << r.day << "/" << r.year;
  }
}

TEST(calendar, julian_day_to_date_text_in_each_order) {
  EXPECT_EQ(ConvertJDtoDate(2451544.9999, DateOrder::MonthDayYear), "01/01/2000");
  EXPECT_EQ(ConvertJDtoDate(2451545.0, DateOrder::MonthDayYear), "01/01/2000");
  EXPECT_EQ(ConvertJDtoDate(2451545.0, DateOrder::YearMonthDay), "2000/01/01");
  EXPECT_EQ(ConvertJDtoDate(2454435.5, DateOrder::DayMonthYear), "01/12/2007");
  // 15 October 1582 in the Julian count is 25 October in the proleptic Gregorian date text.
  EXPECT_EQ(ConvertJDtoDate(2299170.5, DateOrder::MonthDayYear), "10/25/1582");
}

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
  struct Row {
    const char* name;
    double jd_ut, tz;
    const char* date;
    const char* time;
  };
  const double dec1 = 2454435.5;  // 0h UT, 1 December 2007
  const double sec = 1.0 / 86400.0;
  const Row rows[] = {
      {"16:30 UT at zone 5", 2454436.1875, 5, "12/01/2007", "11:30"},
      {"23:59:40 rolls to the next day", dec1 + (23 * 3600 + 59 * 60 + 40) * sec, 0,
       "12/02/2007", "00:00"},
      {"23:59:20 stays", dec1 + (23 * 3600 + 59 * 60 + 20) * sec, 0, "12/01/2007", "23:59"},
      {"end of year rolls the year", dec1 + 30 + (23 * 3600 + 59 * 60 + 45) * sec, 0,
       "01/01/2008", "00:00"},
      {"zone east of Greenwich", dec1 + 22.0 / 24, -3, "12/02/2007", "01:00"},
      {"half-hour zone", dec1 + 12.0 / 24, 5.5, "12/01/2007", "06:30"},
      {"00:05", dec1 + 5 * 60 * sec, 0, "12/01/2007", "00:05"},
  };
  for (const Row& r : rows) {
    const DateAndTimeText t = ConvertJDtoDateandTime(r.jd_ut, r.tz, DateOrder::MonthDayYear);
    EXPECT_EQ(t.date, r.date) << r.name;
    EXPECT_EQ(t.time, r.time) << r.name;
  }
  EXPECT_EQ(ConvertJDtoDateandTime(2454436.1875, 5, DateOrder::YearMonthDay).date, "2007/12/01");
}

TEST(calendar, hours_minutes_and_month_lengths) {
  EXPECT_DOUBLE_EQ(ConvertHourstoHoursMinutes(10.5), 10.30);
  EXPECT_DOUBLE_EQ(ConvertHourstoHoursMinutes(0.25), 0.15);
  EXPECT_EQ(Days_in_Month(2007, 2), 28);
  EXPECT_EQ(Days_in_Month(2000, 2), 29);
  EXPECT_EQ(Days_in_Month(1900, 2), 28);
  EXPECT_EQ(Days_in_Month(2008, 2), 29);
  EXPECT_EQ(Days_in_Month(2007, 12), 31);
  EXPECT_EQ(Days_in_Month(2007, 4), 30);
}

}  // namespace
}  // namespace tarnwick
