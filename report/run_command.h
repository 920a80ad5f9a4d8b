// The two run commands, window-independent: plan the run once from the settings, scan it
// (every series of centre choices in one pass), and build the report and the pane text and
// save the report file as the rows come in time order.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/date_text.h"
#include "core/position_provider.h"
#include "engine/found_aspects.h"
#include "engine/natal_chart.h"
#include "engine/run_plan.h"
#include "engine/run_settings.h"
#include "engine/scan.h"
#include "engine/sky_events.h"

namespace tarnwick {

// How large a run will be, estimated from the plan before it searches: rows from the bodies'
// daily motions at a few moments of the span, so good to a factor of about two.
struct RunSize {
  std::int64_t rows = 0;               // estimated rows of the report
  std::uint64_t report_bytes = 0;      // of the report file
  std::uint64_t kept_bytes = 0;        // memory for the rows and text the run keeps
  std::int64_t windows = 0;            // windows searched
  std::uint64_t line_bytes = 0;        // of one report line, line end included
};

struct RunRequest {
  ScanKind kind = ScanKind::Longitude;
  RunSettings settings;             // as the controls stand when the run starts
  RegionalFormat regional;
  std::filesystem::path data_folder;  // where the report file goes
  bool save = true;
  ScanOptions options;
  // Progress: windows done and windows in all, after each window. Cancel: once set, the run
  // stops and leaves no report.
  std::function<void(std::int64_t done, std::int64_t total)> progress;
  const std::atomic<bool>* cancel = nullptr;
  // Sky events for P1's bodies and centre, merged into the report; with events.only the run
  // searches no aspects and its report is the events alone. None by default: the report and
  // its file name are then what they always were.
  EventChoice events;
  // The natal chart whose fixed points the centre "n" of P2 and P3 answers. None by default:
  // "n" is then refused, and every other run is what it always was.
  std::optional<NatalChart> chart;

  // A long run's output as it comes. Without these the run keeps every row and the whole
  // report text for the window and the exports, as it always has.
  // keep_rows false: RunOutcome::rows stays empty; keep_pane_text false: pane_text does.
  bool keep_rows = true;
  bool keep_pane_text = true;
  // Each batch of rows as it comes, in time order and after the aspect set, for a caller that
  // keeps or shows them itself: RunOutcome::rows then stays empty. A cancelled run's caller
  // drops what it was handed.
  std::function<void(FoundAspects& batch)> on_rows;
  // Called once the run is planned and about to search, with the notices known so far (bodies
  // left out or computed otherwise) and the size the run will have. Answering false stops
  // the run before it searches anything: Refused, with `problems` saying why.
  std::function<bool(const std::vector<std::string>& notices, const RunSize& size,
                     std::vector<std::string>& problems)>
      on_start;
  // Called with each piece of the pane text, in order, as rows are found: the whole pane
  // text once the run is done. Not called for a cancelled run's rest.
  std::function<void(std::string_view pane_piece)> on_pane_text;
};

// Where the positions of one body in one centre came from in a run.
struct BodySource {
  enum class Kind {
    Files,            // the Swiss Ephemeris' own files
    Analytic,         // the library's analytic Moshier ephemeris (outside its files' years)
    OrbitalElements,  // integrated from the body's orbital elements
    LeftOut,          // could not be computed over the span: not searched
  };
  int body = 0;
  Centre centre = Centre::Geo;
  Kind kind = Kind::Files;
  std::string detail;  // the library's note or the reason it was left out; "" for plain files
};

struct RunOutcome {
  enum class Status {
    Done,       // report built (and saved, unless saving failed: see save_error)
    Refused,    // inputs cannot be read: nothing ran, nothing was written
    Cancelled,  // stopped by the user: no report, no file
  };
  Status status = Status::Done;
  std::vector<std::string> problems;   // Refused: one sentence per field at fault
  std::string pane_text;               // what the results pane shows
  std::string file_name;               // the report file's name
  std::filesystem::path file_path;     // where it was saved; empty when not saved
  std::string save_error;              // why saving failed, naming the file; empty when fine
  FoundAspects rows;                   // sorted by moment, only those of the aspect set;
                                       // empty unless the request keeps them
  std::int64_t rows_found = 0;         // rows of the report, kept or not
  std::size_t found_count = 0;         // rows found before the aspect set filtered them
  SkyEvents events;                    // sorted by moment; empty unless the request chose some
  // Centre choices the run leaves behind: all "g" after the series of centre choices; P3
  // takes P2's choice in a two-body run.
  Centre opt1_ghd = Centre::Geo, opt2_ghd = Centre::Geo, opt3_ghd = Centre::Geo;
  std::vector<std::string> notices;    // bodies left out, bodies from orbital elements
  std::vector<BodySource> sources;     // every body and centre the run judged, by body index
  std::string chart_name;              // the natal chart's name ("unnamed"); "" when no role is on n
  // The plan the run searched (bodies, centres, span, grid); null when the run was refused.
  // The graphic ephemeris draws its lines from it.
  std::shared_ptr<const RunPlan> plan;
};

// cmdAspectarian_Click (kind Longitude) and cmdAspectarian_declination_Click (Declination).
RunOutcome RunAspectarian(const RunRequest& request, const ProviderFactory& make_provider);

// Saves the report of a finished run (outcome.pane_text) in the data folder under
// outcome.file_name, making the folder when missing; sets outcome.file_path, or
// outcome.save_error naming the file and the reason. RunAspectarian does this itself when the
// request says save; the window does it once the report is shown.
void SaveRunReport(const std::filesystem::path& data_folder, RunOutcome& outcome);

// A message of the Swiss Ephemeris on one line: it breaks its lines as " \n" and ends a
// sentence with "; ".
std::string OneLine(std::string_view text);

// Room for a run's report file in `folder` and for what it keeps in memory, or the sentence
// saying what would not fit ("" when it fits). Free space: the file system's, and the memory
// the system reports available.
std::string RunSizeProblem(const RunSize& size, const std::filesystem::path& folder);

}  // namespace tarnwick
