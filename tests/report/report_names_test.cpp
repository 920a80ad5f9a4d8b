#include "report/report_names.h"

#include <gtest/gtest.h>

#include <functional>

namespace tarnwick {
namespace {

const RegionalFormat kUs{DateOrder::MonthDayYear, "/", '.'};

TEST(report_names, initial_settings) {
  RunSettings s;
  EXPECT_EQ(LongitudeReportName(s, kUs), "12012007_12312007_5_3.0_15.0_ggg_mp_15_noRA.txt");
  EXPECT_EQ(DeclinationReportName(s, kUs), "12012007_12312007_5_decl_ggg_mp_15_noRA_geoDecl.txt");
  s.chkAutoCalc = true;
  EXPECT_EQ(LongitudeReportName(s, kUs), "12012007_12312007_5_3.0_15.0_all_3_mp_15_noRA.txt");
  EXPECT_EQ(DeclinationReportName(s, kUs),
            "12012007_12312007_5_decl_all_3_mp_15_noRA_geoDecl.txt");
}

TEST(report_names, each_setting_changes_its_own_part) {
  struct Row {
    const char* name;
    std::function<void(RunSettings&)> change;
    const char* longitude;
    const char* declination;
  };
  const Row rows[] = {
      {"two bodies", [](RunSettings& s) { s.chkUseP3 = false; },
       "12012007_12312007_5_3.0_15.0_gg_mp_15_noRA.txt",
       "12012007_12312007_5_decl_gg_mp_15_noRA_geoDecl.txt"},
      {"all combinations of two bodies",
       [](RunSettings& s) { s.chkUseP3 = false; s.chkAutoCalc = true; },
       "12012007_12312007_5_3.0_15.0_all_2_mp_15_noRA.txt",
       "12012007_12312007_5_decl_all_2_mp_15_noRA_geoDecl.txt"},
      {"heliocentric letters",
       [](RunSettings& s) { s.opt1_ghd = Centre::Helio; s.opt3_ghd = Centre::Helio; },
       "12012007_12312007_5_3.0_15.0_hgh_mp_15_noRA.txt",
       "12012007_12312007_5_decl_hgh_mp_15_noRA_geoDecl.txt"},
      {"near mid-degree", [](RunSettings& s) { s.chkUseMidpoints = false; },
       "12012007_12312007_5_3.0_15.0_ggg_md1_15_noRA.txt",
       "12012007_12312007_5_decl_ggg_md_15_noRA_geoDecl.txt"},
      {"plain mid-degree",
       [](RunSettings& s) { s.chkUseMidpoints = false; s.chkUseNear_and_Far = false; },
       "12012007_12312007_5_3.0_15.0_ggg_md_15_noRA.txt",
       "12012007_12312007_5_decl_ggg_md_15_noRA_geoDecl.txt"},
      {"30-degree grid, right ascension, latitude",
       [](RunSettings& s) {
         s.chkInclude15DegAspects = false;
         s.chkUse_RA = s.chkUseGeoLat = true;
       },
       "12012007_12312007_5_3.0_15.0_ggg_mp_30_RA.txt",
       "12012007_12312007_5_decl_ggg_mp_30_RA_geoLat.txt"},
      {"texts as typed",
       [](RunSettings& s) { s.txtTZ = "-5.5"; s.txtAspectOrb1 = "2"; s.txtAspectOrb2 = ""; },
       "12012007_12312007_-5.5_2__ggg_mp_15_noRA.txt",
       "12012007_12312007_-5.5_decl_ggg_mp_15_noRA_geoDecl.txt"},
      {"one-digit fields read as dates", [](RunSettings& s) { s.txtStartDate = "1/5/2008"; },
       "01052008_12312007_5_3.0_15.0_ggg_mp_15_noRA.txt",
       "01052008_12312007_5_decl_ggg_mp_15_noRA_geoDecl.txt"},
      {"invalid date kept as typed, made safe", [](RunSettings& s) { s.txtEndDate = "12/32/2007"; },
       "12012007_12-32-2007_5_3.0_15.0_ggg_mp_15_noRA.txt",
       "12012007_12-32-2007_5_decl_ggg_mp_15_noRA_geoDecl.txt"},
      {"path separators and parent folders",
       [](RunSettings& s) { s.txtTZ = "../../etc/x"; s.txtAspectOrb1 = "a\\b"; },
       "12012007_12312007_..-..-etc-x_a-b_15.0_ggg_mp_15_noRA.txt",
       "12012007_12312007_..-..-etc-x_decl_ggg_mp_15_noRA_geoDecl.txt"},
      {"control and reserved characters",
       [](RunSettings& s) { s.txtTZ = "5\r\n\t\x7f:*?\"<>|\xe9"; },
       "12012007_12312007_5------------_3.0_15.0_ggg_mp_15_noRA.txt",
       "12012007_12312007_5------------_decl_ggg_mp_15_noRA_geoDecl.txt"},
  };
  for (const Row& r : rows) {
    RunSettings s;
    r.change(s);
    EXPECT_EQ(LongitudeReportName(s, kUs), r.longitude) << r.name;
    EXPECT_EQ(DeclinationReportName(s, kUs), r.declination) << r.name;
  }
}

TEST(report_names, dates_read_in_the_regional_order_always_name_month_first) {
  RunSettings s;
  s.txtStartDate = "01.12.2007";
  s.txtEndDate = "31.12.2007";
  const RegionalFormat de{DateOrder::DayMonthYear, ".", ','};
  EXPECT_EQ(LongitudeReportName(s, de), "12012007_12312007_5_3.0_15.0_ggg_mp_15_noRA.txt");
  s.txtStartDate = "2007/12/01";
  s.txtEndDate = "2007/12/31";
  EXPECT_EQ(DeclinationReportName(s, {DateOrder::YearMonthDay, "/", '.'}),
            "12012007_12312007_5_decl_ggg_mp_15_noRA_geoDecl.txt");
}

TEST(report_names, safe_name_never_leaves_the_folder) {
  struct Row {
    const char* in;
    const char* out;
  };
  const Row rows[] = {
      {".", "-"},          {"..", "-"},         {".hidden_x.txt", "-hidden_x.txt"},
      {"a/b", "a-b"},      {"/abs", "-abs"},    {"3.0_-5.5_ok.txt", "3.0_-5.5_ok.txt"},
      {"", ""},
  };
  for (const Row& r : rows) EXPECT_EQ(SafeFileName(r.in), r.out) << '"' << r.in << '"';
}

}  // namespace
}  // namespace tarnwick
