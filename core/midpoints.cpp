#include "midpoints.h"

#include <cmath>

#include "angles.h"

namespace tarnwick {

double Find_Midpoint(double a, double b) {
  double m = (a + b) / 2.0;
  // Both half-distances are equal; above 90 each, the two positions are more than 180
  // degrees apart and the other midpoint lies on the shorter arc. Compared in single
  // precision, so a separation a hair above 180 from rounding still counts as 180.
  const float d1 = static_cast<float>(std::fabs(m - a));
  const float d2 = static_cast<float>(std::fabs(m - b));
  if (d1 > 90.0f || d2 > 90.0f) m += 180.0;
  if (m >= 360.0) m -= 360.0;
  return m;
}

double Find_Midpoint_declination(double a, double b) { return (a + b) / 2.0; }

double Find_Middegree(double a, double b, bool near_rule) {
  const double ra = Reduce_to_under_30(a);
  const double rb = Reduce_to_under_30(b);
  double m = (ra + rb) / 2.0;
  if (!near_rule) return m;
  if ((ra < 7.5 && rb > 22.5) || (rb < 7.5 && ra > 22.5)) {
    m -= 15.0;
    if (m < 0.0) m += 30.0;
  }
  return m;
}

}  // namespace tarnwick
