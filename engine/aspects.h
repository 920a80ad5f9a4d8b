// The aspect vocabulary: three-character aspect codes, the two classifiers that name the
// aspect two positions form within an orb, and the degree-in-sign text.
#pragma once

#include <string>
#include <string_view>

namespace tarnwick {

// "000" to "180" in steps of 15, or three blanks when no aspect lies within the orb.
using AspectCode = std::string;
inline constexpr const char* kNoAspect = "   ";

// The aspect of the full set (multiples of 15 degrees) that positions a and b (degrees on
// the circle) form within orb (degrees). The separation and the bounds are compared in single
// precision, bounds inclusive; where windows overlap (orb of 7.5 or more) the lower angle wins.
AspectCode Find_this_aspect(double a, double b, float orb);

// The same over the major set, the multiples of 30 degrees.
AspectCode Find_this_major_aspect(double a, double b, float orb);

// The same two codes as views of constant texts, for lines built without temporaries.
std::string_view AspectCodeOf(double a, double b, float orb);
std::string_view MajorAspectCodeOf(double a, double b, float orb);

// A position x in [0, 360) as its degree within its sign and the sign's number 1..12:
// 45.27 gives "15.3 (02)". The degree is rounded after the sign is fixed, so 359.97 gives
// "30.0 (12)". Always with ".", as every number of a report.
std::string Reduce_to_under_30_with_sign(double x);

// The same text appended to out.
void AppendDegreeInSign(std::string& out, double x);

}  // namespace tarnwick
