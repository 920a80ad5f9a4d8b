// The equations of motion of a minor body in the solar system: Newtonian attraction of the
// Sun, the planets, Pluto, Ceres, Pallas and Vesta (their positions from the Swiss
// Ephemeris) plus the Sun's relativistic term. Frame: barycentric ICRF, au, days (TDB).
#pragma once

#include <array>
#include <string>
#include <vector>

#include "core/orbit/radau_integrator.h"

namespace tarnwick {

// A body whose attraction is modelled.
struct Perturber {
  int body_number;  // Swiss Ephemeris body number
  double gm;        // GM in au^3/day^2
};

// The perturbers for integrating the minor body `own_body_number` (the Swiss Ephemeris
// number of the same body among Ceres, Pallas and Vesta is left out). The Sun comes first.
std::vector<Perturber> PerturbersFor(int own_body_number);

// The Swiss Ephemeris flags for barycentric geometric positions in the ICRF, as
// rectangular coordinates in au (and au/day with SEFLG_SPEED).
int BarycentricIcrfFlags();

// Force model over the Swiss Ephemeris. The library keeps its state per thread: the thread
// that integrates must have set the ephemeris path. Perturbers the library cannot compute
// at the first step (an asteroid without its file) are left out for the whole
// integration; asteroid perturbers outside their file's years are held at the nearest year
// it covers (their pull changes little over the few days concerned).
class SolarSystemForce final : public SecondOrderForce {
 public:
  explicit SolarSystemForce(std::vector<Perturber> perturbers);

  void PrepareStep(const std::array<double, kRadauNodes>& times) override;
  Vec3 Acceleration(int node, const Vec3& x, const Vec3& v) override;

  // Names of perturbers left out, empty when all are used.
  const std::string& left_out() const { return left_out_; }

 private:
  bool Fetch(const Perturber& p, double t, Vec3& pos, Vec3* vel);

  std::vector<Perturber> perturbers_;
  bool probed_ = false;
  std::string left_out_;
  // positions_[node][j]: perturber j at sample `node`; the Sun's velocity per sample.
  std::array<std::vector<Vec3>, kRadauNodes> positions_;
  std::array<Vec3, kRadauNodes> sun_velocity_{};
  std::array<double, kRadauNodes> times_{};
  bool have_times_ = false;
};

}  // namespace tarnwick
