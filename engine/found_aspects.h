// The result table: one typed row per exact moment found by the scans. Rows hold numbers
// only; the report layer writes their texts (the local date and time from jd_ut).
#pragma once

#include <array>
#include <vector>

#include "core/bodies.h"

namespace tarnwick {

// One exact moment. In a run without P3, role P3 repeats P2 (same body, same centre).
struct FoundAspect {
  std::array<int, 3> body{};             // body indices of P1, P2, P3
  double jd_ut = 0.0;                    // the exact moment, Julian day, Universal Time
  // Longitude run: longitude, or right ascension with chkUse_RA, [0, 360).
  // Declination run: declination, or latitude (geocentric with chkUseGeoLat, heliocentric
  // for a heliocentric role), signed. Degrees.
  std::array<double, 3> position{};
  std::array<double, 3> motion{};        // daily motion of each value, degrees per day
  std::array<Centre, 3> centre{};        // centre of each role when the moment was found
};

using FoundAspects = std::vector<FoundAspect>;

// Label of a centre in a report line: "g. ", "h. " or "n. " (a natal point).
inline const char* CentreLabel(Centre c) {
  return c == Centre::Helio ? "h. " : c == Centre::Natal ? "n. " : "g. ";
}

}  // namespace tarnwick
