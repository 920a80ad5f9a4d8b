// Root finding on one smooth component of a search (a value in degrees that is zero at the
// moment sought): bisection, the cubic-then-Newton-and-secant refinement inside a bracket, and
// the look inside a window for two close crossings. The aspect search and the sky events share
// these, so that every kind of moment is found with the same care.
#pragma once

#include <algorithm>
#include <cmath>
#include <utility>

namespace tarnwick {

// Bisection stops on a bracket this short, days (about 0.01 seconds).
inline constexpr double kBisectionLimitDays = 1e-7;

// A component near one moment: its value (degrees) and rate (degrees per day).
struct Slope {
  double h, rate;
};

inline bool SignChange(double fa, double fb) { return fa == 0.0 || (fa < 0.0) != (fb < 0.0); }

inline int Direction(double from, double to) { return (to > from) - (to < from); }

// Root of h between lo and hi, where h(lo) and h(hi) differ in sign, by bisection.
// h(x, reference) gives {value at x, value at reference}, the first unwrapped against the
// second where the component is an angle.
template <class H>
double Bisect(H&& h, double lo, double hi) {
  while (hi - lo > kBisectionLimitDays) {
    const double mid = (lo + hi) / 2.0;
    const auto [f_mid, f_lo] = h(mid, lo);
    if (f_mid == 0.0) return mid;
    if ((f_mid < 0.0) == (f_lo < 0.0)) {
      lo = mid;
    } else {
      hi = mid;
    }
  }
  return (lo + hi) / 2.0;
}

// A component with the same sign at both ends of [a, b] may still dip to zero between them
// when a body turns near the target (a planet at its station, the Moon at its greatest
// declination): it is sampled at the middle and at the vertex of the parabola through the
// three values, and each crossing found is bisected. h(x) gives the component at x;
// found(jd, direction) receives the two crossings, in time order.
template <class H, class Found>
void FindTurn(H&& h, double a, double b, double ha, double hb, Found&& found) {
  const double mid = (a + b) / 2.0;
  const double hm = h(mid);
  const double denom = ha - 2.0 * hm + hb;
  double turn = mid;
  if (denom != 0.0) turn = std::clamp(mid + (b - a) / 4.0 * (ha - hb) / denom, a, b);
  for (const double x : {turn, mid}) {
    const double hx = x > a && x < b ? h(x) : ha;
    if (x > a && x < b && SignChange(ha, hx)) {
      const auto pair = [&](double u, double ref) { return std::pair{h(u), h(ref)}; };
      found(Bisect(pair, a, x), Direction(ha, hx));
      found(Bisect(pair, x, b), Direction(hx, hb));
      return;
    }
  }
}

// Where the cubic Hermite through both ends' values and rates crosses zero, as a Julian day
// inside (a, b): Newton on the cubic from the straight line's root, or that root itself when
// the cubic's steps leave the bracket. No position is asked.
inline double HermiteStart(double a, Slope sa, double b, Slope sb) {
  const double s = b - a;
  // Cubic Hermite H(u), u in [0, 1], solved by Newton from the straight line's root.
  const double linear = sa.h / (sa.h - sb.h);
  double u = linear;
  for (int i = 0; i < 8; ++i) {
    const double u2 = u * u, u3 = u2 * u;
    const double hu = (2 * u3 - 3 * u2 + 1) * sa.h + (u3 - 2 * u2 + u) * s * sa.rate +
                      (-2 * u3 + 3 * u2) * sb.h + (u3 - u2) * s * sb.rate;
    const double du = (6 * u2 - 6 * u) * sa.h + (3 * u2 - 4 * u + 1) * s * sa.rate +
                      (-6 * u2 + 6 * u) * sb.h + (3 * u2 - 2 * u) * s * sb.rate;
    if (du == 0.0) break;
    u -= hu / du;
    if (!(u > 0.0 && u < 1.0)) {
      u = linear;
      break;
    }
  }
  return a + u * s;
}

// Root of a component that changes sign between a and b. The cubic through both ends' values
// and rates places it, as a rule, within a fraction of a second of the root; a Newton step on
// the component there, then secant steps through the last two moments, finish the job, each
// kept inside the shrinking bracket (bisecting when a step would leave it). The library's
// rates only guide the first steps: they are not always the rate of the value used (the
// "Mn Node" is the mean of two nodes, its rate that of one of them). eval(x) gives the
// component's value and rate at x. Positions that carry noise (the osculating apogee's) can
// keep the steps from settling; the bracket holds the crossing all the same, so it is then
// bisected down to the time resolution.
template <class Eval>
double HermiteNewton(Eval&& eval, double a, Slope sa, double b, Slope sb) {
  constexpr double kDoneDays = 1e-8;  // about a millisecond
  double lo = a, hi = b;
  const bool lo_negative = sa.h < 0.0;
  double x = HermiteStart(a, sa, b, sb), px = 0.0, ph = 0.0;
  for (int i = 0; i < 60; ++i) {
    const Slope at = eval(x);
    if (at.h == 0.0) return x;
    ((at.h < 0.0) == lo_negative ? lo : hi) = x;
    double next;
    if (i == 0) {
      next = at.rate != 0.0 ? x - at.h / at.rate : (lo + hi) / 2.0;
    } else {
      next = at.h != ph ? x - at.h * (x - px) / (at.h - ph) : (lo + hi) / 2.0;
    }
    // Done when the next step is below a millisecond (Julian days near 2.45 million resolve
    // to 0.04 milliseconds, so such a step may not even move x).
    if (std::fabs(next - x) < kDoneDays) return x;
    if (!(next > lo && next < hi)) next = (lo + hi) / 2.0;
    px = x;
    ph = at.h;
    x = next;
  }
  while (hi - lo > kBisectionLimitDays) {
    const double mid = (lo + hi) / 2.0;
    const double h = eval(mid).h;
    if (h == 0.0) return mid;
    ((h < 0.0) == lo_negative ? lo : hi) = mid;
  }
  return (lo + hi) / 2.0;
}

// The crossing of a component that changes sign between a and b, with how far from zero the
// component ends there, degrees. The steps settle on the crossing unless the positions carry
// noise there; then (ending further than max_residual_deg from zero) the bracket is bisected
// by sign down to the time resolution, and holds a crossing all the same.
template <class Eval>
std::pair<double, double> CrossingIn(Eval&& eval, double a, Slope sa, double b, Slope sb,
                                     double max_residual_deg) {
  if (sa.h == 0.0) return {a, 0.0};
  double e = HermiteNewton(eval, a, sa, b, sb);
  double residual = std::fabs(eval(e).h);
  if (residual > max_residual_deg) {
    e = Bisect([&](double x, double ref) { return std::pair{eval(x).h, eval(ref).h}; }, a, b);
    residual = std::fabs(eval(e).h);
  }
  return {e, residual};
}

}  // namespace tarnwick
