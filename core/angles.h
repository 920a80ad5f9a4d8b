// Reductions of angles into a range and the distance of two angles on the circle.
// All angles are doubles in degrees.
#pragma once

#include <array>
#include <cmath>
#include <numbers>
#include <string_view>

namespace tarnwick {

// Radians in a degree.
inline constexpr double kRadiansPerDegree = std::numbers::pi / 180.0;

// The signs of the zodiac in their order from 0 degrees, 30 degrees each.
inline constexpr std::array<std::string_view, 12> kSignNames = {
    "Aries", "Taurus",  "Gemini",      "Cancer",    "Leo",      "Virgo",
    "Libra", "Scorpio", "Sagittarius", "Capricorn", "Aquarius", "Pisces"};

// x − 360·floor(x / 360): any angle, negative ones too, into [0, 360).
inline double Reduce_to_under_360(double x) { return x - 360.0 * std::floor(x / 360.0); }

// x − 30·floor(x / 30): the degree within a 30-degree sign, in [0, 30).
inline double Reduce_to_under_30(double x) { return x - 30.0 * std::floor(x / 30.0); }

// x − 15·floor(x / 15): the place within a 15-degree cell of the grid, in [0, 15).
inline double Reduce_to_under_15(double x) { return x - 15.0 * std::floor(x / 15.0); }

// Shortest distance of two angles on the circle, in [0, 180].
inline double ArcDistance(double a, double b) {
  const double d = Reduce_to_under_360(a - b);
  return d > 180.0 ? 360.0 - d : d;
}

}  // namespace tarnwick
