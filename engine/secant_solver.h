// The exact-time solvers: one secant iteration shared by the longitude solver (SecantMethod)
// and the declination solver (SecantMethod_DECL), which differ only in their target function.
#pragma once

#include <array>
#include <cmath>
#include <utility>

#include "core/bodies.h"
#include "core/position_provider.h"

namespace tarnwick {

// The combination a solver works on and the switches that shape its target function.
struct SolverProblem {
  std::array<int, 3> body{};     // body indices of P1, P2, P3 (P3 = P2 in a two-body run)
  std::array<Centre, 3> centre{};
  bool use_midpoints = true;     // chkUseMidpoints: midpoint, else mid-degree
  bool near_rule = true;         // chkUseNear_and_Far, for the mid-degree
  bool grid15 = true;            // chkInclude15DegAspects: 15-degree grid, else 30-degree grid
};

// What an iteration ends with. jd is the exact Julian day (UT), or 0.0 when the search failed
// (a jump of the target by more than 20 degrees after the first pass, a step of 1.001 days or
// more, or no convergence within the pass limit).
struct SecantOutcome {
  double jd = 0.0;
  double residual = 0.0;   // target value at jd, degrees (from the final pass)
  double last_step = 0.0;  // the final step, days, which convergence leaves unapplied
};

// The secant iteration. targets(x1, x0) returns {f(x1), f(x0)} in degrees, computed afresh
// for the pair (the longitude target unwraps its values across the two points). x0 and x1
// are Julian days; tolerance is the convergence limit on the step, in days.
template <class Targets>
SecantOutcome SecantIterate(double x0, double x1, double tolerance, int limit, Targets&& targets) {
  SecantOutcome out;
  for (int i = 1; i <= limit; ++i) {
    const auto [f1, f0] = targets(x1, x0);
    double step;
    if (f1 - f0 != 0.0) {
      step = f1 * ((x1 - x0) / (f1 - f0));
    } else {
      x1 = (x1 + x0) / 2.0;  // flat between the points: take their middle
      step = 0.0;
    }
    if (std::fabs(f1 - f0) > 20.0 && i >= 2) return out;  // a jump, not a root
    if (std::fabs(step) < tolerance) {
      out.jd = x1;  // the last, small step is not applied
      out.residual = f1;
      out.last_step = step;
      return out;
    }
    x0 = x1;
    if (std::fabs(step) >= 1.001) return out;
    x1 = x1 - step;
  }
  return out;
}

// Target of the longitude solver for the pair of moments (x1, x0): the distance of P1 from
// its partner (P2, or the midpoint or mid-degree of P2 and P3) reduced onto the aspect grid,
// unwrapped across the two moments; zero at every aspect of the grid. Degrees.
std::pair<double, double> LongitudeTargets(PositionProvider& eph, const SolverProblem& p,
                                           double x1, double x0);

// The same from positions already known: the longitudes of P1, P2, P3 at x1 and at x0.
std::pair<double, double> LongitudeTargetsFrom(const SolverProblem& p,
                                               const std::array<double, 3>& at_x1,
                                               const std::array<double, 3>& at_x0);

// P1's partner from the roles' longitudes v: P2, or the midpoint or mid-degree of P2 and P3.
// Degrees.
double PartnerLongitude(const SolverProblem& p, const std::array<double, 3>& v);

// Longitudes (or right ascensions) of the three roles at t, degrees.
std::array<double, 3> RoleLongitudes(PositionProvider& eph, const SolverProblem& p, double t);

// Declination target from the three roles' declinations or latitudes.
double DeclinationTargetFrom(const SolverProblem& p, const std::array<double, 3>& values);

// Declinations or latitudes of the three roles at t, degrees.
std::array<double, 3> RoleDeclinations(PositionProvider& eph, const SolverProblem& p, double t);

// Target of the declination solver at one moment: |partner| − |P1|, where the partner is P2,
// or the mean of P2 and P3 (signed with midpoints, of the magnitudes with mid-degrees). Zero
// at every parallel and contra-parallel. Degrees.
double DeclinationTarget(PositionProvider& eph, const SolverProblem& p, double t);

// Exact moment of a longitude aspect within [x0, x1] (Julian days, UT).
SecantOutcome SecantMethod(PositionProvider& eph, const SolverProblem& p, double x0, double x1,
                           double tolerance, int limit);

// Exact moment of a declination parallel or contra-parallel within [x0, x1].
SecantOutcome SecantMethod_DECL(PositionProvider& eph, const SolverProblem& p, double x0,
                                double x1, double tolerance, int limit);

}  // namespace tarnwick
