#include "swiss_ephemeris.h"

#include <swephexp.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <vector>

#include "angles.h"
#include "core/orbit/orbit_elements.h"
#include "core/orbit/orbit_table.h"

namespace tarnwick {

namespace {

// Flags of the four position methods (published Swiss Ephemeris constants):
// SEFLG_SWIEPH 2, SEFLG_HELCTR 8, SEFLG_SPEED 256, SEFLG_EQUATORIAL 2048.
constexpr int kGeo = SEFLG_SWIEPH | SEFLG_SPEED;                 // 258
constexpr int kHelio = SEFLG_SWIEPH | SEFLG_HELCTR | SEFLG_SPEED;  // 266
static_assert(kGeo == 258 && kHelio == 266 && SEFLG_EQUATORIAL == 2048);

// Elements of the library's result array.
constexpr int kLon = 0, kLat = 1, kLonSpeed = 3, kLatSpeed = 4;

constexpr int kTrueNodeNumber = 11;

// Where a body's source is decided: J2000.0 (TT), inside every file's years.
constexpr double kProbeJd = 2451545.0;

constexpr const char* kFromOrbitMessage = "from orbital elements";

// Days (Terrestrial Time) between the nodes of the nutation curve QuickLongitude interpolates.
constexpr double kNutationNodeDays = 1.0;
// The curve's nodes, in steps from the one at or before the moment, and for each the
// reciprocal of the product of its distances to the others (Lagrange's basis at the node's
// own place is then 1).
constexpr size_t kLagrangeNodes = 12;
constexpr std::array<int, kLagrangeNodes> kLagrangeNodeOffsets{-5, -4, -3, -2, -1, 0, 1, 2, 3, 4, 5, 6};
constexpr std::array<double, kLagrangeNodes> kLagrangeScale = [] {
  std::array<double, kLagrangeNodes> out{};
  for (size_t i = 0; i < kLagrangeNodes; ++i) {
    double product = 1.0;
    for (size_t j = 0; j < kLagrangeNodes; ++j) {
      if (j != i) product *= kLagrangeNodeOffsets[i] - kLagrangeNodeOffsets[j];
    }
    out[i] = 1.0 / product;
  }
  return out;
}();

int BodyNumber(int body) { return BodyCatalogue.at(BodySlot(body)).body_number; }

// Mean of two angles on the circle: the plain mean, turned by 180 degrees when the two lie
// more than half a circle apart (359.6 and 0.4 give 0.0, not 180.0). Elsewhere it is the
// plain mean, bit for bit.
double CircularMean(double a, double b) {
  double m = (a + b) / 2.0;
  if (a - b > 180.0 || b - a > 180.0) m += 180.0;
  return m;
}

}  // namespace

SwissEphemeris::SwissEphemeris(const std::string& search_path) : search_path_(search_path) {
  std::vector<char> path(search_path.begin(), search_path.end());
  path.push_back('\0');
  swe_set_ephe_path(path.data());
}

namespace {
std::atomic<std::int64_t> g_finished_calc{0}, g_finished_deltat{0};
}  // namespace

SwissEphemeris::~SwissEphemeris() {
  g_finished_calc += calls_.calc;
  g_finished_deltat += calls_.deltat;
  swe_close();
}

EphemerisCallCount SwissEphemeris::FinishedCallCount() {
  return {g_finished_calc.load(), g_finished_deltat.load()};
}

double SwissEphemeris::LibraryDeltaT(double jd_ut) {
  ++calls_.deltat;
  return swe_deltat(jd_ut);
}

double SwissEphemeris::DeltaTAtNode(long long index) {
  DayNode& node = deltat_nodes_[static_cast<size_t>(index) % deltat_nodes_.size()];
  if (node.index != index) node = {index, LibraryDeltaT(static_cast<double>(index))};
  return node.value;
}

double SwissEphemeris::DeltaT(double jd_ut) {
  // Every moment of a day takes Delta T from the line between the day's ends, which is the
  // library's within 1e-11 day (a millionth of a second) wherever the check at midday holds
  // (a step or a kink of the library's values inside the day shows there at least half as
  // large as anywhere in the day). Two library calls a day, instead of one a moment.
  constexpr double kStraightDays = 5e-12;
  const double start = std::floor(jd_ut);
  const auto day = static_cast<long long>(start);
  const double at_start = DeltaTAtNode(day), at_end = DeltaTAtNode(day + 1);
  DayCheck& straight = deltat_straight_[static_cast<size_t>(day) % deltat_straight_.size()];
  if (straight.index != day) {
    const double off_line = LibraryDeltaT(start + 0.5) - (at_start + at_end) / 2.0;
    straight = {day, std::fabs(off_line) <= kStraightDays};
  }
  if (!straight.line_holds) return LibraryDeltaT(jd_ut);
  return at_start + (at_end - at_start) * (jd_ut - start);
}

SwissEphemeris::Result SwissEphemeris::Calc(double jd_et, int body_number, int flags) {
  Result r{};
  char serr[AS_MAXCH] = {0};
  ++calls_.calc;
  if (swe_calc(jd_et, body_number, flags, r.x, serr) < 0 && first_error_.empty()) {
    first_error_ = serr[0] ? serr : "the Swiss Ephemeris could not compute body " +
                                        std::to_string(body_number);
  }
  return r;
}

double SwissEphemeris::Get_1_Planet_geo(double jd_ut, int body) {
  const int flags = kGeo | (switches_.use_ra ? SEFLG_EQUATORIAL : 0);
  const double t_et = jd_ut + DeltaT(jd_ut);
  if (body == idxMeanNode) {
    const Result true_node = Calc(t_et, kTrueNodeNumber, flags);
    const Result mean_node = Calc(t_et, BodyNumber(body), flags);
    last_daily_motion_ = mean_node.x[kLonSpeed];
    return Reduce_to_under_360(CircularMean(true_node.x[kLon], mean_node.x[kLon]));
  }
  if (RouteOf(body) == Route::Orbit) {
    const SphericalPlace p = FromOrbit(t_et, body, true, switches_.use_ra);
    last_daily_motion_ = p.lon_speed;
    return p.lon;
  }
  const Result r = Calc(t_et, BodyNumber(body), flags);
  last_daily_motion_ = r.x[kLonSpeed];
  return r.x[kLon];
}

double SwissEphemeris::Get_1_Planet_helio(double jd_ut, int body) {
  const int flags = kHelio | (switches_.use_ra ? SEFLG_EQUATORIAL : 0);
  if (RouteOf(body) == Route::Orbit) {
    const SphericalPlace p = FromOrbit(jd_ut + DeltaT(jd_ut), body, false, switches_.use_ra);
    last_daily_motion_ = p.lon_speed;
    return p.lon;
  }
  const Result r = Calc(jd_ut + DeltaT(jd_ut), BodyNumber(body), flags);
  last_daily_motion_ = r.x[kLonSpeed];
  return r.x[kLon];
}

double SwissEphemeris::Get_1_Planet_decl(double jd_ut, int body) {
  const int flags = switches_.use_geo_lat ? kGeo : (kGeo | SEFLG_EQUATORIAL);
  const double t_et = jd_ut + DeltaT(jd_ut);
  if (body == idxMeanNode) {
    // Declinations and latitudes never wrap, so the plain mean is the mean here.
    const Result true_node = Calc(t_et, kTrueNodeNumber, flags);
    const Result mean_node = Calc(t_et, BodyNumber(body), flags);
    last_daily_motion_ = mean_node.x[kLatSpeed];
    return (true_node.x[kLat] + mean_node.x[kLat]) / 2.0;
  }
  if (RouteOf(body) == Route::Orbit) {
    const SphericalPlace p = FromOrbit(t_et, body, true, !switches_.use_geo_lat);
    last_daily_motion_ = p.lat_speed;
    return p.lat;
  }
  const Result r = Calc(t_et, BodyNumber(body), flags);
  last_daily_motion_ = r.x[kLatSpeed];
  return r.x[kLat];
}

double SwissEphemeris::Get_1_Planet_latitude(double jd_ut, int body) {
  if (RouteOf(body) == Route::Orbit) {
    const SphericalPlace p = FromOrbit(jd_ut + DeltaT(jd_ut), body, false, false);
    last_daily_motion_ = p.lat_speed;
    return p.lat;
  }
  const Result r = Calc(jd_ut + DeltaT(jd_ut), BodyNumber(body), kHelio);
  last_daily_motion_ = r.x[kLatSpeed];
  return r.x[kLat];
}

double SwissEphemeris::NutationAtNode(long long index) {
  DayNode& node = nutation_nodes_[static_cast<size_t>(index) % nutation_nodes_.size()];
  if (node.index != index) {
    // SE_ECL_NUT: x[2] is the nutation in longitude, degrees, at a moment in Terrestrial Time.
    node = {index, Calc(static_cast<double>(index) * kNutationNodeDays, SE_ECL_NUT, 0).x[2]};
  }
  return node.value;
}

bool SwissEphemeris::QuickByMethod(Centre centre, int body) {
  // Right ascensions, the geocentric "Mn Node" (two library answers), the bodies computed
  // from orbits, and the heliocentric Sun, nodes and apogees (the library gives 0 for them,
  // with no nutation in it) are answered by the method.
  const bool no_helio_orbit = body == idxSun || (body >= idxMeanNode && body <= idxTrueLilith);
  return switches_.use_ra || body == idxMeanNode || (centre == Centre::Helio && no_helio_orbit) ||
         RouteOf(body) == Route::Orbit;
}

double SwissEphemeris::QuickMotionError(Centre centre, int body) {
  if (!IsBodyIndex(body) || QuickByMethod(centre, body)) return 0.0;
  // The library's daily motion with the nutation is not the rate of its value: it differs
  // from its motion without the nutation plus the nutation's rate by up to these (the largest
  // of 20,000 moments 1800-2400 for each body, doubled; the bodies from 21 on, computed from
  // orbits unless the library has their files, take the largest asteroid's). The osculating
  // apogee, "True Lilith", is the library's least smooth body. Degrees per day, by body
  // index; 0 where the method answers.
  static constexpr std::array<double, BodyCount> kGeo{
      3e-9,   4e-6,   4e-6,   6e-6,   4e-6,   1.5e-6, 2.5e-6, 7e-7,   1.5e-6, 1.5e-5, 0.0,    3e-9,   5e-6,
      2.2e-4, 0.0,    4.7e-6, 2.2e-5, 1.3e-5, 3.5e-5, 1.4e-5, 9e-6,   3.5e-5, 3.5e-5, 3.5e-5, 3.5e-5, 3.5e-5};
  static constexpr std::array<double, BodyCount> kHelio{
      0.0,    1.2e-8, 5.5e-6, 3e-6,   1.5e-6, 1.2e-6, 2.1e-6, 7e-7,   1.3e-6, 1.5e-5, 0.0,    0.0,    0.0,
      0.0,    3e-9,   4.5e-6, 2e-5,   9e-6,   1.9e-5, 6.8e-6, 6.1e-6, 3.5e-5, 3.5e-5, 3.5e-5, 3.5e-5, 3.5e-5};
  return (centre == Centre::Helio ? kHelio : kGeo)[BodySlot(body)];
}

double SwissEphemeris::QuickLongitude(Centre centre, double jd_ut, int body) {
  if (QuickByMethod(centre, body)) return PositionProvider::QuickLongitude(centre, jd_ut, body);
  const double t_et = jd_ut + DeltaT(jd_ut);
  const Result r = Calc(t_et, BodyNumber(body), (centre == Centre::Helio ? kHelio : kGeo) | SEFLG_NONUT);
  // Lagrange's polynomial through the nodes k-5 .. k+6 around t_et (u in [0, 1) from node k)
  // and its derivative: twelve points a day apart follow the nutation's shortest terms (a few
  // days) to 8e-11 degree and its rate to 4e-10 degree/day (50,000 moments 1800-2400).
  const double q = t_et / kNutationNodeDays;
  const auto k = static_cast<long long>(std::floor(q));
  const double u = q - static_cast<double>(k);
  // Each basis polynomial is the product of (u - j) over the other nodes, over a constant:
  // products of the factors before and after node i (no division, exact at a node), and
  // their derivatives by the product rule.
  std::array<double, kLagrangeNodes + 1> before{}, d_before{}, after{}, d_after{};
  before[0] = after[kLagrangeNodes] = 1.0;
  for (size_t i = 0; i < kLagrangeNodes; ++i) {
    const double f = u - kLagrangeNodeOffsets[i];
    before[i + 1] = before[i] * f;
    d_before[i + 1] = d_before[i] * f + before[i];
  }
  for (size_t i = kLagrangeNodes; i-- > 0;) {
    const double f = u - kLagrangeNodeOffsets[i];
    after[i] = after[i + 1] * f;
    d_after[i] = d_after[i + 1] * f + after[i + 1];
  }
  double value = 0.0, rate = 0.0;
  for (size_t i = 0; i < kLagrangeNodes; ++i) {
    const double dpsi = NutationAtNode(k + static_cast<long long>(kLagrangeNodeOffsets[i])) * kLagrangeScale[i];
    value += before[i] * after[i + 1] * dpsi;
    rate += (d_before[i] * after[i + 1] + before[i] * d_after[i + 1]) * dpsi;
  }
  last_daily_motion_ = r.x[kLonSpeed] + rate / kNutationNodeDays;
  return Reduce_to_under_360(r.x[kLon] + value);
}

BodyAvailability SwissEphemeris::Availability(int body, Centre centre, double jd_ut) {
  const int flags = centre == Centre::Helio ? kHelio : kGeo;
  const double t_et = jd_ut + swe_deltat(jd_ut);
  BodyAvailability out;
  if (IsBodyIndex(body) && RouteOf(body) == Route::Orbit) {
    out.source = BodyAvailability::Source::OrbitalElements;
    out.message = kFromOrbitMessage;
    // Light takes under a day from the farthest of these bodies.
    if (!(t_et - 1.0 >= kOrbitFirstJd && t_et <= kOrbitLastJd)) {
      out.source = BodyAvailability::Source::Unavailable;
      out.message = std::string(BodyName(body)) +
                    ": positions from orbital elements cover the years 1800 to 2400 only";
    }
    return out;
  }
  std::vector<int> numbers{BodyNumber(body)};
  if (body == idxMeanNode && centre == Centre::Geo) numbers.push_back(kTrueNodeNumber);
  for (const int number : numbers) {
    double x[6];
    char serr[AS_MAXCH] = {0};
    const int ret = swe_calc(t_et, number, flags, x, serr);
    if (ret < 0) {
      out.source = BodyAvailability::Source::Unavailable;
      out.message = serr[0] ? serr : "the Swiss Ephemeris cannot compute this body";
      return out;
    }
    // A result from a fallback ephemeris (for example outside the files' years) is usable
    // but less exact; keep the library's note.
    if (serr[0] && out.message.empty()) out.message = serr;
  }
  return out;
}

SwissEphemeris::Route SwissEphemeris::Resolve(int body) {
  Route route = Route::Library;
  if (ElementsForBody(body)) {
    double x[6];
    char serr[AS_MAXCH] = {0};
    // The library fails only when it finds no file for the body; then the orbit serves.
    if (swe_calc(kProbeJd, BodyNumber(body), kGeo, x, serr) < 0) {
      if (BarycentricOrbit* orbit = SharedOrbitTable(body)) {
        orbit_[BodySlot(body)] = orbit;
        route = Route::Orbit;
      }
    }
  }
  route_[BodySlot(body)] = route;
  return route;
}

SphericalPlace SwissEphemeris::FromOrbit(double jd_et, int body, bool geocentric,
                                         bool equatorial) {
  ++calls_.orbit;
  SphericalPlace p;
  const bool ok = geocentric ? apparent_.Geocentric(*orbit_[BodySlot(body)], jd_et, equatorial, p)
                             : apparent_.Heliocentric(*orbit_[BodySlot(body)], jd_et, equatorial, p);
  if (!ok && first_error_.empty()) {
    first_error_ = std::string(BodyName(body)) +
                   ": positions from orbital elements cover the years 1800 to 2400 only";
  }
  return p;
}

}  // namespace tarnwick
