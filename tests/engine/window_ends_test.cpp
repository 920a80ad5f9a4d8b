// Window ends between library positions, and the rows the polished search makes, checked
// against the library itself.
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "core/angles.h"
#include "core/midpoints.h"
#include "core/program_folder.h"
#include "core/swiss_ephemeris.h"
#include "engine/scan.h"
#include "engine/window_ends.h"
#include "tests/support/planned_rows.h"
#include "tests/support/reference_search.h"
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
          worst = std::max(worst, co.longitude ? ArcDistance(v.value, lib) : std::fabs(v.value - lib));
        }
      }
    }
  }
  EXPECT_LE(worst, kWindowEndErrorDeg) << "largest interpolation error, degrees";
}

INSTANTIATE_TEST_SUITE_P(coordinates, WindowEnds,
                         ::testing::Values(Coordinate{"longitude", true, {}},
                                           Coordinate{"right_ascension", true, {true, false}},
                                           Coordinate{"declination", false, {}}),
                         [](const auto& row) { return std::string(row.param.name); });

// Every row of a scan with interpolated window ends and polished moments, recomputed on a
// provider of its own: the positions are the library's at the moment, the aspect is exact.
// From 60 days on, a longitude search polishes with quick longitudes.
struct Scanned { const char* name; ScanKind kind; std::vector<int> bodies; bool triple; bool all_centres; const char* end; };

class PolishedRows : public ::testing::TestWithParam<Scanned> {};

TEST_P(PolishedRows, hold_the_library_positions_of_an_exact_moment) {
  const Scanned& sc = GetParam();
  RunSettings s = TwoBodySettings(sc.bodies, sc.bodies, "03/01/2008", sc.end);
  s.chkUseP3 = sc.triple;
  s.chkAutoCalc = sc.all_centres;
  s.chkP3Planets = s.chkP1Planets;
  const std::string path = EphemerisSearchPath(ProgramFolder());
  SwissEphemeris scan_eph(path), check(path);
  const RunPlan plan = MakeRunPlan(sc.kind, s, RegionalFormat{}, scan_eph).plan.value();
  check.SetSwitches(plan.switches);
  ScanOptions options;
  options.threads = 2;
  options.worker_provider = [&] { return std::make_unique<SwissEphemeris>(path); };
  const FoundAspects rows = ScanRows(plan, scan_eph, options);
  ASSERT_GT(rows.size(), 20u);
  const bool lon = sc.kind == ScanKind::Longitude;
  double worst_position = 0.0, worst_aspect = 0.0;
  for (const FoundAspect& row : rows) {
    for (size_t r = 0; r < 3; ++r) {
      const double lib = Ask(check, lon, row.body[r], row.centre[r], row.jd_ut);
      worst_position = std::max(worst_position, lon ? ArcDistance(row.position[r], lib) : std::fabs(row.position[r] - lib));
    }
    const std::array<double, 3>& v = row.position;
    // Longitude: the distance to the nearest line of the 15-degree grid.
    const double d = Reduce_to_under_15(v[0] - (sc.triple ? Find_Midpoint(v[1], v[2]) : v[1]));
    worst_aspect =
        std::max(worst_aspect, lon ? std::min(d, 15.0 - d) : std::fabs(std::fabs(v[0]) - std::fabs(v[1])));
  }
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

// The scans on the real ephemeris: nothing missed, nothing listed twice. (That each moment is
// exact: PolishedRows above, to 1e-7 degree.)
class ScanOnEphemeris : public ::testing::TestWithParam<ScanKind> {
 protected:
  SwissEphemeris eph{EphemerisSearchPath(ProgramFolder())};
};

// Every moment the dense reference search finds, once: a quarter of five bodies, and a year of the Moon against the bodies whose positions carry evaluation noise
// (the osculating apogee wobbles by up to 1e-4 degrees between neighbouring moments) or are
// means of two (the "Mn Node"), however noisy the target is at the crossing.
TEST_P(ScanOnEphemeris, finds_every_moment_once_and_exactly) {
  const ScanKind kind = GetParam();
  const bool lon = kind == ScanKind::Longitude;
  // least, least_each: reference moments in all, in each combination.
  struct Row { const char* name; std::vector<int> p1, p2; const char *start, *end, *tz; bool grid15; int least, least_each; };
  const Row rows[] = {
      {"Sun, Moon, Mercury, Mars, Jupiter", {0, 1, 2, 4, 5}, {0, 1, 2, 4, 5}, "01/01/2001", "03/31/2001", "0", true,
       lon ? 300 : 50, -1},
      {"the Moon against the nodes and apogees", {idxMoon}, {10, 11, 12, 13}, "01/01/2025", "12/31/2025", "5", false,
       0, lon ? 150 : 40},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    RunSettings s = TwoBodySettings(r.p1, r.p2, r.start, r.end);
    s.chkInclude15DegAspects = r.grid15;
    s.txtTZ = r.tz;
    const RunInputs in = PrepareRunInputs(s, RegionalFormat{}).inputs.value();
    eph.SetSwitches(s.switches());
    std::map<int, SampledBody> sampled;  // every ten minutes
    for (const std::vector<int>* role : {&r.p1, &r.p2})
      for (const int b : *role) sampled[b] = SampleBody(kind, eph, b, Centre::Geo, in.start_jd, in.end_jd + 1.0, 1.0 / 144.0);
    Comparison total;
    for (const Combination& c : EnumerateCombinations(kind, s, in, nullptr)) {
      const SolverProblem p = ProblemFor(c, s);
      const std::vector<double> reference = ReferenceRoots(kind, eph, p, sampled[c.body[0]], sampled[c.body[1]],
                                                           sampled[c.body[1]], 1, in.end_jd);
      std::vector<double> found;
      for (const FoundAspect& row : ScanCombination(kind, eph, p, c, in))
        if (row.jd_ut <= in.end_jd) found.push_back(row.jd_ut);  // whole days only, like the reference
      const Comparison cmp = Compare(reference, found);
      EXPECT_GT(cmp.expected, r.least_each) << BodyName(c.body[1]);
      total += cmp;
    }
    EXPECT_GT(total.expected, r.least);
    EXPECT_EQ(total.missed + total.duplicated + total.unmatched, 0)
        << total.missed << " missed, " << total.duplicated << " twice, " << total.unmatched << " unmatched";
  }
}

INSTANTIATE_TEST_SUITE_P(
    scan, ScanOnEphemeris, ::testing::Values(ScanKind::Longitude, ScanKind::Declination),
    [](const auto& row) { return row.param == ScanKind::Longitude ? "longitude" : "declination"; });

}  // namespace
}  // namespace tarnwick
