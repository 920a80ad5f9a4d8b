// Positions of the three roles at an exact moment: what a row of the result table records.
#pragma once

#include <array>

#include "core/bodies.h"
#include "core/position_provider.h"

namespace tarnwick {

// One role at the exact moment. Degrees and degrees per day.
struct RolePositions {
  double Position = 0.0;         // longitude, or right ascension with chkUse_RA, [0, 360)
  double PositionMotion = 0.0;
  double DeclOrLat = 0.0;        // geocentric declination (or latitude with chkUseGeoLat);
                                 // heliocentric ecliptic latitude for a heliocentric role
  double DeclOrLatMotion = 0.0;
};

using ExactPositions = std::array<RolePositions, 3>;  // P1, P2, P3

// Which values a caller keeps: a longitude row records positions, a declination row
// declinations; the other pair is left at 0 and costs no ephemeris work.
enum class ExactValues { Both, Positions, Declinations };

// Computes P1, then P2, then P3, each daily motion taken right after the call that made it.
// A role that repeats the previous one (P3 = P2 on the same centre, a two-body run) is
// copied rather than computed again.
ExactPositions Get_Planet_Positions_at_Exact(PositionProvider& eph, const std::array<int, 3>& body,
                                             const std::array<Centre, 3>& centre, double jd_ut,
                                             ExactValues which = ExactValues::Both);

}  // namespace tarnwick
