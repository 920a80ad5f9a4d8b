// Positions of a body computed from its barycentric orbit, reduced the way the Swiss
// Ephemeris reduces its own bodies: apparent geocentric and heliocentric places of date.
#pragma once

#include "core/orbit/orbit_elements.h"
#include "core/vec3.h"

namespace tarnwick {

// A body's barycentric ICRF state, position in au and velocity in au/day, at a TDB Julian
// day; false where it cannot be had.
class BarycentricOrbit {
 public:
  virtual ~BarycentricOrbit() = default;
  virtual bool State(double jd_tdb, StateVector& out) = 0;
};

// Spherical coordinates of date in degrees, lon in [0, 360) and lat in [-90, 90], and their
// rates in degrees/day: ecliptic longitude/latitude, or right ascension/declination.
struct SphericalPlace {
  double lon = 0.0, lat = 0.0;
  double lon_speed = 0.0, lat_speed = 0.0;
};

// Reductions for one thread (the library keeps its state per thread). The Earth, the Sun,
// nutation and obliquity come from the Swiss Ephemeris; precession (IAU 2006) and the
// frame bias are computed here. What depends on the time alone is kept for the last time
// asked, so several bodies at one time pay for it once.
class ApparentPlace {
 public:
  // Geocentric apparent place at jd_et (TT): light time, the Sun's light deflection, annual
  // aberration, precession and nutation; ecliptic of date (true equinox), or true equator
  // of date with `equatorial`. As swe_calc with SEFLG_SWIEPH|SEFLG_SPEED [|SEFLG_EQUATORIAL].
  bool Geocentric(BarycentricOrbit& orbit, double jd_et, bool equatorial, SphericalPlace& out);

  // Heliocentric place at jd_et: the body at the time its light left it (timed, as the
  // library does, by its distance from the barycentre) less the Sun at jd_et, precession
  // and nutation, no aberration or deflection. As swe_calc with SEFLG_HELCTR added.
  bool Heliocentric(BarycentricOrbit& orbit, double jd_et, bool equatorial, SphericalPlace& out);

 private:
  struct Observer {
    double jd_et = 0.0;
    bool valid = false;
    Vec3 earth, earth_vel;  // barycentric ICRF, au and au/day
    Vec3 sun, sun_vel;
    Mat3 to_equator, to_equator_rate;    // ICRF -> true equator of date, and its d/dt per day
    Mat3 to_ecliptic, to_ecliptic_rate;  // ICRF -> true ecliptic of date, and its d/dt per day
  };
  const Observer& ObserverAt(double jd_et);
  static SphericalPlace ToSpherical(const Observer& o, bool equatorial, const Vec3& r,
                                    const Vec3& r_rate);

  Observer observer_;
};

// ICRF to the mean equator and equinox of date: frame bias and IAU 2006 precession.
Mat3 BiasPrecession(double jd_tt);

}  // namespace tarnwick
