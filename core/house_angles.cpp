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

}  // namespace tarnwick
