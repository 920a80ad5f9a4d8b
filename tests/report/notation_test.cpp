#include "report/notation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/angles.h"
#include "core/calendar.h"
#include "core/program_folder.h"
#include "core/swiss_ephemeris.h"
#include "report/csv_export.h"

namespace tarnwick {
namespace {

constexpr double kArcsec = 1.0 / 3600.0;  // degrees

// The CSV's sign column shares the rounding to the minute (SignDegreeText).
TEST(notation, zodiac_position_rounds_to_the_minute_and_carries_into_degree_and_sign) {
  struct Row {
    const char* name;
    double lon;
    std::string glyphs, text, report, csv_sign;
  };
  const Row rows[] = {
      {"mid-sign", 266.1, "26°♐06′", "26 Sag 06", "26.1 (09)", "26°06′ Sagittarius"},
      {"0° Aries", 0.0, "0°♈00′", "0 Ari 00", "00.0 (01)", "0°00′ Aries"},
      {"29°59′59″ Aries carries into Taurus", 30.0 - kArcsec, "0°♉00′", "0 Tau 00", "30.0 (01)", "0°00′ Taurus"},
      {"29°59′29″ Aries stays", 30.0 - 31 * kArcsec, "29°♈59′", "29 Ari 59", "30.0 (01)", "29°59′ Aries"},
      {"exactly 0° Taurus", 30.0, "0°♉00′", "0 Tau 00", "00.0 (02)", "0°00′ Taurus"},
      {"minute carries into the degree", 10.0 + 59.6 / 60.0, "11°♈00′", "11 Ari 00", "11.0 (01)", "11°00′ Aries"},
      {"half a minute rounds up", 10.5 / 60.0, "0°♈11′", "0 Ari 11", "00.2 (01)", "0°11′ Aries"},
      {"29°59′59″ Pisces carries into Aries", 360.0 - kArcsec, "0°♈00′", "0 Ari 00", "30.0 (12)", "0°00′ Aries"},
      {"negative longitude", -0.5, "29°♓30′", "29 Pis 30", "29.5 (12)", "29°30′ Pisces"},
      {"tiny negative longitude", -1e-20, "0°♈00′", "0 Ari 00", "00.0 (01)", "0°00′ Aries"},
      {"beyond a circle", 720.0 + 123.25, "3°♌15′", "3 Leo 15", "03.3 (05)", "3°15′ Leo"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(ZodiacPositionText(r.lon, Notation::Glyphs), r.glyphs);
    EXPECT_EQ(ZodiacPositionText(r.lon, Notation::Text), r.text);
    EXPECT_EQ(ZodiacPositionText(r.lon, Notation::ReportNumbers), r.report);
    EXPECT_EQ(SignDegreeText(r.lon), r.csv_sign);
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

TEST(notation, declination_north_and_south_to_the_minute) {
  struct Row {
    const char* name;
    double deg;
    std::string glyphs, text, report;
  };
  const Row rows[] = {
      // The obliquity of the ecliptic at J2000, 23°26′21.4″ (IAU 1976): the Sun's extremes.
      {"obliquity north", 23.4392911, "23°26′ N", "23 N 26", "23.439"},
      {"obliquity south", -23.4392911, "23°26′ S", "23 S 26", "-23.439"},
      {"minute carries into the degree", -23.0 - 59.7 / 60.0, "24°00′ S", "24 S 00", "-23.995"},
      {"small south keeps its letter", -0.004, "0°00′ S", "0 S 00", "-00.004"},
      {"zero is north", 0.0, "0°00′ N", "0 N 00", "00.000"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(DeclinationText(r.deg, Notation::Glyphs), r.glyphs);
    EXPECT_EQ(DeclinationText(r.deg, Notation::Text), r.text);
    EXPECT_EQ(DeclinationText(r.deg, Notation::ReportNumbers), r.report);
  }
}

TEST(notation, aspects_by_glyph_name_or_degrees) {
  struct Row {
    int angle;
    std::string glyph, name, code;
  };
  const Row rows[] = {
      {0, "☌", "conjunction", "000"},    {15, "15°", "15", "015"},   {30, "⚺", "semi-sextile", "030"},
      {45, "∠", "semi-square", "045"},   {60, "⚹", "sextile", "060"}, {75, "75°", "75", "075"},
      {90, "□", "square", "090"},        {105, "105°", "105", "105"}, {120, "△", "trine", "120"},
      {135, "⚼", "sesquisquare", "135"}, {150, "⚻", "quincunx", "150"}, {165, "165°", "165", "165"},
      {180, "☍", "opposition", "180"},   {270, "270°", "270", "270"},  // off the grid: degrees
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.angle);
    EXPECT_EQ(AspectName(r.angle, Notation::Glyphs), r.glyph);
    EXPECT_EQ(AspectName(r.angle, Notation::Text), r.name);
    EXPECT_EQ(AspectName(r.angle, Notation::ReportNumbers), r.code);
    if (r.angle >= 0 && r.angle <= 180) {
      EXPECT_EQ(AspectCodeDegrees(r.code), r.angle);
    }
  }
  for (const char* bad : {"   ", "", "0x5", "90 ", "-"}) {
    EXPECT_FALSE(AspectCodeDegrees(bad)) << '"' << bad << '"';
  }
}

TEST(notation, retrograde_mark_only_while_moving_backwards) {
  struct Row {
    const char* name;
    double motion;
    std::string glyphs, text;
  };
  const Row rows[] = {
      {"direct", 1.2, "", ""},
      {"retrograde", -0.8, "℞", "R"},
      {"standing still", 0.0, "", ""},
      {"no motion known", std::nan(""), "", ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(RetrogradeMark(r.motion, Notation::Glyphs), r.glyphs);
    EXPECT_EQ(RetrogradeMark(r.motion, Notation::Text), r.text);
    EXPECT_EQ(RetrogradeMark(r.motion, Notation::ReportNumbers), "");
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
  EXPECT_EQ(RetrogradeMark(motion(retro + kMinute), Notation::Text), "R");
  const CalendarDate day = CalendarDateFromJD(std::floor(retro + 0.5));
  EXPECT_EQ(day.month * 100 + day.day, 1012) << "station on " << day.month << "/" << day.day;
  const std::string at_station = ZodiacPositionText(eph.Get_1_Planet_geo(retro, kMercury), Notation::Text);
  EXPECT_TRUE(at_station.starts_with("9 Sco ")) << at_station;
}

}  // namespace
}  // namespace tarnwick
