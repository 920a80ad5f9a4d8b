// Gauss-Radau collocation of order 15 (Everhart's RADAU15) for x'' = f(t, x, x') in fixed
// steps, and the polynomial each step leaves behind for positions anywhere inside it.
#pragma once

#include <array>

#include "core/vec3.h"

namespace tarnwick {

// Fractions of a step where the acceleration is sampled: 0, the seven Gauss-Radau spacings
// (roots of P7 + P8 on [0, 1]) and the step's end.
inline constexpr int kRadauNodes = 9;
inline constexpr std::array<double, kRadauNodes> kRadauSpacings = {
    0.0,
    0.0562625605369221464656521910318,
    0.180240691736892364987579942780,
    0.352624717113169637373907769648,
    0.547153626330555383001448554766,
    0.734210177215410531523210605558,
    0.885320946839095768090359771030,
    0.977520613561287501891174488626,
    1.0};

// The equations of motion. The integrator first hands over the nine sample times of a
// step (days), then asks for accelerations at those samples, by their number 0..8, as
// often as its iterations need: a model can look up everything that depends on time alone
// (perturber positions) once per step.
class SecondOrderForce {
 public:
  virtual ~SecondOrderForce() = default;
  virtual void PrepareStep(const std::array<double, kRadauNodes>& times) = 0;
  // Acceleration (au/day^2) at sample `node` for position x (au) and velocity v (au/day).
  virtual Vec3 Acceleration(int node, const Vec3& x, const Vec3& v) = 0;
};

// One step as a polynomial in the step fraction s in [0, 1]:
// x(s) = sum c[j] s^j, so x(t0 + s h), and v = dx/dt = (1/h) sum j c[j] s^(j-1).
struct PolynomialPiece {
  double t0 = 0.0;  // start, days
  double h = 0.0;   // length, days; negative when integrating backwards
  std::array<Vec3, 10> c{};

  Vec3 Position(double s) const;
  Vec3 Velocity(double s) const;
};

// Fixed-step integrator. Step() advances by h (days, either sign) and returns the piece
// that covers the step. The first step after construction or Restart() takes more
// iterations; later ones start from the previous step's acceleration polynomial.
class RadauIntegrator {
 public:
  RadauIntegrator(SecondOrderForce& force, double t, const Vec3& x, const Vec3& v);

  PolynomialPiece Step(double h);

  double t() const { return t_; }
  const Vec3& x() const { return x_; }
  const Vec3& v() const { return v_; }
  int last_iterations() const { return last_iterations_; }

 private:
  SecondOrderForce& force_;
  double t_;
  Vec3 x_, v_, a0_;
  bool a0_valid_ = false;
  bool have_prediction_ = false;
  double last_h_ = 0.0;
  std::array<Vec3, 7> b_{};  // acceleration a(s) = a0 + sum b[k-1] s^k, k = 1..7
  int last_iterations_ = 0;
};

}  // namespace tarnwick
