// The scan of combinations on synthetic motions, the reading of its inputs, and the secant
// solvers under it.
#include <gtest/gtest.h>

#include <optional>
#include <tuple>

#include "core/calendar.h"
#include "engine/aspect_set.h"
#include "engine/aspects.h"
#include "engine/replace_string.h"
#include "engine/run_settings.h"
#include "engine/scan.h"
#include "engine/secant_solver.h"
#include "tests/engine/synthetic_provider.h"
#include "tests/support/planned_rows.h"
#include "tests/support/report_pieces.h"

namespace tarnwick {
namespace {


RunInputs Inputs(const RunSettings& s) {
  const PreparedRun prepared = PrepareRunInputs(s, RegionalFormat{});
  EXPECT_TRUE(prepared.inputs.has_value());
  return prepared.inputs.value_or(RunInputs{});
}

TEST(scan, window_counts) {
  const auto count = [](ScanKind kind, int p2, const char* end) {
    const RunSettings s = TwoBodySettings({idxSun}, {p2}, "12/01/2007", end);
    const RunInputs in = Inputs(s);
    const auto combos = EnumerateCombinations(kind, s, in, nullptr);
    return combos.size() == 1 ? WindowCount(combos[0], in.start_jd) : -1;
  };
  // Thirds of a day for the Moon, to the end of the last day, on a one-day span and a longer
  // one alike; the single-precision third falls short: a 94th window starts 0.16 seconds
  // before the end of December.
  const std::tuple<ScanKind, int, const char*, int> rows[] = {
      {ScanKind::Longitude, kMars, "12/01/2007", 1},    {ScanKind::Longitude, kMars, "12/11/2007", 11},
      {ScanKind::Longitude, idxMoon, "12/01/2007", 3},  {ScanKind::Longitude, idxMoon, "12/02/2007", 6},
      {ScanKind::Longitude, idxMoon, "12/31/2007", 94}, {ScanKind::Declination, idxMoon, "12/01/2007", 1},
  };
  for (const auto& [kind, p2, end, windows] : rows) EXPECT_EQ(count(kind, p2, end), windows) << p2 << " to " << end;
}

TEST(scan, exclusion_rules_and_p3_of_a_two_body_run) {
  struct Row { const char* name; RunSettings settings; size_t combinations; };
  const auto with = [](RunSettings s, Centre c1, Centre c2) { s.opt1_ghd = c1; s.opt2_ghd = c2; return s; };
  RunSettings triple_all;
  triple_all.chkP1Planets = triple_all.chkP2Planets = triple_all.chkP3Planets = BodyList({0, 4, 5});
  const Row rows[] = {
      {"Mars to Sun on one centre: tried once, lower index first", TwoBodySettings({kMars}, {idxSun}), 0},
      {"Sun to Mars", TwoBodySettings({idxSun}, {kMars}), 1},
      {"geocentric Earth takes no role", TwoBodySettings({idxEarth}, {idxSun, kMars}), 0},
      {"heliocentric Sun, Moon, nodes, Liliths take no role", with(TwoBodySettings({0, 1, 10, 11, 12, 13}, {kMars}), h, h), 0},
      {"heliocentric Earth does", with(TwoBodySettings({kMars}, {idxEarth}), h, h), 1},
      {"one body on two centres is skipped", with(TwoBodySettings({kMars}, {kMars}), g, h), 0},
      {"different centres try both orders", with(TwoBodySettings({kMars, 5}, {kMars, 5}), g, h), 2},
      // Triple: P1 any of three, {P2, P3} an unordered pair of the other two.
      {"triple, one centre", triple_all, 3},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(EnumerateCombinations(ScanKind::Longitude, r.settings, Inputs(r.settings), nullptr).size(),
              r.combinations)
        << r.name;
  }
  RunSettings two = TwoBodySettings({kMars}, {5});
  two.opt2_ghd = Centre::Helio;
  two.opt3_ghd = Centre::Geo;
  Centre p3 = Centre::Geo;
  const auto combos = EnumerateCombinations(ScanKind::Longitude, two, Inputs(two), &p3);
  ASSERT_EQ(combos.size(), 1u);
  EXPECT_EQ(std::tuple(p3, combos[0].body[2], combos[0].centre[2]), std::tuple(Centre::Helio, 5, Centre::Helio));
}

// A row's local date and time in the settings' zone 5.
DateAndTimeText LocalText(const FoundAspect& row) {
  return ConvertJDtoDateandTime(row.jd_ut, 5.0, DateOrder::MonthDayYear);
}

// A synthetic Sun-Mars conjunction at a chosen local time on 1 December 2007 (zone 5).
struct Conjunction {
  SyntheticProvider eph;
  RunSettings s = TwoBodySettings({idxSun}, {kMars});
  explicit Conjunction(double local_hours) {
    const double root = ConvertDatetoJD(12, 1, 2007) + (5.0 + local_hours) / 24.0;
    eph.bodies[idxSun] = {100.0 - root * 1.0 + 360.0 * 7000, 1.0};  // at 100 degrees at the root
    eph.bodies[kMars] = {100.0, 0.0};
    s.txtStartDate = s.txtEndDate = "12/01/2007";
    s.chkInclude15DegAspects = false;
  }
  FoundAspects Run() { return PlannedRows(ScanKind::Longitude, s, eph); }
};

TEST(scan, daily_time_window_and_a_root_on_a_window_boundary) {
  struct Row { const char *name, *end_date, *from, *to; size_t rows; };
  const Row rows[] = {
      {"00:05 lies inside 0.00 to 0.10", "12/01/2007", "0.00", "0.10", 1},
      {"ignored when the date texts differ, even for the same date", "12/1/2007", "10:00", "10:59", 1},
  };
  for (const Row& r : rows) {
    Conjunction c(5.0 / 60.0);
    c.s.chkEnableTimePeriod = true;
    c.s.txtEndDate = r.end_date;
    c.s.txtStartTime = r.from;
    c.s.txtEndTime = r.to;
    const FoundAspects table = c.Run();
    ASSERT_EQ(table.size(), r.rows) << r.name;
    for (const FoundAspect& row : table) EXPECT_EQ(LocalText(row).time, "00:05") << r.name;
  }
  // The conjunction falls exactly at local midnight between two one-day windows.
  Conjunction c(24.0);
  c.s.txtEndDate = "12/02/2007";
  const FoundAspects table = c.Run();
  ASSERT_EQ(table.size(), 1u);
  EXPECT_EQ(LocalText(table[0]).date + " " + LocalText(table[0]).time, "12/02/2007 00:00");
}

// Each row changes one text of the initial settings (12/01/2007 to 12/31/2007, zone 5). A
// start date and a time zone that read as nothing are refused together in run_command_test.
TEST(scan, replace_string) {
  EXPECT_EQ(Replace_String("10:23", ":", ".", 1, -1, 0), "10.23");
  EXPECT_EQ(Replace_String("1:2:3", ":", ".", 1, 1, 0), "1.2:3");
  EXPECT_EQ(Replace_String("1:2:3", ":", ".", 3, -1, 0), "1:2.3");
  EXPECT_EQ(Replace_String("10:23", "", ".", 1, -1, 0), "10:23");
  EXPECT_EQ(Replace_String("aXbx", "x", "-", 1, -1, 1), "a-b-");
  EXPECT_EQ(Replace_String("aaa", "a", "aa", 1, -1, 0), "aaaaaa");  // no endless loop
}

TEST(run_inputs, refusals_name_the_field_and_its_text) {
  struct Row { std::string RunSettings::*field; const char *text; std::string message; };
  const Row rows[] = {
      {&RunSettings::txtEndDate, "soon", "End Date: \"soon\" is not a valid date in the order month/day/year."},
      {&RunSettings::txtTZ, "50", "Time Zone: \"50\" lies beyond 24 hours from Universal Time."},
      {&RunSettings::txtEndDate, "11/30/2007", "End Date: \"11/30/2007\" lies before the start date \"12/01/2007\"."},
      // Read in the Julian calendar, printed in the Gregorian one: "12/30/0 50:52" and the like.
      {&RunSettings::txtStartDate, "10/15/1582",
       "Start Date: \"10/15/1582\" lies before 10/16/1582, the first day the program can show: "
       "before the Gregorian calendar reform of October 1582 its dates would be printed wrongly."},
      // Read because the time window is active; numbers, but no time of day: they would hide
      // every aspect of the day.
      {&RunSettings::txtStartTime, "1130", "Start Time: \"1130"},
      {&RunSettings::txtEndTime, "2599", "End Time: \"2599"},
  };
  for (const Row& r : rows) {
    RunSettings s;
    s.txtEndDate = s.txtStartDate;  // a one-day span, where the time window applies
    s.chkEnableTimePeriod = true;
    s.*r.field = r.text;
    const PreparedRun p = PrepareRunInputs(s, RegionalFormat{});
    EXPECT_FALSE(p.inputs.has_value()) << r.text;
    const std::string not_time = "\" is not a time of day: hours from 0 to 24 and minutes below 60, as 10:30 or 10.30.";
    EXPECT_EQ(p.problems, std::vector<std::string>{r.message.ends_with('.') ? r.message : r.message + not_time});
  }
  // An inactive time window does not care about its texts.
  RunSettings s;
  s.txtStartTime = "ten";
  EXPECT_TRUE(PrepareRunInputs(s, RegionalFormat{}).inputs.has_value());
}

constexpr double kTol = 0.00007;  // days, the scans' tolerance
constexpr double kRootErrDays = 1e-6;

// ---- The shared iteration, driven by scripted target values -----------------------------

TEST(secant_iteration, limits_and_failures) {
  // The targets f1 and f0 are the same at every pass; a result of 0.0 is a failure.
  struct Row { const char* name; double x0, x1, f1, f0; int limit; double result; int passes; };
  const Row rows[] = {
      // f1 = 1, f0 = 0 swaps the two points forever with a step of one window.
      {"no convergence within 100 passes", 0.0, 1.0, 1.0, 0.0, 100, 0.0, 100},
      {"a step of exactly 1.001 days fails", 0.0, 1.001, 1.0, 0.0, 100, 0.0, 1},
      {"a step just below 1.001 days goes on", 0.0, 1.0009, 1.0, 0.0, 2, 0.0, 2},
      {"a jump above 20 degrees fails from the second pass", 0.0, 0.5, 25.0, 0.0, 100, 0.0, 2},
      {"a change of exactly 20 degrees is no jump", 0.0, 0.5, 20.0, 0.0, 7, 0.0, 7},
      {"equal values give the middle at once", 10.0, 11.0, 3.0, 3.0, 100, 10.5, 1},
      // A step of about 1e-6 days is below the tolerance: x1 is the moment, the step unapplied.
      {"convergence returns x1", 0.0, 1.0, 1e-6, -1.0, 100, 1.0, 1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    int passes = 0;
    const SecantOutcome out = SecantIterate(r.x0, r.x1, kTol, r.limit, [&](double, double) {
      ++passes;
      return std::pair{r.f1, r.f0};
    });
    // The residual is the target of the final pass.
    EXPECT_EQ(std::tuple(out.jd, out.residual, passes), std::tuple(r.result, r.result == 0.0 ? 0.0 : r.f1, r.passes));
  }
}

// ---- The two target functions on synthetic motions --------------------------------------

// Roots across a grid line on either grid: the real scans of window_ends_test, which find
// every moment of a dense reference search on both.
TEST(longitude_solver, wrap_threshold_and_far_grid_line) {
  // P1 moves from `at_x0` to `at_x1` against a partner at 0. A change above the threshold (8
  // degrees on the 15-degree grid, 22 on the 30-degree one) is a wrap: the lower value is lifted
  // by a grid step, and a target then beyond the far grid line is brought back by one step.
  struct Wrap { bool grid15; double at_x1, at_x0, f1, f0; };
  const Wrap wraps[] = {
      {true, 9.0, 1.0, 9.0, 1.0},  // a change of exactly the threshold is no wrap
      {true, 9.5, 1.0, -5.5, 1.0},  // 1 lifted to 16, then both shifted back by 15
      {false, 23.0, 1.0, 23.0, 1.0}, {false, 23.5, 1.0, -6.5, 1.0},
  };
  for (const Wrap& r : wraps) {
    SCOPED_TRACE(testing::Message() << r.at_x0 << " to " << r.at_x1 << ", grid15 " << r.grid15);
    const SolverProblem two_bodies{{0, 1, 1}, {g, g, g}, true, true, r.grid15};
    EXPECT_EQ(LongitudeTargetsFrom(two_bodies, {r.at_x1, 0, 0}, {r.at_x0, 0, 0}), std::pair(r.f1, r.f0));
  }
}

TEST(declination_solver, mid_degree_and_midpoint_partners) {
  // P2 at +10 and P3 at -4 degrees; P1 rises from 0 to 10 degrees over the day.
  SyntheticProvider eph;
  eph.bodies = {{0, {0, 0, 0.0, 10.0}}, {1, {0, 0, 10.0, 0.0}}, {2, {0, 0, -4.0, 0.0}}};
  SolverProblem p{{0, 1, 2}, {Centre::Geo, Centre::Geo, Centre::Helio}, false, true, true};
  EXPECT_NEAR(SecantMethod_DECL(eph, p, 0.0, 1.0, kTol, 100).jd, 0.7, kRootErrDays);  // |P1| = 7
  p.use_midpoints = true;
  EXPECT_NEAR(SecantMethod_DECL(eph, p, 0.0, 1.0, kTol, 100).jd, 0.3, kRootErrDays);  // |P1| = 3
  // A contra-parallel counts like a parallel: P1 falls from 0 to -10 and reaches -3.
  eph.bodies[0].decl_speed = -10.0;
  EXPECT_NEAR(SecantMethod_DECL(eph, p, 0.0, 1.0, kTol, 100).jd, 0.3, kRootErrDays);
}

// The aspects of the grid, the sets of them a run may list, and the daily time texts.
TEST(aspects, classifiers_over_both_sets_and_degree_in_sign_texts) {
  struct Row { const char* name; double a, b; float orb; const char *full, *major; };
  const Row rows[] = {
      {"square", 10, 100, 3, "090", "090"}, {"order of a and b does not matter", 100, 10, 3, "090", "090"},
      {"separation 20 across 0, orb 3", 10, 350, 3, "   ", "   "},
      {"separation 20 across 0, orb 5", 10, 350, 5, "015", "   "},
      {"separation 177 is an opposition", 0, 177, 3, "180", "180"},
      {"separation 176.9 is nothing", 0, 176.9, 3, "   ", "   "},
      {"lower angle wins where windows overlap", 0, 22, 8, "015", "030"},
      {"bounds are inclusive: exactly the orb", 0, 63, 3, "060", "060"},
      {"zero orb hits only exact angles", 0, 45, 0, "045", "   "},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(Find_this_aspect(r.a, r.b, r.orb) + Find_this_major_aspect(r.a, r.b, r.orb), std::string(r.full) + r.major)
        << r.name;
  }
  struct Degree { double x; const char* text; };
  const Degree degrees[] = {
      {45.27, "15.3 (02)"}, {0, "00.0 (01)"}, {359.97, "30.0 (12)"}, {29.95, "30.0 (01)"}, {29.94, "29.9 (01)"},
      {30, "00.0 (02)"}, {360.0, "00.0 (01)"},  // 359.99999999999999 written with 15 digits and read back
  };
  // Always ".", whatever the locale: report_lines, through the whole longitude line.
  for (const Degree& r : degrees) EXPECT_EQ(Reduce_to_under_30_with_sign(r.x), r.text) << r.x;
}

TEST(aspect_set, texts_read_as_presets_lists_or_a_reason_and_filter_where_they_leave_out_an_aspect) {
  // angles: empty with `refused`.
  struct Row { const char* text; std::vector<int> angles; bool refused = false; };
  const std::vector<int> all = {0, 15, 30, 45, 60, 75, 90, 105, 120, 135, 150, 165, 180};
  const Row rows[] = {
      {"", all}, {"all", all}, {" ALL ", all}, {"major", {0, 60, 90, 120, 180}}, {"Hard", {0, 45, 90, 135, 180}},
      {"none", {}}, {"0,90,180", {0, 90, 180}}, {"180 0  90", {0, 90, 180}}, {"90,90,0,", {0, 90}}, {"7", {}, true},
      {"190", {}, true}, {"90.0", {}, true}, {"majors", {}, true}, {"0;90", {}, true}, {",", {}, true},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.text);
    std::string problem;
    const std::optional<AspectSet> set = ReadAspectSet(r.text, &problem);
    ASSERT_EQ(!set, r.refused);
    if (set) {
      EXPECT_EQ(set->Angles(), r.angles);
      EXPECT_EQ(ReadAspectSet(set->Text()), set) << set->Text();  // written back alike
    } else {
      EXPECT_NE(problem.find("multiples of 15"), std::string::npos) << problem;
    }
  }
  std::string problem;
  ASSERT_FALSE(ReadAspectSet("0,7", &problem));
  EXPECT_EQ(problem.substr(0, 4), "\"7\" ") << "names the part at fault: " << problem;
  // Only a set that leaves out an aspect of the run's grid filters (and names the report).
  const AspectSet thirties = *ReadAspectSet("0,30,60,90,120,150,180");
  EXPECT_FALSE(AspectSet::All().FiltersGrid(true) || thirties.FiltersGrid(false));
  EXPECT_TRUE(thirties.FiltersGrid(true) && AspectSet::Hard().FiltersGrid(false));
  EXPECT_EQ(AspectSet::Hard().OnGrid(false).Angles(), (std::vector<int>{0, 90, 180}));
  EXPECT_TRUE(ReadAspectSet("15,45")->OnGrid(false).empty());
}

// The number rules themselves (leading number, whole-text decimal) are tested with
// number_text, and fuzz_run_texts holds orbs and time zones to them; here only what a time
// of day adds: a colon (or the regional decimal sign) reads like the point, and the text is
// a time of day or nothing, since a number such as 1130 would silently hide the whole day.
TEST(run_settings, daily_time_texts) {
  struct Row { const char* text; char point; std::optional<double> value; };
  const Row times[] = {
      // value {}: no time of day
      {"10:59", '.', 10.59}, {"10.23", '.', 10.23}, {" 9:05 ", '.', 9.05}, {"10", '.', 10.0}, {"10.5", '.', 10.5},
      {"24:00", '.', 24.0}, {"10,30", ',', 10.30}, {"1:2:3", '.', {}}, {"-1", '.', {}}, {"1130", '.', {}},
      {"25.00", '.', {}}, {"10:60", '.', {}}, {"10.7", '.', {}}, {"24.30", '.', {}}, {"10.305", '.', {}},
      {"10,30", '.', {}}, {":30", '.', {}}, {"", '.', {}},
  };
  for (const Row& r : times)
    EXPECT_EQ(DailyTimeValue(r.text, r.point), r.value) << '"' << r.text << "\" with " << r.point;
}

}  // namespace
}  // namespace tarnwick
