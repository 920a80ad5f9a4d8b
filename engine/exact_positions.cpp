#include "engine/exact_positions.h"

namespace tarnwick {

ExactPositions Get_Planet_Positions_at_Exact(PositionProvider& eph, const std::array<int, 3>& body,
                                             const std::array<Centre, 3>& centre, double jd_ut,
                                             ExactValues which) {
  const bool positions = which != ExactValues::Declinations;
  const bool declinations = which != ExactValues::Positions;
  ExactPositions out;
  for (std::size_t r = 0; r < 3; ++r) {
    if (r == 2 && body[2] == body[1] && centre[2] == centre[1]) {
      out[2] = out[1];
      break;
    }
    RolePositions& p = out[r];
    if (positions) {
      p.Position = RoleLongitude(eph, jd_ut, body[r], centre[r]);
      p.PositionMotion = eph.LastDailyMotion();
    }
    if (declinations) {
      p.DeclOrLat = RoleDeclination(eph, jd_ut, body[r], centre[r]);
      p.DeclOrLatMotion = eph.LastDailyMotion();
    }
  }
  return out;
}

}  // namespace tarnwick
