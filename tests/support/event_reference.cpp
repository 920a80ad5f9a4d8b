#include "tests/support/event_reference.h"

#include <swephexp.h>

#include <algorithm>
#include <array>
#include <cmath>

#include "tests/support/reference_search.h"

namespace tarnwick {

namespace {

constexpr double kResolutionDays = 1e-7;  // about a hundredth of a second

// Bisects f (any function with a sign change between lo and hi).
template <class F>
double Bisection(F&& f, double lo, double hi) {
  const bool lo_negative = f(lo) < 0.0;
  while (hi - lo > kResolutionDays) {
    const double mid = (lo + hi) / 2.0;
    ((f(mid) < 0.0) == lo_negative ? lo : hi) = mid;
  }
  return (lo + hi) / 2.0;
}

std::array<double, 6> Calc(double jd, int body, int flags) {
  std::array<double, 6> x{};
  char serr[AS_MAXCH];
  swe_calc_ut(jd, body, flags | SEFLG_SWIEPH | SEFLG_SPEED, x.data(), serr);
  return x;
}

double Obliquity(double jd) {
  double x[6] = {};
  char serr[AS_MAXCH];
  swe_calc_ut(jd, SE_ECL_NUT, 0, x, serr);
  return x[0];
}

}  // namespace

std::vector<double> ReferenceEvents(ReferenceEvent what, int body, double from_jd, double to_jd, double step) {
  // Each kind as a quantity through zero at its events: a station is the speed through zero;
  // the bounds, |declination| through the obliquity; an ingress or a lunation, the longitude
  // (or the Moon's elongation) through a multiple of 30 (90) degrees, as the signed distance
  // to the nearest multiple, whose jump halfway between two is no crossing.
  const double cell = what == ReferenceEvent::Lunation ? 90.0 : 30.0;
  const auto f = [&](double jd) {
    double a = 0.0;
    switch (what) {
      case ReferenceEvent::GeoStation: return Calc(jd, body, 0)[3];
      case ReferenceEvent::OutOfBounds: return std::fabs(Calc(jd, body, SEFLG_EQUATORIAL)[1]) - Obliquity(jd);
      case ReferenceEvent::GeoIngress: a = Calc(jd, body, 0)[0]; break;
      case ReferenceEvent::HelioIngress: a = Calc(jd, body, SEFLG_HELCTR)[0]; break;
      case ReferenceEvent::Lunation: a = Calc(jd, SE_MOON, 0)[0] - Calc(jd, SE_SUN, 0)[0]; break;
    }
    return a - cell * std::round(a / cell);
  };
  const bool crossing = what != ReferenceEvent::GeoStation && what != ReferenceEvent::OutOfBounds;
  return SignChanges(f, from_jd, to_jd, step, crossing ? cell / 2.0 : HUGE_VAL);
}

std::vector<double> SignChanges(const std::function<double(double)>& f, double from_jd, double to_jd,
                                double step, double max_change) {
  std::vector<double> out;
  double v0 = f(from_jd);
  for (double t = from_jd; t < to_jd; t += step) {
    const double t1 = std::min(t + step, to_jd), v1 = f(t1);
    if ((v0 < 0.0) != (v1 < 0.0) && std::fabs(v1 - v0) < max_change) out.push_back(Bisection(f, t, t1));
    v0 = v1;
  }
  return out;
}

double WorstOffsetDays(const std::vector<double>& reference, const std::vector<double>& found) {
  double worst = 0.0;
  for (const double e : found) {
    const auto it = std::lower_bound(reference.begin(), reference.end(), e - kMatchWithinDays);
    if (it != reference.end() && *it <= e + kMatchWithinDays) worst = std::max(worst, std::fabs(*it - e));
  }
  return worst;
}

}  // namespace tarnwick
