// Three-vectors and 3x3 rotation matrices for the orbit code: positions in au, velocities
// in au/day, all in one Cartesian frame stated at each use.
#pragma once

#include <array>
#include <cmath>
#include <cstddef>

namespace tarnwick {

struct Vec3 {
  double x = 0.0, y = 0.0, z = 0.0;

  double& operator[](int i) { return i == 0 ? x : (i == 1 ? y : z); }
  double operator[](int i) const { return i == 0 ? x : (i == 1 ? y : z); }
  Vec3& operator+=(const Vec3& o) { x += o.x; y += o.y; z += o.z; return *this; }
  Vec3& operator-=(const Vec3& o) { x -= o.x; y -= o.y; z -= o.z; return *this; }
  friend Vec3 operator+(Vec3 a, const Vec3& b) { return a += b; }
  friend Vec3 operator-(Vec3 a, const Vec3& b) { return a -= b; }
  friend Vec3 operator-(const Vec3& a) { return {-a.x, -a.y, -a.z}; }
  friend Vec3 operator*(double s, const Vec3& a) { return {s * a.x, s * a.y, s * a.z}; }
  friend Vec3 operator*(const Vec3& a, double s) { return s * a; }
  friend Vec3 operator/(const Vec3& a, double s) { return {a.x / s, a.y / s, a.z / s}; }
};

inline double Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline double Norm(const Vec3& a) { return std::sqrt(Dot(a, a)); }
inline Vec3 Cross(const Vec3& a, const Vec3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// Angle between two directions in radians, accurate for tiny angles too.
inline double AngleBetween(const Vec3& a, const Vec3& b) {
  return std::atan2(Norm(Cross(a, b)), Dot(a, b));
}

// Row-major 3x3 matrix; applied to column vectors.
struct Mat3 {
  std::array<std::array<double, 3>, 3> m{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};

  Vec3 operator*(const Vec3& v) const {
    return {m[0][0] * v.x + m[0][1] * v.y + m[0][2] * v.z,
            m[1][0] * v.x + m[1][1] * v.y + m[1][2] * v.z,
            m[2][0] * v.x + m[2][1] * v.y + m[2][2] * v.z};
  }
  Mat3 operator*(const Mat3& o) const {
    Mat3 r;
    for (std::size_t i = 0; i < 3; ++i)
      for (std::size_t j = 0; j < 3; ++j)
        r.m[i][j] = m[i][0] * o.m[0][j] + m[i][1] * o.m[1][j] + m[i][2] * o.m[2][j];
    return r;
  }
};

// Rotations of the coordinate frame (not of the vector) by angle a in radians about the
// x, y and z axes, as in the astronomical literature: R1(eps) turns equatorial coordinates
// into ecliptic ones.
inline Mat3 R1(double a) {
  const double c = std::cos(a), s = std::sin(a);
  Mat3 r;
  r.m = {{{1, 0, 0}, {0, c, s}, {0, -s, c}}};
  return r;
}
inline Mat3 R2(double a) {
  const double c = std::cos(a), s = std::sin(a);
  Mat3 r;
  r.m = {{{c, 0, -s}, {0, 1, 0}, {s, 0, c}}};
  return r;
}
inline Mat3 R3(double a) {
  const double c = std::cos(a), s = std::sin(a);
  Mat3 r;
  r.m = {{{c, s, 0}, {-s, c, 0}, {0, 0, 1}}};
  return r;
}

}  // namespace tarnwick
