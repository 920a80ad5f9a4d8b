#include "orbit_forces.h"

#include <swephexp.h>

#include <algorithm>

#include "core/orbit/orbit_elements.h"

namespace tarnwick {

namespace {

// Earth/Moon mass ratio (JPL DE430), to split the Earth-Moon mass between the two bodies.
constexpr double kEarthMoonRatio = 81.30056907419062;
constexpr double kEarthMoonGm = kGmSun / 328900.56;

// Years covered by Debian's asteroid file seas_18.se1 (TT Julian days): outside them the
// asteroid perturbers are held at the nearest covered date.
constexpr double kAsteroidFileFirst = 2378496.6;
constexpr double kAsteroidFileLast = 2597649.6;

bool IsAsteroid(int body_number) {
  return body_number == SE_CERES || body_number == SE_PALLAS || body_number == SE_VESTA;
}

}  // namespace

int BarycentricIcrfFlags() {
  return SEFLG_SWIEPH | SEFLG_BARYCTR | SEFLG_J2000 | SEFLG_ICRS | SEFLG_XYZ | SEFLG_TRUEPOS |
         SEFLG_EQUATORIAL | SEFLG_NOABERR | SEFLG_NOGDEFL;
}

std::vector<Perturber> PerturbersFor(int own_body_number) {
  // Inverse masses of the planetary systems (Sun = 1) and asteroid masses in solar masses.
  std::vector<Perturber> all = {
      {SE_SUN, kGmSun},
      {SE_MERCURY, kGmSun / 6023600.0},
      {SE_VENUS, kGmSun / 408523.71},
      {SE_EARTH, kEarthMoonGm * kEarthMoonRatio / (1.0 + kEarthMoonRatio)},
      {SE_MOON, kEarthMoonGm / (1.0 + kEarthMoonRatio)},
      {SE_MARS, kGmSun / 3098708.0},
      {SE_JUPITER, kGmSun / 1047.3486},
      {SE_SATURN, kGmSun / 3497.898},
      {SE_URANUS, kGmSun / 22902.98},
      {SE_NEPTUNE, kGmSun / 19412.24},
      {SE_PLUTO, kGmSun / 1.352e8},
      {SE_CERES, kGmSun * 4.7327e-10},
      {SE_PALLAS, kGmSun * 1.0297e-10},
      {SE_VESTA, kGmSun * 1.3026e-10},
  };
  std::erase_if(all, [&](const Perturber& p) { return p.body_number == own_body_number; });
  return all;
}

SolarSystemForce::SolarSystemForce(std::vector<Perturber> perturbers)
    : perturbers_(std::move(perturbers)) {
  for (auto& v : positions_) v.resize(perturbers_.size());
}

bool SolarSystemForce::Fetch(const Perturber& p, double t, Vec3& pos, Vec3* vel) {
  double x[6] = {0};
  char serr[AS_MAXCH] = {0};
  const int flags = BarycentricIcrfFlags() | (vel ? SEFLG_SPEED : 0);
  if (IsAsteroid(p.body_number)) t = std::clamp(t, kAsteroidFileFirst, kAsteroidFileLast);
  if (swe_calc(t, p.body_number, flags, x, serr) < 0) return false;
  pos = {x[0], x[1], x[2]};
  if (vel) *vel = {x[3], x[4], x[5]};
  return true;
}

void SolarSystemForce::PrepareStep(const std::array<double, kRadauNodes>& times) {
  if (!probed_) {
    probed_ = true;
    Vec3 pos;
    std::erase_if(perturbers_, [&](const Perturber& p) {
      if (Fetch(p, times[0], pos, nullptr)) return false;
      char name[AS_MAXCH] = {0};
      swe_get_planet_name(p.body_number, name);
      left_out_ += (left_out_.empty() ? "" : ", ") + std::string(name);
      return true;
    });
    for (auto& v : positions_) v.resize(perturbers_.size());
  }
  std::size_t first = 0;
  // A step starts where the previous one ended: reuse that sample.
  if (have_times_ && times[0] == times_[kRadauNodes - 1]) {
    positions_[0] = positions_[kRadauNodes - 1];
    sun_velocity_[0] = sun_velocity_[kRadauNodes - 1];
    first = 1;
  }
  for (std::size_t n = first; n < times.size(); ++n) {
    for (size_t j = 0; j < perturbers_.size(); ++j) {
      Vec3* vel = perturbers_[j].body_number == SE_SUN ? &sun_velocity_[n] : nullptr;
      Fetch(perturbers_[j], times[n], positions_[n][j], vel);
    }
  }
  times_ = times;
  have_times_ = true;
}

Vec3 SolarSystemForce::Acceleration(int node, const Vec3& x, const Vec3& v) {
  const std::vector<Vec3>& pos = positions_[static_cast<std::size_t>(node)];  // 0 .. kRadauNodes - 1
  Vec3 a{};
  for (size_t j = 0; j < perturbers_.size(); ++j) {
    const Vec3 d = pos[j] - x;
    const double r2 = Dot(d, d);
    a += (perturbers_[j].gm / (r2 * std::sqrt(r2))) * d;
  }
  // The Sun's relativistic term (Schwarzschild, PPN beta = gamma = 1), heliocentric:
  // GM/(c^2 r^3) [(4 GM/r - v^2) r + 4 (r.v) v]. It turns perihelia and shifts mean motions
  // by parts in 1e8, which elements fitted with relativity assume.
  if (!perturbers_.empty() && perturbers_[0].body_number == SE_SUN) {
    const Vec3 r = x - pos[0];
    const Vec3 w = v - sun_velocity_[static_cast<std::size_t>(node)];
    const double rn = Norm(r);
    const double c2 = kLightAuPerDay * kLightAuPerDay;
    const double f = kGmSun / (c2 * rn * rn * rn);
    a += f * ((4.0 * kGmSun / rn - Dot(w, w)) * r + (4.0 * Dot(r, w)) * w);
  }
  return a;
}

}  // namespace tarnwick
