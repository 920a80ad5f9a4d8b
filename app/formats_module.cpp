// The formats module of tarnwick-cli (see formats_module.h): the PDF pages of print/ and the
// pictures of graph/, on Qt's offscreen platform, and the calendars of report/ics_export.
#include "app/formats_module.h"

#include <QByteArray>
#include <QGuiApplication>

#include <cstdlib>
#include <iostream>
#include <optional>

#include "app/cli_options.h"
#include "core/message_text.h"
#include "core/position_cache.h"
#include "core/swiss_ephemeris.h"
#include "graph/graph_picture.h"
#include "print/report_pages.h"
#include "report/ics_export.h"
#include "report/run_command.h"
#include "report/run_summary.h"
#include "store/regional_settings.h"

namespace tarnwick {
namespace {

// A GUI application for the fonts of pages and pictures, made only when one is drawn: after
// the run, so it changes nothing of the run (Qt sets the locale), and on the offscreen
// platform, as the runner shows nothing and needs no display.
struct OffscreenGui {
  int argc = 1;
  char name[13] = "tarnwick-cli";
  char* argv[2] = {name, nullptr};
  std::optional<QGuiApplication> app;
  OffscreenGui() {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Qt's notes on its own set-up (no XDG_RUNTIME_DIR, fonts) are no news for a user.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    app.emplace(argc, argv);
  }
};

std::string ReportPdfBytes(const RunOutcome& out, const RunRequest& request, const RegionalFormat& regional,
                           std::time_t run_time) {
  const OffscreenGui qt;
  const QByteArray pdf = ReportPdf(
      PagesOfRun(out.pane_text, out.file_name, RunSummary(request.kind, request.settings, regional, out), run_time));
  return std::string(pdf.constData(), static_cast<size_t>(pdf.size()));
}

std::string RunIcsText(const RunOutcome& out, const RunRequest& request, const RegionalFormat& regional,
                       std::time_t run_time) {
  const std::shared_ptr<const TimeZone> zone = TimeZoneOf(request.settings.txtTZ, regional.decimal_separator);
  if (!zone) return {};
  return RunIcs(out.rows, request.kind, request.settings, *zone, regional, run_time, out.events, out.chart_name);
}

bool WriteGraph(const CliOptions& o, const RunOutcome& out, const std::string& search_path) {
  if (!out.plan) return false;  // cannot happen after a run that was done
  const OffscreenGui qt;
  GraphData data = GraphOfRun(*out.plan, out.rows);
  if (o.graph_dial != 0 && !data.Folds()) {
    std::cerr << "--dial: a declination graph is not folded; the dial is ignored\n";
  }
  const int dial = o.graph_dial != 0 ? o.graph_dial : data.grid_dial;
  SwissEphemeris library(search_path);
  PositionCache eph(library);
  eph.SetSwitches(out.plan->switches);
  const GraphFrame frame = PrepareGraph(data, eph, dial, o.graph_width, o.graph_height);
  const FileStatus written = SaveGraph(*o.graph_file, data, frame, o.graph_width, o.graph_height);
  if (!written) {
    std::cerr << written.message << "\n";
    return false;
  }
  std::cerr << "Saved " << EscapeControls(o.graph_file->string()) << "\n";
  return true;
}

constexpr FormatsModule kModule{&ReportPdfBytes, &RunIcsText, &WriteGraph};

}  // namespace
}  // namespace tarnwick

// The module's one exported symbol (the others are hidden), looked up by name.
extern "C" __attribute__((visibility("default"))) const tarnwick::FormatsModule* tarnwick_formats_module() {
  return &tarnwick::kModule;
}
