#include "apparent_place.h"

#include <swephexp.h>

#include <cmath>
#include <numbers>

#include "core/angles.h"
#include "core/orbit/orbit_forces.h"

namespace tarnwick {

namespace {

constexpr double kArcsec = kRadiansPerDegree / 3600.0;

// Step for the rates of the frame rotation and of the aberrated direction, days: short
// against the fastest nutation term (13.7 days) and long against rounding.
constexpr double kRateStep = 1e-3;
constexpr double kDirectionRateStep = 1e-2;

// Light-time iterations: each one gains a factor v/c ~ 1e-4.
constexpr int kLightTimeIterations = 3;

struct Nutation {
  double true_obliquity, mean_obliquity, dpsi, deps;  // radians
};

Nutation LibraryNutation(double jd_et) {
  double x[6] = {0};
  char serr[AS_MAXCH] = {0};
  swe_calc(jd_et, SE_ECL_NUT, 0, x, serr);
  return {x[0] * kRadiansPerDegree, x[1] * kRadiansPerDegree, x[2] * kRadiansPerDegree, x[3] * kRadiansPerDegree};
}

struct Frames {
  Mat3 equator, ecliptic;
};

Frames FramesAt(double jd_et) {
  const Nutation n = LibraryNutation(jd_et);
  const Mat3 nutation = R1(-n.true_obliquity) * R3(-n.dpsi) * R1(n.mean_obliquity);
  const Mat3 equator = nutation * BiasPrecession(jd_et);
  return {equator, R1(n.true_obliquity) * equator};
}

Mat3 Rate(const Mat3& later, const Mat3& now, double dt) {
  Mat3 r;
  for (std::size_t i = 0; i < 3; ++i)
    for (std::size_t j = 0; j < 3; ++j) r.m[i][j] = (later.m[i][j] - now.m[i][j]) / dt;
  return r;
}

bool LibraryState(double jd_et, int body_number, Vec3& pos, Vec3& vel) {
  double x[6] = {0};
  char serr[AS_MAXCH] = {0};
  if (swe_calc(jd_et, body_number, BarycentricIcrfFlags() | SEFLG_SPEED, x, serr) < 0)
    return false;
  pos = {x[0], x[1], x[2]};
  vel = {x[3], x[4], x[5]};
  return true;
}

// Deflection of light by the Sun (Explanatory Supplement 1992, 3.32): p the geocentric
// vector of the body, e the heliocentric Earth, q the heliocentric body at emission.
Vec3 Deflect(const Vec3& p, const Vec3& e, const Vec3& q) {
  const double pn = Norm(p), en = Norm(e), qn = Norm(q);
  const Vec3 u = p / pn, eu = e / en, qu = q / qn;
  const double g1 = 2.0 * kGmSun / (kLightAuPerDay * kLightAuPerDay * en);
  const double g2 = 1.0 + Dot(qu, eu);
  return pn * (u + (g1 / g2) * (Dot(u, qu) * eu - Dot(eu, u) * qu));
}

// Relativistic annual aberration (Explanatory Supplement 1992, 3.252): v is the observer's
// barycentric velocity in units of c.
Vec3 Aberrate(const Vec3& p, const Vec3& v) {
  const double pn = Norm(p);
  const double b1 = std::sqrt(1.0 - Dot(v, v));
  const double f1 = Dot(p, v) / pn;
  const double f2 = 1.0 + f1 / (1.0 + b1);
  return (b1 * p + (f2 * pn) * v) / (1.0 + f1);
}

}  // namespace

Mat3 BiasPrecession(double jd_tt) {
  // Frame bias ICRS -> J2000 mean equator and equinox (IERS Conventions 2003).
  static const Mat3 bias = R1(0.0068192 * kArcsec) * R2(-0.016617 * kArcsec) *
                           R3(-0.0146 * kArcsec);
  // IAU 2006 (Capitaine et al. 2003) equatorial precession angles, arcseconds, t in Julian
  // centuries of TT from J2000.
  const double t = (jd_tt - 2451545.0) / 36525.0;
  const double zeta =
      2.650545 + t * (2306.083227 + t * (0.2988499 + t * (0.01801828 + t * (-0.000005971 + t * -0.0000003173))));
  const double z =
      -2.650545 + t * (2306.077181 + t * (1.0927348 + t * (0.01826837 + t * (-0.000028596 + t * -0.0000002904))));
  const double theta =
      t * (2004.191903 + t * (-0.4294934 + t * (-0.04182264 + t * (-0.000007089 + t * -0.0000001274))));
  return R3(-z * kArcsec) * R2(theta * kArcsec) * R3(-zeta * kArcsec) * bias;
}

const ApparentPlace::Observer& ApparentPlace::ObserverAt(double jd_et) {
  if (observer_.valid && observer_.jd_et == jd_et) return observer_;
  Observer& o = observer_;
  o.valid = LibraryState(jd_et, SE_EARTH, o.earth, o.earth_vel) &&
            LibraryState(jd_et, SE_SUN, o.sun, o.sun_vel);
  o.jd_et = jd_et;
  const Frames now = FramesAt(jd_et);
  const Frames later = FramesAt(jd_et + kRateStep);
  o.to_equator = now.equator;
  o.to_ecliptic = now.ecliptic;
  o.to_equator_rate = Rate(later.equator, now.equator, kRateStep);
  o.to_ecliptic_rate = Rate(later.ecliptic, now.ecliptic, kRateStep);
  return o;
}

SphericalPlace ApparentPlace::ToSpherical(const Observer& o, bool equatorial, const Vec3& r_icrf,
                                          const Vec3& r_icrf_rate) {
  const Mat3& m = equatorial ? o.to_equator : o.to_ecliptic;
  const Mat3& m_rate = equatorial ? o.to_equator_rate : o.to_ecliptic_rate;
  const Vec3 r = m * r_icrf;
  const Vec3 rd = m * r_icrf_rate + m_rate * r_icrf;
  const double rho2 = r.x * r.x + r.y * r.y;
  const double rho = std::sqrt(rho2);
  const double r2 = rho2 + r.z * r.z;
  SphericalPlace out;
  out.lon = Reduce_to_under_360(std::atan2(r.y, r.x) / kRadiansPerDegree);
  out.lat = std::atan2(r.z, rho) / kRadiansPerDegree;
  out.lon_speed = (r.x * rd.y - r.y * rd.x) / rho2 / kRadiansPerDegree;
  out.lat_speed = (rd.z * rho2 - r.z * (r.x * rd.x + r.y * rd.y)) / (r2 * rho) / kRadiansPerDegree;
  return out;
}

bool ApparentPlace::Geocentric(BarycentricOrbit& orbit, double jd_et, bool equatorial,
                               SphericalPlace& out) {
  const Observer& o = ObserverAt(jd_et);
  if (!o.valid) return false;
  StateVector b;
  if (!orbit.State(jd_et, b)) return false;
  double tau = Norm(b.pos - o.earth) / kLightAuPerDay;
  for (int i = 0; i < kLightTimeIterations; ++i) {
    if (!orbit.State(jd_et - tau, b)) return false;
    tau = Norm(b.pos - o.earth) / kLightAuPerDay;
  }
  const Vec3 p = b.pos - o.earth;  // geometric geocentric vector, light time applied
  const Vec3 pu = p / Norm(p);
  // d(tau)/dt from tau = |x(t - tau) - earth(t)| / c.
  const double tau_rate = Dot(pu, b.vel - o.earth_vel) / kLightAuPerDay /
                          (1.0 + Dot(pu, b.vel) / kLightAuPerDay);
  const Vec3 p_rate = (1.0 - tau_rate) * b.vel - o.earth_vel;
  const Vec3 e = o.earth - o.sun;  // heliocentric Earth at jd_et
  const Vec3 e_rate = o.earth_vel - o.sun_vel;
  const Vec3 q = b.pos - (o.sun - tau * o.sun_vel);  // heliocentric body at emission
  const Vec3 q_rate = (1.0 - tau_rate) * (b.vel - o.sun_vel);
  const Vec3 v = o.earth_vel / kLightAuPerDay;
  // The Earth's acceleration, the Sun's pull alone: enough for the rate of aberration.
  const Vec3 v_rate = (-kGmSun / std::pow(Norm(e), 3) / kLightAuPerDay) * e;
  // The apparent direction along the linearised motion of everything it depends on; its
  // central difference is the rate of the apparent place.
  auto apparent = [&](double s) {
    return Aberrate(Deflect(p + s * p_rate, e + s * e_rate, q + s * q_rate), v + s * v_rate);
  };
  const Vec3 r = apparent(0.0);
  const Vec3 r_rate = (apparent(kDirectionRateStep) - apparent(-kDirectionRateStep)) /
                      (2.0 * kDirectionRateStep);
  out = ToSpherical(o, equatorial, r, r_rate);
  return true;
}

bool ApparentPlace::Heliocentric(BarycentricOrbit& orbit, double jd_et, bool equatorial,
                                 SphericalPlace& out) {
  const Observer& o = ObserverAt(jd_et);
  if (!o.valid) return false;
  StateVector b;
  if (!orbit.State(jd_et, b)) return false;
  // The library times the light from the body's distance to the barycentre, and takes
  // the Sun at the time of observation.
  double tau = Norm(b.pos) / kLightAuPerDay;
  for (int i = 0; i < kLightTimeIterations; ++i) {
    if (!orbit.State(jd_et - tau, b)) return false;
    tau = Norm(b.pos) / kLightAuPerDay;
  }
  const Vec3 h = b.pos - o.sun;
  const Vec3 bu = b.pos / Norm(b.pos);
  const double tau_rate =
      Dot(bu, b.vel) / kLightAuPerDay / (1.0 + Dot(bu, b.vel) / kLightAuPerDay);
  const Vec3 h_rate = (1.0 - tau_rate) * b.vel - o.sun_vel;
  out = ToSpherical(o, equatorial, h, h_rate);
  return true;
}

}  // namespace tarnwick
