#include "report/report_names.h"

#include <gtest/gtest.h>

#include <functional>
#include <tuple>

namespace tarnwick {
namespace {

const RegionalFormat kUs{DateOrder::MonthDayYear, "/", '.'};

TEST(report_names, each_setting_changes_its_own_part) {
  using Change = std::function<void(RunSettings&)>;
  // Longitude and declination names without their common head "12012007_12312007_". Two
  // bodies on one centre each ("gg"): the golden reports' names.
  const std::tuple<Change, const char*, const char*> rows[] = {
      {[](RunSettings&) {}, "5_3.0_15.0_ggg_mp_15_noRA.txt", "5_decl_ggg_mp_15_noRA_geoDecl.txt"},
      {[](RunSettings& s) { s.chkAutoCalc = true; }, "5_3.0_15.0_all_3_mp_15_noRA.txt",
       "5_decl_all_3_mp_15_noRA_geoDecl.txt"},
      {[](RunSettings& s) { s.chkUseP3 = false; s.chkAutoCalc = true; },
       "5_3.0_15.0_all_2_mp_15_noRA.txt", "5_decl_all_2_mp_15_noRA_geoDecl.txt"},
      {[](RunSettings& s) { s.opt1_ghd = s.opt3_ghd = Centre::Helio; },
       "5_3.0_15.0_hgh_mp_15_noRA.txt", "5_decl_hgh_mp_15_noRA_geoDecl.txt"},
      {[](RunSettings& s) { s.chkUseMidpoints = false; }, "5_3.0_15.0_ggg_md1_15_noRA.txt",
       "5_decl_ggg_md_15_noRA_geoDecl.txt"},  // the near rule is not in declination names
      {[](RunSettings& s) { s.chkUseMidpoints = s.chkUseNear_and_Far = false; },
       "5_3.0_15.0_ggg_md_15_noRA.txt", "5_decl_ggg_md_15_noRA_geoDecl.txt"},
      {[](RunSettings& s) { s.chkInclude15DegAspects = false; s.chkUse_RA = s.chkUseGeoLat = true; },
       "5_3.0_15.0_ggg_mp_30_RA.txt", "5_decl_ggg_mp_30_RA_geoLat.txt"},
      {[](RunSettings& s) { s.txtTZ = "-5.5"; s.txtAspectOrb1 = "2"; s.txtAspectOrb2 = ""; },
       "-5.5_2__ggg_mp_15_noRA.txt", "-5.5_decl_ggg_mp_15_noRA_geoDecl.txt"},  // as typed
      {[](RunSettings& s) { s.txtTZ = "../../etc/x"; s.txtAspectOrb1 = "a\\b"; },
       "..-..-etc-x_a-b_15.0_ggg_mp_15_noRA.txt", "..-..-etc-x_decl_ggg_mp_15_noRA_geoDecl.txt"},
      {[](RunSettings& s) { s.txtTZ = "5\r\n\t\x7f:*?\"<>|\xe9"; },
       "5------------_3.0_15.0_ggg_mp_15_noRA.txt", "5------------_decl_ggg_mp_15_noRA_geoDecl.txt"},
  };
  for (const auto& [change, longitude, declination] : rows) {
    RunSettings s;
    change(s);
    EXPECT_EQ(LongitudeReportName(s, kUs), std::string("12012007_12312007_") + longitude);
    EXPECT_EQ(DeclinationReportName(s, kUs), std::string("12012007_12312007_") + declination);
  }
}

// A set of aspects shows in the longitude name only while it leaves out aspects of the grid;
// the declination name never carries it (a declination run lists every parallel).
TEST(report_names, aspect_set_only_when_in_force) {
  struct Row {
    const char* set;
    bool grid15;
    const char* tail;
  };
  const Row rows[] = {
      {"", true, "_15_noRA.txt"},
      {"all", true, "_15_noRA.txt"},
      {"major", true, "_15_noRA_aspects_major.txt"},
      {"Hard", false, "_30_noRA_aspects_hard.txt"},
      {"180, 0,90", true, "_15_noRA_aspects_0-90-180.txt"},
      {"0,30,60,90,120,150,180", false, "_30_noRA.txt"},  // the whole 30-degree grid
      {"0,30,60,90,120,150,180", true, "_15_noRA_aspects_0-30-60-90-120-150-180.txt"},
      {"0/9", true, "_15_noRA_aspects_0-9.txt"},  // no set: as typed, made safe
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.set);
    RunSettings s;
    s.txtAspectSet = r.set;
    s.chkInclude15DegAspects = r.grid15;
    EXPECT_EQ(LongitudeReportName(s, kUs), std::string("12012007_12312007_5_3.0_15.0_ggg_mp") + r.tail);
    EXPECT_EQ(DeclinationReportName(s, kUs), std::string("12012007_12312007_5_decl_ggg_mp") +
                                                 (r.grid15 ? "_15" : "_30") + "_noRA_geoDecl.txt");
  }
}

// Whatever the texts, fuzz_report_name holds each name, and SafeFileName of any text, to one
// plain file name directly inside the data folder.
TEST(report_names, dates_read_in_the_regional_order_and_kept_as_typed_when_invalid) {
  const std::tuple<const char*, const char*, RegionalFormat, const char*> rows[] = {
      {"01.12.2007", "31.12.2007", {DateOrder::DayMonthYear, ".", ','}, "12012007_12312007"},
      {"1/5/2008", "12/32/2007", kUs, "01052008_12-32-2007"},
      {"", "..", kUs, "_.."},  // only the whole name must not be "." or ".."
  };
  for (const auto& [start, end, format, dates] : rows) {
    RunSettings s;
    s.txtStartDate = start;
    s.txtEndDate = end;
    EXPECT_EQ(DeclinationReportName(s, format), std::string(dates) + "_5_decl_ggg_mp_15_noRA_geoDecl.txt");
  }
}

}  // namespace
}  // namespace tarnwick
