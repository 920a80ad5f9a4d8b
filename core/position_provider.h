// The position provider: where is body i at Julian day t, seen as a run asks for it.
// The solvers and scans see only this interface, so they can be driven by synthetic motions.
#pragma once

#include <array>
#include <memory>
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

// The fixed points of a natal chart as the natal centre "n" answers them: each body's
// geocentric position at the birth moment, as the geocentric methods give it, then the
// Ascendant and the Midheaven (idxAscendant, idxMidheaven) as points of the ecliptic
// (latitude 0) when the chart has a birth place. Indexed by a point index. Degrees.
struct NatalPoints {
  std::string chart_name;                  // the chart's name, for reports and exports
  std::array<bool, NatalPointCount> available{};  // false: the point could not be computed at birth
  std::array<double, NatalPointCount> lon{};      // ecliptic longitude of date, [0, 360)
  std::array<double, NatalPointCount> ra{};       // right ascension, [0, 360)
  std::array<double, NatalPointCount> decl{};     // declination, [-90, 90]
  std::array<double, NatalPointCount> geo_lat{};  // geocentric ecliptic latitude, [-90, 90]
  std::array<std::string, NatalPointCount> why{}; // why a point is not available
};

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

  // The longitude Get_1_Planet_geo (Centre::Geo) or Get_1_Planet_helio gives, for a moment
  // asked once, such as the one an exact moment is polished at. A provider may answer in
  // about half the library's time by taking the nutation in longitude, the same for every
  // body, from a curve through nearby moments: the value is then the method's to 1e-10
  // degree and the daily motion in LastDailyMotion() to QuickMotionError(). The default
  // asks the method. Not for right ascensions (use_ra), which it also answers by the method.
  virtual double QuickLongitude(Centre centre, double jd_ut, int body) {
    return centre == Centre::Helio ? Get_1_Planet_helio(jd_ut, body) : Get_1_Planet_geo(jd_ut, body);
  }
  // How far the daily motion QuickLongitude leaves for `body` may lie from the method's,
  // degrees per day: 0 where the method answers.
  virtual double QuickMotionError(Centre /*centre*/, int /*body*/) { return 0.0; }

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

  // The natal centre: a chart's fixed points, the same at every moment, daily motion 0. Null
  // when no chart takes part in the run.
  void SetNatalPoints(std::shared_ptr<const NatalPoints> points) { natal_ = std::move(points); }
  const std::shared_ptr<const NatalPoints>& natal_points() const { return natal_; }
  // Natal longitude, or right ascension with use_ra; [0, 360). 0 without a chart. `body` is a
  // body or a chart angle (IsPointIndex).
  double Natal_position(int body) {
    last_daily_motion_ = 0.0;
    if (!natal_) return 0.0;
    const size_t i = static_cast<size_t>(body);
    return switches_.use_ra ? natal_->ra[i] : natal_->lon[i];
  }
  // Natal declination, or geocentric ecliptic latitude with use_geo_lat; [-90, 90].
  double Natal_decl(int body) {
    last_daily_motion_ = 0.0;
    if (!natal_) return 0.0;
    const size_t i = static_cast<size_t>(body);
    return switches_.use_geo_lat ? natal_->geo_lat[i] : natal_->decl[i];
  }

 protected:
  double last_daily_motion_ = 0.0;
  PositionSwitches switches_;
  std::shared_ptr<const NatalPoints> natal_;
};

// A role's position in a longitude run: longitude or right ascension on its centre. Degrees.
inline double RoleLongitude(PositionProvider& eph, double jd_ut, int body, Centre centre) {
  switch (centre) {
    case Centre::Helio: return eph.Get_1_Planet_helio(jd_ut, body);
    case Centre::Natal: return eph.Natal_position(body);
    case Centre::Geo: break;
  }
  return eph.Get_1_Planet_geo(jd_ut, body);
}

// A role's position in a declination run: declination or latitude on its centre. Degrees.
inline double RoleDeclination(PositionProvider& eph, double jd_ut, int body, Centre centre) {
  switch (centre) {
    case Centre::Helio: return eph.Get_1_Planet_latitude(jd_ut, body);
    case Centre::Natal: return eph.Natal_decl(body);
    case Centre::Geo: break;
  }
  return eph.Get_1_Planet_decl(jd_ut, body);
}

}  // namespace tarnwick
