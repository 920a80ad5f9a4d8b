// The report's lines, the names of its files, and the notations of positions and aspects.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "core/angles.h"
#include "core/calendar.h"
#include "core/program_folder.h"
#include "core/swiss_ephemeris.h"
#include "report/csv_export.h"
#include "report/notation.h"
#include "report/report_lines.h"
#include "report/report_names.h"
#include "tests/support/repeatable_random.h"
#include "tests/support/report_pieces.h"

namespace tarnwick {
namespace {

const RegionalFormat kUs{DateOrder::MonthDayYear, "/", '.'};

// The settings' time zone: Universal Time = local time + 5 hours.
constexpr double kZoneHours = 5.0;

// moment: a local time in zone 5, month/day/year, "12/05/2007 14:23", made into the row's
// Julian day half a minute early, so that the report's rounding to the minute is at work
// too; "" leaves jd_ut as given.
FoundAspect Row(std::array<int, 3> body, std::array<Centre, 3> centre, const std::string& moment,
                std::array<double, 3> position, double jd_ut = 0.0) {
  int month = 0, day = 0, year = 0, hour = 0, minute = 0;
  if (std::sscanf(moment.c_str(), "%d/%d/%d %d:%d", &month, &day, &year, &hour, &minute) == 5) {
    jd_ut = ConvertDatetoJD(month, day, year) + (hour + (minute - 0.49) / 60.0 + kZoneHours) / 24.0;
  }
  return {.body = body, .jd_ut = jd_ut, .position = position, .centre = centre};
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
  std::vector<double> values = {119.99999999999999, 359.99999999999994, 360.0, 0.0, -0.0, 1.0,
                                std::nextafter(1.0, 0.0), std::nextafter(100.0, 0.0), std::nextafter(100.0, 200.0),
                                1.0 + 0x1p-15, 3.0 + 0x1p-16, 99.999999999999986, 1e-7, 5e-324, 1e15,
                                std::nextafter(1e15, 0.0), 123456789012345.67, 1e300, 0.5};
  RepeatableRandom random(0x2545f4914f6cdd1du);
  const auto next = [&random] { return random.Next(); };
  for (int i = 0; i < 100000; ++i) {
    values.push_back(next() * 360.0);
    values.push_back((next() - 0.5) * 60.0);
    values.push_back(std::ldexp(next() + 1.0, static_cast<int>(next() * 120.0) - 40));
    // A decimal with few digits, as a sign boundary or a typed value is.
    values.push_back(std::round(next() * 3.6e6) / 1e4);
  }
  for (const double v : values) {
    for (const double signed_v : {v, -v}) {
      char text[64];
      double expected = 0.0;
      std::from_chars(text, std::to_chars(text, text + sizeof text, signed_v, std::chars_format::general, 15).ptr, expected);
      const double got = AsTableValue(signed_v);
      ASSERT_TRUE(got == expected && std::signbit(got) == std::signbit(expected))
          << std::hexfloat << signed_v << " gives " << got << ", not " << expected;
    }
  }
}

// A locale with the decimal comma: the report still writes ".", so it reads the same
// everywhere; an orb typed "0,9" there is 0.9 degrees (elsewhere the leading-number rule reads
// 0, no aspect within it).
TEST(report_lines, longitude_lines_in_each_aspect_part_form) {
  const std::string triple = "g. Mars     g. Sun      h. Jupiter   12/05/2007 14:23  ";
  RunSettings narrow_orbs, three_codes;  // orb 1 "2.5abc" reads 2.5 by the leading-number rule
  std::tie(narrow_orbs.txtAspectOrb1, narrow_orbs.txtAspectOrb2) = std::pair("2.5abc", "3");
  RunSettings narrow_two = narrow_orbs;
  narrow_two.chkUseP3 = three_codes.chkDisplayP1_P2P3_mp_aspects = false;
  const RegionalFormat comma{DateOrder::DayMonthYear, ".", ','};
  RunSettings orb_with_comma = TwoBodies();
  orb_with_comma.txtAspectOrb1 = "0,9";
  const FoundAspect off_by_08 =  // 179.2 degrees apart
      Row({kSun, kMoon, kMoon}, {g, g, g}, "12/01/2007 10:23", {249.4, 70.2, 70.2});
  struct Case { const char* name; RegionalFormat format; RunSettings settings; FoundAspect row; std::string line; };
  const Case cases[] = {
      {"two bodies, opposition within orb 1", kUs, TwoBodies(),
       Row({kSun, kMoon, kMoon}, {g, g, g}, "12/01/2007 10:23", {249.4, 69.4, 69.4}),
       "g. Sun      g. Moon     12/01/2007 10:23  09.4 (09) 09.4 (03)  180\r\n"},
      {"two bodies, no aspect within orb 1", kUs, narrow_two,
       Row({kSun, kMoon, kMoon}, {h, g, g}, "12/01/2007 10:23", {249.4, 66.3, 66.3}),
       "h. Sun      g. Moon     12/01/2007 10:23  09.4 (09) 06.3 (03)     \r\n"},
      // P1 10, P2 100, P3 190: P1-P2 90, P1-P3 180, P2-P3 90; midpoint 145 is 135 from P1.
      {"three codes, all with orb 1", kUs, three_codes,
       Row({kMars, kSun, kJupiter}, {g, g, h}, "12/05/2007 14:23", {10.0, 100.0, 190.0}),
       triple + "10.0 (01) 10.0 (04) 10.0 (07)  090 180 090\r\n"},
      {"P1 to the midpoint, major aspect of the partners", kUs, RunSettings{},
       Row({kMars, kSun, kJupiter}, {g, g, h}, "12/05/2007 14:23", {10.0, 100.0, 190.0}),
       triple + "10.0 (01) 10.0 (04) 10.0 (07)    135 (090)\r\n"},
      {"partners 95 apart: no major aspect within orb 2", kUs, narrow_orbs,
       Row({kMars, kSun, kJupiter}, {g, g, h}, "12/05/2007 14:23", {10.0, 100.0, 195.0}),
       triple + "10.0 (01) 10.0 (04) 15.0 (07)    135 (   )\r\n"},
      {"midpoint across 0 degrees meets P1", kUs, RunSettings{},
       Row({kMars, kSun, kSaturn}, {g, g, g}, "12/05/2007 14:23", {10.0, 350.0, 30.0}),
       "g. Mars     g. Sun      g. Saturn    12/05/2007 14:23  10.0 (01) 20.0 (12) 00.0 (02)    000 (030)\r\n"},
      // A double just below 120 was stored in the table as "120": sign 5 at 00.0.
      {"positions read as the table stored them", kUs, TwoBodies(),
       Row({kSun, kMoon, kMoon}, {g, g, g}, "12/01/2007 10:23", {std::nextafter(120.0, 0.0), 300.0, 0.0}),
       "g. Sun      g. Moon     12/01/2007 10:23  00.0 (05) 00.0 (11)  180\r\n"},
      {"comma locale", comma, orb_with_comma, off_by_08,
       "g. Sun      g. Moon     01/12/2007 10:23  09.4 (09) 10.2 (03)  180\r\n"},
      {"point locale", kUs, orb_with_comma, off_by_08,
       "g. Sun      g. Moon     12/01/2007 10:23  09.4 (09) 10.2 (03)     \r\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(Display_Aspects_longitude({c.row}, c.settings, c.format), c.line) << c.name;
}

// Rounding and padding are number_text's (FormatFixed); here the sign column, a blank before a
// value north.
TEST(report_lines, declination_lines_and_pane_text) {
  const std::string lines = Display_Aspects_declination(
      {Row({kSun, kMoon, kMoon}, {g, g, g}, "12/05/2007 14:23", {-22.4569, 22.4569, 0}),
       Row({kSun, kMars, kMars}, {g, h, h}, "12/05/2007 15:00", {-22.5, -22.5, 0})},
      TwoBodies(), kUs);
  EXPECT_EQ(lines, "g. Sun      g. Moon     12/05/2007 14:23  -22.457   22.457  \r\n"
                   "g. Sun      h. Mars     12/05/2007 15:00  -22.500  -22.500  \r\n");
  // An empty report leaves the pane empty: run_command_test, a run that finds nothing.
  EXPECT_EQ(PaneText(lines), "\r\n" + lines + "\r\n" + std::string(50, '-') + "\r\n");

  const FoundAspect triple = Row({kMars, kSun, kJupiter}, {g, g, h}, "12/05/2007 14:23", {-12.5, -23.0, -2.0});
  EXPECT_EQ(Display_Aspects_declination({triple}, RunSettings{}, kUs),
            "g. Mars     g. Sun      h. Jupiter   12/05/2007 14:23  -12.500  -23.000  -02.000 \r\n");
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

TEST(report_names, each_setting_changes_its_own_part_dates_and_aspect_set_when_in_force) {
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
  // Whatever the texts, fuzz_report_name holds each name, and SafeFileName of any text, to one
  // plain file name directly inside the data folder.
  const std::tuple<const char*, const char*, RegionalFormat, const char*> date_rows[] = {
      {"01.12.2007", "31.12.2007", {DateOrder::DayMonthYear, ".", ','}, "12012007_12312007"},
      {"1/5/2008", "12/32/2007", kUs, "01052008_12-32-2007"},
      {"", "..", kUs, "_.."},  // only the whole name must not be "." or ".."
  };
  for (const auto& [start, end, format, dates] : date_rows) {
    RunSettings s;
    s.txtStartDate = start;
    s.txtEndDate = end;
    EXPECT_EQ(DeclinationReportName(s, format), std::string(dates) + "_5_decl_ggg_mp_15_noRA_geoDecl.txt");
  }
  // A set of aspects shows in the longitude name only while it leaves out aspects of the grid
  // (which sets do: engine_test, aspect_set); the declination name never carries it (a
  // declination run lists every parallel).
  struct Set { const char* set; bool grid15; const char* tail; };
  const Set sets[] = {
      {"all", true, "_15_noRA.txt"}, {"major", true, "_15_noRA_aspects_major.txt"},
      {"Hard", false, "_30_noRA_aspects_hard.txt"}, {"180, 0,90", true, "_15_noRA_aspects_0-90-180.txt"},
      {"0/9", true, "_15_noRA_aspects_0-9.txt"},  // no set: as typed, made safe
  };
  for (const Set& r : sets) {
    SCOPED_TRACE(r.set);
    RunSettings s;
    s.txtAspectSet = r.set;
    s.chkInclude15DegAspects = r.grid15;
    EXPECT_EQ(LongitudeReportName(s, kUs), std::string("12012007_12312007_5_3.0_15.0_ggg_mp") + r.tail);
    EXPECT_EQ(DeclinationReportName(s, kUs), std::string("12012007_12312007_5_decl_ggg_mp") +
                                                 (r.grid15 ? "_15" : "_30") + "_noRA_geoDecl.txt");
  }
}

constexpr double kArcsec = 1.0 / 3600.0;  // degrees

// The CSV's sign column shares the rounding to the minute (SignDegreeText).
TEST(notation, zodiac_position_and_declination_round_to_the_minute_and_carry) {
  struct Row { const char* name; double lon; std::string glyphs, text, report, csv_sign; };
  const Row rows[] = {
      {"mid-sign", 266.1, "26°♐06′", "26 Sag 06", "26.1 (09)", "26°06′ Sagittarius"},
      {"0° Aries", 0.0, "0°♈00′", "0 Ari 00", "00.0 (01)", "0°00′ Aries"},
      {"29°59′59″ Aries carries into Taurus", 30.0 - kArcsec, "0°♉00′", "0 Tau 00", "30.0 (01)", "0°00′ Taurus"},
      {"29°59′29″ Aries stays", 30.0 - 31 * kArcsec, "29°♈59′", "29 Ari 59", "30.0 (01)", "29°59′ Aries"},
      {"minute carries into the degree", 10.0 + 59.6 / 60.0, "11°♈00′", "11 Ari 00", "11.0 (01)", "11°00′ Aries"},
      {"half a minute rounds up", 10.5 / 60.0, "0°♈11′", "0 Ari 11", "00.2 (01)", "0°11′ Aries"},
      {"29°59′59″ Pisces carries into Aries", 360.0 - kArcsec, "0°♈00′", "0 Ari 00", "30.0 (12)", "0°00′ Aries"},
      {"negative longitude", -0.5, "29°♓30′", "29 Pis 30", "29.5 (12)", "29°30′ Pisces"},
      {"tiny negative longitude", -1e-20, "0°♈00′", "0 Ari 00", "00.0 (01)", "0°00′ Aries"},
      {"beyond a circle", 720.0 + 123.25, "3°♌15′", "3 Leo 15", "03.3 (05)", "3°15′ Leo"},
  };
  for (const Row& r : rows) {
    EXPECT_EQ((std::vector{ZodiacPositionText(r.lon, Notation::Glyphs), ZodiacPositionText(r.lon, Notation::Text),
                           ZodiacPositionText(r.lon, Notation::ReportNumbers), SignDegreeText(r.lon)}),
              (std::vector{r.glyphs, r.text, r.report, r.csv_sign})) << r.name;
  }
  struct Decl { const char* name; double deg; std::string glyphs, text, report; };
  const Decl decls[] = {
      // The obliquity of the ecliptic at J2000, 23°26′21.4″ (IAU 1976): the Sun's extremes.
      {"obliquity north", 23.4392911, "23°26′ N", "23 N 26", "23.439"},
      {"obliquity south", -23.4392911, "23°26′ S", "23 S 26", "-23.439"},
      {"minute carries into the degree", -23.0 - 59.7 / 60.0, "24°00′ S", "24 S 00", "-23.995"},
      {"small south keeps its letter", -0.004, "0°00′ S", "0 S 00", "-00.004"},
      {"zero is north", 0.0, "0°00′ N", "0 N 00", "00.000"},
  };
  for (const Decl& r : decls) {
    EXPECT_EQ((std::vector{DeclinationText(r.deg, Notation::Glyphs), DeclinationText(r.deg, Notation::Text),
                           DeclinationText(r.deg, Notation::ReportNumbers)}),
              (std::vector{r.glyphs, r.text, r.report})) << r.name;
  }
}

// Every text read back ("26 Sag 06": degree, sign, minute) lies within half a minute of the
// longitude it came from, on the circle: steps across the circle and a second either side of
// every cusp, where the carries happen.
TEST(notation, text_reads_back_within_half_a_minute_around_the_circle) {
  static const std::string kSigns = "AriTauGemCanLeoVirLibScoSagCapAquPis";
  std::vector<double> longitudes;
  for (double lon = -1.0; lon < 361.0; lon += 0.0123457) longitudes.push_back(lon);
  for (int sign = 0; sign <= 12; ++sign) {
    for (const double d : {-kArcsec, 0.0, kArcsec, -31 * kArcsec}) longitudes.push_back(30.0 * sign + d);
  }
  double worst = 0.0;
  for (const double lon : longitudes) {
    const std::string text = ZodiacPositionText(lon, Notation::Text);
    const size_t a = text.find(' '), b = text.rfind(' ');
    const size_t sign = kSigns.find(text.substr(a + 1, b - a - 1));
    const int degree = std::atoi(text.c_str()), minute = std::atoi(text.c_str() + b + 1);
    ASSERT_TRUE(sign % 3 == 0 && degree < 30 && minute < 60) << text;
    worst = std::max(worst, ArcDistance(10.0 * static_cast<double>(sign) + degree + minute / 60.0, lon));
  }
  EXPECT_LE(worst, 0.5 / 60.0 + 1e-9) << "largest distance of a text from its longitude, degrees";
}

TEST(notation, aspects_by_glyph_name_or_degrees_and_retrograde_mark_only_while_moving_backwards) {
  struct Row { int angle; std::string glyph, name, code; };
  const Row rows[] = {
      {0, "☌", "conjunction", "000"},    {15, "15°", "15", "015"},   {30, "⚺", "semi-sextile", "030"},
      {45, "∠", "semi-square", "045"},   {60, "⚹", "sextile", "060"}, {75, "75°", "75", "075"},
      {90, "□", "square", "090"},        {105, "105°", "105", "105"}, {120, "△", "trine", "120"},
      {135, "⚼", "sesquisquare", "135"}, {150, "⚻", "quincunx", "150"}, {165, "165°", "165", "165"},
      {180, "☍", "opposition", "180"},   {270, "270°", "270", "270"},  // off the grid: degrees
  };
  for (const Row& r : rows) {
    EXPECT_EQ((std::vector{AspectName(r.angle, Notation::Glyphs), AspectName(r.angle, Notation::Text),
                           AspectName(r.angle, Notation::ReportNumbers)}),
              (std::vector{r.glyph, r.name, r.code})) << r.angle;
    if (r.angle <= 180) { EXPECT_EQ(AspectCodeDegrees(r.code), r.angle); }
  }
  for (const char* bad : {"   ", "", "0x5", "90 ", "-"}) EXPECT_FALSE(AspectCodeDegrees(bad)) << '"' << bad << '"';
  struct Mark { const char* name; double motion; std::string glyphs, text; };
  const Mark marks[] = {
      {"direct", 1.2, "", ""}, {"retrograde", -0.8, "℞", "R"},
      {"standing still", 0.0, "", ""}, {"no motion known", std::nan(""), "", ""},
  };
  for (const Mark& r : marks) {
    EXPECT_EQ((std::vector{RetrogradeMark(r.motion, Notation::Glyphs), RetrogradeMark(r.motion, Notation::Text),
                           RetrogradeMark(r.motion, Notation::ReportNumbers)}),
              (std::vector<std::string>{r.glyphs, r.text, ""})) << r.name;
  }
}

// Mercury's station of October 2007, found by bisecting the library's daily motion: the
// mark appears a minute after the station and not a minute before. The almanacs give the
// station on 12 October 2007 (UT), in 9° Scorpio.
TEST(notation, retrograde_mark_switches_at_mercurys_station) {
  SwissEphemeris eph(EphemerisSearchPath(ProgramFolder()));
  constexpr int kMercury = 2;
  const auto motion = [&eph](double jd) {
    eph.Get_1_Planet_geo(jd, kMercury);
    return eph.LastDailyMotion();
  };
  double direct = ConvertDatetoJD(10, 1, 2007), retro = ConvertDatetoJD(10, 20, 2007);
  ASSERT_GT(motion(direct), 0.0);
  ASSERT_LT(motion(retro), 0.0);
  while (retro - direct > 1.0 / 86400.0) {
    const double mid = 0.5 * (direct + retro);
    (motion(mid) > 0.0 ? direct : retro) = mid;
  }
  constexpr double kMinute = 1.0 / 1440.0;  // days
  EXPECT_EQ(RetrogradeMark(motion(direct - kMinute), Notation::Glyphs), "");
  EXPECT_EQ(RetrogradeMark(motion(retro + kMinute), Notation::Glyphs), "℞");
  const CalendarDate day = CalendarDateFromJD(std::floor(retro + 0.5));
  EXPECT_EQ(day.month * 100 + day.day, 1012) << "station on " << day.month << "/" << day.day;
  const std::string at_station = ZodiacPositionText(eph.Get_1_Planet_geo(retro, kMercury), Notation::Text);
  EXPECT_TRUE(at_station.starts_with("9 Sco ")) << at_station;
}

}  // namespace
}  // namespace tarnwick
