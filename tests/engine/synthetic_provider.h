// A position provider with made-up motions: each body moves linearly in longitude and in
// declination, the same for both centres. Lets the solvers and scans be tested on motions
// whose exact moments are known in closed form.
#pragma once

#include <map>
#include <set>
#include <string>

#include "core/position_provider.h"

namespace tarnwick {

struct LinearMotion {
  double lon0 = 0.0;       // degrees at t0 (may lie outside [0, 360); reduced on output)
  double lon_speed = 0.0;  // degrees per day
  double decl0 = 0.0;
  double decl_speed = 0.0;
};

class SyntheticProvider : public PositionProvider {
 public:
  explicit SyntheticProvider(double t0 = 0.0) : t0_(t0) {}

  std::map<int, LinearMotion> bodies;
  std::set<int> unavailable;

  double Get_1_Planet_geo(double t, int body) override { return Lon(t, body); }
  double Get_1_Planet_helio(double t, int body) override { return Lon(t, body); }
  double Get_1_Planet_decl(double t, int body) override { return Decl(t, body); }
  double Get_1_Planet_latitude(double t, int body) override { return Decl(t, body); }
  BodyAvailability Availability(int body, Centre, double) override {
    if (!unavailable.count(body)) return {};
    return {BodyAvailability::Source::Unavailable, "file for body " + std::to_string(body) + " not found"};
  }

 private:
  double Lon(double t, int body) {
    const LinearMotion& m = bodies[body];
    last_daily_motion_ = m.lon_speed;
    const double x = m.lon0 + m.lon_speed * (t - t0_);
    return x - 360.0 * std::floor(x / 360.0);
  }
  double Decl(double t, int body) {
    const LinearMotion& m = bodies[body];
    last_daily_motion_ = m.decl_speed;
    return m.decl0 + m.decl_speed * (t - t0_);
  }
  double t0_;
};

}  // namespace tarnwick
