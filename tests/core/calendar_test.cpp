// Calendar dates and Julian days, date texts in the user's regional conventions, and the
// offsets of named time zones.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <tuple>
#include <vector>

#include "core/calendar.h"
#include "core/date_text.h"
#include "core/time_zone.h"

namespace tarnwick {
namespace {

TEST(calendar, date_to_julian_day_and_back_to_text_in_each_order_and_local_date_and_time) {
  // month, day, year, Julian day. Anchors for the day-by-day walk below, on both sides of
  // the Gregorian switch and across the century years 2100-2300 that are not leap years.
  const std::tuple<int, int, int, double> rows[] = {
      {1, 1, 2000, 2451544.5},    {2, 29, 2000, 2451603.5}, {12, 31, 2399, 2597640.5},
      {10, 16, 1582, 2299161.5},  // first day counted in the Gregorian calendar
      {10, 15, 1582, 2299170.5},  // still Julian: ten days later than 16 October
  };
  for (const auto& [month, day, year, jd] : rows)
    EXPECT_EQ(ConvertDatetoJD(month, day, year), jd) << month << "/" << day << "/" << year;
  // And back to date texts in each order; 15 October 1582 in the Julian count is 25 October in
  // the proleptic Gregorian date text.
  EXPECT_EQ(ConvertJDtoDate(2451545.0, DateOrder::MonthDayYear) + " " + ConvertJDtoDate(2451545.0, DateOrder::YearMonthDay) +
                " " + ConvertJDtoDate(2454435.5, DateOrder::DayMonthYear) + " " + ConvertJDtoDate(2299170.5, DateOrder::MonthDayYear),
            "01/01/2000 2000/01/01 01/12/2007 10/25/1582");
  const double dec1 = 2454435.5;  // 0h UT, 1 December 2007
  const double sec = 1.0 / 86400.0;
  // what, Julian day (UT), time zone, local date and time
  const std::tuple<const char*, double, double, const char*, const char*> locals[] = {
      {"16:30 UT at zone 5", 2454436.1875, 5, "12/01/2007", "11:30"},
      {"23:59:40 rolls to the next day", dec1 + 86380 * sec, 0, "12/02/2007", "00:00"},
      {"23:59:20 stays", dec1 + 86360 * sec, 0, "12/01/2007", "23:59"},
      {"end of year rolls the year", dec1 + 30 + 86385 * sec, 0, "01/01/2008", "00:00"},
      {"zone east of Greenwich", dec1 + 22.0 / 24, -3, "12/02/2007", "01:00"},
      {"half-hour zone", dec1 + 12.0 / 24, 5.5, "12/01/2007", "06:30"},
  };
  for (const auto& [name, jd_ut, tz, date, time] : locals) {
    const DateAndTimeText t = ConvertJDtoDateandTime(jd_ut, tz, DateOrder::MonthDayYear);
    EXPECT_EQ(t.date + " " + t.time, std::string(date) + " " + time) << name;
  }
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

const RegionalFormat kUS{DateOrder::MonthDayYear, "/", '.'};
const RegionalFormat kUK{DateOrder::DayMonthYear, "/", '.'};
const RegionalFormat kDE{DateOrder::DayMonthYear, ".", ','};
const RegionalFormat kJP{DateOrder::YearMonthDay, "/", '.'};

TEST(date_text, reads_dates_in_the_regional_order) {
  const CalendarDate dec1{12, 1, 2007};
  const std::tuple<const char*, const RegionalFormat*, std::optional<CalendarDate>> rows[] = {
      {"12/01/2007", &kUS, dec1}, {"12/1/2007", &kUS, dec1}, {"  12/01/2007 ", &kUS, dec1},
      {"12.01.2007", &kUS, dec1},
      // Ambiguous texts follow the order.
      {"03/04/2007", &kUS, CalendarDate{3, 4, 2007}}, {"03/04/2007", &kUK, CalendarDate{4, 3, 2007}},
      {"01.12.2007", &kDE, dec1}, {"2007/12/01", &kJP, dec1},
      // Invalid: impossible days, no guessing at another order, a two-digit year that
      // cannot be placed, mixed separators, stray characters, missing or extra fields.
      {"02/29/2007", &kUS, std::nullopt}, {"02/29/1900", &kUS, std::nullopt},
      {"13/01/2007", &kUS, std::nullopt}, {"00/10/2007", &kUS, std::nullopt},
      {"12/01/07", &kUS, std::nullopt},   {"12/01-2007", &kUS, std::nullopt},
      {"12/01/2007x", &kUS, std::nullopt}, {"", &kUS, std::nullopt},
      {"12//2007", &kUS, std::nullopt},   {"1/2/3/2007", &kUS, std::nullopt}, {"2007/12/01", &kUS, std::nullopt},
  };
  for (const auto& [text, format, expected] : rows)
    EXPECT_EQ(DateFromText(text, *format), expected) << '"' << text << '"';
}

constexpr double kSecondDays = 1.0 / 86400.0;

// Julian day (UT) of a UT date and clock time.
double Ut(int month, int day, int year, double hours) {
  return ConvertDatetoJD(month, day, year) + hours / 24.0;
}

// Offsets from the zones' published rules, not from the database: the EU changes on the last
// Sundays of March and October at 01:00 UT (Directive 2000/84/EC); the US on the second
// Sunday of March at 02:00 local and the first Sunday of November at 02:00 local (Energy
// Policy Act 2005); Sydney keeps summer time from the first
// Sunday of October to the first Sunday of April. Hours positive west.
TEST(time_zone, offsets_follow_the_published_rules_and_local_times_become_instants) {
  struct Row { const char* name; const char* zone; double jd_ut; double hours; };
  const Row rows[] = {
      {"Berlin a second before spring", "Europe/Berlin", Ut(3, 31, 2024, 1) - kSecondDays, -1},
      {"Berlin at spring", "Europe/Berlin", Ut(3, 31, 2024, 1), -2},
      {"Berlin a second before autumn", "Europe/Berlin", Ut(10, 27, 2024, 1) - kSecondDays, -2},
      {"Berlin at autumn", "Europe/Berlin", Ut(10, 27, 2024, 1), -1},
      {"New York before spring", "America/New_York", Ut(3, 10, 2024, 7) - kSecondDays, 5},
      {"New York at spring", "America/New_York", Ut(3, 10, 2024, 7), 4},
      {"New York before autumn", "America/New_York", Ut(11, 3, 2024, 6) - kSecondDays, 4},
      {"New York at autumn", "America/New_York", Ut(11, 3, 2024, 6), 5},
      {"Sydney January (summer)", "Australia/Sydney", Ut(1, 15, 2024, 0), -11},
      {"Sydney July (winter)", "Australia/Sydney", Ut(7, 15, 2024, 0), -10}, {"UTC", "UTC", Ut(7, 15, 2024, 0), 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const auto zone = NamedZone(r.zone);
    ASSERT_TRUE(zone);
    EXPECT_DOUBLE_EQ(zone->HoursAt(r.jd_ut), r.hours);
  }
  // Local clock times back to instants: the usual case, the hour skipped in spring (read with
  // the offset before, so it lands after the gap) and the hour shown twice in autumn (its first
  // showing).
  // ut_hours: of the same date.
  struct Local { const char* name; int month, day, year; double local_hours; double ut_hours; };
  const Local locals[] = {
      {"winter midnight", 1, 15, 2024, 0, -1}, {"summer midnight", 7, 15, 2024, 0, -2},
      {"spring gap 02:30", 3, 31, 2024, 2.5, 1.5}, {"spring after gap 03:00", 3, 31, 2024, 3, 1},
      {"autumn repeated 02:30 (first)", 10, 27, 2024, 2.5, 0.5}, {"autumn after 03:00", 10, 27, 2024, 3, 2},
  };
  const auto berlin = NamedZone("Europe/Berlin");
  ASSERT_TRUE(berlin);
  for (const Local& r : locals) {
    SCOPED_TRACE(r.name);
    const double local = ConvertDatetoJD(r.month, r.day, r.year) + r.local_hours / 24.0;
    EXPECT_NEAR(berlin->InstantOf(local), Ut(r.month, r.day, r.year, r.ut_hours), kSecondDays);
  }
}

// What files keep for readers of fixed offsets: the standard offset, summer time left out.
TEST(time_zone, standard_offset_texts_fixed_offsets_and_texts_that_name_no_zone) {
  const std::pair<const char*, const char*> rows[] = {
      {"Europe/Berlin", "-1"},     {"America/New_York", "5"}, {"Asia/Kolkata", "-5.5"},
      {"Asia/Kathmandu", "-5.75"}, {"UTC", "0"},              {"America/St_Johns", "3.5"},
  };
  for (const auto& [name, text] : rows) {
    const auto zone = NamedZone(name);
    ASSERT_TRUE(zone) << name;
    EXPECT_EQ(StandardOffsetText(*zone), text) << name;
  }
  // A fixed offset keeps the meaning of the box: hours west, no name.
  EXPECT_DOUBLE_EQ(FixedOffsetZone(5)->InstantOf(ConvertDatetoJD(6, 1, 2024)), Ut(6, 1, 2024, 5));
  EXPECT_EQ(StandardOffsetText(*FixedOffsetZone(-5.5)), "-5.5");
  // Texts that name no zone of the database are refused.
  for (const char* text : {"", "Europe/Atlantis", "europe/berlin", "../../etc/passwd", "/etc/localtime",
                           "Europe/Berlin\n", "Europe/Berlin ", "5", "Europe//Berlin/../Paris"})
    EXPECT_FALSE(NamedZone(text)) << '"' << text << '"';
  // The list offered to choose from is sorted and holds them.
  const std::vector<std::string> names = TimeZoneNames();
  EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
  for (const auto& [name, text] : rows) EXPECT_TRUE(std::binary_search(names.begin(), names.end(), name)) << name;
}

// Every local midnight of two years maps to an instant whose local clock time, written with
// the offset in force then, is that midnight again. The kept offset of a run, read from the
// zone's offset spans, is the zone's at every minute: moments a few seconds on either side of
// each change, and half-minute
// roundings across it, walked forward, backward and mixed, over a century of rules of zones
// with summer time both sides of the equator.
TEST(time_zone, local_midnights_round_trip_and_kept_offsets_agree_with_the_zone_at_every_moment) {
  for (const char* name : {"Europe/Berlin", "America/New_York", "Australia/Sydney", "Asia/Kolkata",
                           "America/Sao_Paulo", "Pacific/Chatham", "Europe/London"}) {
    SCOPED_TRACE(name);
    const auto zone = NamedZone(name);
    ASSERT_TRUE(zone);
    double worst = 0;
    for (double local = ConvertDatetoJD(1, 1, 2023); local < ConvertDatetoJD(1, 1, 2025); local += 1.0) {
      const double instant = zone->InstantOf(local);
      worst = std::max(worst, std::fabs(instant - zone->HoursAt(instant) / 24.0 - local));
    }
    EXPECT_LT(worst, kSecondDays) << "largest error of a midnight, days";
    std::vector<double> moments;
    for (double jd = Ut(1, 1, 1940, 0); jd < Ut(1, 1, 2045, 0); jd += 0.37) moments.push_back(jd);
    // Each change within the years: found through the spans, then probed around.
    for (double jd = Ut(1, 1, 1940, 0); jd < Ut(1, 1, 2045, 0);) {
      const TimeZone::OffsetSpan span = zone->SpanAt(jd);
      if (span.end > 100'000'000'000) break;  // no change after this one
      const double change = 2440587.5 + static_cast<double>(span.end) * kSecondDays;
      for (double seconds : {-90.0, -31.0, -30.0, -29.0, -1.0, 0.0, 1.0, 29.0, 30.0, 31.0, 90.0}) {
        moments.push_back(change + seconds * kSecondDays);
      }
      jd = change + kSecondDays;
    }
    std::vector<double> backward(moments.rbegin(), moments.rend());
    std::vector<double> mixed = moments;
    for (size_t i = 0; i + 7 < mixed.size(); i += 7) std::swap(mixed[i], mixed[mixed.size() - 1 - i]);
    for (const std::vector<double>* order : {&moments, &backward, &mixed}) {
      MinuteOffsets kept(*zone);
      size_t wrong = 0;
      for (const double jd : *order) wrong += kept.HoursAtMinute(jd) != HoursAtMinute(*zone, jd);
      EXPECT_EQ(wrong, 0u) << "of " << order->size();
    }
  }
  const auto fixed = FixedOffsetZone(3.25);
  MinuteOffsets kept(*fixed);
  EXPECT_EQ(std::pair(kept.HoursAtMinute(Ut(1, 1, 2000, 0)), kept.HoursAtMinute(Ut(1, 1, -3000, 0))), std::pair(3.25, 3.25));
}

}  // namespace
}  // namespace tarnwick
