// The runner's pages and pictures, drawn by a module of their own. Qt's GUI library and what
// it brings (fonts, images, the X and GL stubs, ICU) take the runner longer to load than a
// year's search takes to run, so tarnwick-cli does not link them: it loads this module the
// first time a run asks for a PDF or a graph, from its own folder or, in an installed copy,
// from ../lib/tarnwick/.
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
struct DrawingModule {
  // The report on pages as PDF bytes; empty when the pages could not be drawn.
  std::string (*report_pdf)(const RunOutcome& out, const RunRequest& request, const RegionalFormat& regional,
                            std::time_t run_time);
  // The run's graphic ephemeris into --graph's file. False, with the reason on standard
  // error, when it cannot be drawn or written.
  bool (*write_graph)(const CliOptions& o, const RunOutcome& out, const std::string& search_path);
};

// The file name of the module, and the name of the function it exports that returns its
// DrawingModule.
inline constexpr const char* kDrawingModuleFile = "tarnwick-drawing.so";
inline constexpr const char* kDrawingModuleEntry = "tarnwick_drawing_module";

}  // namespace tarnwick
