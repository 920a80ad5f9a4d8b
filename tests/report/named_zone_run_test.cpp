// Runs in a zone with summer time against runs with the fixed offsets of each side of the
// change: every moment must be printed in the civil time in force at it.
#include <gtest/gtest.h>

#include "core/calendar.h"
#include "core/time_zone.h"
#include "report/csv_export.h"
#include "report/run_command.h"
#include "store/atomic_file.h"
#include "tests/support/real_run.h"

namespace tarnwick {
namespace {

// Rows found twice (once per run) agree to this; both runs solve the same crossings from
// differently placed windows. Days (about 0.01 s).
constexpr double kSameMomentDays = 1e-7;

struct Ran {
  FoundAspects rows;
  std::vector<std::string> lines;  // report lines, one per row
  std::string file_name;
};

Ran RunIn(const char* start, const char* end, const char* tz) {
  RunRequest request;
  request.save = false;
  RunSettings& s = request.settings;
  s.txtStartDate = start;
  s.txtEndDate = end;
  s.txtTZ = tz;
  s.chkUseP3 = false;
  s.chkP1Planets = s.chkP2Planets = BodyRange(0, 9);  // Sun to Pluto
  const RunOutcome out = RunOnLibrary(request);
  EXPECT_EQ(out.status, RunOutcome::Status::Done) << (out.problems.empty() ? "" : out.problems[0]);
  const Ran ran{out.rows, ReportLinesOf(out.pane_text), out.file_name};
  EXPECT_EQ(ran.lines.size(), ran.rows.size());
  return ran;
}

// Europe/Berlin 2024: summer time from 31 March 01:00 UT to 27 October 01:00 UT. The zone's
// run must hold the rows of the winter-offset run before the change and of the summer-offset
// run after it, line for line, and nothing else.
TEST(named_zone, berlin_span_across_each_change_matches_fixed_offset_runs_of_each_half) {
  struct Case {
    const char* name;
    const char* start;
    const char* end;
    const char* before_tz;
    const char* before_end;  // the fixed run before the change: start .. this day
    const char* after_tz;
    const char* after_start;  // the fixed run after it: this day .. end
    double change_jd;         // UT
  };
  const Case cases[] = {
      {"spring", "03/28/2024", "04/02/2024", "-1", "03/31/2024", "-2", "03/31/2024",
       ConvertDatetoJD(3, 31, 2024) + 1.0 / 24},
      {"autumn", "10/24/2024", "10/29/2024", "-2", "10/27/2024", "-1", "10/27/2024",
       ConvertDatetoJD(10, 27, 2024) + 1.0 / 24},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Ran zone = RunIn(c.start, c.end, "Europe/Berlin");
    const Ran before = RunIn(c.start, c.before_end, c.before_tz);
    const Ran after = RunIn(c.after_start, c.end, c.after_tz);
    std::vector<std::pair<const FoundAspect*, const std::string*>> expected;
    for (size_t i = 0; i < before.rows.size(); ++i) {
      if (before.rows[i].jd_ut < c.change_jd) expected.emplace_back(&before.rows[i], &before.lines[i]);
    }
    const size_t winter_rows = expected.size();
    for (size_t i = 0; i < after.rows.size(); ++i) {
      if (after.rows[i].jd_ut >= c.change_jd) expected.emplace_back(&after.rows[i], &after.lines[i]);
    }
    ASSERT_GT(winter_rows, 10u);
    ASSERT_GT(expected.size() - winter_rows, 10u);
    ASSERT_EQ(zone.rows.size(), expected.size());
    double worst = 0;
    for (size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(zone.lines[i], *expected[i].second) << "row " << i;
      EXPECT_EQ(zone.rows[i].body, expected[i].first->body);
      worst = std::max(worst, std::fabs(zone.rows[i].jd_ut - expected[i].first->jd_ut));
    }
    EXPECT_LT(worst, kSameMomentDays) << "largest difference of a moment, days";
    // The report's name carries the zone, made file-safe.
    EXPECT_TRUE(zone.file_name.find("_Europe-Berlin_") != std::string::npos) << zone.file_name;
  }
}

// The CSV writes each moment with the offset in force at it; in the autumn hour shown twice
// (02:00 to 03:00 on 27 October 2024) the two showings differ only by their offset.
TEST(named_zone, csv_local_times_carry_the_offset_in_force) {
  const auto berlin = NamedZone("Europe/Berlin");
  ASSERT_TRUE(berlin);
  struct Row {
    double ut_hours;  // on 27 October 2024
    const char* local;
  };
  const Row rows[] = {
      {0.5, "2024-10-27T02:30+02:00"},   // first showing, summer time
      {1.5, "2024-10-27T02:30+01:00"},   // second showing, winter time
      {(59.0 + 40.0 / 60) / 60, "2024-10-27T02:00+01:00"},  // rounds to 01:00 UT: winter time
      {(59.0 + 20.0 / 60) / 60, "2024-10-27T02:59+02:00"},  // rounds to 00:59 UT: summer time
      {-1.0, "2024-10-27T01:00+02:00"},
  };
  for (const Row& r : rows) {
    const double jd = ConvertDatetoJD(10, 27, 2024) + r.ut_hours / 24.0;
    EXPECT_EQ(IsoLocalMinute(jd, HoursAtMinute(*berlin, jd)), r.local) << r.ut_hours;
  }
}

// A zone name the database does not know is refused by name, like a mistyped number.
TEST(named_zone, unknown_zone_is_refused_naming_the_field) {
  RunRequest request;
  request.save = false;
  request.settings.txtTZ = "Europe/Atlantis";
  const RunOutcome out = RunAspectarian(request, [] { return std::make_unique<SwissEphemeris>(""); });
  ASSERT_EQ(out.status, RunOutcome::Status::Refused);
  ASSERT_EQ(out.problems.size(), 1u);
  EXPECT_EQ(out.problems[0],
            "Time Zone: \"Europe/Atlantis\" is not a number of hours (for example 5, -3 or 5.5) nor "
            "a time zone name of the tz database (for example Europe/Berlin).");
}

}  // namespace
}  // namespace tarnwick
