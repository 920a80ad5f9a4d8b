// The search of one time interval between two samples (the scan's window) for exact moments: the
// secant solver of the interval, and what a run adds to it so that no moment is missed or listed
// twice and every moment is exact.
#pragma once

#include <array>
#include <cmath>
#include <vector>

#include "core/position_provider.h"
#include "engine/secant_solver.h"

namespace tarnwick {

enum class ScanKind { Longitude, Declination };

// Convergence limit of the solvers on the secant step, days (about 6 seconds).
inline constexpr double kSolverTolerance = 0.00007;
inline constexpr int kSolverPassLimit = 100;
// Two crossings of one combination, of the same aspect in the same direction, closer than
// this are one crossing found twice (from two windows, or by two means in one window). Two
// distinct crossings of one aspect in one direction need a crossing back between them, so
// they are never this close; crossings of other aspects or directions may be (a parallel and
// a contra-parallel seconds apart where a declination passes zero).
inline constexpr double kSameCrossingDays = kSolverTolerance;
// A target that stays this close to an exact aspect over a whole window (both ends and the
// middle) is exact all the time: geocentric Sun and heliocentric Earth are 180 degrees apart
// to 1e-8 degrees. No moment of such a combination means anything. Degrees.
inline constexpr double kAlwaysExactDeg = 1e-6;

// One exact moment in a window and what tells it from another moment close by.
struct Crossing {
  double jd_ut = 0.0;  // Julian day, Universal Time
  // Longitude: the multiple of the grid crossed, 0 .. 360/grid - 1. Declination: -1 for a
  // parallel (partner - P1 = 0), +1 for a contra-parallel (partner + P1 = 0).
  int aspect = 0;
  int direction = 0;   // sign of the target's change through the crossing: -1, 0 or +1

  // Whether c is this crossing found a second time.
  bool SameAs(const Crossing& c) const {
    return aspect == c.aspect && direction == c.direction && std::fabs(jd_ut - c.jd_ut) < kSameCrossingDays;
  }
};

// What the search of one window gives.
struct IntervalRoots {
  std::vector<Crossing> crossings;  // in increasing time
  bool always_exact = false;        // the target stayed within kAlwaysExactDeg of an aspect
};

// How far a target value lies from an exact aspect, degrees: for longitudes the distance to
// the nearest multiple of the grid (a value of ±15 on the 15-degree grid is exact too), for
// declinations the value's magnitude.
double TargetResidual(ScanKind kind, const SolverProblem& p, double f);

// The position method a role is read with in a scan of `kind`.
PositionMethod MethodOf(ScanKind kind, Centre centre);

// Whether the roles at t put the target within `band` degrees of an exact aspect; with
// mid-degrees also whether P2 or P3 lies within `band` of where the partner steps (longitude)
// or of zero (declination, where the mean of magnitudes bends).
bool NearExactAspect(ScanKind kind, PositionProvider& eph, const SolverProblem& p, double t, double band);

// What a combination's bodies can do within a window of `step` days: the bound behind
// passing over windows that provably hold no exact moment.
struct IntervalBound {
  bool usable = false;             // false: every window is searched
  double curvature = 0.0;          // largest |second derivative| of the target, deg/day^2
  std::array<double, 3> speed{};   // largest |daily motion| of each role, deg/day
  std::array<double, 3> accel{};   // largest |change of daily motion| of each role, deg/day^2
  // Whether a crossing may be finished from one library evaluation and Newton's step. Off
  // for a combination whose moments are another's too (the geocentric Sun's and the
  // heliocentric Earth's, 180 degrees apart): the bracketed refinement then places both, as
  // it always has, and their order within the minute stays what it was.
  bool polish = true;
  // Whether the polish takes quick longitudes (PositionProvider::QuickLongitude): a longitude
  // search, not in right ascension, over a span long enough to pay for the nutation curve.
  bool quick = false;
};

IntervalBound BoundFor(ScanKind kind, const SolverProblem& p, double step,
                     const PositionSwitches& switches);

// The plain search of the window [t, t_end]: the secant's moment when it lies inside the
// window, as the secant leaves it (up to six seconds from the exact moment).
IntervalRoots SecantIntervalRoots(ScanKind kind, PositionProvider& eph, const SolverProblem& p,
                              double t, double t_end);

// Whether the bodies' bounds prove that [t, t_end] holds no exact moment; false whenever the
// bound is not usable. A window this answers true for may be passed over: SearchInterval would
// find nothing in it.
bool IntervalHoldsNoMoment(ScanKind kind, PositionProvider& eph, const SolverProblem& p,
                         const IntervalBound& bound, double t, double t_end);

// Every crossing of an exact aspect in [t, t_end], in increasing order, each to about a
// millisecond: a sign change of the target between the window's ends is solved from both
// ends' values and rates; a target that comes near zero at both ends, within what the bodies'
// accelerations allow, is looked at inside for two close crossings; a window holding a jump
// of the target (the 15-degree step of a mid-degree) is halved, down to a tenth of a second,
// until its pieces are smooth; a sign change bracketed down to the time resolution is a
// crossing whatever the noise of the bodies' positions (the library's osculating apogee
// strays by up to 11 degrees within a second of the Moon passing it), unless a mid-degree
// steps there; where the bound is not usable the secant's moment is taken too, unless it does
// not refine to an exact aspect (a convergence onto a jump).
IntervalRoots SearchInterval(ScanKind kind, PositionProvider& eph, const SolverProblem& p,
                         const IntervalBound& bound, double t, double t_end);

}  // namespace tarnwick
