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
      {"7", {}, true},
      {"190", {}, true},
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
      EXPECT_EQ(ReadAspectSet(set->Text()), set) << set->Text();  // written back alike
      EXPECT_TRUE(problem.empty());
    } else {
      EXPECT_NE(problem.find("multiples of 15"), std::string::npos) << problem;
    }
  }
  std::string problem;
  ASSERT_FALSE(ReadAspectSet("0,7", &problem));
  EXPECT_EQ(problem.substr(0, 4), "\"7\" ") << "names the part at fault: " << problem;
}

// Only a set that leaves out an aspect of the run's grid filters (and names the report).
TEST(aspect_set, filters_only_where_it_leaves_out_an_aspect_of_the_grid) {
  const AspectSet thirties = *ReadAspectSet("0,30,60,90,120,150,180");
  EXPECT_FALSE(AspectSet::All().FiltersGrid(true) || thirties.FiltersGrid(false));
  EXPECT_TRUE(thirties.FiltersGrid(true) && AspectSet::Hard().FiltersGrid(false));
  EXPECT_EQ(AspectSet::Hard().OnGrid(false).Angles(), (std::vector<int>{0, 90, 180}));
  EXPECT_TRUE(ReadAspectSet("15,45")->OnGrid(false).empty());
}

}  // namespace
}  // namespace tarnwick
