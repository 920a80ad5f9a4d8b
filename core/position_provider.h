// The position provider: where is body i at Julian day t, seen as a run asks for it.
// The solvers and scans see only this interface, so they can be driven by synthetic motions.
#pragma once

#include <string>

#include "bodies.h"

namespace tarnwick {

// The run switches that act inside the position methods, taken when a run starts.
struct PositionSwitches {
  bool use_ra = false;       // chkUse_RA: right ascension instead of longitude
  bool use_geo_lat = false;  // chkUseGeoLat: geocentric ecliptic latitude instead of declination
};

// Whether a body's positions can be computed for a centre, and how.
struct BodyAvailability {
  enum class Source {
    Library,           // the Swiss Ephemeris computes it from its own files
    OrbitalElements,   // computed from the body's orbit, the library having no file for it
    Unavailable,       // cannot be computed; `message` says why
  };
  Source source = Source::Library;
  std::string message;  // the library's words: the missing file and where it was looked for
  bool available() const { return source != Source::Unavailable; }
};

// The four position methods of a provider, as named below.
enum class PositionMethod { Geo, Helio, Decl, Latitude };

class PositionProvider {
 public:
  virtual ~PositionProvider() = default;

  // Each method takes a Julian day in Universal Time and a body index 0..25 and returns
  // degrees. Each leaves the daily motion of the same result in LastDailyMotion().
  //
  // Geocentric ecliptic longitude of date, or right ascension with use_ra; [0, 360).
  virtual double Get_1_Planet_geo(double jd_ut, int body) = 0;
  // Heliocentric ecliptic longitude, or right ascension with use_ra; [0, 360).
  virtual double Get_1_Planet_helio(double jd_ut, int body) = 0;
  // Geocentric declination, or geocentric ecliptic latitude with use_geo_lat; [-90, 90].
  virtual double Get_1_Planet_decl(double jd_ut, int body) = 0;
  // Heliocentric ecliptic latitude, whatever the switches say; [-90, 90].
  virtual double Get_1_Planet_latitude(double jd_ut, int body) = 0;

  // Whether `body` can be computed for `centre` around jd_ut.
  virtual BodyAvailability Availability(int body, Centre centre, double jd_ut) = 0;

  // Offers a value and daily motion of `method` for `body` at jd_ut that the caller carried
  // from a library answer a fraction of a second away, to well under 1e-12 degree. A provider
  // that remembers answers may give it from now on in place of asking; the others ignore it.
  virtual void Remember(PositionMethod /*method*/, double /*jd_ut*/, int /*body*/,
                        double /*value*/, double /*motion*/) {}

  // Degrees per day: speed in longitude (or right ascension) after the two longitude methods,
  // in latitude (or declination) after the other two.
  double LastDailyMotion() const { return last_daily_motion_; }

  virtual void SetSwitches(const PositionSwitches& switches) { switches_ = switches; }
  const PositionSwitches& switches() const { return switches_; }

 protected:
  double last_daily_motion_ = 0.0;
  PositionSwitches switches_;
};

}  // namespace tarnwick
