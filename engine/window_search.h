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

// The exact moments (Julian days, UT) in the window [t, t_end], in increasing order. Without
// `repair`, the secant's moment when it lies inside the window, as the secant leaves it.
// With `repair`: the secant's moment refined to a millisecond, unless it does not refine to an
// exact aspect (a convergence onto a jump of the target); every sign change of the target
// between the window's ends, bisected; a window holding a jump of the target halved until
// its pieces are smooth; two close crossings looked for where the target comes near zero at
// both ends; and none of it when `bound` proves the window empty.
std::vector<double> SolveWindow(ScanKind kind, PositionProvider& eph, const SolverProblem& p,
                                const WindowBound& bound, double t, double t_end, bool repair);

}  // namespace tarnwick
