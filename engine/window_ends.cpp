#include "engine/window_ends.h"

#include "core/angles.h"
#include "engine/motion_bounds.h"

namespace tarnwick {

double BaseStepDays(bool longitude_scan, int body, Centre centre, const PositionSwitches& switches,
                    double grid_step) {
  // The Moon sets the finest grid; the nodes wobble within days and the geocentric "Mn Node"
  // has the rate of one node and the value of two; the osculating apogee carries noise.
  if (body == idxMoon || body == idxMeanNode || body == idxTrueNode || body == idxTrueLilith) return 0.0;
  const MotionBound m = MaxMotion(body, CoordinateOf(longitude_scan, centre, switches));
  if (m.speed == 0.0) return 0.0;
  // The cubic's error grows with the fourth power of the base step and with how fast the
  // acceleration changes; these steps keep it below kWindowEndErrorDeg for every body of its
  // class (tests/engine/window_ends_test.cpp measures it against the library).
  // The bounds carry a margin (see motion_bounds.h): every body slower to change than the
  // Sun's yearly swing of about 0.007 deg/day² (the outer planets, Chiron, Pholus and the
  // distant bodies, whose geocentric changes follow the Earth's year) bends so little over
  // four days that the error stays that of the light bent at the Sun's limb.
  double base = 0.0;
  if (m.accel <= 0.01) {
    base = 4.0;
  } else if (m.accel <= 0.05) {
    base = 2.0;
  } else if (m.accel <= 0.25) {
    base = 1.0;
  }
  return base > grid_step ? base : 0.0;
}

RoleSample InterpolateRole(double t_a, const RoleSample& a, double t_b, const RoleSample& b, double t,
                           bool circular) {
  const double s = t_b - t_a;
  double d = b.value - a.value;
  if (circular) {
    if (d > 180.0) d -= 360.0;
    if (d < -180.0) d += 360.0;
  }
  const double u = (t - t_a) / s, u2 = u * u, u3 = u2 * u;
  // Hermite basis on [0, 1] with the end slopes in degrees per unit of u.
  const double value = (-2 * u3 + 3 * u2) * d + (u3 - 2 * u2 + u) * s * a.motion + (u3 - u2) * s * b.motion;
  const double rate = (-6 * u2 + 6 * u) * d + (3 * u2 - 4 * u + 1) * s * a.motion + (3 * u2 - 2 * u) * s * b.motion;
  RoleSample out{a.value + value, rate / s};
  if (circular) out.value = Reduce_to_under_360(out.value);
  return out;
}

}  // namespace tarnwick
