// The graph's speed: a year of all 26 bodies sampled from the library and drawn at the
// runner's default size on one core, and the Graph tab's redraws while zooming and panning.
//
//   QT_QPA_PLATFORM=offscreen build/bin/tarnwick-graph-drawing [START END]
//
// START, END: the span (default 01/01/2027 and 12/31/2027). The markers are those of a
// two-body run of Sun to Pluto over the span; the lines are every body's (the plan of a run
// of all 26 bodies, not searched). Prints the best and the worst of several rounds, in ms
// of processor time of the drawing thread (the machine may be busy with other work).
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "core/position_cache.h"
#include "core/program_folder.h"
#include "core/swiss_ephemeris.h"
#include "graph/graph_picture.h"
#include "report/run_command.h"
#include "window/graph_view.h"

using namespace tarnwick;

namespace {

// Processor time of this thread, ms: on a machine busy with other work the wall clock
// measures the others too.
double CpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Times like QElapsedTimer, in processor time.
class CpuClock {
 public:
  void start() { begin_ = CpuMs(); }
  long long nsecsElapsed() const { return static_cast<long long>((CpuMs() - begin_) * 1e6); }

 private:
  double begin_ = 0.0;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QStringList args = app.arguments();
  const std::string start = args.size() > 2 ? args[1].toStdString() : "01/01/2027";
  const std::string end = args.size() > 2 ? args[2].toStdString() : "12/31/2027";
  const std::string path = EphemerisSearchPath(ProgramFolder());
  const ProviderFactory factory = [&] { return std::make_unique<SwissEphemeris>(path); };

  RunSettings all;
  all.txtStartDate = start;
  all.txtEndDate = end;
  all.chkUseP3 = false;
  all.chkP1Planets.fill(true);
  all.chkP2Planets.fill(true);
  SwissEphemeris judge(path);
  const PlannedRun planned = MakeRunPlan(ScanKind::Longitude, all, RegionalFormat{}, judge);
  if (!planned.plan) {
    std::fprintf(stderr, "the span cannot be planned: %s\n", planned.problems.front().c_str());
    return 1;
  }
  RunRequest request;
  request.save = false;
  request.settings = all;
  request.settings.chkP1Planets = request.settings.chkP2Planets = BodySelection{};
  for (size_t b = 0; b <= 9; ++b) request.settings.chkP1Planets[b] = request.settings.chkP2Planets[b] = true;
  const RunOutcome run = RunAspectarian(request, factory);
  std::printf("%s to %s: %zu lines, %zu markers\n", start.c_str(), end.c_str(),
              GraphOfRun(*planned.plan, {}).lines.size(), run.rows.size());

  // Sampling and drawing from cold, at the runner's default size: a fresh provider and cache
  // each round, as the runner has.
  double best = 1e9, worst = 0.0;
  for (int round = 0; round < 5; ++round) {
    GraphData data = GraphOfRun(*planned.plan, run.rows);
    data.markers = GraphOfRun(*run.plan, run.rows).markers;
    CpuClock clock;
    clock.start();
    SwissEphemeris library(path);
    PositionCache eph(library);
    eph.SetSwitches(planned.plan->switches);
    const GraphFrame frame = PrepareGraph(data, eph, 15, kGraphDefaultWidth, kGraphDefaultHeight);
    const double sampled_ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    size_t samples = 0;
    for (const GraphLine& line : data.lines) samples += line.samples.size();
    QImage image(kGraphDefaultWidth, kGraphDefaultHeight, QImage::Format_RGB32);
    QPainter painter(&image);
    GraphPaintOptions options;
    options.markers = getenv("NOMARK") == nullptr;
    PaintGraph(painter, data, frame, kGraphDefaultWidth, kGraphDefaultHeight, options);
    painter.end();
    const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    if (round == 0) std::printf("  round 1: %zu samples in %.1f ms, drawn in %.1f ms\n", samples, sampled_ms, ms - sampled_ms);
    best = std::min(best, ms);
    worst = std::max(worst, ms);
  }
  std::printf("sample and draw, 26 bodies, %dx%d, 15-degree dial: best %.1f ms, worst %.1f ms\n",
              kGraphDefaultWidth, kGraphDefaultHeight, best, worst);

  // The Graph tab: each zoom step and pan step is a repaint (resampling when the view left
  // what was sampled or zoomed in past it), and the repaint once the mouse rests.
  GraphView view(factory);
  view.resize(1336, 760);
  view.SetRun(std::make_shared<const RunPlan>(*planned.plan), {});
  view.canvas()->grab();
  const auto redraw = [&] {
    CpuClock clock;
    clock.start();
    view.canvas()->grab();
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
  };
  const auto rested = [&] {
    QThread::msleep(80);
    app.processEvents();
    return redraw();
  };
  double zoom_worst = 0.0, pan_worst = 0.0, rest_worst = 0.0;
  for (int step = 0; step < 12; ++step) {
    const double mid = (view.shownStart() + view.shownEnd()) / 2.0;
    const double half = (view.shownEnd() - view.shownStart()) / 2.0 / 1.25;
    view.ShowSpan(mid - half, mid + half);
    zoom_worst = std::max(zoom_worst, redraw());
    const double rest = rested();
    if (getenv("VERBOSE")) std::printf("  zoom to %.1f days: %.1f ms at rest\n", view.shownEnd() - view.shownStart(), rest);
    rest_worst = std::max(rest_worst, rest);
  }
  for (int step = 0; step < 20; ++step) {
    const double shift = (view.shownEnd() - view.shownStart()) * 0.1 * (step < 10 ? 1.0 : -1.0);
    view.ShowSpan(view.shownStart() + shift, view.shownEnd() + shift);
    pan_worst = std::max(pan_worst, redraw());
  }
  rest_worst = std::max(rest_worst, rested());
  std::printf("Graph tab 1336x760: worst zoom step %.1f ms, worst pan step %.1f ms, worst redraw at rest %.1f ms\n",
              zoom_worst, pan_worst, rest_worst);
  return 0;
}
