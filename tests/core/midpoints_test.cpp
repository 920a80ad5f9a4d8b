#include "core/midpoints.h"

#include <gtest/gtest.h>

#include "core/angles.h"

namespace tarnwick {
namespace {

constexpr double kEps = 1e-9;  // degrees; all cases are exact up to rounding of the inputs

TEST(midpoints, midpoint_on_the_shorter_arc) {
  struct Row {
    double a, b, expected;
  };
  const Row rows[] = {
      {100, 200, 150}, {200, 100, 150}, {10, 350, 0},  {350, 20, 5},
      {0, 180, 90},    {0, 180.0002, 270.0001},         {359.9, 0.1, 0},
      {90, 90, 90},
  };
  for (const Row& r : rows) {
    EXPECT_NEAR(ArcDistance(Find_Midpoint(r.a, r.b), r.expected), 0.0, kEps) << r.a << " " << r.b;
    const double m = Find_Midpoint(r.a, r.b);
    EXPECT_TRUE(m >= 0.0 && m < 360.0);
  }
}

TEST(midpoints, mid_degree_with_and_without_the_near_rule) {
  struct Row {
    double a, b, with_near, without;
  };
  const Row rows[] = {
      {5, 25, 0, 15},  {25, 5, 0, 15}, {2, 24, 28, 13}, {35, 55, 0, 15},
      {8, 24, 16, 16}, {7.5, 23, 15.25, 15.25}, {7, 22.5, 14.75, 14.75},
  };
  for (const Row& r : rows) {
    EXPECT_NEAR(Find_Middegree(r.a, r.b, true), r.with_near, kEps) << r.a << " " << r.b;
    EXPECT_NEAR(Find_Middegree(r.a, r.b, false), r.without, kEps) << r.a << " " << r.b;
  }
}

TEST(midpoints, reductions_and_declination_mean) {
  EXPECT_DOUBLE_EQ(Reduce_to_under_30(-5), 25);
  EXPECT_DOUBLE_EQ(Reduce_to_under_15(37), 7);
  EXPECT_NEAR(Reduce_to_under_30(359.9), 29.9, kEps);
  EXPECT_DOUBLE_EQ(Reduce_to_under_360(-0.5), 359.5);
  EXPECT_DOUBLE_EQ(Reduce_to_under_360(720.25), 0.25);
  EXPECT_DOUBLE_EQ(Find_Midpoint_declination(-10, 20), 5);
}

}  // namespace
}  // namespace tarnwick
