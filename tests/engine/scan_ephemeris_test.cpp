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

TEST_P(ScanOnEphemeris, finds_every_moment_of_a_quarter_once_and_exactly) {
  const ScanKind kind = GetParam();
  RunSettings s;
  s.chkUseP3 = false;
  s.chkP1Planets = s.chkP2Planets = BodyList({0, 1, 2, 4, 5});  // Sun, Moon, Mercury, Mars, Jupiter
  s.txtStartDate = "01/01/2001";
  s.txtEndDate = "03/31/2001";
  s.txtTZ = "0";
  const RunInputs in = PrepareRunInputs(s, RegionalFormat{}).inputs.value();
  eph.SetSwitches(s.switches());

  Comparison total;
  double worst = 0.0;
  std::map<int, SampledBody> sampled;  // every ten minutes
  for (int b = 0; b <= LastBodyIndex; ++b) {
    if (s.chkP1Planets[b]) sampled[b] = SampleBody(kind, eph, b, Centre::Geo, in.start_jd, in.end_jd + 1.0, 1.0 / 144.0);
  }
  for (const Combination& c : EnumerateCombinations(kind, s, in, nullptr)) {
    const SolverProblem p = ProblemFor(c, s);
    const std::vector<double> reference = ReferenceRoots(kind, eph, p, sampled[c.body[0]], sampled[c.body[1]],
                                                         sampled[c.body[1]], 1, in.end_jd);
    std::vector<double> found;
    for (const FoundAspect& row : ScanCombination(kind, eph, p, c, in)) {
      if (row.jd_ut > in.end_jd) continue;  // whole days only, like the reference
      found.push_back(row.jd_ut);
      const double err = kind == ScanKind::Longitude ? GridError(row.position[0], row.position[1])
                                                     : std::fabs(std::fabs(row.position[0]) - std::fabs(row.position[1]));
      worst = std::max(worst, err);
    }
    total += Compare(reference, found);
  }
  std::printf("expected %d found %d missed %d duplicated %d unmatched %d; worst %.1e deg\n",
              total.expected, total.found, total.missed, total.duplicated, total.unmatched, worst);
  EXPECT_GT(total.expected, kind == ScanKind::Longitude ? 300 : 50);
  EXPECT_EQ(total.missed, 0);
  EXPECT_EQ(total.duplicated, 0);
  EXPECT_EQ(total.unmatched, 0);
  EXPECT_LT(worst, kMaxAspectErrDeg);
}

// The Moon against the bodies whose positions carry evaluation noise (the osculating apogee
// wobbles by up to 1e-4 degrees between neighbouring moments) or are means of two (the
// "Mn Node"): every crossing of a year, however noisy the target is at the crossing.
TEST_P(ScanOnEphemeris, finds_the_moon_crossing_noisy_bodies) {
  const ScanKind kind = GetParam();
  constexpr int kMeanNode = 10, kTrueNode = 11, kMeanApogee = 12, kOsculatingApogee = 13;
  RunSettings s;
  s.chkUseP3 = false;
  s.chkInclude15DegAspects = false;
  s.chkP1Planets = BodyList({idxMoon});
  s.chkP2Planets = BodyList({kMeanNode, kTrueNode, kMeanApogee, kOsculatingApogee});
  s.txtStartDate = "01/01/2025";
  s.txtEndDate = "12/31/2025";
  s.txtTZ = "5";
  const RunInputs in = PrepareRunInputs(s, RegionalFormat{}).inputs.value();
  eph.SetSwitches(s.switches());
  for (const Combination& c : EnumerateCombinations(kind, s, in, nullptr)) {
    const SolverProblem p = ProblemFor(c, s);
    const SampledBody moon = SampleBody(kind, eph, c.body[0], Centre::Geo, in.start_jd, in.end_jd + 1.0, 1.0 / 144.0);
    const SampledBody other = SampleBody(kind, eph, c.body[1], Centre::Geo, in.start_jd, in.end_jd + 1.0, 1.0 / 144.0);
    const std::vector<double> reference = ReferenceRoots(kind, eph, p, moon, other, other, 1, in.end_jd);
    std::vector<double> found;
    for (const FoundAspect& row : ScanCombination(kind, eph, p, c, in)) {
      if (row.jd_ut <= in.end_jd) found.push_back(row.jd_ut);
    }
    const Comparison cmp = Compare(reference, found);
    EXPECT_GT(cmp.expected, kind == ScanKind::Longitude ? 150 : 40) << BodyName(c.body[1]);
    EXPECT_EQ(cmp.missed, 0) << BodyName(c.body[1]);
    EXPECT_EQ(cmp.duplicated, 0) << BodyName(c.body[1]);
    EXPECT_EQ(cmp.unmatched, 0) << BodyName(c.body[1]);
  }
}

INSTANTIATE_TEST_SUITE_P(scan, ScanOnEphemeris,
                         ::testing::Values(ScanKind::Longitude, ScanKind::Declination),
                         [](const auto& row) {
                           return row.param == ScanKind::Longitude ? "longitude" : "declination";
                         });

}  // namespace
}  // namespace tarnwick
