// The runner's pages, pictures and calendars, made by a module of their own. Qt's GUI library
// (pages, pictures) and libical with ICU (calendars), and what they bring (fonts, images, the
// X and GL stubs), take the runner longer to load than a year's search takes to run, so
// tarnwick-cli does not link them: it loads this module the first time a run asks for a PDF,
// a calendar or a graph, from its own folder or, in an installed copy, from ../lib/tarnwick/.
#pragma once

#include <ctime>
#include <string>

namespace tarnwick {

struct CliOptions;
struct RegionalFormat;
struct RunOutcome;
struct RunRequest;

// What the module gives. Both sides are built from the same sources by the same compiler,
// so the types cross as they are.
struct FormatsModule {
  // The report on pages as PDF bytes; empty when the pages could not be drawn.
  std::string (*report_pdf)(const RunOutcome& out, const RunRequest& request, const RegionalFormat& regional,
                            std::time_t run_time);
  // The run's rows and sky events as an iCalendar text made at run_time; empty when the run's
  // time zone cannot be read (which a finished run has read already).
  std::string (*run_ics)(const RunOutcome& out, const RunRequest& request, const RegionalFormat& regional,
                         std::time_t run_time);
  // The run's graphic ephemeris into --graph's file. False, with the reason on standard
  // error, when it cannot be drawn or written.
  bool (*write_graph)(const CliOptions& o, const RunOutcome& out, const std::string& search_path);
};

// The file name of the module, and the name of the function it exports that returns its
// FormatsModule.
inline constexpr const char* kFormatsModuleFile = "tarnwick-formats.so";
inline constexpr const char* kFormatsModuleEntry = "tarnwick_formats_module";

}  // namespace tarnwick
