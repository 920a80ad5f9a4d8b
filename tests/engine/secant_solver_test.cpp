#include "engine/secant_solver.h"

#include <gtest/gtest.h>

#include "tests/engine/synthetic_provider.h"

namespace tarnwick {
namespace {

constexpr double kTol = 0.00007;  // days, the scans' tolerance
constexpr double kRootErrDays = 1e-6;

// ---- The shared iteration, driven by scripted target values -----------------------------

TEST(secant_iteration, limits_and_failures) {
  // The targets f1 and f0 are the same at every pass; a result of 0.0 is a failure.
  struct Row { const char* name; double x0, x1, f1, f0; int limit; double result; int passes; };
  const Row rows[] = {
      // f1 = 1, f0 = 0 swaps the two points forever with a step of one window.
      {"no convergence within 100 passes", 0.0, 1.0, 1.0, 0.0, 100, 0.0, 100},
      {"a step of exactly 1.001 days fails", 0.0, 1.001, 1.0, 0.0, 100, 0.0, 1},
      {"a step just below 1.001 days goes on", 0.0, 1.0009, 1.0, 0.0, 2, 0.0, 2},
      {"a jump above 20 degrees fails from the second pass", 0.0, 0.5, 25.0, 0.0, 100, 0.0, 2},
      {"a change of exactly 20 degrees is no jump", 0.0, 0.5, 20.0, 0.0, 7, 0.0, 7},
      {"equal values give the middle at once", 10.0, 11.0, 3.0, 3.0, 100, 10.5, 1},
      // A step of about 1e-6 days is below the tolerance: x1 is the moment, the step unapplied.
      {"convergence returns x1", 0.0, 1.0, 1e-6, -1.0, 100, 1.0, 1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    int passes = 0;
    const SecantOutcome out = SecantIterate(r.x0, r.x1, kTol, r.limit, [&](double, double) {
      ++passes;
      return std::pair{r.f1, r.f0};
    });
    EXPECT_EQ(out.jd, r.result);
    EXPECT_EQ(out.residual, r.result == 0.0 ? 0.0 : r.f1);  // the target of the final pass
    EXPECT_EQ(passes, r.passes);
  }
}

// ---- The two target functions on synthetic motions --------------------------------------

SolverProblem TwoBody(bool grid15) {
  return {{0, 1, 1}, {Centre::Geo, Centre::Geo, Centre::Geo}, true, true, grid15};
}

TEST(longitude_solver, roots_across_the_grid_boundary) {
  // P1 moves one degree a day from p1_from, the partner stays at 0.2; f0 and f1 are the
  // targets of the first pass.
  struct Row { const char* name; bool grid15; double p1_from, f0, f1; };
  const Row rows[] = {
      {"15-degree grid: 14.5 to 15.5", true, 14.5, -0.7, 0.3},
      {"30-degree grid: 29.5 to 30.5", false, 29.5, -0.7, 0.3},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    SyntheticProvider eph;
    eph.bodies[0] = {r.p1_from, 1.0};
    eph.bodies[1] = {0.2, 0.0};
    const SolverProblem p = TwoBody(r.grid15);
    const auto [f1, f0] = LongitudeTargets(eph, p, 1.0, 0.0);
    EXPECT_NEAR(f0, r.f0, 1e-9);
    EXPECT_NEAR(f1, r.f1, 1e-9);
    EXPECT_NEAR(SecantMethod(eph, p, 0.0, 1.0, kTol, 100).jd, 0.7, kRootErrDays);
  }
}

// P1 moves from `at_x0` to `at_x1` against a partner at 0. A change above the threshold (8
// degrees on the 15-degree grid, 22 on the 30-degree one) is a wrap: the lower value is lifted
// by a grid step, and a target then beyond the far grid line is brought back by one step.
TEST(longitude_solver, wrap_threshold_and_far_grid_line) {
  struct Row { bool grid15; double at_x1, at_x0, f1, f0; };
  const Row rows[] = {
      {true, 9.0, 1.0, 9.0, 1.0},      // a change of exactly the threshold is no wrap
      {true, 9.5, 1.0, -5.5, 1.0},     // 1 lifted to 16, then both shifted back by 15
      {false, 23.0, 1.0, 23.0, 1.0},
      {false, 23.5, 1.0, -6.5, 1.0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.at_x0 << " to " << r.at_x1 << ", grid15 " << r.grid15);
    const auto [f1, f0] = LongitudeTargetsFrom(TwoBody(r.grid15), {r.at_x1, 0, 0}, {r.at_x0, 0, 0});
    EXPECT_DOUBLE_EQ(f1, r.f1);
    EXPECT_DOUBLE_EQ(f0, r.f0);
  }
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
