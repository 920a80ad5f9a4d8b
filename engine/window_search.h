// The search of one window for exact moments: the secant solver of the window, and what a
// run adds to it so that no moment is missed or listed twice and every moment is exact.
#pragma once

#include <array>
#include <vector>

#include "core/position_provider.h"
#include "engine/secant_solver.h"

namespace tarnwick {

enum class ScanKind { Longitude, Declination };

// Convergence limit of the solvers on the secant step, days (about 6 seconds).
inline constexpr double kSolverTolerance = 0.00007;
inline constexpr int kSolverPassLimit = 100;
// Two moments of one combination closer than this are the same moment found twice.
inline constexpr double kDuplicateWithinDays = 2.0 / 1440.0;  // two minutes

// How far a target value lies from an exact aspect, degrees: for longitudes the distance to
// the nearest multiple of the grid (a value of ±15 on the 15-degree grid is exact too), for
// declinations the value's magnitude.
double TargetResidual(ScanKind kind, const SolverProblem& p, double f);

// What a combination's bodies can do within a window of `step` days: the bound behind
// passing over windows that provably hold no exact moment.
struct WindowBound {
  bool usable = false;             // false: every window is searched
  double curvature = 0.0;          // largest |second derivative| of the target, deg/day^2
  std::array<double, 3> speed{};   // largest |daily motion| of each role, deg/day
};

WindowBound BoundFor(ScanKind kind, const SolverProblem& p, double step,
                     const PositionSwitches& switches);

// The exact moments (Julian days, UT) in the window [t, t_end], in increasing order.
//
// Without `repair`: the secant's moment when it lies inside the window, as the secant leaves it.
//
// With `repair`, every crossing of an exact aspect in the window, each to about a millisecond:
// a sign change of the target between the window's ends is solved from both ends' values and
// rates; a target that comes near zero at both ends, within what the bodies' accelerations
// allow, is looked at inside for two close crossings; a window holding a jump of the target
// (the 15-degree step of a mid-degree) is halved until its pieces are smooth; where the
// bound is not usable the secant's moment is taken too, unless it does not refine to an exact
// aspect (a convergence onto a jump). With `skip`, a window that `bound` proves empty is not
// searched at all; the moments found are the same.
std::vector<double> SolveWindow(ScanKind kind, PositionProvider& eph, const SolverProblem& p,
                                const WindowBound& bound, double t, double t_end, bool repair,
                                bool skip);

}  // namespace tarnwick
