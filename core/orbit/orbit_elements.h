// Osculating orbital elements of the minor bodies Tarnwick can compute from their orbits,
// and the two-body (Kepler) state they describe.
#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "core/vec3.h"

namespace tarnwick {

// Gaussian gravitational constant k in au^(3/2)/day; GM of the Sun is k^2 in au^3/day^2.
inline constexpr double kGaussK = 0.01720209895;
inline constexpr double kGmSun = kGaussK * kGaussK;
// Speed of light in au/day (299792.458 km/s, 1 au = 149597870.700 km).
inline constexpr double kLightAuPerDay = 299792.458 * 86400.0 / 149597870.700;
// Obliquity of the J2000 ecliptic to the ICRF equator that the JPL elements refer to,
// 84381.448 arcseconds, in radians.
inline constexpr double kJplEclipticObliquityRad = 84381.448 / 3600.0 * 0.017453292519943295;

// Heliocentric osculating elements referred to the ecliptic and mean equinox of J2000.
struct OrbitalElements {
  int minor_planet_number;  // 1 Ceres ... 136199 Eris
  std::string_view name;
  std::string_view orbit_solution;  // JPL's label of the orbit fit the elements come from
  double epoch_jd_tdb;              // Julian day (TDB) the elements osculate at
  double e;                         // eccentricity, 0 <= e < 1
  double a_au;                      // semi-major axis
  double i_deg;                     // inclination to the J2000 ecliptic
  double node_deg;                  // longitude of the ascending node
  double peri_deg;                  // argument of perihelion
  double mean_anomaly_deg;          // at the epoch
};

// Position (au) and velocity (au/day) in one frame.
struct StateVector {
  Vec3 pos;
  Vec3 vel;
};

// The eleven minor bodies with elements: the body-catalogue asteroids and centaurs.
std::span<const OrbitalElements> MinorBodyElements();

// Elements of the body with catalogue index `body` (15..25: Chiron ... Eris), if any.
std::optional<OrbitalElements> ElementsForBody(int body);

// Heliocentric two-body state at jd_tdb (the elements propagated along their Kepler orbit
// with GM = k^2), in the J2000 ecliptic frame of the elements.
StateVector KeplerStateEcliptic(const OrbitalElements& el, double jd_tdb);

// J2000 ecliptic (JPL's, obliquity 84381.448") to ICRF equatorial coordinates.
Vec3 EclipticJ2000ToIcrf(const Vec3& ecl);

}  // namespace tarnwick
