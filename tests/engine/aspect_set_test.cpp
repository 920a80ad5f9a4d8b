#include "engine/aspect_set.h"

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

TEST(aspect_set, texts_read_as_presets_lists_or_a_reason) {
  struct Row {
    const char* text;
    std::vector<int> angles;  // empty with `refused`
    bool refused = false;
  };
  const std::vector<int> all = {0, 15, 30, 45, 60, 75, 90, 105, 120, 135, 150, 165, 180};
  const Row rows[] = {
      {"", all},
      {"all", all},
      {" ALL ", all},
      {"major", {0, 60, 90, 120, 180}},
      {"Hard", {0, 45, 90, 135, 180}},
      {"none", {}},
      {"0,90,180", {0, 90, 180}},
      {"180 0  90", {0, 90, 180}},
      {"90,90,0,", {0, 90}},
      {"165", {165}},
      {"7", {}, true},
      {"190", {}, true},
      {"-15", {}, true},
      {"90.0", {}, true},
      {"majors", {}, true},
      {"0;90", {}, true},
      {",", {}, true},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.text);
    std::string problem;
    const std::optional<AspectSet> set = ReadAspectSet(r.text, &problem);
    ASSERT_EQ(!set, r.refused);
    if (set) {
      EXPECT_EQ(set->Angles(), r.angles);
      EXPECT_TRUE(problem.empty());
    } else {
      EXPECT_NE(problem.find("multiples of 15"), std::string::npos) << problem;
    }
  }
  std::string problem;
  ASSERT_FALSE(ReadAspectSet("0,7", &problem));
  EXPECT_EQ(problem.substr(0, 4), "\"7\" ") << "names the part at fault: " << problem;
}

// Every one of the 8192 sets is written as a text that reads back as the same set.
TEST(aspect_set, every_set_reads_back_from_its_text) {
  for (int bits = 0; bits < (1 << kAspectSteps); ++bits) {
    std::vector<int> angles;
    for (int k = 0; k < kAspectSteps; ++k) {
      if (bits & (1 << k)) angles.push_back(k * kAspectStepDeg);
    }
    const AspectSet set = AspectSet::Of(angles);
    ASSERT_EQ(set.Angles(), angles);
    const std::optional<AspectSet> back = ReadAspectSet(set.Text());
    ASSERT_TRUE(back) << set.Text();
    ASSERT_EQ(*back, set) << set.Text();
  }
}

TEST(aspect_set, filters_only_where_it_leaves_out_an_aspect_of_the_grid) {
  struct Row {
    const char* text;
    bool filters_15, filters_30;
  };
  const Row rows[] = {
      {"all", false, false},
      {"0,30,60,90,120,150,180", true, false},  // every aspect of the 30-degree grid
      {"major", true, true},
      {"hard", true, true},   // on the 30-degree grid it lists 0, 90 and 180
      {"15,45", true, true},  // nothing of the 30-degree grid: refused by the run
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.text);
    const AspectSet set = *ReadAspectSet(r.text);
    EXPECT_EQ(set.FiltersGrid(true), r.filters_15);
    EXPECT_EQ(set.FiltersGrid(false), r.filters_30);
  }
  EXPECT_EQ(AspectSet::Hard().OnGrid(false).Angles(), (std::vector<int>{0, 90, 180}));
  EXPECT_TRUE(ReadAspectSet("15,45")->OnGrid(false).empty());
}

}  // namespace
}  // namespace tarnwick
