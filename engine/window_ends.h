// Positions at the ends of a scan's windows from library positions further apart: a smooth
// body is asked every few days and its window ends in between come from the cubic through
// its values and daily motions there; the Moon, the nodes and the osculating apogee are asked
// at every end.
#pragma once

#include "core/bodies.h"
#include "core/position_provider.h"

namespace tarnwick {

// Bound on the difference between a position interpolated from the base points and the
// library's own, for every body and coordinate that BaseStepDays gives a base step: the
// bending of light at the Sun's limb gives the largest (Venus, Neptune), under 5e-4 degree
// over a year that holds every planet's conjunction (tests/engine/window_ends_test.cpp).
// Degrees.
inline constexpr double kWindowEndErrorDeg = 2e-3;

// A window end whose target lies nearer than this, plus the bulge the bodies' accelerations
// allow within the window, to an exact aspect (or a mid-degree partner nearer to its step) is
// asked of the library after all: every sign the search reads there is then the true one, and
// every window where the search looks inside for two close crossings (within 0.01 degree plus
// that bulge) has library values at both ends: 0.01 degree and the target's error, at most
// twice kWindowEndErrorDeg (P1's and the mean of P2's and P3's), fit inside. Degrees.
inline constexpr double kExactEndBandDeg = 0.02;

// Days between the library positions that serve a body's window ends on a grid of
// `grid_step` days; 0 when every end is asked of the library. Days, a whole number.
double BaseStepDays(bool longitude_scan, int body, Centre centre, const PositionSwitches& switches,
                    double grid_step);

// A role at a moment: value (degrees) and daily motion (degrees per day).
struct RoleSample {
  double value = 0.0;
  double motion = 0.0;
};

// The cubic Hermite through a at t_a and b at t_b (t_a < t_b), at t in [t_a, t_b]. An angle
// (`circular`) is taken the short way round and the result reduced into [0, 360).
RoleSample InterpolateRole(double t_a, const RoleSample& a, double t_b, const RoleSample& b, double t,
                           bool circular);

}  // namespace tarnwick
