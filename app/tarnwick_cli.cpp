// tarnwick-cli: Tarnwick without a display.
#include <cstdio>

#include "core/bodies.h"
#include "core/calendar.h"
#include "core/program_folder.h"
#include "core/swiss_ephemeris.h"

namespace {

using namespace tarnwick;

// One line per body at jd_ut: geocentric longitude, declination and daily motion in
// longitude, or the library's message where the body cannot be computed. The Earth, which
// has no geocentric position, is shown heliocentrically.
int PrintBodyTable(double jd_ut) {
  SwissEphemeris eph(EphemerisSearchPath(ProgramFolder()));
  std::printf("Positions at JD %.5f (UT)\n", jd_ut);
  std::printf("%-3s %-8s  %12s  %12s  %12s\n", "#", "Body", "Longitude", "Declination",
              "Motion/day");
  for (const Body& body : BodyCatalogue) {
    const Centre centre = body.index == idxEarth ? Centre::Helio : Centre::Geo;
    const BodyAvailability a = eph.Availability(body.index, centre, jd_ut);
    if (!a.available()) {
      std::printf("%-3d %.8s  unavailable: %s\n", body.index, body.caption.data(),
                  a.message.c_str());
      continue;
    }
    double lon, motion, decl;
    if (centre == Centre::Helio) {
      lon = eph.Get_1_Planet_helio(jd_ut, body.index);
      motion = eph.LastDailyMotion();
      decl = eph.Get_1_Planet_latitude(jd_ut, body.index);
    } else {
      lon = eph.Get_1_Planet_geo(jd_ut, body.index);
      motion = eph.LastDailyMotion();
      decl = eph.Get_1_Planet_decl(jd_ut, body.index);
    }
    const bool from_orbit = a.source == BodyAvailability::Source::OrbitalElements;
    std::printf("%-3d %.8s  %12.6f  %12.6f  %12.6f%s%s\n", body.index, body.caption.data(), lon,
                decl, motion, centre == Centre::Helio ? "  (heliocentric; latitude)" : "",
                from_orbit ? ("  (" + a.message + ")").c_str() : "");
  }
  return 0;
}

}  // namespace

int main() {
  // Local midnight at the start of the initial span, 12/01/2007, time zone 5.
  return PrintBodyTable(ConvertDatetoJD(12, 1, 2007) + 5.0 / 24.0);
}
