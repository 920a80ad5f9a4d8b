#include "report/report_lines.h"

#include "core/calendar.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <tuple>
#include <vector>

namespace tarnwick {
namespace {

constexpr Centre g = Centre::Geo, h = Centre::Helio;
constexpr int kSun = 0, kMoon = 1, kMars = 4, kJupiter = 5, kSaturn = 6;
const RegionalFormat kUs{DateOrder::MonthDayYear, "/", '.'};

// The settings' time zone: Universal Time = local time + 5 hours.
constexpr double kZoneHours = 5.0;

// moment: a local time in zone 5, month/day/year, "12/05/2007 14:23", made into the row's
// Julian day half a minute early, so that the report's rounding to the minute is at work
// too; "" leaves jd_ut as given.
FoundAspect Row(std::array<int, 3> body, std::array<Centre, 3> centre, const std::string& moment,
                std::array<double, 3> position, double jd_ut = 0.0) {
  FoundAspect row;
  row.body = body;
  row.centre = centre;
  int month = 0, day = 0, year = 0, hour = 0, minute = 0;
  if (std::sscanf(moment.c_str(), "%d/%d/%d %d:%d", &month, &day, &year, &hour, &minute) == 5) {
    jd_ut = ConvertDatetoJD(month, day, year) + (hour + (minute - 0.49) / 60.0 + kZoneHours) / 24.0;
  }
  row.position = position;
  row.jd_ut = jd_ut;
  return row;
}

RunSettings TwoBodies() {
  RunSettings s;
  s.chkUseP3 = false;
  return s;
}

// A table value is the position written with 15 significant digits and read back, whatever
// way it is worked out: positions of every size, both signs, a hair from a sign boundary or a
// power of ten, and binary values whose 15-digit rounding is an exact half.
TEST(report_lines, table_values_are_the_fifteen_digit_texts_read_back) {
  const auto through_text = [](double v) {
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, v, std::chars_format::general, 15).ptr;
    double out = 0.0;
    std::from_chars(text, end, out);
    return out;
  };
  std::vector<double> values = {119.99999999999999, 359.99999999999994, 360.0, 0.0, -0.0, 1.0,
                                std::nextafter(1.0, 0.0), std::nextafter(100.0, 0.0), std::nextafter(100.0, 200.0),
                                1.0 + 0x1p-15, 3.0 + 0x1p-16, 99.999999999999986, 1e-7, 5e-324, 1e15,
                                std::nextafter(1e15, 0.0), 123456789012345.67, 1e300, 0.5};
  std::uint64_t state = 0x2545f4914f6cdd1du;
  const auto next = [&state] {  // xorshift: the same values on every run
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return static_cast<double>(state >> 11) / 0x1p53;
  };
  for (int i = 0; i < 100000; ++i) {
    values.push_back(next() * 360.0);
    values.push_back((next() - 0.5) * 60.0);
    values.push_back(std::ldexp(next() + 1.0, static_cast<int>(next() * 120.0) - 40));
    // A decimal with few digits, as a sign boundary or a typed value is.
    values.push_back(std::round(next() * 3.6e6) / 1e4);
  }
  for (const double v : values) {
    for (const double signed_v : {v, -v}) {
      const double expected = through_text(signed_v);
      const double got = AsTableValue(signed_v);
      ASSERT_TRUE(got == expected && std::signbit(got) == std::signbit(expected))
          << std::hexfloat << signed_v << " gives " << got << ", not " << expected;
    }
  }
}

// Rounding and padding are number_text's (FormatFixed); here the sign column.
TEST(report_lines, declination_value_texts) {
  const std::pair<double, const char*> cases[] = {
      {5.25, " 05.250"}, {-0.5, "-00.500"}, {23.4419, " 23.442"}, {0.0, " 00.000"},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(DeclinationValueText(value), text) << value;
}

TEST(report_lines, longitude_lines_in_each_aspect_part_form) {
  const std::string triple = "g. Mars     g. Sun      h. Jupiter   12/05/2007 14:23  ";
  RunSettings narrow_orbs;  // orb 1 "2.5abc" reads 2.5 by the leading-number rule
  narrow_orbs.txtAspectOrb1 = "2.5abc";
  narrow_orbs.txtAspectOrb2 = "3";
  RunSettings narrow_two = narrow_orbs;
  narrow_two.chkUseP3 = false;
  RunSettings three_codes;
  three_codes.chkDisplayP1_P2P3_mp_aspects = false;
  const std::tuple<const char*, RunSettings, FoundAspect, std::string> cases[] = {
      {"two bodies, opposition within orb 1", TwoBodies(),
       Row({kSun, kMoon, kMoon}, {g, g, g}, "12/01/2007 10:23", {249.4, 69.4, 69.4}),
       "g. Sun      g. Moon     12/01/2007 10:23  09.4 (09) 09.4 (03)  180\r\n"},
      {"two bodies, no aspect within orb 1", narrow_two,
       Row({kSun, kMoon, kMoon}, {h, g, g}, "12/01/2007 10:23", {249.4, 66.3, 66.3}),
       "h. Sun      g. Moon     12/01/2007 10:23  09.4 (09) 06.3 (03)     \r\n"},
      // P1 10, P2 100, P3 190: P1-P2 90, P1-P3 180, P2-P3 90; midpoint 145 is 135 from P1.
      {"three codes, all with orb 1", three_codes,
       Row({kMars, kSun, kJupiter}, {g, g, h}, "12/05/2007 14:23", {10.0, 100.0, 190.0}),
       triple + "10.0 (01) 10.0 (04) 10.0 (07)  090 180 090\r\n"},
      {"P1 to the midpoint, major aspect of the partners", RunSettings{},
       Row({kMars, kSun, kJupiter}, {g, g, h}, "12/05/2007 14:23", {10.0, 100.0, 190.0}),
       triple + "10.0 (01) 10.0 (04) 10.0 (07)    135 (090)\r\n"},
      {"partners 95 apart: no major aspect within orb 2", narrow_orbs,
       Row({kMars, kSun, kJupiter}, {g, g, h}, "12/05/2007 14:23", {10.0, 100.0, 195.0}),
       triple + "10.0 (01) 10.0 (04) 15.0 (07)    135 (   )\r\n"},
      {"midpoint across 0 degrees meets P1", RunSettings{},
       Row({kMars, kSun, kSaturn}, {g, g, g}, "12/05/2007 14:23", {10.0, 350.0, 30.0}),
       "g. Mars     g. Sun      g. Saturn    12/05/2007 14:23  10.0 (01) 20.0 (12) 00.0 (02) "
       "   000 (030)\r\n"},
      // A double just below 120 was stored in the table as "120": sign 5 at 00.0.
      {"positions read as the table stored them", TwoBodies(),
       Row({kSun, kMoon, kMoon}, {g, g, g}, "12/01/2007 10:23",
           {std::nextafter(120.0, 0.0), 300.0, 0.0}),
       "g. Sun      g. Moon     12/01/2007 10:23  00.0 (05) 00.0 (11)  180\r\n"},
  };
  for (const auto& [name, settings, row, line] : cases) {
    EXPECT_EQ(Display_Aspects_longitude({row}, settings, kUs), line) << name;
  }
}

// A locale with the decimal comma: the report still writes ".", so it reads the same
// everywhere; an orb typed "0,9" there is 0.9 degrees (elsewhere the leading-number rule
// reads 0, no aspect within it).
TEST(report_lines, decimal_comma_locale_reads_its_orbs_and_writes_points) {
  const RegionalFormat comma{DateOrder::DayMonthYear, ".", ','};
  RunSettings orb_with_comma = TwoBodies();
  orb_with_comma.txtAspectOrb1 = "0,9";
  const FoundAspect off_by_08 =  // 179.2 degrees apart
      Row({kSun, kMoon, kMoon}, {g, g, g}, "12/01/2007 10:23", {249.4, 70.2, 70.2});
  const std::tuple<const char*, RegionalFormat, std::string> cases[] = {
      {"comma locale", comma, "g. Sun      g. Moon     01/12/2007 10:23  09.4 (09) 10.2 (03)  180\r\n"},
      {"point locale", kUs, "g. Sun      g. Moon     12/01/2007 10:23  09.4 (09) 10.2 (03)     \r\n"},
  };
  for (const auto& [name, format, line] : cases) {
    EXPECT_EQ(Display_Aspects_longitude({off_by_08}, orb_with_comma, format), line) << name;
  }
}

TEST(report_lines, declination_lines_and_pane_text) {
  const std::string lines = Display_Aspects_declination(
      {Row({kSun, kMoon, kMoon}, {g, g, g}, "12/05/2007 14:23", {-22.4569, 22.4569, 0}),
       Row({kSun, kMars, kMars}, {g, h, h}, "12/05/2007 15:00", {-22.5, -22.5, 0})},
      TwoBodies(), kUs);
  EXPECT_EQ(lines, "g. Sun      g. Moon     12/05/2007 14:23  -22.457   22.457  \r\n"
                   "g. Sun      h. Mars     12/05/2007 15:00  -22.500  -22.500  \r\n");
  // An empty report leaves the pane empty: run_command_test, a run that finds nothing.
  EXPECT_EQ(PaneText(lines), "\r\n" + lines + "\r\n" + std::string(50, '-') + "\r\n");

  const FoundAspect triple =
      Row({kMars, kSun, kJupiter}, {g, g, h}, "12/05/2007 14:23", {-12.5, -23.0, -2.0});
  EXPECT_EQ(Display_Aspects_declination({triple}, RunSettings{}, kUs),
            "g. Mars     g. Sun      h. Jupiter   12/05/2007 14:23  "
            "-12.500  -23.000  -02.000 \r\n");
}

TEST(report_lines, sort_is_by_moment_and_keeps_scan_order_of_equal_moments) {
  // body[0] records the scan order; rows 1, 3 and 4 share one moment.
  const double jds[] = {2454436.2, 2454436.1, std::numeric_limits<double>::quiet_NaN(),
                        2454436.1, 2454436.1, 2454436.0, 2454436.10001};
  FoundAspects rows;
  for (int i = 0; i < 7; ++i) rows.push_back(Row({i, 0, 0}, {g, g, g}, "", {}, jds[i]));
  Sort_Aspects_by_Date(rows);
  std::vector<int> order;
  for (const FoundAspect& r : rows) order.push_back(r.body[0]);
  EXPECT_EQ(order, (std::vector<int>{5, 1, 3, 4, 6, 0, 2}));
}

}  // namespace
}  // namespace tarnwick
