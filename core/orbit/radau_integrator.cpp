#include "radau_integrator.h"

#include <algorithm>
#include <cmath>

namespace tarnwick {

namespace {

// Inverse of the 7x7 matrix V[i][k] = s_i^(k+1) over the interior spacings s_1..s_7: it turns
// the sampled accelerations a(s_i) - a0 into the polynomial coefficients b.
struct NodeInverse {
  std::array<std::array<double, 7>, 7> inv{};
  NodeInverse() {
    long double a[7][14] = {};
    for (std::size_t i = 0; i < 7; ++i) {
      long double p = 1.0L;
      for (int k = 0; k < 7; ++k) {
        p *= static_cast<long double>(kRadauSpacings[i + 1]);
        a[i][k] = p;
      }
      a[i][7 + i] = 1.0L;
    }
    for (int col = 0; col < 7; ++col) {  // Gauss-Jordan with partial pivoting
      int piv = col;
      for (int r = col + 1; r < 7; ++r)
        if (std::fabs(a[r][col]) > std::fabs(a[piv][col])) piv = r;
      for (int j = 0; j < 14; ++j) std::swap(a[col][j], a[piv][j]);
      const long double d = a[col][col];
      for (int j = 0; j < 14; ++j) a[col][j] /= d;
      for (int r = 0; r < 7; ++r) {
        if (r == col) continue;
        const long double f = a[r][col];
        for (int j = 0; j < 14; ++j) a[r][j] -= f * a[col][j];
      }
    }
    for (std::size_t i = 0; i < 7; ++i)
      for (std::size_t j = 0; j < 7; ++j) inv[i][j] = static_cast<double>(a[i][7 + j]);
  }
};

const NodeInverse& Inverse() {
  static const NodeInverse inverse;
  return inverse;
}

double MaxAbs(const Vec3& v) { return std::max({std::abs(v.x), std::abs(v.y), std::abs(v.z)}); }

constexpr int kMaxIterations = 12;
// Iterations stop when the highest coefficient changes by less than this fraction of the
// acceleration: close to double rounding.
constexpr double kConvergence = 1e-15;

}  // namespace

Vec3 PolynomialPiece::Position(double s) const {
  Vec3 r = c[9];
  for (std::size_t j = 9; j-- > 0;) r = r * s + c[j];
  return r;
}

Vec3 PolynomialPiece::Velocity(double s) const {
  Vec3 r = 9.0 * c[9];
  for (std::size_t j = 8; j >= 1; --j) r = r * s + static_cast<double>(j) * c[j];
  return r / h;
}

RadauIntegrator::RadauIntegrator(SecondOrderForce& force, double t, const Vec3& x, const Vec3& v)
    : force_(force), t_(t), x_(x), v_(v) {}

PolynomialPiece RadauIntegrator::Step(double h) {
  const auto& inv = Inverse().inv;
  std::array<double, kRadauNodes> times;
  for (std::size_t i = 0; i < times.size(); ++i) times[i] = t_ + kRadauSpacings[i] * h;
  force_.PrepareStep(times);
  if (!a0_valid_) {
    a0_ = force_.Acceleration(0, x_, v_);
    a0_valid_ = true;
  }

  if (!have_prediction_ || h != last_h_) b_ = {};
  const double h2 = h * h;
  auto position = [&](double s) {
    // x0 + h v0 s + h^2 (a0 s^2/2 + sum b_k s^(k+2) / ((k+1)(k+2)))
    Vec3 acc{};
    for (std::size_t k = 7; k >= 1; --k) {
      const double kd = static_cast<double>(k);
      acc = (acc + b_[k - 1] / ((kd + 1.0) * (kd + 2.0))) * s;
    }
    acc = (acc + 0.5 * a0_) * (s * s);
    return x_ + (h * s) * v_ + h2 * acc;
  };
  auto velocity = [&](double s) {
    Vec3 acc{};
    for (std::size_t k = 7; k >= 1; --k) acc = (acc + b_[k - 1] / (static_cast<double>(k) + 1.0)) * s;
    acc = (acc + a0_) * s;
    return v_ + h * acc;
  };

  const double scale = std::max(MaxAbs(a0_), 1e-300);
  int it = 0;
  for (; it < kMaxIterations; ++it) {
    std::array<Vec3, 7> da;
    for (std::size_t i = 1; i <= 7; ++i) {
      const double s = kRadauSpacings[i];
      da[i - 1] = force_.Acceleration(static_cast<int>(i), position(s), velocity(s)) - a0_;
    }
    std::array<Vec3, 7> nb{};
    for (std::size_t k = 0; k < 7; ++k)
      for (std::size_t i = 0; i < 7; ++i) nb[k] += inv[k][i] * da[i];
    const double change = MaxAbs(nb[6] - b_[6]);
    b_ = nb;
    if (change <= kConvergence * scale && it > 0) break;
  }
  last_iterations_ = it + 1;

  PolynomialPiece piece;
  piece.t0 = t_;
  piece.h = h;
  piece.c[0] = x_;
  piece.c[1] = h * v_;
  piece.c[2] = (0.5 * h2) * a0_;
  for (std::size_t k = 1; k <= 7; ++k) {
    const double kd = static_cast<double>(k);
    piece.c[k + 2] = (h2 / ((kd + 1.0) * (kd + 2.0))) * b_[k - 1];
  }

  const Vec3 x1 = position(1.0), v1 = velocity(1.0);
  t_ = times[kRadauNodes - 1];
  x_ = x1;
  v_ = v1;
  a0_ = force_.Acceleration(kRadauNodes - 1, x_, v_);

  // Predict the next step's polynomial: a(1 + s) of this step, expanded in s.
  std::array<Vec3, 7> next{};
  for (std::size_t j = 1; j <= 7; ++j) {
    double binom = 1.0;  // C(k, j), starting at k = j
    for (std::size_t k = j; k <= 7; ++k) {
      next[j - 1] += binom * b_[k - 1];
      binom = binom * static_cast<double>(k + 1) / static_cast<double>(k + 1 - j);
    }
  }
  b_ = next;
  have_prediction_ = true;
  last_h_ = h;
  return piece;
}

}  // namespace tarnwick
