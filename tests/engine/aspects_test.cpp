// The aspects of the grid, the sets of them a run may list, and the daily time texts.
#include <gtest/gtest.h>

#include <optional>

#include "engine/aspect_set.h"
#include "engine/aspects.h"
#include "engine/run_settings.h"

namespace tarnwick {
namespace {

TEST(aspects, classifiers_over_both_sets_and_degree_in_sign_texts) {
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
  struct Degree { double x; const char* text; };
  const Degree degrees[] = {
      {45.27, "15.3 (02)"}, {0, "00.0 (01)"},     {359.97, "30.0 (12)"}, {5.04, "05.0 (01)"},
      {29.95, "30.0 (01)"}, {29.94, "29.9 (01)"}, {30, "00.0 (02)"},     {249.4, "09.4 (09)"},
      {360.0, "00.0 (01)"},  // 359.99999999999999 written with 15 digits and read back
  };
  // Always ".", whatever the locale: report_lines, through the whole longitude line.
  for (const Degree& r : degrees) EXPECT_EQ(Reduce_to_under_30_with_sign(r.x), r.text) << r.x;
}

TEST(aspect_set, texts_read_as_presets_lists_or_a_reason_and_filter_where_they_leave_out_an_aspect) {
  // angles: empty with `refused`.
  struct Row { const char* text; std::vector<int> angles; bool refused = false; };
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
  // Only a set that leaves out an aspect of the run's grid filters (and names the report).
  const AspectSet thirties = *ReadAspectSet("0,30,60,90,120,150,180");
  EXPECT_FALSE(AspectSet::All().FiltersGrid(true) || thirties.FiltersGrid(false));
  EXPECT_TRUE(thirties.FiltersGrid(true) && AspectSet::Hard().FiltersGrid(false));
  EXPECT_EQ(AspectSet::Hard().OnGrid(false).Angles(), (std::vector<int>{0, 90, 180}));
  EXPECT_TRUE(ReadAspectSet("15,45")->OnGrid(false).empty());
}

// The number rules themselves (leading number, whole-text decimal) are tested with
// number_text, and fuzz_run_texts holds orbs and time zones to them; here only what a time
// of day adds: a colon (or the regional decimal sign) reads like the point, and the text is
// a time of day or nothing, since a number such as 1130 would silently hide the whole day.
TEST(run_settings, daily_time_texts) {
  struct Row { const char* text; char point; std::optional<double> value; };
  const Row times[] = {
      {"10:59", '.', 10.59}, {"10.23", '.', 10.23},        {"0.05", '.', 0.05},
      {" 9:05 ", '.', 9.05}, {"10", '.', 10.0},            {"10.5", '.', 10.5},
      {"24:00", '.', 24.0},  {"10,30", ',', 10.30},        {"1:2:3", '.', std::nullopt},
      {"-1", '.', std::nullopt},     {"1130", '.', std::nullopt},   {"2599", '.', std::nullopt},
      {"25.00", '.', std::nullopt},  {"10:60", '.', std::nullopt},  {"10.7", '.', std::nullopt},
      {"24.30", '.', std::nullopt},  {"10.305", '.', std::nullopt}, {"10,30", '.', std::nullopt},
      {":30", '.', std::nullopt},    {"", '.', std::nullopt},
  };
  for (const Row& r : times) {
    EXPECT_EQ(DailyTimeValue(r.text, r.point), r.value) << '"' << r.text << "\" with " << r.point;
  }
}

}  // namespace
}  // namespace tarnwick
