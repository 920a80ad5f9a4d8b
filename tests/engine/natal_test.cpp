// Natal charts: the chart's positions against swetest, the reading of birth data, and the
// exact search of moving bodies against the fixed natal points, judged by a bisection of our
// own straight on the library.
#include <gtest/gtest.h>

#include <swephexp.h>

#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <tuple>

#include "core/angles.h"
#include "core/program_folder.h"
#include "core/swiss_ephemeris.h"
#include "engine/natal_chart.h"
#include "engine/run_plan.h"
#include "engine/scan.h"
#include "test_paths.h"
#include "tests/support/event_reference.h"
#include "tests/support/planets_only_folder.h"
#include "tests/support/planned_rows.h"
#include "tests/support/reference_search.h"
#include "tests/support/report_pieces.h"

namespace tarnwick {
namespace {

// The library against itself at the same moment: swetest prints 11 decimals of a degree.
constexpr double kMaxLibraryErrArcsec = 0.001;
// Chiron from its orbit against the library's file, 1950-2050 (README: 1.1").
constexpr double kMaxChironOrbitErrArcsec = 2.0;
// The main-belt asteroids from their orbits in 1990, 32 years before the elements' epoch:
// the differences of the two orbit fits grow away from it (README; 2.0" measured here).
constexpr double kMaxAsteroidOrbitErrArcsec = 5.0;
// A found moment against the independent bisection.
constexpr double kMaxMomentErrSeconds = 1.0;

// id: the chart's name in reference.txt; planets_only: asteroids and centaurs from their orbits.
struct ChartCase { const char* id; NatalChart chart; bool planets_only; };

const ChartCase kCharts[] = {
    {"old", {"Old", "03/14/1879", "11:30", "-1", "48N24 10E00"}, false},
    {"south", {"South", "07/21/1969", "02:56", "Australia/Sydney", "33S52 151E12"}, false},
    {"orbit", {"Orbit", "06/15/1990", "14:30", "Europe/Berlin", ""}, true},
};

double ArcsecBetween(double a, double b) { return ArcDistance(a, b) * 3600.0; }

TEST(natal_chart, positions_match_swetest_for_three_charts) {
  std::ifstream file(TestPath("TARNWICK_TEST_DATA_DIR") + "/natal/reference.txt");
  ASSERT_TRUE(file) << "tests/data/natal/reference.txt is missing";
  PlanetsOnlyFolder planets_only;
  ASSERT_FALSE(planets_only.path().empty());
  std::map<std::string, std::shared_ptr<const NatalPositions>> cast;
  for (const ChartCase& c : kCharts) {
    SwissEphemeris eph(c.planets_only ? planets_only.path().string() : EphemerisSearchPath(ProgramFolder()));
    const CastChart made = CastNatalChart(c.chart, eph);
    ASSERT_TRUE(made.positions) << c.id << ": " << (made.problems.empty() ? "" : made.problems.front());
    cast[c.id] = made.positions;
  }
  // The orbit chart's Sedna has no file here at all: it comes from its orbit.
  EXPECT_TRUE(cast["orbit"]->points.available[idxSedna]);

  std::string line;
  int compared = 0;
  while (std::getline(file, line)) {
    std::istringstream in(line);
    std::string chart, method;
    int body = 0;
    double expected = 0.0;
    ASSERT_TRUE(in >> chart >> method >> body >> expected) << line;
    const NatalPositions& p = *cast.at(chart);
    const size_t i = static_cast<size_t>(body);
    double got = 0.0;
    if (method == "asc") got = p.ascendant_deg.value();
    else if (method == "mc") got = p.midheaven_deg.value();
    else if (method == "geo") got = p.points.lon[i];
    else if (method == "ra") got = p.points.ra[i];
    else if (method == "decl") got = p.points.decl[i];
    else if (method == "geolat") got = p.points.geo_lat[i];
    else if (method == "helio") got = p.helio_lon[i];
    else if (method == "hlat") got = p.helio_lat[i];
    else FAIL() << "unknown method in " << line;
    ASSERT_TRUE(body < 0 || (method.front() == 'h' ? p.helio_available[i] : p.points.available[i])) << line;
    const bool from_orbit = chart == "orbit" && body >= 15;
    const double tolerance =
        !from_orbit ? kMaxLibraryErrArcsec : body == 15 ? kMaxChironOrbitErrArcsec : kMaxAsteroidOrbitErrArcsec;
    EXPECT_LE(ArcsecBetween(got, expected), tolerance) << line << " got " << got;
    ++compared;
  }
  EXPECT_EQ(compared, 262);
}

TEST(natal_chart, reads_birth_data_and_places_or_names_the_field) {
  // problem: start of the first problem; "": readable. (A fixed offset: the charts above.)
  struct Row { const char* what; NatalChart chart; const char* problem; };
  const Row rows[] = {
      {"named zone and seconds", {"", "07/21/1969", "02:56:30", "Australia/Sydney", ""}, ""},
      {"day 30 of February", {"", "02/30/1990", "12:00", "0", ""}, "Birth date: \"02/30/1990\""},
      {"hour 24", {"", "06/15/1990", "24:00", "0", ""}, "Birth time: \"24:00\""},
      {"unknown zone", {"", "06/15/1990", "12:00", "Mars/Olympus", ""}, "Birth time zone: \"Mars/Olympus\""},
  };
  for (const Row& r : rows) {
    std::vector<std::string> problems;
    const bool read = BirthMoment(r.chart, problems).has_value();
    ASSERT_EQ(read, *r.problem == '\0') << r.what;
    if (!read) { EXPECT_EQ(problems.at(0).rfind(r.problem, 0), 0u) << r.what << ": " << problems.at(0); }
  }
  // The Sydney chart's local date is a day after its UT date; Berlin's summer time is 2 hours.
  std::vector<std::string> problems;
  EXPECT_NEAR(*BirthMoment(kCharts[1].chart, problems), swe_julday(1969, 7, 20, 16.0 + 56.0 / 60.0, SE_GREG_CAL), 1e-9);
  EXPECT_NEAR(*BirthMoment(kCharts[2].chart, problems), swe_julday(1990, 6, 15, 12.5, SE_GREG_CAL), 1e-9);
  struct Place { const char* text; bool ok; double lat, lon; };
  const Place places[] = {
      {"52N31 13E24", true, 52.0 + 31.0 / 60.0, 13.4}, {"33s52, 151e12", true, -(33.0 + 52.0 / 60.0), 151.2},
      {"40N43 74W00", true, 40.0 + 43.0 / 60.0, -74.0}, {"-33.87,151.21", true, -33.87, 151.21},
      // Beyond the pole, 60 minutes, a latitude letter for the longitude, one coordinate.
      {"91N00 13E24", false, 0, 0}, {"52N60 13E24", false, 0, 0}, {"52N31 13N24", false, 0, 0},
      {"52.5", false, 0, 0}, {"52.5,181", false, 0, 0},
  };
  for (const Place& r : places) {
    std::string problem;
    const std::optional<GeoPlace> place = PlaceOf(r.text, problem);
    EXPECT_EQ(place.has_value(), r.ok) << r.text << " " << problem;
    if (r.ok && place) {
      EXPECT_NEAR(place->latitude_deg, r.lat, 1e-12) << r.text;
      EXPECT_NEAR(place->longitude_deg, r.lon, 1e-12) << r.text;
    } else {
      EXPECT_EQ(problem.rfind("Place:", 0), 0u) << r.text << ": " << problem;
    }
  }
}

// ---- Transits to the natal points, against a bisection straight on the library ------------

// Geocentric apparent longitude of date from the library, degrees: flags 258 as the program's.
double LibraryLongitude(double jd_ut, int body_number) {
  double x[6];
  char err[256];
  EXPECT_GE(swe_calc_ut(jd_ut, body_number, SEFLG_SWIEPH | SEFLG_SPEED, x, err), 0) << err;
  return x[0];
}

// Saturn's crossings of `target` + k `grid` degrees from 2025 to mid-2026, bisected on the library.
std::vector<double> SaturnCrossings(double target, double grid) {
  const auto h = [=](double t) {  // signed distance to the nearest grid line, (-grid/2, grid/2]
    const double d = Reduce_to_under_360(LibraryLongitude(t, SE_SATURN) - target);
    return d - grid * std::round(d / grid);
  };
  return SignChanges(h, swe_julday(2025, 1, 1, 0.0, SE_GREG_CAL), swe_julday(2026, 7, 1, 0.0, SE_GREG_CAL), 1.0,
                     grid / 2.0);
}

// Born in Berlin with the Sun at 27°35' Pisces, where Saturn turns back in 2025, at an hour
// that puts the Midheaven early in Aries and the Ascendant in Leo, where transiting Saturn and
// the 15-degree grid meet them in 2025-2026.
class NatalTransits : public ::testing::Test {
 protected:
  NatalChart chart{"Transit test", "03/18/1990", "12:00", "0", "52.5,13.4"};
  SwissEphemeris eph{EphemerisSearchPath(ProgramFolder())};
  double birth_jd = swe_julday(1990, 3, 18, 12.0, SE_GREG_CAL);

  void SetUp() override {
    const CastChart cast = CastNatalChart(chart, eph);
    ASSERT_TRUE(cast.positions);
    eph.SetNatalPoints(NatalPointsOf(cast.positions));
  }

  // Transiting Saturn to the natal point p2, or to the midpoint of p2 and p3 (P3 = P2: a
  // two-body run), 2025 to mid-2026.
  RunSettings Settings(int p2, int p3) const {
    RunSettings s = TwoBodySettings({kSaturn}, {}, "01/01/2025", "06/30/2026");  // P2 and P3 as below
    s.txtTZ = "0";
    s.chkUseP3 = p2 != p3;
    for (const auto& [planets, angles, point] :
         {std::tuple{&s.chkP2Planets, &s.chkP2Angles, p2}, std::tuple{&s.chkP3Planets, &s.chkP3Angles, p3}}) {
      if (IsNatalAngle(point)) (*angles)[AngleSlot(point)] = true;
      else (*planets)[static_cast<size_t>(point)] = true;
    }
    s.opt2_ghd = s.opt3_ghd = Centre::Natal;
    return s;
  }
};

// Saturn to the natal Sun across its loop, to an angle, or to the midpoint of the natal Sun
// and the Midheaven or the Moon, on the 15-degree grid, against a bisection straight on the
// library; the angles' right ascension, that of the MC being the ARMC.
TEST_F(NatalTransits, saturn_to_the_sun_the_angles_and_the_midpoints) {
  std::array<double, 10> ascmc{};  // from the library's house routine
  double cusps[13];
  ASSERT_GE(swe_houses_ex(birth_jd, 0, 52.5, 13.4, 'P', cusps, ascmc.data()), 0);
  const double sun = LibraryLongitude(birth_jd, SE_SUN), moon = LibraryLongitude(birth_jd, SE_MOON);
  ASSERT_EQ(SaturnCrossings(sun, 360.0).size(), 3u) << "the chart no longer puts the Sun inside Saturn's loop";
  // Either midpoint: the two differ by 180 degrees, a multiple of the grid.
  const auto midpoint = [sun](double other) { return Reduce_to_under_360(sun + Reduce_to_under_360(other - sun) / 2.0); };
  // target: the natal longitude, degrees.
  struct Row { const char* name; int p2, p3; double target; };
  const Row rows[] = {
      {"Sun", idxSun, idxSun, sun},
      {"Ascendant", idxAscendant, idxAscendant, ascmc[SE_ASC]}, {"Midheaven", idxMidheaven, idxMidheaven, ascmc[SE_MC]},
      {"Sun/MC midpoint", idxSun, idxMidheaven, midpoint(ascmc[SE_MC])},
      {"Sun/Moon midpoint", idxSun, idxMoon, midpoint(moon)},
  };
  for (const Row& r : rows) {
    const std::vector<double> reference = SaturnCrossings(r.target, 15.0);
    ASSERT_GE(reference.size(), 2u) << r.name;
    std::vector<double> found;
    for (const FoundAspect& row : PlannedRows(ScanKind::Longitude, Settings(r.p2, r.p3), eph)) {
      // The natal point does not move.
      EXPECT_EQ(std::tuple(row.body[2], row.centre[2], row.motion[1]), std::tuple(r.p3, Centre::Natal, 0.0)) << r.name;
      found.push_back(row.jd_ut);
    }
    const Comparison c = Compare(reference, found);
    EXPECT_EQ(c.missed + c.duplicated + c.unmatched, 0) << r.name << ": " << found.size() << " of " << reference.size();
    EXPECT_LE(WorstOffsetDays(reference, found) * 86400.0, kMaxMomentErrSeconds) << r.name;
  }
  const NatalPoints& n = *eph.natal_points();
  EXPECT_LT(ArcsecBetween(n.ra[idxMidheaven], ascmc[SE_ARMC]), 0.01);
  EXPECT_EQ(n.geo_lat[idxAscendant], 0.0);  // points of the ecliptic
}

// Transiting Saturn meets natal Saturn as a pair, the same body on another centre; a natal
// point has no motion bound to spend: the bound rests on P1's alone.
TEST_F(NatalTransits, saturn_meets_natal_saturn_bound_by_its_own_motion) {
  const RunSettings s = Settings(kSaturn, kSaturn);
  const RunInputs in = PrepareRunInputs(s, RegionalFormat{}).inputs.value();
  const std::vector<Combination> combos = EnumerateCombinations(ScanKind::Longitude, s, in, nullptr);
  ASSERT_EQ(combos.size(), 1u);
  EXPECT_EQ(std::pair(combos[0].body[1], combos[0].centre[1]), std::pair(kSaturn, Centre::Natal));
  const IntervalBound b = BoundFor(ScanKind::Longitude, ProblemFor(combos[0], s), combos[0].step, s.switches());
  EXPECT_EQ(std::pair(b.usable, b.speed[1]), std::pair(true, 0.0));
  EXPECT_FALSE(PlannedRows(ScanKind::Longitude, s, eph).empty());  // Saturn returns in 2025
}

TEST(natal_plan, natal_centre_or_angles_without_a_chart_or_place_or_for_p1_are_refused) {
  SwissEphemeris unplaced(EphemerisSearchPath(ProgramFolder())), no_chart(EphemerisSearchPath(ProgramFolder()));
  const CastChart cast = CastNatalChart({"Unplaced", "03/18/1990", "12:00", "0", ""}, unplaced);
  ASSERT_TRUE(cast.positions);
  unplaced.SetNatalPoints(NatalPointsOf(cast.positions));
  const std::string no_angles = "P2 Ascendant/Midheaven: the natal chart \"Unplaced\" has no birth place, "
                                "so it has no angles; give it a place or uncheck the angles.";
  // The P2 Midheaven is checked; problem: the whole first one, "" when the run is planned.
  struct Row { const char* name; SwissEphemeris* eph; Centre p1, p2; bool every_combination; std::string problem; };
  const Row rows[] = {
      {"P2 natal", &unplaced, Centre::Geo, Centre::Natal, false, no_angles},
      {"every combination with the chart", &unplaced, Centre::Geo, Centre::Geo, true, no_angles},
      {"P2 geocentric: the angles take no part", &unplaced, Centre::Geo, Centre::Geo, false, ""},
      {"P2 natal without a chart", &no_chart, Centre::Geo, Centre::Natal, false,
       "P2 centre: \"n\" (natal) needs a natal chart"},
      {"P1 natal, always", &unplaced, Centre::Natal, Centre::Geo, false, "P1 centre:"},
  };
  for (const Row& r : rows) {
    RunSettings s;
    s.opt1_ghd = r.p1;
    s.opt2_ghd = r.p2;
    s.chkAutoCalc = r.every_combination;
    s.chkP2Angles[AngleSlot(idxMidheaven)] = true;
    const PlannedRun planned = MakeRunPlan(ScanKind::Longitude, s, RegionalFormat{}, *r.eph);
    ASSERT_EQ(!planned.plan, !r.problem.empty()) << r.name;
    if (planned.plan) {
      for (const Combination& c : planned.plan->combinations) EXPECT_FALSE(c.Involves(idxMidheaven)) << r.name;
    } else {
      EXPECT_EQ(planned.problems.front().substr(0, r.problem.size()), r.problem) << r.name;
    }
  }
}

TEST(natal_plan, every_combination_includes_natal_only_with_a_chart) {
  RunSettings s;
  s.chkAutoCalc = true;
  for (const bool triple : {true, false}) {
    s.chkUseP3 = triple;
    const auto with_natal = CentreSeries(s, true);  // without: run_command_test
    EXPECT_EQ(with_natal.size(), triple ? 12u : 5u);
    for (const auto& c : with_natal) {
      EXPECT_NE(c[0], Centre::Natal);  // P1 moves
      EXPECT_TRUE(!triple || c[1] <= c[2]);  // {P2, P3} once
    }
  }
}

}  // namespace
}  // namespace tarnwick
