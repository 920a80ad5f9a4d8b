// The chart angles of a place at a moment: Ascendant and Midheaven from the Swiss Ephemeris'
// house routine (swe_houses_ex), the one place the program asks the library for houses; and
// where such a point of the ecliptic stands on the equator (right ascension, declination).
#pragma once

#include <optional>
#include <string>

namespace tarnwick {

struct HouseAngles {
  double ascendant_deg = 0.0;  // ecliptic longitude of date rising in the east, [0, 360)
  double midheaven_deg = 0.0;  // ecliptic longitude of date culminating on the meridian, [0, 360)
};

// The angles at jd_ut (Julian day, Universal Time) for a place at latitude_deg (north
// positive, [-90, 90]) and longitude_deg (east positive, [-180, 180]). Nothing, with the
// library's words in *error, when it cannot compute them. The ephemeris path of the calling
// thread must be set (a position provider of the thread does that).
std::optional<HouseAngles> AnglesAt(double jd_ut, double latitude_deg, double longitude_deg,
                                    std::string* error);

// A point of the ecliptic of date in equatorial coordinates. Degrees.
struct EquatorialPoint {
  double ra_deg = 0.0;    // right ascension, [0, 360)
  double decl_deg = 0.0;  // declination, [-90, 90]
};

// The ecliptic point at longitude lon_deg (latitude 0) seen on the equator of jd_ut (Julian
// day, UT), turned by the true obliquity of that moment: where an angle of a chart cast then
// stands in right ascension and declination. Nothing, with the library's words in *error,
// when the obliquity cannot be computed.
std::optional<EquatorialPoint> EquatorialOfEclipticPoint(double jd_ut, double lon_deg, std::string* error);

}  // namespace tarnwick
