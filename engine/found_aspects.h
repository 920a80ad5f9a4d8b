// The result table: one typed row per exact moment found by the scans, in scan order.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "core/bodies.h"

namespace tarnwick {

// One exact moment. In a run without P3, role P3 repeats P2 (same body, same centre).
struct FoundAspect {
  std::array<int, 3> body{};             // body indices of P1, P2, P3
  double jd_ut = 0.0;                    // the exact moment, Julian day, Universal Time
  std::string date_text;                 // local date of the moment (JDDateText)
  std::string time_text;                 // local time "HH:MM" (JDTimeText)
  // Longitude run: longitude, or right ascension with chkUse_RA, [0, 360).
  // Declination run: declination, or latitude (geocentric with chkUseGeoLat, heliocentric
  // for a heliocentric role), signed. Degrees.
  std::array<double, 3> position{};
  std::array<double, 3> motion{};        // daily motion of each value, degrees per day
  std::array<Centre, 3> centre{};        // centre of each role when the moment was found

  // Field 3 of a report line: date, one blank, time.
  std::string moment_text() const { return date_text + " " + time_text; }
};

using FoundAspects = std::vector<FoundAspect>;

// Label of a centre in a report line: "g. " or "h. ".
inline const char* CentreLabel(Centre c) { return c == Centre::Helio ? "h. " : "g. "; }

}  // namespace tarnwick
