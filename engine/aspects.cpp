#include "engine/aspects.h"

#include <cmath>
#include <string_view>

#include "core/angles.h"
#include "core/number_text.h"

namespace tarnwick {

namespace {

// The codes of the full set, one per 15 degrees.
constexpr std::string_view kCodes[] = {"000", "015", "030", "045", "060", "075", "090",
                                       "105", "120", "135", "150", "165", "180"};

// Classifies over the angles step, 2·step, ..., 180 − step, with 0 and 180 tested apart.
std::string_view Classify(double a, double b, float orb, int step) {
  double s = std::fabs(a - b);
  if (s > 180.0) s = 360.0 - s;
  const float sep = static_cast<float>(s);
  if (sep <= orb) return kCodes[0];
  for (int angle = step; angle <= 180 - step; angle += step) {
    const float lo = static_cast<float>(angle) - orb;
    const float hi = static_cast<float>(angle) + orb;
    if (sep >= lo && sep <= hi) return kCodes[angle / 15];
  }
  if (sep >= static_cast<float>(180 - orb)) return kCodes[12];
  return kNoAspect;
}

}  // namespace

std::string_view AspectCodeOf(double a, double b, float orb) { return Classify(a, b, orb, 15); }

std::string_view MajorAspectCodeOf(double a, double b, float orb) { return Classify(a, b, orb, 30); }

AspectCode Find_this_aspect(double a, double b, float orb) { return AspectCode(AspectCodeOf(a, b, orb)); }

AspectCode Find_this_major_aspect(double a, double b, float orb) {
  return AspectCode(MajorAspectCodeOf(a, b, orb));
}

void AppendDegreeInSign(std::string& out, double x) {
  // A longitude a hair below 360 may reach here as 360 itself (written with 15 digits and read
  // back): it is 0 Aries, not a thirteenth sign.
  x = Reduce_to_under_360(x);
  const int sign = static_cast<int>(std::floor(x / 30.0)) + 1;
  AppendFixed(out, Reduce_to_under_30(x), 2, 1);
  out += " (";
  // A position that is no number, or a hair below 0 that reduces to 360 itself, shows its
  // sign number as it comes.
  AppendTwoDigits(out, sign);
  out += ')';
}

std::string Reduce_to_under_30_with_sign(double x) {
  std::string text;
  AppendDegreeInSign(text, x);
  return text;
}

}  // namespace tarnwick
