#include "engine/secant_solver.h"

#include <gtest/gtest.h>

#include "tests/engine/synthetic_provider.h"

namespace tarnwick {
namespace {

constexpr double kTol = 0.00007;  // days, the scans' tolerance
constexpr double kRootErrDays = 1e-6;

// ---- The shared iteration, driven by scripted target values -----------------------------

struct Scripted {
  double f1, f0;
  int passes = 0;
  std::pair<double, double> operator()(double, double) {
    ++passes;
    return {f1, f0};
  }
};

TEST(secant_iteration, limits_and_failures) {
  struct Row {
    const char* name;
    double x0, x1, f1, f0;
    int limit;
    double result;  // 0.0 = failure
    int passes;
  };
  const Row rows[] = {
      // f1 = 1, f0 = 0 swaps the two points forever with a step of one window.
      {"no convergence within 100 passes", 0.0, 1.0, 1.0, 0.0, 100, 0.0, 100},
      {"a step of exactly 1.001 days fails", 0.0, 1.001, 1.0, 0.0, 100, 0.0, 1},
      {"a step just below 1.001 days goes on", 0.0, 1.0009, 1.0, 0.0, 2, 0.0, 2},
      {"a jump above 20 degrees fails from the second pass", 0.0, 0.5, 25.0, 0.0, 100, 0.0, 2},
      {"a change of exactly 20 degrees is no jump", 0.0, 0.5, 20.0, 0.0, 7, 0.0, 7},
      {"equal values give the middle at once", 10.0, 11.0, 3.0, 3.0, 100, 10.5, 1},
  };
  for (const Row& r : rows) {
    Scripted targets{r.f1, r.f0};
    const SecantOutcome out = SecantIterate(r.x0, r.x1, kTol, r.limit, targets);
    EXPECT_EQ(out.jd, r.result) << r.name;
    EXPECT_EQ(targets.passes, r.passes) << r.name;
  }
}

TEST(secant_iteration, convergence_returns_x1_without_the_last_step) {
  // The root lies a microsecond before x1: the first step is below the tolerance.
  const double root = 1.0 - 1e-6;
  const auto f = [&](double x1, double x0) { return std::pair{x1 - root, x0 - root}; };
  const SecantOutcome out = SecantIterate(0.0, 1.0, kTol, 100, f);
  EXPECT_EQ(out.jd, 1.0);
  EXPECT_NEAR(out.residual, 1e-6, 1e-12);
}

// ---- The two target functions on synthetic motions --------------------------------------

SolverProblem TwoBody(bool grid15) {
  return {{0, 1, 1}, {Centre::Geo, Centre::Geo, Centre::Geo}, true, true, grid15};
}

TEST(longitude_solver, roots_across_the_grid_boundary) {
  struct Row {
    const char* name;
    bool grid15;
    double p1_from;   // P1 moves one degree a day from here
    double partner;   // fixed
    double f0, f1;    // targets of the first pass
  };
  const Row rows[] = {
      {"15-degree grid: 14.5 to 15.5, partner 0.2", true, 14.5, 0.2, -0.7, 0.3},
      {"30-degree grid: 29.5 to 30.5, partner 0.2", false, 29.5, 0.2, -0.7, 0.3},
      {"a square is the same root as a conjunction", false, 29.5 + 90, 0.2, -0.7, 0.3},
  };
  for (const Row& r : rows) {
    SyntheticProvider eph;
    eph.bodies[0] = {r.p1_from, 1.0};
    eph.bodies[1] = {r.partner, 0.0};
    const SolverProblem p = TwoBody(r.grid15);
    const auto [f1, f0] = LongitudeTargets(eph, p, 1.0, 0.0);
    EXPECT_NEAR(f0, r.f0, 1e-9) << r.name;
    EXPECT_NEAR(f1, r.f1, 1e-9) << r.name;
    const SecantOutcome out = SecantMethod(eph, p, 0.0, 1.0, kTol, 100);
    EXPECT_NEAR(out.jd, 0.7, kRootErrDays) << r.name;  // 0.7 of the way from x0 to x1
  }
}

TEST(longitude_solver, a_change_of_exactly_the_threshold_is_no_wrap) {
  const SolverProblem p15 = TwoBody(true);
  // P1 from 1 to 9 on the 15-degree grid: a change of 8, the threshold itself.
  auto [f1, f0] = LongitudeTargetsFrom(p15, {9, 0, 0}, {1, 0, 0});
  EXPECT_DOUBLE_EQ(f0, 1.0);
  EXPECT_DOUBLE_EQ(f1, 9.0);
  // Any larger change is taken as a wrap: 1 is lifted to 16, then the far line brings both back.
  std::tie(f1, f0) = LongitudeTargetsFrom(p15, {9.5, 0, 0}, {1, 0, 0});
  EXPECT_DOUBLE_EQ(f0, 1.0);
  EXPECT_DOUBLE_EQ(f1, -5.5);
  // The same on the 30-degree grid with its threshold of 22.
  const SolverProblem p30 = TwoBody(false);
  std::tie(f1, f0) = LongitudeTargetsFrom(p30, {23, 0, 0}, {1, 0, 0});
  EXPECT_DOUBLE_EQ(f1 - f0, 22.0);
  std::tie(f1, f0) = LongitudeTargetsFrom(p30, {23.5, 0, 0}, {1, 0, 0});
  EXPECT_DOUBLE_EQ(f1 - f0, -7.5);
}

TEST(declination_solver, mid_degree_and_midpoint_partners) {
  // P2 at +10 and P3 at -4 degrees; P1 rises from 0 to 10 degrees over the day.
  SyntheticProvider eph;
  eph.bodies[0] = {0, 0, 0.0, 10.0};
  eph.bodies[1] = {0, 0, 10.0, 0.0};
  eph.bodies[2] = {0, 0, -4.0, 0.0};
  SolverProblem p{{0, 1, 2}, {Centre::Geo, Centre::Geo, Centre::Helio}, false, true, true};
  EXPECT_NEAR(SecantMethod_DECL(eph, p, 0.0, 1.0, kTol, 100).jd, 0.7, kRootErrDays);  // |P1| = 7
  p.use_midpoints = true;
  EXPECT_NEAR(SecantMethod_DECL(eph, p, 0.0, 1.0, kTol, 100).jd, 0.3, kRootErrDays);  // |P1| = 3
  // A contra-parallel counts like a parallel: P1 falls from 0 to -10 and reaches -3.
  eph.bodies[0].decl_speed = -10.0;
  EXPECT_NEAR(SecantMethod_DECL(eph, p, 0.0, 1.0, kTol, 100).jd, 0.3, kRootErrDays);
}

}  // namespace
}  // namespace tarnwick
