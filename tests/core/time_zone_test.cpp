#include "core/time_zone.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/calendar.h"

namespace tarnwick {
namespace {

constexpr double kSecondDays = 1.0 / 86400.0;

// Julian day (UT) of a UT date and clock time.
double Ut(int month, int day, int year, double hours) {
  return ConvertDatetoJD(month, day, year) + hours / 24.0;
}

// Offsets from the zones' published rules, not from the database: the EU changes on the last
// Sundays of March and October at 01:00 UT (Directive 2000/84/EC); the US on the second
// Sunday of March at 02:00 local and the first Sunday of November at 02:00 local (Energy
// Policy Act 2005); India keeps +05:30 all year; Sydney keeps summer time from the first
// Sunday of October to the first Sunday of April. Hours positive west.
TEST(time_zone, offsets_follow_the_published_rules_on_both_sides_of_each_change) {
  struct Row {
    const char* name;
    const char* zone;
    double jd_ut;
    double hours;
  };
  const Row rows[] = {
      {"Berlin winter", "Europe/Berlin", Ut(1, 15, 2024, 12), -1},
      {"Berlin a second before spring", "Europe/Berlin", Ut(3, 31, 2024, 1) - kSecondDays, -1},
      {"Berlin at spring", "Europe/Berlin", Ut(3, 31, 2024, 1), -2},
      {"Berlin a second before autumn", "Europe/Berlin", Ut(10, 27, 2024, 1) - kSecondDays, -2},
      {"Berlin at autumn", "Europe/Berlin", Ut(10, 27, 2024, 1), -1},
      {"New York before spring", "America/New_York", Ut(3, 10, 2024, 7) - kSecondDays, 5},
      {"New York at spring", "America/New_York", Ut(3, 10, 2024, 7), 4},
      {"New York before autumn", "America/New_York", Ut(11, 3, 2024, 6) - kSecondDays, 4},
      {"New York at autumn", "America/New_York", Ut(11, 3, 2024, 6), 5},
      {"Kolkata winter", "Asia/Kolkata", Ut(1, 1, 2024, 0), -5.5},
      {"Kolkata summer", "Asia/Kolkata", Ut(7, 1, 2024, 0), -5.5},
      {"Sydney January (summer)", "Australia/Sydney", Ut(1, 15, 2024, 0), -11},
      {"Sydney July (winter)", "Australia/Sydney", Ut(7, 15, 2024, 0), -10},
      {"UTC", "UTC", Ut(7, 15, 2024, 0), 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const auto zone = NamedZone(r.zone);
    ASSERT_TRUE(zone);
    EXPECT_EQ(zone->Name(), r.zone);
    EXPECT_DOUBLE_EQ(zone->HoursAt(r.jd_ut), r.hours);
  }
}

// Local clock times back to instants: the usual case, the hour skipped in spring (read with
// the offset before, so it lands after the gap) and the hour shown twice in autumn (its first
// showing).
TEST(time_zone, local_times_become_instants_across_gap_and_overlap) {
  struct Row {
    const char* name;
    int month, day, year;
    double local_hours;
    double ut_hours;  // of the same date
  };
  const Row rows[] = {
      {"winter midnight", 1, 15, 2024, 0, -1},
      {"summer midnight", 7, 15, 2024, 0, -2},
      {"spring gap 02:30", 3, 31, 2024, 2.5, 1.5},
      {"spring after gap 03:00", 3, 31, 2024, 3, 1},
      {"autumn repeated 02:30 (first)", 10, 27, 2024, 2.5, 0.5},
      {"autumn after 03:00", 10, 27, 2024, 3, 2},
  };
  const auto berlin = NamedZone("Europe/Berlin");
  ASSERT_TRUE(berlin);
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const double local = ConvertDatetoJD(r.month, r.day, r.year) + r.local_hours / 24.0;
    EXPECT_NEAR(berlin->InstantOf(local), Ut(r.month, r.day, r.year, r.ut_hours), kSecondDays);
  }
}

// Every local midnight of two years in several zones maps to an instant whose local clock
// time, written with the offset in force then, is that midnight again.
TEST(time_zone, local_midnights_round_trip_through_instants) {
  for (const char* name : {"Europe/Berlin", "America/New_York", "Australia/Sydney",
                           "Asia/Kolkata", "America/Sao_Paulo", "Pacific/Chatham"}) {
    SCOPED_TRACE(name);
    const auto zone = NamedZone(name);
    ASSERT_TRUE(zone);
    double worst = 0;
    for (double local = ConvertDatetoJD(1, 1, 2023); local < ConvertDatetoJD(1, 1, 2025); local += 1.0) {
      const double instant = zone->InstantOf(local);
      worst = std::max(worst, std::fabs(instant - zone->HoursAt(instant) / 24.0 - local));
    }
    EXPECT_LT(worst, kSecondDays) << "largest error, days";
  }
}

TEST(time_zone, fixed_offset_keeps_the_box_meaning) {
  const auto five = FixedOffsetZone(5);
  EXPECT_EQ(five->Name(), "");
  EXPECT_DOUBLE_EQ(five->HoursAt(Ut(6, 1, 2024, 0)), 5);
  EXPECT_DOUBLE_EQ(five->InstantOf(ConvertDatetoJD(6, 1, 2024)), Ut(6, 1, 2024, 5));
  EXPECT_EQ(StandardOffsetText(*FixedOffsetZone(-5.5)), "-5.5");
}

TEST(time_zone, texts_that_name_no_zone_are_refused) {
  for (const char* text : {"", "Europe/Atlantis", "europe/berlin", "../../etc/passwd", "/etc/localtime",
                           "Europe/Berlin\n", "Europe/Berlin ", "5", "Europe//Berlin/../Paris"}) {
    EXPECT_FALSE(NamedZone(text)) << '"' << text << '"';
  }
}

// What files keep for readers of fixed offsets: the standard offset, summer time left out.
TEST(time_zone, standard_offset_texts) {
  const std::pair<const char*, const char*> rows[] = {
      {"Europe/Berlin", "-1"},     {"America/New_York", "5"}, {"Asia/Kolkata", "-5.5"},
      {"Asia/Kathmandu", "-5.75"}, {"UTC", "0"},              {"America/St_Johns", "3.5"},
  };
  for (const auto& [name, text] : rows) {
    const auto zone = NamedZone(name);
    ASSERT_TRUE(zone) << name;
    EXPECT_EQ(StandardOffsetText(*zone), text) << name;
  }
}

TEST(time_zone, names_list_is_sorted_and_holds_the_common_zones) {
  const std::vector<std::string> names = TimeZoneNames();
  ASSERT_FALSE(names.empty());
  EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
  for (const char* name : {"Europe/Berlin", "America/New_York", "Asia/Kolkata", "UTC"}) {
    EXPECT_TRUE(std::binary_search(names.begin(), names.end(), name)) << name;
  }
}


// The offset span a zone gives holds the moment, and the offset is the same at both of its
// ends (the last second included).
TEST(time_zone, offset_spans_hold_the_moment_and_one_offset) {
  struct Row {
    const char* zone;  // nullptr: a fixed offset of -5.5 hours
    double jd_ut;
  };
  const Row rows[] = {
      {"Europe/Berlin", Ut(3, 31, 2024, 1) - kSecondDays}, {"Europe/Berlin", Ut(3, 31, 2024, 1)},
      {"Europe/Berlin", Ut(7, 1, 1950, 12)},               {"America/New_York", Ut(11, 3, 2024, 6)},
      {"Australia/Sydney", Ut(1, 15, 2024, 0)},            {"Asia/Kolkata", Ut(7, 1, 2024, 0)},
      {"Europe/London", Ut(6, 1, 2090, 0)},                {nullptr, Ut(6, 1, 2008, 0)},
  };
  constexpr double kUnixEpochJd = 2440587.5;
  const auto jd_of = [&](long long second) { return kUnixEpochJd + static_cast<double>(second) * kSecondDays; };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.zone ? r.zone : "fixed");
    const auto zone = r.zone ? NamedZone(r.zone) : FixedOffsetZone(-5.5);
    ASSERT_TRUE(zone);
    const TimeZone::OffsetSpan span = zone->SpanAt(r.jd_ut);
    const long long second = std::llround((r.jd_ut - kUnixEpochJd) * 86400.0);
    EXPECT_LE(span.begin, second);
    EXPECT_LT(second, span.end);
    EXPECT_EQ(span.hours, zone->HoursAt(r.jd_ut));
    if (!r.zone) continue;
    constexpr long long kFar = 100'000'000'000;  // seconds: beyond any rule, the span is open
    if (span.begin > -kFar) {
      EXPECT_EQ(zone->HoursAt(jd_of(span.begin)), span.hours);
    }
    if (span.end < kFar) {
      EXPECT_EQ(zone->HoursAt(jd_of(span.end - 1)), span.hours);
    }
  }
}

// The kept offset of a run is the zone's at every minute: moments a few seconds on either
// side of each change, and half-minute roundings across it, walked forward, backward and
// mixed, over a century of rules of zones with summer time both sides of the equator.
TEST(time_zone, kept_offsets_agree_with_the_zone_at_every_moment) {
  for (const char* name : {"Europe/Berlin", "America/New_York", "Australia/Sydney", "Europe/London"}) {
    SCOPED_TRACE(name);
    const auto zone = NamedZone(name);
    ASSERT_TRUE(zone);
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
  EXPECT_EQ(kept.HoursAtMinute(Ut(1, 1, 2000, 0)), 3.25);
  EXPECT_EQ(kept.HoursAtMinute(Ut(1, 1, -3000, 0)), 3.25);
}

}  // namespace
}  // namespace tarnwick
