// The two run commands, window-independent: check the inputs, scan once or over the series
// of centre choices, sort, build the report and the pane text, and save the report file.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/date_text.h"
#include "core/position_provider.h"
#include "engine/found_aspects.h"
#include "engine/run_settings.h"
#include "engine/scan.h"

namespace tarnwick {

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
  FoundAspects rows;                   // sorted by moment; only those of the aspect set
  std::size_t found_count = 0;         // rows found before the aspect set filtered them
  // Centre choices the run leaves behind: all "g" after the series of centre choices; P3
  // takes P2's choice in a two-body run.
  Centre opt1_ghd = Centre::Geo, opt2_ghd = Centre::Geo, opt3_ghd = Centre::Geo;
  std::vector<std::string> notices;    // bodies left out, bodies from orbital elements
  std::vector<BodySource> sources;     // every body and centre the run judged, by body index
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

// The centre choices of each scan of a run: one entry, the choices as they stand, or the
// series ggg, ggh, ghh, hgg, hgh, hhh (with P3) or gg, gh, hh (without) with chkAutoCalc.
std::vector<std::array<Centre, 3>> CentreSeries(const RunSettings& s);

}  // namespace tarnwick
