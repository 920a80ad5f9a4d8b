// The command line of tarnwick-cli: every run setting under its control name or a short
// alias, the run kind, and where the report goes. Parsing is separate from running so that
// it can be tested and fuzzed on its own.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/date_text.h"
#include "engine/body_list.h"
#include "engine/natal_chart.h"
#include "engine/run_settings.h"
#include "engine/scan.h"
#include "engine/sky_events.h"

namespace tarnwick {

struct CliOptions {
  RunSettings settings;                      // initial, then the settings file, then options
  ScanKind kind = ScanKind::Longitude;
  std::optional<std::filesystem::path> data_dir;  // default: the program's data folder
  bool save = true;
  std::optional<std::filesystem::path> csv_file;  // --csv: the found rows as CSV, too
  std::string format = "txt";                // --format: txt (the report), csv, ics or pdf
  std::optional<std::filesystem::path> output;  // --output: that file instead of standard output
  std::optional<std::filesystem::path> summary_file;  // --summary: the run summary as text
  bool bodies_table = false;                 // print the positions of all bodies instead
  int threads = 0;                           // 0: one per core
  bool plain = false;                        // no position cache, no skipped windows
  EventChoice events;                        // --events, --events-only, --voc-bodies, --voc-aspects
  bool force = false;                        // run even when the report would not fit
  std::optional<NatalChart> chart;           // --chart FILE or --natal ...: the centre "n"
  bool natal_table = false;                  // print the chart's positions instead
  // The graphic ephemeris: --graph FILE.svg|FILE.png, --dial, --graph-size WxH.
  std::optional<std::filesystem::path> graph_file;
  int graph_dial = 0;                        // 0: the run's grid (15 or 30); 360 in declination
  int graph_width = 1600, graph_height = 900;  // pixels
};

struct CliParse {
  enum class Status {
    Run,         // options parsed: run
    Help,        // --help: print `text`, exit 0
    UsageError,  // exit 2, `text` says what is wrong
    FileError,   // the settings file could not be read: exit 1
  };
  Status status = Status::Run;
  std::string text;                 // help text or error message
  std::vector<std::string> notices; // e.g. a short settings file
  CliOptions options;
};

// Parses the arguments (without the program name).
CliParse ParseCommandLine(const std::vector<std::string>& args);

}  // namespace tarnwick
