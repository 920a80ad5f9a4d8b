#include "report/csv_export.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <utility>

#include "core/calendar.h"
#include "core/time_zone.h"
#include "tests/support/real_run.h"

namespace tarnwick {
namespace {

// tz is added to local time to give UT: positive west of Greenwich. In a zone with summer time
// each moment carries the offset in force at it: in the autumn hour shown twice (02:00 to
// 03:00 on 27 October 2024 in Berlin) the two showings differ only by their offset.
TEST(csv, fields_quoted_only_when_they_must_be_and_times_with_their_offsets) {
  const auto berlin = NamedZone("Europe/Berlin");
  ASSERT_TRUE(berlin);
  constexpr double kBerlin = std::numeric_limits<double>::quiet_NaN();  // the offset in force
  // ut_hours: of that date, UT.
  struct Row { const char* name; int month, day, year; double ut_hours; double tz; std::string offset, local, utc; };
  const Row rows[] = {
      {"west", 12, 2, 2007, 17.0, 5.0, "-05:00", "2007-12-02T12:00-05:00", "2007-12-02T17:00:00Z"},
      {"greenwich", 12, 2, 2007, 17.0, 0.0, "+00:00", "2007-12-02T17:00+00:00", "2007-12-02T17:00:00Z"},
      {"east half hour", 12, 2, 2007, 17.0, -5.5, "+05:30", "2007-12-02T22:30+05:30", "2007-12-02T17:00:00Z"},
      // 22:30 local in the west is already the next day in UT.
      {"west, next UT day", 1, 1, 2008, 3.5, 5.0, "-05:00", "2007-12-31T22:30-05:00", "2008-01-01T03:30:00Z"},
      // 20:00 UT is past midnight local in the east.
      {"east, next local day", 2, 28, 2008, 20.0, -5.5, "+05:30", "2008-02-29T01:30+05:30", "2008-02-28T20:00:00Z"},
      {"west half hour", 6, 30, 2010, 23.0, 3.5, "-03:30", "2010-06-30T19:30-03:30", "2010-06-30T23:00:00Z"},
      // 23:59:40 local rounds to 00:00 of the next local day, as the report writes it; UT
      // keeps its seconds.
      {"rounded past midnight", 3, 1, 2009, 4.0 + 59.0 / 60 + 40.0 / 3600, 5.0, "-05:00",
       "2009-03-01T00:00-05:00", "2009-03-01T04:59:40Z"},
      {"utc second rounds up to midnight", 3, 1, 2009, 24.0 - 0.4 / 3600, 0.0, "+00:00",
       "2009-03-02T00:00+00:00", "2009-03-02T00:00:00Z"},
      {"Berlin, first showing, summer time", 10, 27, 2024, 0.5, kBerlin, "+02:00", "2024-10-27T02:30+02:00",
       "2024-10-27T00:30:00Z"},
      {"Berlin, second showing, winter time", 10, 27, 2024, 1.5, kBerlin, "+01:00", "2024-10-27T02:30+01:00",
       "2024-10-27T01:30:00Z"},
      {"Berlin, rounds to 01:00 UT: winter time", 10, 27, 2024, (59.0 + 40.0 / 60) / 60, kBerlin, "+01:00",
       "2024-10-27T02:00+01:00", "2024-10-27T00:59:40Z"},
      {"Berlin, rounds to 00:59 UT: summer time", 10, 27, 2024, (59.0 + 20.0 / 60) / 60, kBerlin, "+02:00",
       "2024-10-27T02:59+02:00", "2024-10-27T00:59:20Z"},
      {"Berlin, an hour before", 10, 26, 2024, 23.0, kBerlin, "+02:00", "2024-10-27T01:00+02:00",
       "2024-10-26T23:00:00Z"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const double jd = ConvertDatetoJD(r.month, r.day, r.year) + r.ut_hours / 24.0;
    const double tz = std::isnan(r.tz) ? HoursAtMinute(*berlin, jd) : r.tz;
    EXPECT_EQ(IsoUtcOffset(tz), r.offset);
    EXPECT_EQ(IsoLocalMinute(jd, tz), r.local);
    EXPECT_EQ(IsoUtcSecond(jd), r.utc);
  }
  struct Quote { const char* name; std::string in, out; };
  const Quote quotes[] = {
      {"plain", "Sun", "Sun"}, {"empty", "", ""}, {"blanks kept", " 090 (060)", " 090 (060)"},
      {"comma", "a,b", "\"a,b\""}, {"quote doubled", "say \"hi\"", "\"say \"\"hi\"\"\""},
      {"lone quote", "\"", "\"\"\"\""}, {"line feed", "a\nb", "\"a\nb\""}, {"carriage return", "a\rb", "\"a\rb\""},
      {"utf-8 untouched", "26°06′ Sagittarius", "26°06′ Sagittarius"},
  };
  for (const Quote& r : quotes) EXPECT_EQ(CsvField(r.in), r.out) << r.name;
  EXPECT_EQ(CsvRecord({"a", "b,c", ""}), "a,\"b,c\",\r\n");
}

// ---- A real run, read back by a reader written here from RFC 4180 -------------------------

// Records of a CSV text: fields split at "," outside quotes, records at CR LF outside quotes,
// "" inside quotes a quote. Fails the test on anything RFC 4180 does not allow.
std::vector<std::vector<std::string>> ReadCsv(const std::string& text) {
  std::vector<std::vector<std::string>> records;
  std::vector<std::string> record;
  std::string field;
  bool quoted = false, was_quoted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const bool doubled = i + 1 < text.size() && text[i + 1] == c;
    if (quoted) {
      if (c != '"') field += c;
      else if (doubled) field += text[i++];
      else quoted = false;
    } else if (c == '"') {
      EXPECT_TRUE(field.empty() && !was_quoted) << "quote inside a field at byte " << i;
      quoted = was_quoted = true;
    } else if (c == ',' || c == '\r') {
      EXPECT_TRUE(c == ',' || text.compare(i, 2, "\r\n") == 0) << "bare CR at byte " << i;
      record.push_back(std::exchange(field, {}));
      was_quoted = false;
      if (c == '\r') { records.push_back(std::exchange(record, {})); ++i; }
    } else {
      EXPECT_NE(c, '\n') << "bare LF at byte " << i;
      field += c;
    }
  }
  EXPECT_FALSE(quoted) << "unclosed quote";
  EXPECT_TRUE(record.empty() && field.empty()) << "last record not ended by CR LF";
  return records;
}

TEST(csv, a_real_run_reads_back_row_for_row_as_the_report) {
  struct Case { const char* name; ScanKind kind; bool p3, ra; const char* tz; const char* kind_text; };
  const Case cases[] = {
      {"triple longitude, zone east half hour", ScanKind::Longitude, true, false, "-5.5", "longitude"},
      {"two-body right ascension", ScanKind::Longitude, false, true, "5", "right ascension"},
      {"two-body declination", ScanKind::Declination, false, false, "5", "declination"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RunRequest request = TwoBodyRequest("12/01/2007", "12/04/2007", BodyRange(0, 9), BodyRange(2, 9), c.kind);
    RunSettings& s = request.settings;
    s.txtTZ = c.tz;
    s.chkUseP3 = c.p3;
    s.chkUse_RA = c.ra;
    s.chkP3Planets = BodyRange(2, 9);
    const RunOutcome out = RunOnLibrary(request);
    ASSERT_EQ(out.status, RunOutcome::Status::Done);
    const std::vector<std::string> lines = ReportLinesOf(out.pane_text);
    ASSERT_GT(lines.size(), 2u);

    const auto records = ReadCsv(RunCsv(out.rows, c.kind, s, std::atof(c.tz), RegionalFormat{}));
    ASSERT_EQ(records.size(), lines.size() + 1);  // and the header
    const std::vector<std::string>& header = records[0];
    ASSERT_EQ(header.size(), 25u);
    const auto col = [&header](const char* name) {
      return static_cast<size_t>(std::find(header.begin(), header.end(), name) - header.begin());
    };
    for (size_t i = 0; i < lines.size(); ++i) {
      const std::vector<std::string>& f = records[i + 1];
      const std::string& line = lines[i];
      SCOPED_TRACE(line);
      ASSERT_EQ(f.size(), header.size());
      EXPECT_EQ(f[col("kind")], c.kind_text);
      // The line begins "g. Sun      g. Mars     12/02/2007 12:00".
      EXPECT_EQ(line.substr(3, f[col("p1")].size()), f[col("p1")]);
      EXPECT_EQ(line.substr(12, 3), "g. ");
      EXPECT_EQ(line.substr(15, f[col("p2")].size()), f[col("p2")]);
      EXPECT_EQ(f[col("p1_centre")], "geocentric");
      EXPECT_EQ(f[col("p3")].empty(), !c.p3);
      const size_t moment = c.p3 ? 37 : 24;  // each role 12 characters, P3 13
      const std::string& local = f[col("local_time")];
      EXPECT_EQ(line.substr(moment, 16), local.substr(5, 2) + "/" + local.substr(8, 2) + "/" +
                                             local.substr(0, 4) + " " + local.substr(11, 5));
      if (c.kind == ScanKind::Longitude) {
        ASSERT_FALSE(f[col("aspect_codes")].empty());
        EXPECT_TRUE(line.ends_with(f[col("aspect_codes")])) << f[col("aspect_codes")];
        EXPECT_EQ(std::atoi(f[col("aspect1_deg")].c_str()),
                  std::atoi(f[col("aspect_codes")].c_str()));
        // Degree in sign and sign number as the line shows them ("09.4 (09)").
        const std::string shown = line.substr(moment + 18, 9);
        const double lon = std::atof(f[col("p1_deg")].c_str());
        EXPECT_NEAR(std::atof(shown.c_str()) + 30.0 * (std::atoi(shown.substr(6, 2).c_str()) - 1),
                    lon, 0.051);
        EXPECT_EQ(f[col("p1_sign")].empty(), c.ra);
        // The trade's notation: the same degree and minute as p1_sign, the sign as its glyph
        // ("26°06′ Sagittarius" and "26°♐06′"), and the code by name.
        const std::string& sign = f[col("p1_sign")];
        const std::string& position = f[col("p1_position")];
        EXPECT_EQ(position.empty(), c.ra);
        if (!c.ra) {
          const size_t degree_end = sign.find("°") + std::string("°").size();
          EXPECT_EQ(position.substr(0, degree_end), sign.substr(0, degree_end)) << position;
          EXPECT_NE(position.find(sign.substr(degree_end, 2) + "′"), std::string::npos) << position;
        }
        const int code = std::atoi(f[col("aspect1_deg")].c_str());
        const std::string& name = f[col("aspect1_name")];
        EXPECT_TRUE(code % 30 == 0 || code == 45 || code == 135 ? !std::isdigit(name[0])
                                                                : name == std::to_string(code))
            << code << " " << name;
      } else {
        const double p1 = std::atof(f[col("p1_deg")].c_str());
        const double p2 = std::atof(f[col("p2_deg")].c_str());
        EXPECT_NEAR(std::fabs(p1), std::fabs(p2), 0.01);  // an exact parallel or contra-parallel
        EXPECT_EQ(f[col("aspect1_deg")], (p1 < 0) == (p2 < 0) ? "0" : "180");
        EXPECT_NEAR(std::atof(line.substr(moment + 18, 7).c_str()), p1, 0.0006);
        EXPECT_TRUE(f[col("p1_sign")].empty());
        EXPECT_EQ(f[col("aspect1_name")], f[col("aspect1_deg")] == "0" ? "parallel" : "contra-parallel");
        const std::string& position = f[col("p1_position")];
        EXPECT_TRUE(position.ends_with(p1 < 0 ? "′ S" : "′ N")) << position;
      }
    }
  }
}

}  // namespace
}  // namespace tarnwick
