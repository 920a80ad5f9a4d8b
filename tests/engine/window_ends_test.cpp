// Window ends between library positions, and the rows the polished search makes, checked
// against the library itself.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "core/angles.h"
#include "core/midpoints.h"
#include "core/program_folder.h"
#include "core/swiss_ephemeris.h"
#include "engine/scan.h"
#include "engine/window_ends.h"
#include "tests/support/report_pieces.h"

namespace tarnwick {
namespace {

// A row's positions are the library's at its moment this closely: carried from an evaluation
// a few seconds away at most, they are off by under 1e-9 degree by the bodies' bounds, and
// far less as a rule (a few 1e-10 in these runs). Degrees.
constexpr double kMaxRowPositionErrDeg = 1e-9;
// The aspect at a row's moment is exact to this: the Moon covers 1e-7 degree in under a
// millisecond. Degrees.
constexpr double kMaxRowAspectErrDeg = 1e-7;

struct Coordinate { const char* name; bool longitude; PositionSwitches switches; };

class WindowEnds : public ::testing::TestWithParam<Coordinate> {
 protected:
  SwissEphemeris eph{EphemerisSearchPath(ProgramFolder())};
};

double Ask(PositionProvider& eph, bool longitude, int body, Centre c, double t) {
  if (longitude) return c == Centre::Helio ? eph.Get_1_Planet_helio(t, body) : eph.Get_1_Planet_geo(t, body);
  return c == Centre::Helio ? eph.Get_1_Planet_latitude(t, body) : eph.Get_1_Planet_decl(t, body);
}

// October 2008 to October 2009 holds a conjunction with the Sun of every planet but Mercury's
// several (light bends at the Sun's limb), Venus's retrograde loop and Mars's conjunction.
TEST_P(WindowEnds, interpolated_positions_stay_within_their_bound_over_a_year) {
  const Coordinate& co = GetParam();
  eph.SetSwitches(co.switches);
  const double first = 2454740.5, last = first + 366.0;  // 1 October 2008 to 2 October 2009
  double worst = 0.0;
  const char* worst_body = "";
  for (int body = 0; body <= LastBodyIndex; ++body) {
    for (const Centre c : {Centre::Geo, Centre::Helio}) {
      const double base = BaseStepDays(co.longitude, body, c, co.switches, 1.0 / 3.0);
      if (base == 0.0 || !eph.Availability(body, c, first).available()) continue;
      for (double a = first; a < last; a += base) {
        const RoleSample sa{Ask(eph, co.longitude, body, c, a), eph.LastDailyMotion()};
        const RoleSample sb{Ask(eph, co.longitude, body, c, a + base), eph.LastDailyMotion()};
        for (const double u : {0.2, 0.5, 0.8}) {
          const double t = a + u * base;
          const RoleSample v = InterpolateRole(a, sa, a + base, sb, t, co.longitude);
          const double lib = Ask(eph, co.longitude, body, c, t);
          const double err = co.longitude ? ArcDistance(v.value, lib) : std::fabs(v.value - lib);
          if (err > worst) {
            worst = err;
            worst_body = BodyCatalogue[static_cast<size_t>(body)].caption.data();
          }
        }
      }
    }
  }
  std::printf("%s: largest interpolation error %.2e degree (%.8s), bound %.0e\n", co.name, worst, worst_body,
              kWindowEndErrorDeg);
  EXPECT_LE(worst, kWindowEndErrorDeg);
}

INSTANTIATE_TEST_SUITE_P(coordinates, WindowEnds,
                         ::testing::Values(Coordinate{"longitude", true, {}},
                                           Coordinate{"right_ascension", true, {true, false}},
                                           Coordinate{"declination", false, {}}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(window_ends, interpolation_goes_the_short_way_round_and_meets_its_ends) {
  const RoleSample a{359.5, 1.0}, b{0.5, 1.0};
  EXPECT_NEAR(InterpolateRole(0.0, a, 1.0, b, 0.5, true).value, 0.0, 1e-12);
  EXPECT_DOUBLE_EQ(InterpolateRole(0.0, a, 1.0, b, 0.0, true).value, 359.5);
  EXPECT_NEAR(InterpolateRole(0.0, a, 1.0, b, 1.0, true).value, 0.5, 1e-12);
  EXPECT_NEAR(InterpolateRole(0.0, a, 1.0, b, 0.25, true).motion, 1.0, 1e-12);
}

// Every row of a scan with interpolated window ends and polished moments, recomputed on a
// provider of its own: the positions are the library's at the moment, the aspect is exact.
// From 60 days on, a longitude search polishes with quick longitudes.
struct Scanned { const char* name; ScanKind kind; std::vector<int> bodies; bool triple; bool all_centres; const char* end; };

class PolishedRows : public ::testing::TestWithParam<Scanned> {};

TEST_P(PolishedRows, hold_the_library_positions_of_an_exact_moment) {
  const Scanned& sc = GetParam();
  RunSettings s;
  s.txtStartDate = "03/01/2008";
  s.txtEndDate = sc.end;
  s.chkUseP3 = sc.triple;
  s.chkAutoCalc = sc.all_centres;
  s.chkP1Planets = s.chkP2Planets = s.chkP3Planets = BodyList(sc.bodies);
  const std::string path = EphemerisSearchPath(ProgramFolder());
  SwissEphemeris scan_eph(path), check(path);
  const RunPlan plan = MakeRunPlan(sc.kind, s, RegionalFormat{}, scan_eph).plan.value();
  check.SetSwitches(plan.switches);
  ScanOptions options;
  options.threads = 2;
  options.worker_provider = [&] { return std::make_unique<SwissEphemeris>(path); };
  FoundAspects rows;
  ScanPlan(plan, scan_eph, [&](FoundAspects& batch) { rows.insert(rows.end(), batch.begin(), batch.end()); },
           options);
  ASSERT_GT(rows.size(), 20u);
  const bool lon = sc.kind == ScanKind::Longitude;
  double worst_position = 0.0, worst_aspect = 0.0;
  for (const FoundAspect& row : rows) {
    for (size_t r = 0; r < 3; ++r) {
      const double lib = Ask(check, lon, row.body[r], row.centre[r], row.jd_ut);
      worst_position = std::max(worst_position, lon ? ArcDistance(row.position[r], lib) : std::fabs(row.position[r] - lib));
    }
    const std::array<double, 3>& v = row.position;
    double aspect_err = 0.0;
    if (lon) {
      const double d = Reduce_to_under_15(v[0] - (sc.triple ? Find_Midpoint(v[1], v[2]) : v[1]));
      aspect_err = std::min(d, 15.0 - d);
    } else {
      aspect_err = std::fabs(std::fabs(v[0]) - std::fabs(v[1]));
    }
    worst_aspect = std::max(worst_aspect, aspect_err);
  }
  std::printf("%s: %zu rows, largest position error %.1e, aspect error %.1e degree\n", sc.name, rows.size(),
              worst_position, worst_aspect);
  EXPECT_LE(worst_position, kMaxRowPositionErrDeg);
  EXPECT_LE(worst_aspect, kMaxRowAspectErrDeg);
}

INSTANTIATE_TEST_SUITE_P(
    scans, PolishedRows,
    ::testing::Values(
        Scanned{"moon_and_planets", ScanKind::Longitude, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, false, false, "03/31/2008"},
        Scanned{"triple_midpoints_all_centres", ScanKind::Longitude, {0, 2, 3, 4, 5, 9, 15}, true, true, "03/04/2008"},
        Scanned{"quick_nodes_and_apogees_all_centres", ScanKind::Longitude, {0, 3, 5, 10, 11, 12, 13, 18}, false, true,
                "05/15/2008"},
        Scanned{"declination_all_centres", ScanKind::Declination, {0, 1, 2, 3, 4, 5, 10}, false, true, "03/31/2008"}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace tarnwick
