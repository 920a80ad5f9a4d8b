// The scans on the real ephemeris: nothing missed, nothing listed twice, every moment exact.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>

#include "core/angles.h"
#include "core/program_folder.h"
#include "core/swiss_ephemeris.h"
#include "engine/scan.h"
#include "tests/support/reference_search.h"
#include "tests/support/report_pieces.h"

namespace tarnwick {
namespace {

// At every found moment the recomputed positions form the aspect this closely. The search
// converges to well under a second of time; the Moon covers 1e-4 degrees in about a second.
constexpr double kMaxAspectErrDeg = 1e-4;

// How far two longitudes are from the nearest line of the 15-degree grid, degrees.
double GridError(double a, double b) {
  const double d = Reduce_to_under_15(ArcDistance(a, b));
  return std::min(d, 15.0 - d);
}

class ScanOnEphemeris : public ::testing::TestWithParam<ScanKind> {
 protected:
  SwissEphemeris eph{EphemerisSearchPath(ProgramFolder())};
};

// Every moment the dense reference search finds, once: a quarter of five bodies, each moment
// exact; and a year of the Moon against the bodies whose positions carry evaluation noise
// (the osculating apogee wobbles by up to 1e-4 degrees between neighbouring moments) or are
// means of two (the "Mn Node"), however noisy the target is at the crossing.
TEST_P(ScanOnEphemeris, finds_every_moment_once_and_exactly) {
  const ScanKind kind = GetParam();
  const bool lon = kind == ScanKind::Longitude;
  // least, least_each: reference moments in all, in each combination; exact: each found
  // moment's aspect within kMaxAspectErrDeg.
  struct Row { const char* name; std::vector<int> p1, p2; const char *start, *end, *tz; bool grid15; int least, least_each; bool exact; };
  const Row rows[] = {
      {"Sun, Moon, Mercury, Mars, Jupiter", {0, 1, 2, 4, 5}, {0, 1, 2, 4, 5}, "01/01/2001", "03/31/2001", "0", true,
       lon ? 300 : 50, -1, true},
      {"the Moon against the nodes and apogees", {idxMoon}, {10, 11, 12, 13}, "01/01/2025", "12/31/2025", "5", false,
       0, lon ? 150 : 40, false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    RunSettings s;
    s.chkUseP3 = false;
    s.chkInclude15DegAspects = r.grid15;
    s.chkP1Planets = BodyList(r.p1);
    s.chkP2Planets = BodyList(r.p2);
    s.txtStartDate = r.start;
    s.txtEndDate = r.end;
    s.txtTZ = r.tz;
    const RunInputs in = PrepareRunInputs(s, RegionalFormat{}).inputs.value();
    eph.SetSwitches(s.switches());
    std::map<int, SampledBody> sampled;  // every ten minutes
    for (const std::vector<int>* role : {&r.p1, &r.p2}) {
      for (const int b : *role) sampled[b] = SampleBody(kind, eph, b, Centre::Geo, in.start_jd, in.end_jd + 1.0, 1.0 / 144.0);
    }
    Comparison total;
    double worst = 0.0;
    for (const Combination& c : EnumerateCombinations(kind, s, in, nullptr)) {
      const SolverProblem p = ProblemFor(c, s);
      const std::vector<double> reference = ReferenceRoots(kind, eph, p, sampled[c.body[0]], sampled[c.body[1]],
                                                           sampled[c.body[1]], 1, in.end_jd);
      std::vector<double> found;
      for (const FoundAspect& row : ScanCombination(kind, eph, p, c, in)) {
        if (row.jd_ut > in.end_jd) continue;  // whole days only, like the reference
        found.push_back(row.jd_ut);
        if (!r.exact) continue;
        worst = std::max(worst, lon ? GridError(row.position[0], row.position[1])
                                    : std::fabs(std::fabs(row.position[0]) - std::fabs(row.position[1])));
      }
      const Comparison cmp = Compare(reference, found);
      EXPECT_GT(cmp.expected, r.least_each) << BodyName(c.body[1]);
      total += cmp;
    }
    std::printf("%s: expected %d found %d missed %d duplicated %d unmatched %d; worst %.1e deg\n", r.name,
                total.expected, total.found, total.missed, total.duplicated, total.unmatched, worst);
    EXPECT_GT(total.expected, r.least);
    EXPECT_EQ(total.missed, 0);
    EXPECT_EQ(total.duplicated, 0);
    EXPECT_EQ(total.unmatched, 0);
    EXPECT_LT(worst, kMaxAspectErrDeg);
  }
}

INSTANTIATE_TEST_SUITE_P(scan, ScanOnEphemeris,
                         ::testing::Values(ScanKind::Longitude, ScanKind::Declination),
                         [](const auto& row) {
                           return row.param == ScanKind::Longitude ? "longitude" : "declination";
                         });

}  // namespace
}  // namespace tarnwick
