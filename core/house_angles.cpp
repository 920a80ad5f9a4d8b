#include "core/house_angles.h"

#include <swephexp.h>

namespace tarnwick {

std::optional<HouseAngles> AnglesAt(double jd_ut, double latitude_deg, double longitude_deg,
                                    std::string* error) {
  double cusps[13] = {};
  double ascmc[10] = {};
  // Equal houses: the Ascendant and Midheaven are the same in every system, and this one
  // is defined at every latitude (Placidus fails inside the polar circles).
  if (swe_houses_ex(jd_ut, 0, latitude_deg, longitude_deg, 'E', cusps, ascmc) < 0) {
    if (error) *error = "the library could not compute the houses of this place and moment";
    return std::nullopt;
  }
  return HouseAngles{ascmc[SE_ASC], ascmc[SE_MC]};
}

std::optional<EquatorialPoint> EquatorialOfEclipticPoint(double jd_ut, double lon_deg, std::string* error) {
  double nut[6] = {};
  char serr[AS_MAXCH] = {};
  // SE_ECL_NUT gives the true obliquity first, the mean one second, then the nutations.
  if (swe_calc_ut(jd_ut, SE_ECL_NUT, 0, nut, serr) < 0) {
    if (error) *error = serr[0] ? serr : "the library could not compute the obliquity";
    return std::nullopt;
  }
  double ecliptic[3] = {lon_deg, 0.0, 1.0};
  double equatorial[3] = {};
  // A negative obliquity turns ecliptic coordinates into equatorial ones.
  swe_cotrans(ecliptic, equatorial, -nut[0]);
  return EquatorialPoint{equatorial[0], equatorial[1]};
}

}  // namespace tarnwick
