#include "engine/secant_solver.h"

#include "core/angles.h"
#include "core/midpoints.h"

namespace tarnwick {

namespace {

double Longitude(PositionProvider& eph, int body, Centre c, double t) {
  return RoleLongitude(eph, t, body, c);
}

double DeclOrLat(PositionProvider& eph, int body, Centre c, double t) {
  return RoleDeclination(eph, t, body, c);
}

// P2 and P3 are the same body on the same centre in a two-body run; its position is then
// fetched once (the provider is a pure function of its arguments).
bool PartnerIsP2(const SolverProblem& p) {
  return p.body[2] == p.body[1] && p.centre[2] == p.centre[1];
}

// Undoes a wrap across the grid boundary between the two moments; both tests strict.
void Unwrap(double& at_x1, double& at_x0, double grid, double threshold) {
  if (at_x1 - at_x0 > threshold) {
    at_x0 += grid;
  } else if (at_x1 - at_x0 < -threshold) {
    at_x1 += grid;
  }
}

}  // namespace

std::array<double, 3> RoleLongitudes(PositionProvider& eph, const SolverProblem& p, double t) {
  std::array<double, 3> v;
  v[0] = Longitude(eph, p.body[0], p.centre[0], t);
  v[1] = Longitude(eph, p.body[1], p.centre[1], t);
  v[2] = PartnerIsP2(p) ? v[1] : Longitude(eph, p.body[2], p.centre[2], t);
  return v;
}

std::array<double, 3> RoleDeclinations(PositionProvider& eph, const SolverProblem& p, double t) {
  std::array<double, 3> v;
  v[0] = DeclOrLat(eph, p.body[0], p.centre[0], t);
  v[1] = DeclOrLat(eph, p.body[1], p.centre[1], t);
  v[2] = PartnerIsP2(p) ? v[1] : DeclOrLat(eph, p.body[2], p.centre[2], t);
  return v;
}

double PartnerLongitude(const SolverProblem& p, const std::array<double, 3>& v) {
  return p.use_midpoints ? Find_Midpoint(v[1], v[2]) : Find_Middegree(v[1], v[2], p.near_rule);
}

std::pair<double, double> LongitudeTargetsFrom(const SolverProblem& p,
                                               const std::array<double, 3>& at_x1,
                                               const std::array<double, 3>& at_x0) {
  const double grid = p.grid15 ? 15.0 : 30.0;
  const double threshold = p.grid15 ? 8.0 : 22.0;  // a larger change between the points is a wrap
  const auto reduce = [&](double x) {
    return p.grid15 ? Reduce_to_under_15(x) : Reduce_to_under_30(x);
  };
  double a1 = reduce(at_x1[0]);
  double a0 = reduce(at_x0[0]);
  double m1 = reduce(PartnerLongitude(p, at_x1));
  double m0 = reduce(PartnerLongitude(p, at_x0));
  Unwrap(a1, a0, grid, threshold);
  Unwrap(m1, m0, grid, threshold);
  double f1 = a1 - m1;
  double f0 = a0 - m0;
  // A crossing of the far grid line: bring it back to zero.
  if ((std::fabs(f1) >= grid) != (std::fabs(f0) >= grid)) {
    if (f1 < 0.0 && f0 < 0.0) {
      f1 += grid;
      f0 += grid;
    } else if (f1 >= 0.0 && f0 >= 0.0) {
      f1 -= grid;
      f0 -= grid;
    }
  }
  return {f1, f0};
}

std::pair<double, double> LongitudeTargets(PositionProvider& eph, const SolverProblem& p,
                                           double x1, double x0) {
  return LongitudeTargetsFrom(p, RoleLongitudes(eph, p, x1), RoleLongitudes(eph, p, x0));
}

double DeclinationTargetFrom(const SolverProblem& p, const std::array<double, 3>& v) {
  const double m = p.use_midpoints ? Find_Midpoint_declination(v[1], v[2])
                                   : Find_Midpoint_declination(std::fabs(v[1]), std::fabs(v[2]));
  return std::fabs(m) - std::fabs(v[0]);
}

double DeclinationTarget(PositionProvider& eph, const SolverProblem& p, double t) {
  return DeclinationTargetFrom(p, RoleDeclinations(eph, p, t));
}

SecantOutcome SecantMethod(PositionProvider& eph, const SolverProblem& p, double x0, double x1,
                           double tolerance, int limit) {
  return SecantIterate(x0, x1, tolerance, limit,
                       [&](double a, double b) { return LongitudeTargets(eph, p, a, b); });
}

SecantOutcome SecantMethod_DECL(PositionProvider& eph, const SolverProblem& p, double x0,
                                double x1, double tolerance, int limit) {
  return SecantIterate(x0, x1, tolerance, limit, [&](double a, double b) {
    return std::pair{DeclinationTarget(eph, p, a), DeclinationTarget(eph, p, b)};
  });
}

}  // namespace tarnwick
