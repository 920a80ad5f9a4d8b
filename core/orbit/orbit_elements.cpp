#include "orbit_elements.h"

#include <array>
#include <cmath>
#include <numbers>

#include "core/angles.h"

#include "core/bodies.h"

namespace tarnwick {

namespace {

constexpr double kEpochMjd59800 = 2459800.5;  // MJD 59800 TDB

// Osculating elements from the JPL Small-Body Database as distributed in Debian's
// kstars-data (asteroids.dat); all at epoch MJD 59800 TDB, ecliptic and equinox J2000.
// Columns: number, name, orbit solution, epoch, e, a [au], i, node, peri, M [deg].
constexpr std::array<OrbitalElements, 11> kElements = {{
    {1, "Ceres", "48", kEpochMjd59800, .07863575691875528, 2.766619044655007,
     10.58679512153367, 80.2664361119415, 73.53162522557164, 334.3271698971151},
    {2, "Pallas", "JPL 53", kEpochMjd59800, .229986445975499, 2.769463340774141,
     34.92714126736759, 172.9179047880803, 310.8426241527283, 315.0911121671828},
    {3, "Juno", "JPL 127", kEpochMjd59800, .256775023053242, 2.670422183695509,
     12.992225866813, 169.8459410858143, 247.8039388757044, 306.6224068399492},
    {4, "Vesta", "36", kEpochMjd59800, .08840189374260063, 2.361987199696643,
     7.140782834645754, 103.800809741353, 151.2577798334132, 61.19229900418838},
    {5, "Astraea", "JPL 128", kEpochMjd59800, .188985164917296, 2.577540152674062,
     5.365417090737982, 141.5675020966773, 358.7923815354912, 208.5676966713495},
    {2060, "Chiron", "JPL 145", kEpochMjd59800, .3762722029776858, 13.71132261517404,
     6.920809570003827, 209.2992578800276, 339.5321887533527, 188.8420480920784},
    {5145, "Pholus", "23", kEpochMjd59800, .5711900810133788, 20.31612854274815,
     24.64474295017115, 119.406718720471, 354.6543296419721, 121.8265556599046},
    {7066, "Nessus", "9", kEpochMjd59800, .5152906021838896, 24.64837928617373,
     15.62046083044083, 31.37479902126368, 170.8800939416079, 90.04225615926788},
    {10199, "Chariklo", "JPL 42", kEpochMjd59800, .1674643262085438, 15.81229123900611,
     23.36819133821507, 300.4384034173763, 242.6014329711978, 106.7270119746529},
    {90377, "Sedna", "37", kEpochMjd59800, .8534529980722998, 521.2317960974287,
     11.93089742408411, 144.225545135031, 310.9303124695435, 358.4011620228252},
    {136199, "Eris", "JPL 80", kEpochMjd59800, .4319675434449865, 68.11758508305886,
     43.79365695687871, 36.05669656594603, 151.1481824704079, 208.102573839835},
}};

// Minor-planet number of the catalogue bodies 15..25 (Chiron ... Eris).
int MinorPlanetNumber(int body) {
  switch (body) {
    case 15: return 2060;  // Chiron
    case 16: return 5145;  // Pholus
    case 17: return 1;     // Ceres
    case 18: return 2;     // Pallas
    case 19: return 3;     // Juno
    case 20: return 4;     // Vesta
    default:
      if (IsBodyIndex(body) && BodyCatalogue[BodySlot(body)].body_number > kAsteroidOffset)
        return BodyCatalogue[BodySlot(body)].body_number - kAsteroidOffset;
      return 0;
  }
}

}  // namespace

std::span<const OrbitalElements> MinorBodyElements() { return kElements; }

std::optional<OrbitalElements> ElementsForBody(int body) {
  const int number = MinorPlanetNumber(body);
  for (const OrbitalElements& el : kElements)
    if (number != 0 && el.minor_planet_number == number) return el;
  return std::nullopt;
}

StateVector KeplerStateEcliptic(const OrbitalElements& el, double jd_tdb) {
  const double a = el.a_au, e = el.e;
  const double n = std::sqrt(kGmSun / (a * a * a));  // mean motion, rad/day
  const double m = std::remainder(el.mean_anomaly_deg * kRadiansPerDegree + n * (jd_tdb - el.epoch_jd_tdb),
                                  2.0 * std::numbers::pi);
  // Kepler's equation E - e sin E = M by Newton's method from a start that converges for
  // all e < 1.
  double ea = e < 0.8 ? m : (m < 0 ? -std::numbers::pi : std::numbers::pi);
  for (int i = 0; i < 50; ++i) {
    const double d = (ea - e * std::sin(ea) - m) / (1.0 - e * std::cos(ea));
    ea -= d;
    if (std::abs(d) < 1e-15) break;
  }
  const double cos_e = std::cos(ea), sin_e = std::sin(ea);
  const double b = a * std::sqrt(1.0 - e * e);
  const double e_dot = n / (1.0 - e * cos_e);
  // In the orbital plane, x towards perihelion.
  const Vec3 p{a * (cos_e - e), b * sin_e, 0.0};
  const Vec3 v{-a * sin_e * e_dot, b * cos_e * e_dot, 0.0};
  // Orbital plane to ecliptic: Rz(-node) Rx(-i) Rz(-peri) in frame-rotation terms.
  const Mat3 to_ecl = R3(-el.node_deg * kRadiansPerDegree) * R1(-el.i_deg * kRadiansPerDegree) * R3(-el.peri_deg * kRadiansPerDegree);
  return {to_ecl * p, to_ecl * v};
}

Vec3 EclipticJ2000ToIcrf(const Vec3& ecl) { return R1(-kJplEclipticObliquityRad) * ecl; }

}  // namespace tarnwick
