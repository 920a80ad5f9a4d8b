#include "engine/aspects.h"

#include <cmath>
#include <cstdio>

#include "core/angles.h"
#include "core/number_text.h"

namespace tarnwick {

namespace {

// Classifies over the angles step, 2·step, ..., 180 − step, with 0 and 180 tested apart.
AspectCode Classify(double a, double b, float orb, int step) {
  double s = std::fabs(a - b);
  if (s > 180.0) s = 360.0 - s;
  const float sep = static_cast<float>(s);
  if (sep <= orb) return "000";
  for (int angle = step; angle <= 180 - step; angle += step) {
    const float lo = static_cast<float>(angle) - orb;
    const float hi = static_cast<float>(angle) + orb;
    if (sep >= lo && sep <= hi) {
      char code[8];
      std::snprintf(code, sizeof code, "%03d", angle);
      return code;
    }
  }
  if (sep >= static_cast<float>(180 - orb)) return "180";
  return kNoAspect;
}

}  // namespace

AspectCode Find_this_aspect(double a, double b, float orb) { return Classify(a, b, orb, 15); }

AspectCode Find_this_major_aspect(double a, double b, float orb) {
  return Classify(a, b, orb, 30);
}

std::string Reduce_to_under_30_with_sign(double x) {
  // A longitude a hair below 360 may reach here as 360 itself (written with 15 digits and read
  // back): it is 0 Aries, not a thirteenth sign.
  x = Reduce_to_under_360(x);
  const int sign = static_cast<int>(std::floor(x / 30.0)) + 1;
  char number[16];
  std::snprintf(number, sizeof number, "%02d", sign);
  return FormatFixed(Reduce_to_under_30(x), 2, 1) + " (" + number + ")";
}

}  // namespace tarnwick
