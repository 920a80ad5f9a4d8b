// Sky events in the report and the CSV: the line layout, the merge with the aspect lines, and
// a run's report that stays what it was once the event lines are taken out.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/calendar.h"
#include "report/csv_export.h"
#include "report/event_csv.h"
#include "report/event_lines.h"
#include "report/report_lines.h"
#include "report/report_names.h"
#include "report/run_command.h"
#include "tests/store/scratch_folder.h"
#include "tests/support/real_run.h"

namespace tarnwick {
namespace {

// 04/01/2024 22:14 UT.
const double kMoment = ConvertDatetoJD(4, 1, 2024) + (22.0 + 14.0 / 60.0) / 24.0;

SkyEvent Event(EventKind kind, int body, double position, int detail, int direction = 0) {
  SkyEvent e;
  e.kind = kind;
  e.body = body;
  e.jd_ut = kMoment;
  e.position = position;
  e.detail = detail;
  e.direction = direction;
  return e;
}

TEST(event_lines, each_kind_in_its_documented_layout) {
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
  struct Row { SkyEvent event; double tz; const char* line; };
  const Row rows[] = {
      {Event(EventKind::Station, 2, 27.2, -1), 0,
       "g. Mercury  station     04/01/2024 22:14  27.2 (01)  turns retrograde"},
      {Event(EventKind::Station, 2, 16.0, 1), 5,
       "g. Mercury  station     04/01/2024 17:14  16.0 (01)  turns direct"},
      {ingress, 0, "h. Mars     ingress     04/01/2024 22:14  00.0 (04)  enters Gemini (retrograde)"},
      {lunation, 0, "g. Moon     lunation    04/01/2024 22:14  12.2 (01)  new moon, total solar eclipse greatest 22:10"},
      {eclipse, 0, "g. Moon     eclipse     04/01/2024 22:14  04.0 (07)  penumbral lunar eclipse, greatest"},
      {Event(EventKind::OutOfBounds, idxMoon, -23.4381, 1, -1), 0,
       "g. Moon     bounds      04/01/2024 22:14  -23.438  out of bounds south"},
      {Event(EventKind::OutOfBounds, 4, 23.4381, -1, 1), 0,
       "g. Mars     bounds      04/01/2024 22:14   23.438  back in bounds from north"},
      {void_after, 0,
       "g. Moon     void        04/01/2024 22:14  29.5 (05)  void of course until 04/02/2024 10:14 (enters Virgo), after trine Venus"},
      {void_whole, 0,
       "g. Moon     void        04/01/2024 22:14  29.5 (05)  void of course until 04/02/2024 10:14 (enters Virgo), no aspect in the sign"},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(EventLine(r.event, *FixedOffsetZone(r.tz), DateOrder::MonthDayYear), std::string(r.line) + "\r\n");
  }
}

FoundAspects RowsAt(std::initializer_list<double> moments) {
  FoundAspects rows;
  for (const double jd : moments) {
    FoundAspect row;
    row.jd_ut = jd;
    rows.push_back(row);
  }
  return rows;
}

TEST(event_lines, merged_by_moment_with_the_aspect_line_first_and_taken_out_again) {
  const FoundAspects rows = RowsAt({kMoment, kMoment + 1, kMoment + 2});
  const std::string report = "A\r\nB\r\nC\r\n";
  SkyEvents events;
  for (const double offset : {-1.0, 1.0, 3.0}) {
    SkyEvent e = Event(EventKind::Station, 2, 10.0, 1);
    e.jd_ut = kMoment + offset;
    events.push_back(e);
  }
  const std::string merged = MergeEventLines(report, rows, events, *FixedOffsetZone(0), DateOrder::MonthDayYear);
  std::string order, without_events;
  size_t pos = 0;
  while (pos < merged.size()) {
    const size_t end = merged.find("\r\n", pos) + 2;
    const std::string line = merged.substr(pos, end - pos);
    const bool event = line.starts_with("g. Mercury  station");
    order += event ? 'e' : line[0];
    if (!event) without_events += line;
    pos = end;
  }
  EXPECT_EQ(order, "eABeCe");
  EXPECT_EQ(without_events, report);
  EXPECT_EQ(MergeEventLines(report, rows, {}, *FixedOffsetZone(0), DateOrder::MonthDayYear), report);
  EXPECT_EQ(MergeEventLines("", {}, events, *FixedOffsetZone(0), DateOrder::MonthDayYear).size(),
            3 * EventLine(events[0], *FixedOffsetZone(0), DateOrder::MonthDayYear).size());
}

TEST(event_lines, report_names_with_events_never_take_the_plain_name) {
  EXPECT_EQ(WithEventsName("12012007_12312007_5_3.0_15.0_ggg_mp_15_noRA.txt"),
            "12012007_12312007_5_3.0_15.0_ggg_mp_15_noRA_events.txt");
  EXPECT_EQ(WithEventsName("odd"), "odd_events");
  RunSettings s;
  s.opt1_ghd = Centre::Helio;
  EXPECT_EQ(EventsReportName(s, RegionalFormat{}), "12012007_12312007_5_events_h.txt");
  s.txtTZ = "../5";
  EXPECT_EQ(EventsReportName(s, RegionalFormat{}).find('/'), std::string::npos);
}

TEST(event_csv, one_record_per_event_in_the_aspect_columns) {
  const FoundAspects rows = RowsAt({kMoment});
  RunSettings s;
  s.chkUseP3 = false;
  const std::string csv = RunCsv(rows, ScanKind::Longitude, s, 0, RegionalFormat{});
  SkyEvent before = Event(EventKind::Lunation, idxMoon, 200.5, 2);
  before.jd_ut = kMoment - 1;
  const SkyEvent after = Event(EventKind::OutOfBounds, idxMoon, -24.5, 1, -1);
  const std::string merged = MergeEventRecords(csv, rows, {before, after}, *FixedOffsetZone(0), DateOrder::MonthDayYear);
  std::vector<std::string> records;
  for (size_t pos = 0; pos < merged.size();) {
    const size_t end = merged.find("\r\n", pos);
    records.push_back(merged.substr(pos, end - pos));
    pos = end + 2;
  }
  ASSERT_EQ(records.size(), 4u);
  const auto fields = [](const std::string& r) { return std::count(r.begin(), r.end(), ',') + 1; };
  EXPECT_EQ(records[1], "event: lunation,Moon,geocentric,,,,,2024-03-31T22:14+00:00,2024-03-31T22:14:00Z,"
                        "full moon,180,,,200.500000,,,20°30′ Libra,,,20°♎30′,,,,,");
  EXPECT_EQ(fields(records[1]), fields(records[0]));
  EXPECT_TRUE(records[2].starts_with("longitude,"));  // the aspect keeps its place and text
  EXPECT_TRUE(records[3].starts_with("event: bounds,Moon,geocentric,")) << records[3];
  EXPECT_NE(records[3].find("out of bounds south,,,,-24.500000,,,,,"), std::string::npos) << records[3];
}

// A real run with events: its report less the event lines is the report of the same run
// without them, byte for byte; a calendar of events alone holds only event lines.
TEST(event_run, events_add_lines_and_take_nothing_away) {
  ScratchFolder folder;
  RunRequest request;
  RunSettings& s = request.settings;
  s.txtStartDate = "01/01/2008";
  s.txtEndDate = "01/15/2008";
  s.chkUseP3 = false;
  s.chkP1Planets = s.chkP2Planets = BodyList({0, 1, 2, 4});
  request.data_folder = folder.path();
  request.save = false;
  const ProviderFactory factory = LibraryProviders();

  const RunOutcome plain = RunAspectarian(request, factory);
  ASSERT_EQ(plain.status, RunOutcome::Status::Done);
  request.events = *ParseEventList("all", nullptr);
  const RunOutcome with = RunAspectarian(request, factory);
  ASSERT_EQ(with.status, RunOutcome::Status::Done);
  EXPECT_EQ(with.rows.size(), plain.rows.size());
  EXPECT_EQ(with.file_name, WithEventsName(plain.file_name));
  ASSERT_FALSE(with.events.empty());
  std::string kept;
  int event_lines = 0;
  for (size_t pos = 0; pos < with.pane_text.size();) {
    const size_t end = with.pane_text.find("\r\n", pos) + 2;
    const std::string line = with.pane_text.substr(pos, end - pos);
    // Column 13 holds a second body's centre label on an aspect line, the event word else.
    const bool event = line.size() > 24 && line[1] == '.' && line[12] != 'g' && line[12] != 'h';
    event_lines += event;
    if (!event) kept += line;
    pos = end;
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
  const RunOutcome only = RunAspectarian(request, factory);
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
  const RunOutcome refused = RunAspectarian(request, factory);
  EXPECT_EQ(refused.status, RunOutcome::Status::Refused);
  ASSERT_EQ(refused.problems.size(), 1u);
  EXPECT_TRUE(refused.problems[0].starts_with("Events:")) << refused.problems[0];
}

}  // namespace
}  // namespace tarnwick
