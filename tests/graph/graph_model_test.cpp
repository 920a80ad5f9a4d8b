// The graph's geometry: folding onto a dial and breaking at its wrap, markers of real runs on
// their bodies' lines at the default picture size, the date axis, and hit testing.
#include "report/graph_model.h"

#include <QGuiApplication>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "core/angles.h"
#include "core/calendar.h"
#include "core/position_cache.h"
#include "graph/graph_picture.h"
#include "store/scratch_folder.h"
#include "tests/support/real_run.h"

namespace tarnwick {
namespace {

// A marker further from a line than this would be seen beside it, pixels.
constexpr double kMaxMarkerOffsetPx = 0.5;

// A frame of four days on `dial`, `height` pixels high and 400 wide.
GraphFrame FourDays(int dial, double height) {
  return {.t0 = 0.0, .t1 = 4.0, .width = 400.0, .height = height, .v_high = static_cast<double>(dial), .dial = dial};
}

// The frame of a run's graph on `dial`, drawn from the library's positions.
GraphFrame Prepared(GraphData& data, const RunPlan& plan, int dial, int width, int height) {
  SwissEphemeris library(EphemerisSearchPath(ProgramFolder()));
  PositionCache eph(library);
  eph.SetSwitches(plan.switches);
  return PrepareGraph(data, eph, dial, width, height);
}

const GraphLine& LineOf(const GraphData& data, int body) {
  for (const GraphLine& line : data.lines) if (!line.key.IsMidpoint() && line.key.body == body) return line;
  throw std::runtime_error("no line of body " + std::to_string(body));
}

// A body moving steadily across a wrap: the line breaks once, at the moment of the wrap, the
// piece before ending on one edge and the piece after starting on the other.
TEST(graph_model, folding_onto_the_dial_and_lines_break_where_they_wrap) {
  struct Row { const char* name; int dial; double start; double motion; double wrap_day; bool upwards; };
  const Row rows[] = {
      {"forwards across 0 Aries, 360 dial", 360, 358.0, 1.0, 2.0, true},
      {"backwards across 0 Aries, 30-degree dial", 30, 2.0, -1.0, 2.0, false},
      {"forwards across the 15-degree wrap at 15 Aries", 15, 12.0, 1.0, 3.0, true},
      {"the Moon's pace across the 45-degree wrap", 45, 40.0, 13.0, 5.0 / 13.0, true},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    GraphLine line;
    for (double t = 0.0; t <= 4.0; t += 0.25) line.samples.push_back({t, Reduce_to_under_360(r.start + r.motion * t), r.motion});
    const GraphFrame f = FourDays(r.dial, 300.0);
    const std::vector<GraphPiece> pieces = LinePieces(line, f);
    // The Moon's line crosses more than once in four days; the first break is the one named.
    ASSERT_GE(pieces.size(), 2u);
    const GraphPoint end = pieces[0].points.back(), begin = pieces[1].points.front();
    EXPECT_NEAR(end.x, f.X(r.wrap_day), 1e-6);
    EXPECT_NEAR(begin.x, end.x, 1e-9);
    EXPECT_NEAR(end.y, r.upwards ? f.top : f.top + f.height, 1e-9);
    EXPECT_NEAR(begin.y, r.upwards ? f.top + f.height : f.top, 1e-9);
    for (const GraphPiece& piece : pieces) {
      EXPECT_EQ(piece.retrograde, r.motion < 0.0);
      // No piece jumps across the plot: every step is the motion's, a few pixels.
      for (size_t i = 1; i < piece.points.size(); ++i) {
        EXPECT_LT(std::fabs(piece.points[i].y - piece.points[i - 1].y), 0.26 * std::fabs(r.motion) * f.PixelsPerDegree() + 1e-9);
      }
    }
  }
  struct Fold { const char* name; double lon; int dial; double folded; };
  const Fold folds[] = {
      {"just below 0 Aries, 15-degree dial", 359.75, 15, 14.75},
      {"a negative longitude", -0.25, 30, 29.75},
      {"on the wrap of the 45-degree dial", 45.0, 45, 0.0},
      {"a hair below the wrap", 44.999, 45, 44.999},
      {"past one turn", 725.0, 90, 5.0},
  };
  for (const Fold& r : folds) {
    const double f = FoldToDial(r.lon, r.dial);
    EXPECT_NEAR(f, r.folded, 1e-9) << r.name;
    EXPECT_TRUE(f >= 0.0 && f < r.dial) << r.name;
  }
}

// The found moment of each row, drawn at the default picture size, sits on P1's and P2's
// lines (P2's mirror for a contra-parallel): the lines are sampled finely enough. The moments
// themselves: engine_test and report_test (real_sky).
TEST(graph_model, markers_lie_on_both_bodies_lines) {
  struct Row { const char* name; ScanKind kind; const char* start; const char* end; int p1, p2; int dial; };
  const Row rows[] = {
      {"Sun and Mars, 2027", ScanKind::Longitude, "01/01/2027", "12/31/2027", 0, 4, 15},
      {"the same on the 90-degree dial", ScanKind::Longitude, "01/01/2027", "12/31/2027", 0, 4, 90},
      {"Mercury and Mars, 2027: three stations of Mercury", ScanKind::Longitude, "01/01/2027", "12/31/2027", 2, 4, 15},
      {"Sun and Moon, 2027: the Moon wraps the dial twice a day", ScanKind::Longitude, "01/01/2027", "12/31/2027", 0, 1, 15},
      {"Moon and Venus in declination, January 2027", ScanKind::Declination, "01/01/2027", "01/31/2027", 1, 3, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const RunOutcome out = RunOnLibrary(TwoBodyRequest(r.start, r.end, BodyList({r.p1}), BodyList({r.p2}), r.kind));
    ASSERT_TRUE(out.status == RunOutcome::Status::Done && out.plan && !out.rows.empty());
    GraphData data = GraphOfRun(*out.plan, out.rows);
    const GraphFrame f = Prepared(data, *out.plan, r.dial == 0 ? 15 : r.dial, kGraphDefaultWidth, kGraphDefaultHeight);
    const std::vector<GraphPiece> p1 = LinePieces(LineOf(data, r.p1), f), p2 = LinePieces(LineOf(data, r.p2), f),
                                  p2_mirror = LinePieces(LineOf(data, r.p2), f, true);
    double worst = 0.0;
    int contras = 0;
    for (const GraphMarker& m : data.markers) {
      const GraphPoint at = MarkerPoint(m, f);
      worst = std::max(worst, DistanceToLine(p1, at));
      // On a dial that divides the aspect, the two lines cross at the marker.
      const double aspect = ArcDistance(out.rows[m.row].position[0], out.rows[m.row].position[1]);
      if (r.kind == ScanKind::Declination || std::fabs(std::remainder(aspect, static_cast<double>(r.dial))) < 1e-6) {
        worst = std::max(worst, DistanceToLine(m.contra ? p2_mirror : p2, at));
      }
      contras += m.contra ? 1 : 0;
    }
    EXPECT_LT(worst, kMaxMarkerOffsetPx) << "largest distance of a marker from its line, pixels";
    std::printf("%s: largest marker offset %.3f px (limit %.1f)\n", r.name, worst, kMaxMarkerOffsetPx);
    // A declination run meets both parallels and contra-parallels.
    EXPECT_TRUE(r.kind != ScanKind::Declination || (contras > 0 && contras < static_cast<int>(data.markers.size())))
        << contras << " contra-parallels of " << data.markers.size();
  }
}

// Day-based ticks fall on local midnights of the zone, and the unit grows with the span:
// hours, weeks (Mondays), months, decades.
TEST(graph_model, date_ticks_follow_the_zoom) {
  const auto zone = FixedOffsetZone(5.0);  // UT = local + 5 hours
  const double t0 = ConvertDatetoJD(1, 1, 2027) + 5.0 / 24.0;
  struct Row { const char* name; double days; const char* first_label; int least, most; };
  const Row rows[] = {
      {"two days: every six hours", 2.0, "1 Jan", 7, 9},
      {"two months: Mondays", 60.0, "4 Jan", 8, 9},
      {"a year: months (and the next January at the end)", 365.0, "Jan 2027", 13, 13},
      {"a century: decades", 36525.0, "2030", 10, 10},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const std::vector<GraphTick> ticks = TimeTicks(t0, t0 + r.days, 1000.0, *zone);
    ASSERT_FALSE(ticks.empty());
    EXPECT_EQ(ticks.front().label, r.first_label);
    EXPECT_TRUE(static_cast<int>(ticks.size()) >= r.least && static_cast<int>(ticks.size()) <= r.most) << ticks.size();
    for (size_t i = 0; i < ticks.size(); ++i) {
      EXPECT_TRUE(ticks[i].at >= t0 && ticks[i].at <= t0 + r.days && (i == 0 || ticks[i].at > ticks[i - 1].at));
      // Local midnights, or every six hours on the two days.
      EXPECT_EQ(LocalClockAt(ticks[i].at, 5.0).MinuteOfDay() % (r.days > 2.0 ? 1440 : 360), 0) << ticks[i].label;
    }
  }
}

TEST(graph_model, hit_testing_picks_the_nearest_marker_within_reach) {
  GraphData data;
  data.markers = {{0, 1.0, 5.0, false}, {1, 1.01, 5.2, false}, {2, 3.0, 10.0, true}};
  const GraphFrame f = FourDays(15, 150.0);
  struct Row { const char* name; double x, y; std::optional<size_t> hit; };
  const GraphPoint second = MarkerPoint(data.markers[1], f);
  const Row rows[] = {
      {"on the second of two close markers", second.x, second.y, 1},
      {"a pixel off the third", f.X(3.0) + 1.0, f.Y(10.0), 2},
      {"between markers, out of reach", f.X(2.0), f.Y(7.0), std::nullopt},
      {"on the time of a marker but far in degrees", f.X(3.0), f.Y(0.5), std::nullopt},
  };
  for (const Row& r : rows) EXPECT_EQ(MarkerAt(data, f, r.x, r.y, 5.0), r.hit) << r.name;
}

// The graph as files: one titled marker per report row in the SVG, read back with an XML
// reader; pictures refused for an unknown format or a place that cannot be written.

TEST(graph_picture, svg_has_one_titled_marker_per_report_row_and_saves_as_named) {
  // Fonts need a GUI application; the platform is offscreen (set by the test's environment).
  int argc = 1;
  char name[] = "graph_test";
  char* argv[] = {name, nullptr};
  const QGuiApplication app(argc, argv);
  RunRequest request;  // the initial settings: December 2007, triple aspects with midpoints
  request.save = false;
  const RunOutcome out = RunOnLibrary(request);
  GraphData data = GraphOfRun(*out.plan, out.rows);
  const GraphFrame frame = Prepared(data, *out.plan, 15, 1200, 700);
  ASSERT_GT(out.rows.size(), 10u);
  // The report's lines, from the pane text as the report file holds it.
  const std::vector<std::string> report = ReportLinesOf(out.pane_text);
  ASSERT_EQ(report.size(), out.rows.size());
  // The triple run draws P2/P3 midpoint lines beside the body lines.
  EXPECT_TRUE(std::any_of(data.lines.begin(), data.lines.end(),
                          [](const GraphLine& l) { return l.key.IsMidpoint(); }));

  const QByteArray svg = GraphSvg(data, frame, 1200, 700);
  QXmlStreamReader xml(svg);
  std::vector<std::string> titles;
  int markers = 0;
  bool in_marker = false;
  while (!xml.atEnd()) {
    xml.readNext();
    if (xml.isStartElement() && xml.attributes().value("class").startsWith(QStringLiteral("marker"))) {
      ++markers;
      in_marker = true;
    } else if (xml.isStartElement() && xml.name() == QStringLiteral("title") && in_marker) {
      titles.push_back(xml.readElementText().toStdString());
      in_marker = false;
    }
  }
  ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  EXPECT_EQ(markers, static_cast<int>(report.size()));
  EXPECT_EQ(titles, report);

  // Saved: the format of the name, or why not.
  const ScratchFolder folder;
  struct Row { std::string name; std::string begins; std::string says; };
  const Row rows[] = {
      {"graph.svg", "<?xml", ""},
      {"GRAPH.PNG", "\x89PNG", ""},
      {"graph.jpg", "", "ends in .svg or .png"},
      {"no such folder/graph.svg", "", "No such file or directory"},
  };
  for (const Row& r : rows) {
    const std::filesystem::path path = folder / r.name;
    const FileStatus saved = SaveGraph(path, data, frame, 1200, 700);
    EXPECT_EQ(static_cast<bool>(saved), r.says.empty()) << r.name << ": " << saved.message;
    if (r.says.empty()) EXPECT_EQ(ReadBytes(path).substr(0, r.begins.size()), r.begins) << r.name;
    else {
      EXPECT_NE(saved.message.find(r.says), std::string::npos) << saved.message;
      EXPECT_NE(saved.message.find(path.string()), std::string::npos) << saved.message;
      EXPECT_FALSE(std::filesystem::exists(path)) << r.name;
    }
  }
}

}  // namespace
}  // namespace tarnwick
