// Eclipses of the Sun and the Moon from the Swiss Ephemeris' own eclipse routines, and the
// true obliquity of the ecliptic of date: what the library knows about the sky beside the
// positions of single bodies.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

enum class EclipseKind {
  SolarTotal, SolarAnnular, SolarHybrid, SolarPartial,  // somewhere on the Earth
  LunarTotal, LunarPartial, LunarPenumbral,
};

// "total solar eclipse", "hybrid solar eclipse", "penumbral lunar eclipse", ...
std::string_view EclipseName(EclipseKind kind);
bool IsSolar(EclipseKind kind);

struct Eclipse {
  EclipseKind kind = EclipseKind::SolarTotal;
  double greatest_jd_ut = 0.0;  // moment of greatest eclipse, Julian day, Universal Time
};

struct EclipseSearch {
  std::vector<Eclipse> eclipses;  // in time order
  std::string error;              // the library's words when a search failed; empty if fine
};

// Every solar and lunar eclipse whose greatest eclipse lies in [from_jd, to_jd] (Julian days,
// UT), by swe_sol_eclipse_when_glob and swe_lun_eclipse_when. Calls the library on the calling
// thread, which must have set its ephemeris path (a SwissEphemeris on that thread does).
EclipseSearch FindEclipses(double from_jd, double to_jd);

// True obliquity of the ecliptic of date (mean obliquity plus nutation in obliquity),
// degrees: the greatest declination the Sun reaches that year, about 23.44 in 2000.
double TrueObliquity(double jd_ut);

}  // namespace tarnwick
