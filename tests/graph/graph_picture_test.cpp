// The graph as files: one titled marker per report row in the SVG, read back with an XML
// reader; pictures refused for an unknown format or a place that cannot be written.
#include "graph/graph_picture.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QXmlStreamReader>

#include "core/position_cache.h"
#include "core/program_folder.h"
#include "core/swiss_ephemeris.h"
#include "report/run_command.h"
#include "store/scratch_folder.h"
#include "tests/support/real_run.h"

namespace tarnwick {
namespace {

// Fonts need a GUI application; the platform is offscreen (set by the test's environment).
QGuiApplication& Gui() {
  static int argc = 1;
  static char name[] = "graph_test";
  static char* argv[] = {name, nullptr};
  static QGuiApplication app(argc, argv);
  return app;
}

// The initial settings (December 2007, triple aspects with midpoints): rows, plan, sampled graph.
struct DrawnRun {
  RunOutcome out;
  GraphData data;
  GraphFrame frame;
};
DrawnRun InitialRun() {
  Gui();
  RunRequest request;
  request.save = false;
  DrawnRun run{RunOnLibrary(request), {}, {}};
  run.data = GraphOfRun(*run.out.plan, run.out.rows);
  SwissEphemeris library(EphemerisSearchPath(ProgramFolder()));
  PositionCache eph(library);
  eph.SetSwitches(run.out.plan->switches);
  run.frame = PrepareGraph(run.data, eph, 15, 1200, 700);
  return run;
}

TEST(graph_picture, svg_has_one_titled_marker_per_report_row) {
  const DrawnRun run = InitialRun();
  ASSERT_GT(run.out.rows.size(), 10u);
  // The report's lines, from the pane text as the report file holds it.
  const std::vector<std::string> report = ReportLinesOf(run.out.pane_text);
  ASSERT_EQ(report.size(), run.out.rows.size());
  // The triple run draws P2/P3 midpoint lines beside the body lines.
  EXPECT_TRUE(std::any_of(run.data.lines.begin(), run.data.lines.end(),
                          [](const GraphLine& l) { return l.key.IsMidpoint(); }));

  const QByteArray svg = GraphSvg(run.data, run.frame, 1200, 700);
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
}

TEST(graph_picture, saving_writes_the_format_of_the_name_or_says_why_not) {
  const DrawnRun run = InitialRun();
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
    const FileStatus saved = SaveGraph(path, run.data, run.frame, 1200, 700);
    EXPECT_EQ(static_cast<bool>(saved), r.says.empty()) << r.name << ": " << saved.message;
    if (r.says.empty()) {
      EXPECT_EQ(ReadBytes(path).substr(0, r.begins.size()), r.begins) << r.name;
    } else {
      EXPECT_NE(saved.message.find(r.says), std::string::npos) << saved.message;
      EXPECT_NE(saved.message.find(path.string()), std::string::npos) << saved.message;
      EXPECT_FALSE(std::filesystem::exists(path)) << r.name;
    }
  }
}

}  // namespace
}  // namespace tarnwick
