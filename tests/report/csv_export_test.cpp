#include "report/csv_export.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <utility>

#include "core/calendar.h"
#include "core/time_zone.h"
#include "report/event_csv.h"
#include "report/event_lines.h"
#include "report/ics_export.h"
#include "report/notation.h"
#include "report/report_lines.h"
#include "report/report_names.h"
#include "report/run_command.h"
#include "tests/support/real_run.h"
#include "tests/support/report_pieces.h"

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
      {"east half hour", 12, 2, 2007, 17.0, -5.5, "+05:30", "2007-12-02T22:30+05:30", "2007-12-02T17:00:00Z"},
      // 22:30 local in the west is already the next day in UT.
      {"west, next UT day", 1, 1, 2008, 3.5, 5.0, "-05:00", "2007-12-31T22:30-05:00", "2008-01-01T03:30:00Z"},
      // 20:00 UT is past midnight local in the east.
      {"east, next local day", 2, 28, 2008, 20.0, -5.5, "+05:30", "2008-02-29T01:30+05:30", "2008-02-28T20:00:00Z"},
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
        EXPECT_EQ(std::atoi(f[col("aspect1_deg")].c_str()), std::atoi(f[col("aspect_codes")].c_str()));
        // Degree in sign and sign number as the line shows them ("09.4 (09)").
        const std::string shown = line.substr(moment + 18, 9);
        const double lon = std::atof(f[col("p1_deg")].c_str());
        EXPECT_NEAR(std::atof(shown.c_str()) + 30.0 * (std::atoi(shown.substr(6, 2).c_str()) - 1), lon, 0.051);
        // The trade's notation of the longitude (and the retrograde mark) and of the code, none
        // for a right ascension; the notations themselves: report_lines_test (notation).
        const std::string& position = f[col("p1_position")];
        EXPECT_EQ(f[col("p1_sign")].empty(), c.ra);
        EXPECT_TRUE(c.ra ? position.empty() : position.starts_with(ZodiacPositionText(lon, Notation::Glyphs))) << position;
        EXPECT_EQ(f[col("aspect1_name")], AspectName(std::atoi(f[col("aspect1_deg")].c_str()), Notation::Text));
      } else {
        const double p1 = std::atof(f[col("p1_deg")].c_str()), p2 = std::atof(f[col("p2_deg")].c_str());
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

// Sky events in the report and the CSV: the line layout, the merge with the aspect lines, and
// a run's report that stays what it was once the event lines are taken out. The calendar
// export of rows and events.
// 04/01/2024 22:14 UT; 03/31/2024 12:00 UT.
const double kMoment = ConvertDatetoJD(4, 1, 2024) + (22.0 + 14.0 / 60.0) / 24.0;
const double kNoon = ConvertDatetoJD(3, 31, 2024) + 0.5;

SkyEvent Event(EventKind kind, int body, double position, int detail, int direction = 0, double jd = kMoment) {
  SkyEvent e;
  std::tie(e.kind, e.body, e.jd_ut, e.position, e.detail, e.direction) =
      std::tuple(kind, body, jd, position, detail, direction);
  return e;
}

// Each kind of event in the documented layout of its report line (none: the summary alone)
// and as a person reads it in a calendar. Bodies: 0 Sun, 1 Moon, 2 Mercury, 4 Mars.
TEST(event_lines, each_kind_in_its_documented_layout_and_summary) {
  SkyEvent ingress = Event(EventKind::Ingress, 4, 90.0, 2, -1);
  ingress.centre = Centre::Helio;
  SkyEvent lunation = Event(EventKind::Lunation, idxMoon, 12.24, 0);
  lunation.eclipse = EclipseKind::SolarTotal;
  lunation.eclipse_jd_ut = kMoment - 4.0 / 1440.0;
  SkyEvent eclipse = Event(EventKind::Eclipse, idxMoon, 184.0, 0);
  eclipse.eclipse = EclipseKind::LunarPenumbral;
  SkyEvent void_after = Event(EventKind::VoidOfCourse, idxMoon, 149.5, 5);
  void_after.end_jd_ut = kMoment + 0.5;
  void_after.aspect_body = 3;
  void_after.aspect_angle = 120;
  SkyEvent void_whole = void_after;
  void_whole.aspect_body = void_whole.aspect_angle = -1;
  SkyEvent full_moon = Event(EventKind::Lunation, idxMoon, 180.0, 2);
  full_moon.eclipse = EclipseKind::LunarTotal;
  SkyEvent annular = Event(EventKind::Eclipse, idxSun, 0.0, 0);
  annular.eclipse = EclipseKind::SolarAnnular;
  struct Row { SkyEvent event; double tz; std::string line, summary; };
  const Row rows[] = {
      {Event(EventKind::Station, 2, 27.2, -1, -1), 0, "g. Mercury  station     04/01/2024 22:14  27.2 (01)  turns retrograde",
       "Mercury turns retrograde"},
      {Event(EventKind::Station, 2, 16.0, 1, 1), 5, "g. Mercury  station     04/01/2024 17:14  16.0 (01)  turns direct",
       "Mercury turns direct"},
      {ingress, 0, "h. Mars     ingress     04/01/2024 22:14  00.0 (04)  enters Gemini (retrograde)",
       "Mars (h) enters Gemini (retrograde)"},
      {lunation, 0, "g. Moon     lunation    04/01/2024 22:14  12.2 (01)  new moon, total solar eclipse greatest 22:10",
       "New moon, total solar eclipse"},
      {eclipse, 0, "g. Moon     eclipse     04/01/2024 22:14  04.0 (07)  penumbral lunar eclipse, greatest",
       "Penumbral lunar eclipse"},
      {Event(EventKind::OutOfBounds, idxMoon, -23.4381, 1, -1), 0,
       "g. Moon     bounds      04/01/2024 22:14  -23.438  out of bounds south", "Moon out of bounds south"},
      {Event(EventKind::OutOfBounds, 4, 23.4381, -1, 1), 0,
       "g. Mars     bounds      04/01/2024 22:14   23.438  back in bounds from north", "Mars back in bounds from north"},
      {void_after, 0,
       "g. Moon     void        04/01/2024 22:14  29.5 (05)  void of course until 04/02/2024 10:14 (enters Virgo), after trine Venus",
       "Moon void of course"},
      {void_whole, 0,
       "g. Moon     void        04/01/2024 22:14  29.5 (05)  void of course until 04/02/2024 10:14 (enters Virgo), no aspect in the sign",
       "Moon void of course"},
      {Event(EventKind::Ingress, idxSun, 0.0, 0, 1), 0, "", "Sun enters Aries"},
      {Event(EventKind::Lunation, idxMoon, 270.0, 3), 0, "", "Last quarter"},
      {full_moon, 0, "", "Full moon, total lunar eclipse"}, {annular, 0, "", "Annular solar eclipse"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.summary);
    if (!r.line.empty()) {
      EXPECT_EQ(EventLine(r.event, *FixedOffsetZone(r.tz), DateOrder::MonthDayYear), r.line + "\r\n");
    }
    EXPECT_EQ(SkyEventSummary(r.event), r.summary);
  }
}

TEST(event_lines, merged_by_moment_with_the_aspect_line_first_in_the_report_and_the_csv) {
  FoundAspects rows(3);
  for (size_t i = 0; i < 3; ++i) rows[i].jd_ut = kMoment + static_cast<double>(i);
  const std::string report = "A\r\nB\r\nC\r\n";
  SkyEvents events;
  for (const double offset : {-1.0, 1.0, 3.0}) events.push_back(Event(EventKind::Station, 2, 10.0, 1, 0, kMoment + offset));
  const auto utc = FixedOffsetZone(0);
  const auto line = [&](size_t i) { return EventLine(events[i], *utc, DateOrder::MonthDayYear); };
  EXPECT_EQ(MergeEventLines(report, rows, events, *utc, DateOrder::MonthDayYear),
            line(0) + "A\r\nB\r\n" + line(1) + "C\r\n" + line(2));
  EXPECT_EQ(MergeEventLines(report, rows, {}, *utc, DateOrder::MonthDayYear), report);
  EXPECT_EQ(MergeEventLines("", {}, events, *utc, DateOrder::MonthDayYear), line(0) + line(1) + line(2));
  // In the CSV, one record per event in the aspect columns.
  const FoundAspects csv_rows(rows.begin(), rows.begin() + 1);
  RunSettings s;
  s.chkUseP3 = false;
  const std::string csv = RunCsv(csv_rows, ScanKind::Longitude, s, 0, RegionalFormat{});
  const SkyEvent before = Event(EventKind::Lunation, idxMoon, 200.5, 2, 0, kMoment - 1);
  const SkyEvent after = Event(EventKind::OutOfBounds, idxMoon, -24.5, 1, -1);
  const std::vector<std::string> records =
      SplitLines(MergeEventRecords(csv, csv_rows, {before, after}, *utc, DateOrder::MonthDayYear));
  ASSERT_EQ(records.size(), 4u);
  EXPECT_EQ(records[1], "event: lunation,Moon,geocentric,,,,,2024-03-31T22:14+00:00,2024-03-31T22:14:00Z,"
                        "full moon,180,,,200.500000,,,20°30′ Libra,,,20°♎30′,,,,,");
  EXPECT_EQ(std::count(records[1].begin(), records[1].end(), ','), std::count(records[0].begin(), records[0].end(), ','));
  EXPECT_TRUE(records[2].starts_with("longitude,"));  // the aspect keeps its place and text
  EXPECT_TRUE(records[3].starts_with("event: bounds,Moon,geocentric,")) << records[3];
  EXPECT_NE(records[3].find("out of bounds south,,,,-24.500000,,,,,"), std::string::npos) << records[3];
}

// A real run with events: its report less the event lines is the report of the same run
// without them, byte for byte; a calendar of events alone holds only event lines.
TEST(event_run, events_add_lines_and_take_nothing_away_under_names_of_their_own) {
  RunRequest request = TwoBodyRequest("01/01/2008", "01/15/2008", BodyList({0, 1, 2, 4}), BodyList({0, 1, 2, 4}));
  const RunOutcome plain = RunOnLibrary(request);
  ASSERT_EQ(plain.status, RunOutcome::Status::Done);
  request.events = *ParseEventList("all", nullptr);
  const RunOutcome with = RunOnLibrary(request);
  ASSERT_EQ(with.status, RunOutcome::Status::Done);
  EXPECT_EQ(std::pair(with.rows.size(), with.file_name), std::pair(plain.rows.size(), WithEventsName(plain.file_name)));
  ASSERT_FALSE(with.events.empty());
  std::string kept;
  int event_lines = 0;
  for (const std::string& line : SplitLines(with.pane_text)) {
    // Column 13 holds a second body's centre label on an aspect line, the event word else.
    const bool event = line.size() > 24 && line[1] == '.' && line[12] != 'g' && line[12] != 'h';
    event_lines += event;
    if (!event) kept += line + "\r\n";
  }
  EXPECT_EQ(event_lines, static_cast<int>(with.events.size()));
  EXPECT_EQ(kept, plain.pane_text);

  request.events.only = true;
  std::int64_t last_done = 0, last_total = -1;
  request.progress = [&](std::int64_t done, std::int64_t total) {
    EXPECT_GE(done, last_done);  // the bar never runs back ...
    last_done = done;
    last_total = total;
  };
  const RunOutcome only = RunOnLibrary(request);
  EXPECT_GT(last_total, 0);
  EXPECT_EQ(last_done, last_total);  // ... and ends full: the count of windows is the search's
  ASSERT_EQ(only.status, RunOutcome::Status::Done);
  EXPECT_TRUE(only.rows.empty());
  EXPECT_EQ(only.events.size(), with.events.size());
  EXPECT_EQ(only.file_name, "01012008_01152008_5_events_g.txt");
  std::string lines;
  for (const SkyEvent& e : only.events) lines += EventLine(e, *FixedOffsetZone(5), DateOrder::MonthDayYear);
  EXPECT_EQ(only.pane_text, PaneText(lines));

  request.events = EventChoice{};
  request.events.only = true;
  const RunOutcome refused = RunOnLibrary(request);
  EXPECT_EQ(refused.status, RunOutcome::Status::Refused);
  ASSERT_EQ(refused.problems.size(), 1u);
  EXPECT_TRUE(refused.problems[0].starts_with("Events:")) << refused.problems[0];
  // Names with events never take the plain name; a text made file-safe: report_names.
  EXPECT_EQ(WithEventsName("12012007_12312007_5_3.0_15.0_ggg_mp_15_noRA.txt"),
            "12012007_12312007_5_3.0_15.0_ggg_mp_15_noRA_events.txt");
  RunSettings s;
  s.opt1_ghd = Centre::Helio;
  EXPECT_EQ(EventsReportName(s, RegionalFormat{}), "12012007_12312007_5_events_h.txt");
}

FoundAspect Row(std::array<int, 3> body, std::array<double, 3> position,
                std::array<Centre, 3> centre = {Centre::Geo, Centre::Geo, Centre::Geo}) {
  return {.body = body, .jd_ut = kNoon, .position = position, .centre = centre};
}

// Summaries a person reads in a calendar, for each kind of run. Bodies: 0 Sun, 1 Moon,
// 3 Venus, 4 Mars, 6 Saturn.
TEST(ics, summaries_name_bodies_and_aspect) {
  const RunSettings mp;  // triple, midpoints
  RunSettings two = mp, md = mp, ra, lat;
  two.chkUseP3 = ra.chkUseP3 = lat.chkUseP3 = md.chkUseMidpoints = false;
  ra.chkUse_RA = lat.chkUseGeoLat = true;
  struct Case { const char* name; ScanKind kind; const RunSettings* settings; FoundAspect row; std::string summary; };
  const Case cases[] = {
      {"square", ScanKind::Longitude, &two, Row({0, 4, 4}, {10, 100, 100}), "Sun 90° Mars"},
      {"across 0 Aries", ScanKind::Longitude, &two, Row({0, 4, 4}, {350, 5, 5}), "Sun 15° Mars"},
      {"heliocentric role", ScanKind::Longitude, &two, Row({3, 4, 4}, {10, 70, 70}, {h, h, h}),
       "Venus (h) 60° Mars (h)"},
      {"midpoint", ScanKind::Longitude, &mp, Row({1, 4, 6}, {50, 40, 60}), "Moon 0° Mars/Saturn midpoint"},
      {"midpoint, far side", ScanKind::Longitude, &mp, Row({1, 4, 6}, {230, 40, 60}, {g, g, g}),
       "Moon 180° Mars/Saturn midpoint"},
      {"mid-degree", ScanKind::Longitude, &md, Row({1, 4, 6}, {50, 40, 60}), "Moon at the Mars/Saturn mid-degree"},
      {"right ascension", ScanKind::Longitude, &ra, Row({0, 3, 3}, {10, 10, 10}), "Sun 0° Venus in right ascension"},
      {"parallel", ScanKind::Declination, &two, Row({0, 3, 3}, {-12.5, -12.5, -12.5}), "Sun parallel Venus"},
      {"contra-parallel", ScanKind::Declination, &two, Row({0, 1, 1}, {12.5, -12.5, -12.5}),
       "Sun contra-parallel Moon"},
      {"latitude", ScanKind::Declination, &lat, Row({0, 3, 3}, {1, 1, 1}), "Sun parallel Venus in latitude"},
      {"declination midpoint", ScanKind::Declination, &mp, Row({0, 4, 6}, {-2, -10, 6}),
       "Sun parallel Mars/Saturn midpoint"},
  };
  for (const Case& c : cases) EXPECT_EQ(EventSummary(c.row, c.kind, *c.settings), c.summary) << c.name;
}

SkyEvent CalendarEvent(EventKind kind, int body, int detail, int direction) {
  return Event(kind, body, 0.0, detail, direction, kNoon);
}

// A UID names the event, not the moment it was found: the same for a row or a sky event found
// again seconds later within its minute, different for whatever makes it another event.
TEST(ics, uid_is_stable_for_the_same_event_and_differs_for_another) {
  RunSettings s;
  s.chkUseP3 = false;
  const auto uid = [&s](const FoundAspect& r, ScanKind k = ScanKind::Longitude) { return EventUid(r, k, s); };
  const FoundAspect row = Row({0, 4, 4}, {10, 100, 100});
  EXPECT_EQ(uid(row), "20240331T1200Z-lon-0g-4g-90@tarnwick");
  FoundAspect later = row, next_minute = row, other_body = row, helio = row, other_angle = row;
  later.jd_ut += 10.0 / 86400;
  next_minute.jd_ut += 1.0 / 1440;
  other_body.body = {0, 5, 5};
  helio.centre = {Centre::Geo, Centre::Helio, Centre::Helio};
  other_angle.position = {10, 130, 130};
  EXPECT_EQ(uid(later), uid(row));
  for (const FoundAspect* other : {&next_minute, &other_body, &helio, &other_angle}) EXPECT_NE(uid(*other), uid(row));
  EXPECT_NE(uid(row, ScanKind::Declination), uid(row));

  const SkyEvent station = CalendarEvent(EventKind::Station, 2, -1, -1);
  SkyEvent e_later = station, e_next = station, e_body = station, e_kind = station, e_way = station, e_helio = station;
  e_later.jd_ut += 20.0 / 86400;
  e_next.jd_ut += 1.0 / 1440;
  e_body.body = 4;
  e_kind.kind = EventKind::Ingress;
  e_way.detail = e_way.direction = 1;
  e_helio.centre = Centre::Helio;
  EXPECT_EQ(SkyEventUid(e_later), SkyEventUid(station));
  for (const SkyEvent* other : {&e_next, &e_body, &e_kind, &e_way, &e_helio}) EXPECT_NE(SkyEventUid(*other), SkyEventUid(station));
  // Two ingresses of one body in one minute (back and forth over a cusp) are two events.
  EXPECT_NE(SkyEventUid(CalendarEvent(EventKind::Ingress, 2, 0, 1)), SkyEventUid(CalendarEvent(EventKind::Ingress, 2, 11, -1)));
}

// The calendar as libical writes it: one VEVENT per row and per sky event, joined by moment
// (a row before an event of its moment), UTC start at the minute and an end one minute later,
// the void of course from its start to its end; each UID once, CR LF line ends (RFC 5545
// section 3.1). The independent parse is the script test report_ics_parses_independently.
TEST(ics, calendar_has_one_minute_events_in_utc_with_the_sky_events_among_the_rows) {
  RunSettings s;
  s.chkUseP3 = false;
  s.txtTZ = "Europe/Berlin";
  const FoundAspect row = Row({0, 4, 4}, {10, 100, 100});  // 03/31/2024 12:00 UT
  FoundAspect a = row;
  a.jd_ut = ConvertDatetoJD(10, 27, 2024) + (30.0 + 20.0 / 60) / 1440;  // 00:30:20 UT
  FoundAspect b = a;
  b.jd_ut += 1.0 / 24;  // 01:30:20 UT, the same clock time an hour later
  SkyEvent before = CalendarEvent(EventKind::Station, 2, -1, -1);
  before.jd_ut -= 1.0 / 24;  // 11:00
  SkyEvent same = CalendarEvent(EventKind::Lunation, 1, 3, 0);  // 12:00, after the aspect
  SkyEvent voc = CalendarEvent(EventKind::VoidOfCourse, 1, 2, 0);
  voc.jd_ut += 2.0 / 24;             // 14:00
  voc.end_jd_ut = voc.jd_ut + 0.25;  // 20:00
  const std::string ics = RunIcs({row, a, b}, ScanKind::Longitude, s, *NamedZone("Europe/Berlin"), RegionalFormat{}, 0,
                                 {before, same, voc});
  const auto at = [&ics](const std::string& what) { return ics.find(what); };
  const auto count = [&ics](const std::string& what) {  // how often `what` stands in the calendar
    size_t n = 0;
    for (size_t i = 0; (i = ics.find(what, i)) != std::string::npos; i += what.size()) ++n;
    return n;
  };
  EXPECT_EQ(count("BEGIN:VEVENT\r\n"), 6u);
  // Each once: the times, each sky event's UID, the event's report line as the description,
  // the two showings of 02:30 told apart by their offsets, the calendar's name.
  std::vector<std::string> once = {"DTSTART:20241027T003000Z\r\nDTEND:20241027T003100Z\r\n", "DTSTART:20241027T013000Z\r\n",
                                   "DTSTART:20240331T110000Z\r\nDTEND:20240331T110100Z\r\n",
                                   "DTSTART:20240331T140000Z\r\nDTEND:20240331T200000Z\r\n",
                                   "DESCRIPTION:g. Moon     lunation", "2024-10-27T02:30+02:00", "2024-10-27T02:30+01:00",
                                   "X-WR-CALNAME:"};
  for (const SkyEvent* e : {&before, &same, &voc}) once.push_back("UID:" + SkyEventUid(*e) + "\r\n");
  for (const std::string& what : once) EXPECT_EQ(count(what), 1u) << what << " in\n" << ics;
  const size_t station = at("SUMMARY:Mercury turns retrograde"), aspect = at("SUMMARY:Sun 90"),
               quarter = at("SUMMARY:Last quarter"), void_ = at("SUMMARY:Moon void of course");
  ASSERT_NE(void_, std::string::npos);
  EXPECT_TRUE(station < aspect && aspect < quarter && quarter < void_) << ics;
  EXPECT_EQ(count("\n"), count("\r\n"));
}

}  // namespace
}  // namespace tarnwick
