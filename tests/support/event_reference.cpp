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

// An angle (degrees) unwrapped next to a reference angle.
double Near(double angle, double reference) {
  return angle + 360.0 * std::round((reference - angle) / 360.0);
}

}  // namespace

std::vector<double> ReferenceEvents(ReferenceEvent what, int body, double from_jd, double to_jd, double step) {
  std::vector<double> out;
  const auto add = [&](double e) {
    if (e >= from_jd && e <= to_jd) out.push_back(e);
  };
  // Each kind as a function whose integer part changes at the event (a "cell" of the
  // quantity), so a change of cell between two samples brackets it.
  const auto angle = [&](double jd) {
    switch (what) {
      case ReferenceEvent::GeoIngress: return Calc(jd, body, 0)[0];
      case ReferenceEvent::HelioIngress: return Calc(jd, body, SEFLG_HELCTR)[0];
      case ReferenceEvent::Lunation: {
        const double d = Calc(jd, SE_MOON, 0)[0] - Calc(jd, SE_SUN, 0)[0];
        return d - 360.0 * std::floor(d / 360.0);
      }
      default: return 0.0;
    }
  };
  const double cell = what == ReferenceEvent::Lunation ? 90.0 : 30.0;
  double t = from_jd;
  // A station is the speed through zero; the bounds, |declination| through the obliquity.
  if (what == ReferenceEvent::GeoStation || what == ReferenceEvent::OutOfBounds) {
    const auto f = [&](double jd) {
      return what == ReferenceEvent::GeoStation ? Calc(jd, body, 0)[3]
                                                : std::fabs(Calc(jd, body, SEFLG_EQUATORIAL)[1]) - Obliquity(jd);
    };
    return SignChanges(f, from_jd, to_jd, step);
  }
  double a0 = angle(t);
  for (; t < to_jd; t += step) {
    const double t1 = std::min(t + step, to_jd);
    const double a1 = Near(angle(t1), a0);
    const double c0 = std::floor(a0 / cell), c1 = std::floor(a1 / cell);
    if (c0 != c1) {
      const double boundary = cell * std::max(c0, c1);
      add(Bisection([&](double jd) { return Near(angle(jd), a0) - boundary; }, t, t1));
    }
    a0 = a1 - 360.0 * std::floor(a1 / 360.0);
  }
  return out;
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
