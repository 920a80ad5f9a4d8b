#include "report/report_lines.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tarnwick {
namespace {

constexpr Centre g = Centre::Geo;
constexpr Centre h = Centre::Helio;
constexpr int kSun = 0, kMoon = 1, kMars = 4, kJupiter = 5, kSaturn = 6;

const RegionalFormat kUs{DateOrder::MonthDayYear, "/", '.'};

FoundAspect Row(std::array<int, 3> body, std::array<Centre, 3> centre, std::string date,
                std::string time, std::array<double, 3> position, double jd_ut = 0.0) {
  FoundAspect row;
  row.body = body;
  row.centre = centre;
  row.date_text = std::move(date);
  row.time_text = std::move(time);
  row.position = position;
  row.jd_ut = jd_ut;
  return row;
}

TEST(report_lines, declination_value_texts) {
  struct Case {
    double value;
    char point;
    const char* text;
  };
  const Case cases[] = {
      {5.25, '.', " 05.250"},   {-0.5, '.', "-00.500"},  {23.4419, '.', " 23.442"},
      {0.0, '.', " 00.000"},    {-0.0004, '.', " 00.000"},  // shows zero, so no minus
      {-22.4569, '.', "-22.457"}, {5.25, ',', " 05,250"},   {-2.0, ',', "-02,000"},
      {123.4564, '.', " 123.456"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DeclinationValueText(c.value, c.point), c.text) << c.value;
  }
}

TEST(report_lines, longitude_two_body_line) {
  RunSettings s;
  s.chkUseP3 = false;
  const FoundAspects rows = {
      Row({kSun, kMoon, kMoon}, {g, g, g}, "12/01/2007", "10:23", {249.4, 69.4, 69.4})};
  EXPECT_EQ(Display_Aspects_longitude(rows, s, kUs),
            "g. Sun      g. Moon     12/01/2007 10:23  09.4 (09) 09.4 (03)  180\r\n");

  // Outside orb 1 the code is three blanks; the regional decimal sign reaches the positions.
  s.txtAspectOrb1 = "1.5abc";  // leading-number rule: 1.5
  const FoundAspects off = {
      Row({kSun, kMoon, kMoon}, {h, g, g}, "01.12.2007", "10:23", {249.4, 67.3, 67.3})};
  EXPECT_EQ(Display_Aspects_longitude(off, s, {DateOrder::DayMonthYear, ".", ','}),
            "h. Sun      g. Moon     01.12.2007 10:23  09,4 (09) 07,3 (03)     \r\n");
}

TEST(report_lines, longitude_triple_line_forms) {
  // P1 10, P2 100, P3 190: P1-P2 90, P1-P3 180, P2-P3 90; midpoint of P2 and P3 is 145,
  // 135 from P1.
  const FoundAspects rows = {Row({kMars, kSun, kJupiter}, {g, g, h}, "12/05/2007", "14:23",
                                 {10.0, 100.0, 190.0})};
  const std::string head =
      "g. Mars     g. Sun      h. Jupiter   12/05/2007 14:23  10.0 (01) 10.0 (04) 10.0 (07) ";
  struct Case {
    const char* name;
    bool midpoint_form;
    const char* orb2;
    std::string tail;
  };
  const Case cases[] = {
      {"three codes, all with orb 1", false, "15.0", " 090 180 090\r\n"},
      {"P1 to the midpoint, major aspect of the partners", true, "15.0", "   135 (090)\r\n"},
      {"major aspect exact with orb 2 of 0", true, "0", "   135 (090)\r\n"},
  };
  for (const Case& c : cases) {
    RunSettings s;
    s.chkDisplayP1_P2P3_mp_aspects = c.midpoint_form;
    s.txtAspectOrb2 = c.orb2;
    EXPECT_EQ(Display_Aspects_longitude(rows, s, kUs), head + c.tail) << c.name;
  }

  // Partners 95 apart: no major aspect within orb 2 of 3; P1 137.5 from their midpoint.
  RunSettings narrow;
  narrow.txtAspectOrb2 = "3";
  const FoundAspects none = {Row({kMars, kSun, kJupiter}, {g, g, h}, "12/05/2007", "14:23",
                                 {10.0, 100.0, 195.0})};
  EXPECT_EQ(Display_Aspects_longitude(none, narrow, kUs),
            "g. Mars     g. Sun      h. Jupiter   12/05/2007 14:23  10.0 (01) 10.0 (04) 15.0 (07) "
            "   135 (   )\r\n");

  // Midpoint across 0 degrees: 350 and 30 meet at 10, where P1 stands: conjunction.
  RunSettings s;
  const FoundAspects wrap = {Row({kMars, kSun, kSaturn}, {g, g, g}, "12/05/2007", "14:23",
                                 {10.0, 350.0, 30.0})};
  EXPECT_EQ(Display_Aspects_longitude(wrap, s, kUs),
            "g. Mars     g. Sun      g. Saturn    12/05/2007 14:23  10.0 (01) 20.0 (12) 00.0 (02)"
            "    000 (030)\r\n");
}

TEST(report_lines, positions_are_read_as_the_table_stored_them) {
  // A double just below 120 is stored as "120": sign 5 at 00.0, not "30.0 (04)".
  const double below = std::nextafter(120.0, 0.0);
  EXPECT_EQ(AsTableValue(below), 120.0);
  EXPECT_EQ(AsTableValue(0.1 + 0.2), 0.3);
  EXPECT_EQ(AsTableValue(249.4), 249.4);
  RunSettings s;
  s.chkUseP3 = false;
  const FoundAspects rows = {
      Row({kSun, kMoon, kMoon}, {g, g, g}, "12/01/2007", "10:23", {below, 300.0, 300.0})};
  EXPECT_EQ(Display_Aspects_longitude(rows, s, kUs),
            "g. Sun      g. Moon     12/01/2007 10:23  00.0 (05) 00.0 (11)  180\r\n");
}

TEST(report_lines, declination_lines) {
  RunSettings two;
  two.chkUseP3 = false;
  const FoundAspects contra = {
      Row({kSun, kMoon, kMoon}, {g, g, g}, "12/05/2007", "14:23", {-22.4569, 22.4569, 22.4569})};
  const std::string line = Display_Aspects_declination(contra, two, kUs);
  EXPECT_EQ(line, "g. Sun      g. Moon     12/05/2007 14:23  -22.457   22.457  \r\n");
  EXPECT_EQ(line.size() - 2, 60u);

  const FoundAspects triple = {
      Row({kMars, kSun, kJupiter}, {g, g, h}, "12/05/2007", "14:23", {-12.5, -23.0, -2.0})};
  EXPECT_EQ(Display_Aspects_declination(triple, RunSettings{}, kUs),
            "g. Mars     g. Sun      h. Jupiter   12/05/2007 14:23  -12.500  -23.000  -02.000 "
            "\r\n");

  // The orbs and the aspect switches play no part.
  RunSettings other;
  other.txtAspectOrb1 = "9";
  other.chkDisplayP1_P2P3_mp_aspects = false;
  EXPECT_EQ(Display_Aspects_declination(triple, other, kUs),
            Display_Aspects_declination(triple, RunSettings{}, kUs));
}

TEST(report_lines, pane_layout_for_none_one_and_several_rows) {
  const std::string rule(50, '-');
  RunSettings s;
  s.chkUseP3 = false;
  const FoundAspect a =
      Row({kSun, kMoon, kMoon}, {g, g, g}, "12/05/2007", "14:23", {-22.4569, 22.4569, 0}, 1.0);
  const FoundAspect b =
      Row({kSun, kMars, kMars}, {g, h, h}, "12/06/2007", "01:00", {-22.5, -22.5, 0}, 2.0);
  const std::string line_a = "g. Sun      g. Moon     12/05/2007 14:23  -22.457   22.457  \r\n";
  const std::string line_b = "g. Sun      h. Mars     12/06/2007 01:00  -22.500  -22.500  \r\n";

  EXPECT_EQ(Display_Aspects_declination({}, s, kUs), "");
  EXPECT_EQ(PaneText(""), "");
  EXPECT_EQ(PaneText(Display_Aspects_declination({a}, s, kUs)),
            "\r\n" + line_a + "\r\n" + rule + "\r\n");
  EXPECT_EQ(PaneText(Display_Aspects_declination({a, b}, s, kUs)),
            "\r\n" + line_a + line_b + "\r\n" + rule + "\r\n");
}

TEST(report_lines, sort_is_by_moment_and_keeps_scan_order_of_equal_moments) {
  // body[0] records the scan order; rows 1, 3 and 4 share one moment.
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double jds[] = {2454436.2, 2454436.1, nan, 2454436.1, 2454436.1, 2454436.0,
                        2454436.10001};
  FoundAspects rows;
  for (int i = 0; i < 7; ++i) {
    rows.push_back(Row({i, 0, 0}, {g, g, g}, "", "", {0, 0, 0}, jds[i]));
  }
  Sort_Aspects_by_Date(rows);
  std::vector<int> order;
  for (const FoundAspect& r : rows) order.push_back(r.body[0]);
  EXPECT_EQ(order, (std::vector<int>{5, 1, 3, 4, 6, 0, 2}));

  FoundAspects none;
  Sort_Aspects_by_Date(none);
  EXPECT_TRUE(none.empty());
}

}  // namespace
}  // namespace tarnwick
