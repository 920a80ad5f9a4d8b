#include "engine/interval_search.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "core/angles.h"
#include "core/midpoints.h"
#include "engine/crossing_search.h"
#include "engine/motion_bounds.h"

namespace tarnwick {

namespace {

// A secant that ends with the target this far from zero has settled on a jump of the target,
// not on a root: genuine roots end within a few thousandths of a degree (the fastest relative
// motion, about 15 degrees a day, times the tolerance of 0.00007 day).
constexpr double kMaxResidualDeg = 0.01;
// A refined moment is exact to this: the target moves at most about 17 degrees a day, and
// the refinement stops within 1e-8 day.
constexpr double kExactDeg = 1e-5;
// A sign change across a window with a larger change of the target is a jump (a wrap of the
// grid or of the mid-degree), not a crossing: no pair of bodies moves apart by this much in
// one window.
constexpr double kMaxCrossingChangeDeg = 7.5;
// A piece of a window that holds a jump of the target is halved down to this length: a
// crossing further than this from the jump is found. Days (about a tenth of a second).
constexpr double kJumpResolutionDays = 1e-6;
// Without bounds on the bodies' accelerations, a component nearer zero than this at an end of
// a window is looked at inside for two crossings. The Moon's declination curves by up to
// 2.2 degrees a day per day, so within one day it strays at most 0.28 degrees from its chord.
constexpr double kTurnBandDeg = 0.5;

// The multiple of the grid that P1 crosses, 0 .. 360/grid - 1, from the roles' longitudes v
// at a moment where the target stands h degrees past its nearest grid line.
int CrossedMultiple(const SolverProblem& p, const std::array<double, 3>& v, double h) {
  const double grid = p.grid15 ? 15.0 : 30.0;
  const int count = static_cast<int>(360.0 / grid);
  const int n = static_cast<int>(std::lround(Reduce_to_under_360(v[0] - PartnerLongitude(p, v) - h) / grid)) % count;
  return n < 0 ? n + count : n;
}

// Adds a crossing unless it is one found already.
void AddRoot(std::vector<Crossing>& roots, const Crossing& c) {
  for (const Crossing& r : roots) {
    if (r.SameAs(c)) return;
  }
  roots.push_back(c);
}

// Where a mid-degree partner may jump: the cell of a position among the sign boundaries and,
// for the near rule, the 7.5 and 22.5 degrees within each sign.
int MidDegreeCell(double lon) {
  const double in_sign = Reduce_to_under_30(lon);
  return static_cast<int>(std::floor(lon / 30.0)) * 3 + (in_sign < 7.5 ? 0 : in_sign <= 22.5 ? 1 : 2);
}

bool PartnerMayJump(const SolverProblem& p, const std::array<double, 3>& va,
                    const std::array<double, 3>& vb) {
  if (p.use_midpoints) return false;  // a midpoint's jumps are half-turns, multiples of the grid
  return MidDegreeCell(va[1]) != MidDegreeCell(vb[1]) || MidDegreeCell(va[2]) != MidDegreeCell(vb[2]);
}

// Whether a mid-degree partner steps at e, within the bisection's resolution: what a sign
// change that ends far from zero is, unless the positions carry noise there (the library's
// osculating apogee strays by up to 11 degrees within a second of the Moon passing it).
bool JumpAt(PositionProvider& eph, const SolverProblem& p, double e) {
  return PartnerMayJump(p, RoleLongitudes(eph, p, e - kBisectionLimitDays),
                        RoleLongitudes(eph, p, e + kBisectionLimitDays));
}

// Longitude: every crossing of the grid in [a, b] that the target's sign changes reveal. An
// interval holding a jump of the target (a wrap the unwrapping cannot see, a mid-degree that
// steps by 15 degrees) is halved until the pieces between the jumps are smooth.
void BracketLongitude(PositionProvider& eph, const SolverProblem& p, double a, double b,
                      const std::array<double, 3>& va, const std::array<double, 3>& vb,
                      std::vector<Crossing>& roots) {
  const auto [fb, fa] = LongitudeTargetsFrom(p, vb, va);
  if (std::fabs(fb - fa) >= kMaxCrossingChangeDeg || PartnerMayJump(p, va, vb)) {
    if (b - a <= kJumpResolutionDays) return;
    const double mid = (a + b) / 2.0;
    const std::array<double, 3> vm = RoleLongitudes(eph, p, mid);
    BracketLongitude(eph, p, a, mid, va, vm, roots);
    BracketLongitude(eph, p, mid, b, vm, vb, roots);
    return;
  }
  if (!SignChange(fa, fb)) return;
  const double e = fa == 0.0 ? a : Bisect([&](double x, double ref) {
    return LongitudeTargets(eph, p, x, ref);
  }, a, b);
  // A sign change that is a jump in disguise leaves the target far from zero.
  const double fe = LongitudeTargets(eph, p, e, a).first;
  if (TargetResidual(ScanKind::Longitude, p, fe) <= kMaxResidualDeg || !JumpAt(eph, p, e)) {
    AddRoot(roots, {e, CrossedMultiple(p, RoleLongitudes(eph, p, e), 0.0), Direction(fa, fb)});
  }
}

// Declination: |partner| = |P1| exactly when partner − P1 = 0 (a parallel) or partner + P1 = 0
// (a contra-parallel). Each of these is smooth where the magnitudes have kinks, so a window
// holding a parallel and a contra-parallel shows both as sign changes.
double DeclinationComponent(const SolverProblem& p, const std::array<double, 3>& v, int sign) {
  const double m = p.use_midpoints ? Find_Midpoint_declination(v[1], v[2])
                                   : Find_Midpoint_declination(std::fabs(v[1]), std::fabs(v[2]));
  return m + sign * v[0];
}

// Distance of a longitude from the nearest place where a mid-degree steps: a sign boundary,
// or 7.5 or 22.5 degrees into the sign (the near rule). Degrees.
double DistanceToMidDegreeStep(double lon) {
  const double x = Reduce_to_under_30(lon);
  return std::min({x, std::fabs(x - 7.5), std::fabs(x - 22.5), 30.0 - x});
}

// True when the window [t, t + s] provably holds no point where the target comes within
// kMaxResidualDeg of an exact aspect: then neither the secant nor the bracketing can find a
// moment in it. With |h''| <= K, h stays within K s^2 / 8 of the chord between its ends.
bool ProvablyEmpty(ScanKind kind, PositionProvider& eph, const SolverProblem& p, const IntervalBound& b,
                   double t, double t_end) {
  const double s = t_end - t;
  const double bulge = b.curvature * s * s / 8.0;
  const auto clear = [&](double h0, double h1) {  // no zero within the margin between the ends
    return (h0 > 0.0) == (h1 > 0.0) && std::min(std::fabs(h0), std::fabs(h1)) > kMaxResidualDeg + bulge;
  };
  if (kind == ScanKind::Longitude) {
    const std::array<double, 3> v0 = RoleLongitudes(eph, p, t), v1 = RoleLongitudes(eph, p, t_end);
    if (!p.use_midpoints) {
      // A mid-degree steps by 15 degrees when P2 or P3 passes one of its step places.
      for (std::size_t r = 1; r <= 2; ++r) {
        if (DistanceToMidDegreeStep(v0[r]) <= b.speed[r] * s) return false;
      }
    }
    const auto [f1, f0] = LongitudeTargetsFrom(p, v1, v0);
    const double grid = p.grid15 ? 15.0 : 30.0;
    const double n = std::round(f0 / grid);
    const double h0 = f0 - n * grid, h1 = f1 - n * grid;
    // Away from the multiple n·grid, and never near the next one either.
    return clear(h0, h1) && std::max(std::fabs(h0), std::fabs(h1)) + bulge < grid - kMaxResidualDeg;
  }
  const std::array<double, 3> v0 = RoleDeclinations(eph, p, t), v1 = RoleDeclinations(eph, p, t_end);
  if (!p.use_midpoints) {
    // The mean of magnitudes is smooth only while P2 and P3 keep their signs.
    for (std::size_t r = 1; r <= 2; ++r) {
      if (std::fabs(v0[r]) <= b.speed[r] * s) return false;
    }
  }
  return clear(DeclinationComponent(p, v0, -1), DeclinationComponent(p, v1, -1)) &&
         clear(DeclinationComponent(p, v0, 1), DeclinationComponent(p, v1, 1));
}

// The secant stops once its step falls below 0.00007 day, up to six seconds from the root
// (and across a jump of the target its last step means nothing). Going on from where it
// stopped, with the step it left unapplied, brings the moment to within a millisecond in a
// pass or two. A moment that does not refine to an exact aspect was a convergence onto a
// jump: nothing.
std::optional<double> Refine(ScanKind kind, PositionProvider& eph, const SolverProblem& p,
                             const SecantOutcome& found) {
  constexpr double kToleranceDays = 1e-8, kMaxShiftDays = 1e-3;
  if (std::fabs(found.last_step) < kToleranceDays) {
    if (TargetResidual(kind, p, found.residual) > kExactDeg) return std::nullopt;
    return found.jd;
  }
  const double x0 = found.jd, x1 = found.jd - found.last_step;
  const SecantOutcome out =
      kind == ScanKind::Longitude ? SecantMethod(eph, p, x0, x1, kToleranceDays, 10)
                                  : SecantMethod_DECL(eph, p, x0, x1, kToleranceDays, 10);
  if (out.jd == 0.0 || std::fabs(out.jd - found.jd) > kMaxShiftDays) return std::nullopt;
  if (TargetResidual(kind, p, out.residual) > kExactDeg) return std::nullopt;
  return out.jd;
}

// The three roles at one moment: values, their daily motions as the library gives them and
// the rates of the values, degrees and degrees per day, and how far each motion may lie from
// the library's (PositionProvider::QuickMotionError). A rate is the motion, except for the
// geocentric "Mn Node": the mean of two nodes, given with the rate of one of them.
struct RoleState {
  std::array<double, 3> value{}, motion{}, rate{}, motion_err{};
};

// The rate of the geocentric "Mn Node" at t, the mean of the mean node's motion (the one the
// library gave for it) and the true node's.
double MeanNodeRate(ScanKind kind, PositionProvider& eph, double t, double mean_node_motion) {
  if (kind == ScanKind::Longitude) {
    eph.Get_1_Planet_geo(t, idxTrueNode);
  } else {
    eph.Get_1_Planet_decl(t, idxTrueNode);
  }
  return (mean_node_motion + eph.LastDailyMotion()) / 2.0;
}

// The roles at t; with `quick` (a polish evaluation of a longitude search, IntervalBound::quick)
// their QuickLongitude, whose nutation comes from a curve rather than from the library.
RoleState SampleRoles(ScanKind kind, PositionProvider& eph, const SolverProblem& p, double t, bool quick = false) {
  RoleState r;
  for (std::size_t i = 0; i < 3; ++i) {
    if (i == 2 && p.body[2] == p.body[1] && p.centre[2] == p.centre[1]) {
      r.value[2] = r.value[1];
      r.motion[2] = r.motion[1];
      r.rate[2] = r.rate[1];
      r.motion_err[2] = r.motion_err[1];
      break;
    }
    if (quick && p.centre[i] != Centre::Natal) {
      r.value[i] = eph.QuickLongitude(p.centre[i], t, p.body[i]);
      r.motion_err[i] = eph.QuickMotionError(p.centre[i], p.body[i]);
    } else {
      r.value[i] = kind == ScanKind::Longitude ? RoleLongitude(eph, t, p.body[i], p.centre[i])
                                               : RoleDeclination(eph, t, p.body[i], p.centre[i]);
    }
    r.motion[i] = r.rate[i] = eph.LastDailyMotion();
    if (p.body[i] == idxMeanNode && p.centre[i] == Centre::Geo) r.rate[i] = MeanNodeRate(kind, eph, t, r.motion[i]);
  }
  return r;
}

// Rate of the longitude target: P1's motion less its partner's, the mean of P2's and P3's
// (for a midpoint and for a mid-degree between its steps alike).
double LongitudeRate(const RoleState& r) { return r.rate[0] - (r.rate[1] + r.rate[2]) / 2.0; }

// Rate of a declination component (partner ± P1).
double DeclinationRate(const SolverProblem& p, const RoleState& r, int sign) {
  const auto part = [&](std::size_t i) {
    return p.use_midpoints || r.value[i] >= 0.0 ? r.rate[i] : -r.rate[i];
  };
  return (part(1) + part(2)) / 2.0 + sign * r.rate[0];
}

// A Newton step from a library evaluation shorter than this ends the search there: the step's
// own error is then below 1e-14 day (the target's curvature over its rate, under 0.1 per day,
// times the step squared), and the roles carried from the evaluation to the moment by their
// daily motions are off by under 1e-12 degree (the Moon's acceleration, 0.6 deg/day², times
// half the step squared). Days (about 0.09 s).
constexpr double kOneStepDays = 1e-6;
// A longer Newton step still ends the search when the bodies' largest accelerations bound
// both of its errors below these: the step's own error (half the target's curvature over its
// rate, times the step squared) and the roles' error when carried to the moment by their
// daily motions and the acceleration across the window (the two accelerations differ by at
// most twice a role's largest, which half the step squared multiplies). Days (under a
// hundredth of a millisecond) and degrees (a millionth of the thousandth of a degree that
// reports print at the finest; the accelerations' bounds hold across centuries, so the
// carried roles are as a rule far closer).
constexpr double kNewtonErrorDays = 1e-10;
constexpr double kCarryErrorDeg = 1e-9;
// Library evaluations the polish takes before it hands over to the bracketed refinement.
constexpr int kPolishEvaluations = 2;

// Whether a Newton step of `step` days from the roles `at`, at a target rate of `rate` degrees
// a day, ends the search. A longer step needs the bodies' bounds, and no kink or jump of the
// target within its reach: a mid-degree partner steps where P2 or P3 crosses a step of the
// mid-degree, a declination's mean of magnitudes bends where P2 or P3 passes zero.
bool OneStepEnds(ScanKind kind, const SolverProblem& p, const IntervalBound& bound, const RoleState& at,
                 double step, double rate) {
  // The daily motions of quick longitudes (SampleRoles) are off by up to their motion_err: in
  // the step (through the target's rate, P1's less the mean of P2's and P3's) and in the roles
  // carried along it.
  const auto& err = at.motion_err;
  const double d = std::fabs(step);
  if ((err[0] + (err[1] + err[2]) / 2.0) * d > kNewtonErrorDays * std::fabs(rate) ||
      std::max({err[0], err[1], err[2]}) * d > kCarryErrorDeg) {
    return false;
  }
  if (std::fabs(step) <= kOneStepDays) return true;
  if (!bound.usable) return false;
  const double d2 = step * step;
  const double accel = std::max({bound.accel[0], bound.accel[1], bound.accel[2]});
  if (0.5 * bound.curvature * d2 > kNewtonErrorDays * std::fabs(rate) || accel * d2 > kCarryErrorDeg) return false;
  if (!p.use_midpoints) {
    for (std::size_t r = 1; r <= 2; ++r) {
      const double room = kind == ScanKind::Longitude ? DistanceToMidDegreeStep(at.value[r]) : std::fabs(at.value[r]);
      if (room <= 2.0 * bound.speed[r] * std::fabs(step)) return false;
    }
  }
  return true;
}

// Carries the roles from their library state at x to the moment e, a fraction of a second
// away, by their rates and the change of rate across the window [t, t_end] whose ends r0 and
// r1 are (their motions alike), and offers them to the provider: the row made at e then asks
// nothing.
void CarryRoles(ScanKind kind, PositionProvider& eph, const SolverProblem& p, const RoleState& at,
                double x, double e, const RoleState& r0, const RoleState& r1, double t, double t_end) {
  const double dt = e - x;
  for (size_t r = 0; r < 3; ++r) {
    if (r == 2 && p.body[2] == p.body[1] && p.centre[2] == p.centre[1]) break;
    const double s = t_end - t;
    const double rate_change = (r1.rate[r] - r0.rate[r]) / s, motion_change = (r1.motion[r] - r0.motion[r]) / s;
    double value = at.value[r] + dt * (at.rate[r] + 0.5 * rate_change * dt);
    if (kind == ScanKind::Longitude) value = Reduce_to_under_360(value);
    eph.Remember(MethodOf(kind, p.centre[r]), e, p.body[r], value, at.motion[r] + motion_change * dt);
  }
}

// The crossing in [t, t_end] of a component that changes sign there, from its ends s0 and s1
// and the roles' states r0 and r1 there: the cubic through the ends' values and rates places it, one library evaluation
// there and Newton's step finish it (a second evaluation when the step is too long for
// OneStepEnds). Nothing when the steps do not settle that fast (positions that carry noise,
// a jump nothing foresaw) or leave the window: the bracketed refinement then takes over.
// slope(roles) gives the component's value and rate from the roles' state at a moment.
template <class SlopeOf>
std::optional<double> Polish(ScanKind kind, PositionProvider& eph, const SolverProblem& p, double t,
                             Slope s0, const RoleState& r0, double t_end, Slope s1,
                             const RoleState& r1, const IntervalBound& bound, SlopeOf&& slope) {
  if (s0.h == 0.0) return std::nullopt;
  double x = HermiteStart(t, s0, t_end, s1);
  for (int i = 0; i < kPolishEvaluations; ++i) {
    const RoleState at = SampleRoles(kind, eph, p, x, bound.quick);
    const Slope sx = slope(at);
    if (sx.rate == 0.0) return std::nullopt;
    const double e = x - sx.h / sx.rate;
    if (!(e >= t && e <= t_end)) return std::nullopt;
    if (OneStepEnds(kind, p, bound, at, e - x, sx.rate)) {
      if (e != x) CarryRoles(kind, eph, p, at, x, e, r0, r1, t, t_end);
      return e;
    }
    x = e;
  }
  return std::nullopt;
}

// The secant's moment in [t, t_end], refined, added to roots; false when it found none. Its
// aspect is read off the roles at the moment, its direction off the target a solver's
// tolerance before and after it (the library's rates are not always those of the value
// used, and the same crossing found by the bracketing must compare equal).
bool SecantRoot(ScanKind kind, PositionProvider& eph, const SolverProblem& p, double t, double t_end,
                std::vector<Crossing>& roots) {
  const SecantOutcome out =
      kind == ScanKind::Longitude
          ? SecantMethod(eph, p, t, t_end, kSolverTolerance, kSolverPassLimit)
          : SecantMethod_DECL(eph, p, t, t_end, kSolverTolerance, kSolverPassLimit);
  // A convergence onto a jump of the target leaves it far from zero: no aspect there.
  if (!(t <= out.jd && out.jd <= t_end) || TargetResidual(kind, p, out.residual) > kMaxResidualDeg) {
    return false;
  }
  const std::optional<double> refined = Refine(kind, eph, p, out);
  if (!refined) return false;
  const double e = *refined, before = e - kSolverTolerance, after = e + kSolverTolerance;
  const RoleState at = SampleRoles(kind, eph, p, e);
  if (kind == ScanKind::Longitude) {
    const auto [f_after, f_before] = LongitudeTargets(eph, p, after, before);
    AddRoot(roots, {e, CrossedMultiple(p, at.value, 0.0), Direction(f_before, f_after)});
  } else {
    const double parallel = DeclinationComponent(p, at.value, -1);
    const double contra = DeclinationComponent(p, at.value, 1);
    const int sign = std::fabs(parallel) <= std::fabs(contra) ? -1 : 1;
    const auto component = [&](double x) { return DeclinationComponent(p, SampleRoles(kind, eph, p, x).value, sign); };
    AddRoot(roots, {e, sign, Direction(component(before), component(after))});
  }
  return true;
}

}  // namespace

PositionMethod MethodOf(ScanKind kind, Centre centre) {
  if (kind == ScanKind::Longitude) return centre == Centre::Helio ? PositionMethod::Helio : PositionMethod::Geo;
  return centre == Centre::Helio ? PositionMethod::Latitude : PositionMethod::Decl;
}

bool NearExactAspect(ScanKind kind, PositionProvider& eph, const SolverProblem& p, double t, double band) {
  if (kind == ScanKind::Longitude) {
    const std::array<double, 3> v = RoleLongitudes(eph, p, t);
    if (TargetResidual(kind, p, v[0] - PartnerLongitude(p, v)) < band) return true;
    return !p.use_midpoints && (DistanceToMidDegreeStep(v[1]) < band || DistanceToMidDegreeStep(v[2]) < band);
  }
  const std::array<double, 3> v = RoleDeclinations(eph, p, t);
  if (std::fabs(DeclinationComponent(p, v, -1)) < band || std::fabs(DeclinationComponent(p, v, 1)) < band) return true;
  return !p.use_midpoints && (std::fabs(v[1]) < band || std::fabs(v[2]) < band);
}

double TargetResidual(ScanKind kind, const SolverProblem& p, double f) {
  if (kind == ScanKind::Declination) return std::fabs(f);
  const double grid = p.grid15 ? 15.0 : 30.0;
  return std::fabs(f - grid * std::round(f / grid));
}

IntervalBound BoundFor(ScanKind kind, const SolverProblem& p, double step,
                     const PositionSwitches& switches) {
  IntervalBound b;
  std::array<double, 3>& accel = b.accel;
  for (std::size_t r = 0; r < 3; ++r) {
    // A natal point does not move: no speed, no acceleration.
    if (p.centre[r] == Centre::Natal) continue;
    const MotionBound m = MaxMotion(p.body[r], CoordinateOf(kind == ScanKind::Longitude, p.centre[r], switches));
    if (m.speed == 0.0) return b;
    b.speed[r] = m.speed;
    accel[r] = m.accel;
  }
  // The target is P1 less the mean of P2 and P3 (or ± those): its curvature is bounded by
  // P1's and the mean of the other two.
  b.curvature = accel[0] + (accel[1] + accel[2]) / 2.0;
  if (kind == ScanKind::Longitude) {
    // Within a window each body must move less than the unwrapping threshold, so that the
    // target of the two ends is one continuous function.
    const double threshold = p.grid15 ? 8.0 : 22.0;
    if (b.speed[0] * step >= threshold || (b.speed[1] + b.speed[2]) / 2.0 * step >= threshold) return b;
  }
  b.usable = true;
  return b;
}

IntervalRoots SecantIntervalRoots(ScanKind kind, PositionProvider& eph, const SolverProblem& p,
                              double t, double t_end) {
  IntervalRoots out;
  const SecantOutcome found =
      kind == ScanKind::Longitude
          ? SecantMethod(eph, p, t, t_end, kSolverTolerance, kSolverPassLimit)
          : SecantMethod_DECL(eph, p, t, t_end, kSolverTolerance, kSolverPassLimit);
  if (t <= found.jd && found.jd <= t_end) out.crossings.push_back({found.jd, 0, 0});
  return out;
}

bool IntervalHoldsNoMoment(ScanKind kind, PositionProvider& eph, const SolverProblem& p,
                         const IntervalBound& bound, double t, double t_end) {
  return bound.usable && ProvablyEmpty(kind, eph, p, bound, t, t_end);
}

namespace {

bool EarlierCrossing(const Crossing& x, const Crossing& y) { return x.jd_ut < y.jd_ut; }

// A target at an exact aspect at both ends and in the middle of [t, t_end]: exact all the time.
template <class HAt>
bool AlwaysExact(double h0, double h1, double t, double t_end, HAt&& h_at) {
  return std::fabs(h0) <= kAlwaysExactDeg && std::fabs(h1) <= kAlwaysExactDeg &&
         std::fabs(h_at((t + t_end) / 2.0)) <= kAlwaysExactDeg;
}

// Within this band a component may dip to zero and back inside the window: no more than the
// bulge that the bodies' accelerations allow, or a fixed band without those bounds. Degrees.
double TurnBand(ScanKind kind, const SolverProblem& p, const IntervalBound& bound, const RoleState& r0,
                double t, double t_end) {
  const double s = t_end - t;
  double turn_band = bound.usable ? bound.curvature * s * s / 8.0 + kMaxResidualDeg : kTurnBandDeg;
  if (kind == ScanKind::Declination && !p.use_midpoints) {
    // The mean of magnitudes bends without bound where P2 or P3 changes sign.
    for (std::size_t r = 1; r <= 2; ++r) {
      if (!bound.usable || std::fabs(r0.value[r]) <= bound.speed[r] * s) turn_band = kTurnBandDeg;
    }
  }
  return turn_band;
}

IntervalRoots SearchLongitudeInterval(PositionProvider& eph, const SolverProblem& p,
                                  const IntervalBound& bound, double t, double t_end) {
  constexpr ScanKind kind = ScanKind::Longitude;
  IntervalRoots out;
  std::vector<Crossing>& roots = out.crossings;
  const RoleState r0 = SampleRoles(kind, eph, p, t), r1 = SampleRoles(kind, eph, p, t_end);
  const double turn_band = TurnBand(kind, p, bound, r0, t, t_end);
  const auto [f1, f0] = LongitudeTargetsFrom(p, r1.value, r0.value);
  const auto residual_at = [&](double x) {
    return TargetResidual(kind, p, LongitudeTargets(eph, p, x, t).first);
  };
  if (AlwaysExact(TargetResidual(kind, p, f0), TargetResidual(kind, p, f1), t, t_end, residual_at)) {
    out.always_exact = true;
    return out;
  }
  const bool smooth = std::fabs(f1 - f0) < kMaxCrossingChangeDeg && !PartnerMayJump(p, r0.value, r1.value);
  if (!smooth || !bound.usable) {
    // A jump inside, or no bounds to rely on: the secant first, then the bracketing.
    const bool secant_found = SecantRoot(kind, eph, p, t, t_end, roots);
    if (!secant_found || !smooth) BracketLongitude(eph, p, t, t_end, r0.value, r1.value, roots);
    if (!smooth) {
      std::sort(roots.begin(), roots.end(), EarlierCrossing);
      return out;
    }
  }
  // The target as a change from its value at t: a shift by the grid that a pair of moments
  // takes applies to both values and cancels.
  const double grid = p.grid15 ? 15.0 : 30.0;
  const double n = std::round(f0 / grid);
  const double h0 = f0 - n * grid, h1 = f1 - n * grid;
  // Worked out only for a window that holds a crossing.
  const auto aspect = [&] { return CrossedMultiple(p, r0.value, h0); };
  const auto slope = [&](const RoleState& rx) {
    const auto [fx, ft] = LongitudeTargetsFrom(p, rx.value, r0.value);
    return Slope{h0 + (fx - ft), LongitudeRate(rx)};
  };
  const auto eval = [&](double x) { return slope(SampleRoles(kind, eph, p, x)); };
  if (SignChange(h0, h1)) {
    const Slope s0{h0, LongitudeRate(r0)}, s1{h1, LongitudeRate(r1)};
    const std::optional<double> polished =
        bound.polish ? Polish(kind, eph, p, t, s0, r0, t_end, s1, r1, bound, slope) : std::nullopt;
    if (polished) {
      AddRoot(roots, {*polished, aspect(), Direction(h0, h1)});
    } else {
      const auto [e, residual] = CrossingIn(eval, t, s0, t_end, s1, kMaxResidualDeg);
      // A bracketed sign change of a smooth target is a crossing, unless it ends on a
      // mid-degree step that nothing above foresaw (a partner stepping there and back).
      if (residual <= kMaxResidualDeg || !JumpAt(eph, p, e)) AddRoot(roots, {e, aspect(), Direction(h0, h1)});
    }
  } else if (std::min(std::fabs(h0), std::fabs(h1)) <= turn_band) {
    const int crossed = aspect();
    FindTurn([&](double x) { return eval(x).h; }, t, t_end, h0, h1,
             [&](double e, int direction) { AddRoot(roots, {e, crossed, direction}); });
  }
  std::sort(roots.begin(), roots.end(), EarlierCrossing);
  return out;
}

IntervalRoots SearchDeclinationInterval(PositionProvider& eph, const SolverProblem& p,
                                    const IntervalBound& bound, double t, double t_end) {
  constexpr ScanKind kind = ScanKind::Declination;
  IntervalRoots out;
  std::vector<Crossing>& roots = out.crossings;
  const RoleState r0 = SampleRoles(kind, eph, p, t), r1 = SampleRoles(kind, eph, p, t_end);
  const double turn_band = TurnBand(kind, p, bound, r0, t, t_end);
  for (const int sign : {-1, 1}) {
    const auto component_at = [&](double x) {
      return DeclinationComponent(p, SampleRoles(kind, eph, p, x).value, sign);
    };
    if (AlwaysExact(DeclinationComponent(p, r0.value, sign), DeclinationComponent(p, r1.value, sign),
                    t, t_end, component_at)) {
      out.always_exact = true;
      return out;
    }
  }
  if (!bound.usable) SecantRoot(kind, eph, p, t, t_end, roots);
  for (const int sign : {-1, 1}) {
    const auto slope = [&](const RoleState& rx) {
      return Slope{DeclinationComponent(p, rx.value, sign), DeclinationRate(p, rx, sign)};
    };
    const auto eval = [&](double x) { return slope(SampleRoles(kind, eph, p, x)); };
    const Slope a = slope(r0), b = slope(r1);
    if (SignChange(a.h, b.h)) {
      // Declinations have no jumps: a bracketed sign change is a crossing.
      const std::optional<double> e = bound.polish ? Polish(kind, eph, p, t, a, r0, t_end, b, r1, bound, slope) : std::nullopt;
      AddRoot(roots, {e ? *e : CrossingIn(eval, t, a, t_end, b, kMaxResidualDeg).first, sign, Direction(a.h, b.h)});
    } else if (std::min(std::fabs(a.h), std::fabs(b.h)) <= turn_band) {
      FindTurn([&](double x) { return eval(x).h; }, t, t_end, a.h, b.h,
               [&](double e, int direction) { AddRoot(roots, {e, sign, direction}); });
    }
  }
  std::sort(roots.begin(), roots.end(), EarlierCrossing);
  return out;
}

}  // namespace

IntervalRoots SearchInterval(ScanKind kind, PositionProvider& eph, const SolverProblem& p,
                         const IntervalBound& bound, double t, double t_end) {
  return kind == ScanKind::Longitude ? SearchLongitudeInterval(eph, p, bound, t, t_end)
                                     : SearchDeclinationInterval(eph, p, bound, t, t_end);
}

}  // namespace tarnwick
