#include "engine/aspects.h"

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

TEST(aspects, classifiers_over_both_sets) {
  struct Row { const char* name; double a, b; float orb; const char *full, *major; };
  const Row rows[] = {
      {"square", 10, 100, 3, "090", "090"},
      {"order of a and b does not matter", 100, 10, 3, "090", "090"},
      {"separation 20 across 0, orb 3", 10, 350, 3, "   ", "   "},
      {"separation 20 across 0, orb 5", 10, 350, 5, "015", "   "},
      {"separation 177 is an opposition", 0, 177, 3, "180", "180"},
      {"separation 176.9 is nothing", 0, 176.9, 3, "   ", "   "},
      {"lower angle wins where windows overlap", 0, 22, 8, "015", "030"},
      {"bounds are inclusive: exactly the orb", 0, 63, 3, "060", "060"},
      {"zero orb hits only exact angles", 0, 45, 0, "045", "   "},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(Find_this_aspect(r.a, r.b, r.orb), r.full) << r.name;
    EXPECT_EQ(Find_this_major_aspect(r.a, r.b, r.orb), r.major) << r.name;
  }
}

TEST(aspects, degree_in_sign_texts) {
  struct Row { double x; const char* text; };
  const Row rows[] = {
      {45.27, "15.3 (02)"}, {0, "00.0 (01)"},     {359.97, "30.0 (12)"}, {5.04, "05.0 (01)"},
      {29.95, "30.0 (01)"}, {29.94, "29.9 (01)"}, {30, "00.0 (02)"},     {249.4, "09.4 (09)"},
      {360.0, "00.0 (01)"},  // 359.99999999999999 written with 15 digits and read back
  };
  // Always ".", whatever the locale: report_lines, through the whole longitude line.
  for (const Row& r : rows) EXPECT_EQ(Reduce_to_under_30_with_sign(r.x), r.text) << r.x;
}

}  // namespace
}  // namespace tarnwick
