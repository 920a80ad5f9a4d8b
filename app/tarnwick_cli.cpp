// tarnwick-cli: Tarnwick without a display. Runs a longitude or declination aspectarian,
// prints the report on standard output and saves it like the window does; notices go to
// standard error.
#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iostream>
#include <memory>
#include <optional>
#include <string_view>
#include <thread>

#include "app/cli_options.h"
#include "app/formats_module.h"
#include "core/bodies.h"
#include "core/message_text.h"
#include "core/number_text.h"
#include "core/program_folder.h"
#include "core/swiss_ephemeris.h"
#include "report/csv_export.h"
#include "report/event_csv.h"
#include "report/natal_table.h"
#include "report/run_command.h"
#include "report/run_summary.h"
#include "store/atomic_file.h"
#include "store/program_files.h"
#include "store/regional_settings.h"

namespace {

using namespace tarnwick;

constexpr int kExitDone = 0, kExitFailed = 1, kExitUsage = 2;

// One line per body at jd_ut: geocentric longitude, declination and daily motion in
// longitude, or why the body cannot be computed. The Earth, which has no geocentric
// position, is shown heliocentrically.
int PrintBodyTable(double jd_ut, const std::string& search_path) {
  SwissEphemeris eph(search_path);
  // Numbers through FormatFixed, not printf's "%f": the point stays "." whatever the locale.
  std::printf("Positions at JD %s (UT)\n", FormatFixed(jd_ut, 1, 5).c_str());
  std::printf("%-3s %-8s  %12s  %12s  %12s\n", "#", "Body", "Longitude", "Declination",
              "Motion/day");
  for (const Body& body : BodyCatalogue) {
    const Centre centre = body.index == idxEarth ? Centre::Helio : Centre::Geo;
    const BodyAvailability a = eph.Availability(body.index, centre, jd_ut);
    if (!a.available()) {
      std::printf("%-3d %.8s  unavailable: %s\n", body.index, body.caption.data(), a.message.c_str());
      continue;
    }
    double lon, motion, decl;
    if (centre == Centre::Helio) {
      lon = eph.Get_1_Planet_helio(jd_ut, body.index);
      motion = eph.LastDailyMotion();
      decl = eph.Get_1_Planet_latitude(jd_ut, body.index);
    } else {
      lon = eph.Get_1_Planet_geo(jd_ut, body.index);
      motion = eph.LastDailyMotion();
      decl = eph.Get_1_Planet_decl(jd_ut, body.index);
    }
    std::string note = centre == Centre::Helio ? "  (heliocentric; latitude)" : "";
    if (a.source == BodyAvailability::Source::OrbitalElements) note += "  (" + a.message + ")";
    if (a.source == BodyAvailability::Source::Library && !a.message.empty()) {
      // Outside the years of the files, the library's analytic ephemeris and its note.
      note += "  (" + OneLine(a.message) + ")";
    }
    std::printf("%-3d %.8s  %12s  %12s  %12s%s\n", body.index, body.caption.data(),
                FormatFixed(lon, 1, 6).c_str(), FormatFixed(decl, 1, 6).c_str(),
                FormatFixed(motion, 1, 6).c_str(), note.c_str());
  }
  return kExitDone;
}

// The reason the first write to standard output failed, 0 while none has. A text longer than
// the stream's buffer is written at once and fails there, leaving nothing for the final
// flush to fail on (and errno long since overwritten).
int first_output_error = 0;

// Writes text to standard output, keeping the reason of a first failure.
void Print(std::string_view text) {
  errno = 0;
  std::cout << text;
  if (!std::cout.good() && first_output_error == 0) first_output_error = errno;
}

// The status to exit with once standard output has been flushed: `status` when everything
// printed reached it, else kExitFailed with the reason on standard error (a full disk, a
// closed pipe, /dev/full), so that a script never takes a cut-off report for a whole one.
int AfterFlushingOutput(int status) {
  errno = 0;
  std::cout.flush();
  const bool flushed = std::fflush(stdout) == 0;
  const int error = first_output_error != 0 ? first_output_error : errno;
  if (flushed && std::cout.good() && !std::ferror(stdout)) return status;
  std::cerr << "tarnwick-cli: could not write to standard output"
            << (error != 0 ? std::string(": ") + std::strerror(error) : std::string()) << "\n";
  return status == kExitDone ? kExitFailed : status;
}

// The formats module (formats_module.h), loaded the first time it is needed; null, with the
// reason on standard error after `what` (the option that asked), when it cannot be.
const FormatsModule* Formats(std::string_view what) {
  static const FormatsModule* module = nullptr;
  if (module) return module;
  const std::filesystem::path folder = ProgramFolder(), installed = folder / ".." / "lib" / "tarnwick";
  std::string why;
  for (const std::filesystem::path& file : {folder / kFormatsModuleFile, installed / kFormatsModuleFile}) {
    std::error_code ignored;
    if (!std::filesystem::exists(file, ignored)) continue;
    using Entry = const FormatsModule* (*)();
    void* handle = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    const auto entry = handle ? reinterpret_cast<Entry>(::dlsym(handle, kFormatsModuleEntry)) : nullptr;
    if (entry) return module = entry();
    why = ::dlerror();
    break;
  }
  if (why.empty()) why = std::string(kFormatsModuleFile) + " is neither in " + folder.string() + " nor in " + installed.string();
  std::cerr << "tarnwick-cli: " << what << ": the formats module could not be loaded: " << EscapeControls(why) << "\n";
  return nullptr;
}

// The run in the format asked for (--format), on standard output or in the --output file.
// False, with the reason on standard error, when it cannot be written. run_time dates the
// pages and calendars.
bool WriteOutput(const CliOptions& o, const RunOutcome& out, const RunRequest& request,
                 const RegionalFormat& regional, std::time_t run_time) {
  std::string bytes;
  if (o.format == "txt") {
    bytes = out.pane_text;
  } else if (o.format == "csv") {
    const std::shared_ptr<const TimeZone> zone = TimeZoneOf(request.settings.txtTZ, regional.decimal_separator);
    if (!zone) return false;  // cannot happen after a run: it read the same text
    bytes = RunCsv(out.rows, request.kind, request.settings, *zone, regional, out.chart_name);
    if (!out.events.empty()) bytes = MergeEventRecords(bytes, out.rows, out.events, *zone, regional.order);
  } else {
    const std::string option = "--format " + o.format;
    const FormatsModule* formats = Formats(option);
    if (!formats) return false;
    const bool ics = o.format == "ics";
    bytes = ics ? formats->run_ics(out, request, regional, run_time) : formats->report_pdf(out, request, regional, run_time);
    if (bytes.empty()) {
      std::cerr << "tarnwick-cli: " << (ics ? "the calendar could not be made" : "the PDF pages could not be drawn") << "\n";
      return false;
    }
  }
  if (!o.output) {
    Print(bytes);
    return true;
  }
  const FileStatus written = WriteFileAtomically(*o.output, bytes, LinkPolicy::FollowLink);
  if (!written) {
    std::cerr << written.message << "\n";
    return false;
  }
  std::cerr << "Saved " << EscapeControls(o.output->string()) << "\n";
  return true;
}

// The graphic ephemeris of a finished run into --graph's file. False, with the reason on
// standard error, when it cannot be drawn or written.
bool WriteGraph(const CliOptions& o, const RunOutcome& out, const std::string& search_path) {
  const FormatsModule* formats = Formats("--graph");
  return formats && formats->write_graph(o, out, search_path);
}

// The progress of a run on standard error, when that is a terminal: the share of windows
// searched and an estimate of the time left from the pace so far, redrawn in place at most
// five times a second and wiped when the run ends.
class ProgressLine {
 public:
  ProgressLine() : shown_(::isatty(STDERR_FILENO) == 1), start_(Clock::now()) {}
  ~ProgressLine() { Clear(); }

  void Update(std::int64_t done, std::int64_t total) {
    if (!shown_ || total <= 0) return;
    const Clock::time_point now = Clock::now();
    if (now - last_ < std::chrono::milliseconds(200) && done < total) return;
    last_ = now;
    const double elapsed = std::chrono::duration<double>(now - start_).count();
    const double share = static_cast<double>(done) / static_cast<double>(total);
    std::string line = "\r" + std::to_string(static_cast<int>(share * 100.0)) + "% searched";
    if (done > 0 && elapsed >= 1.0) {
      line += ", about " + Duration(elapsed * (1.0 - share) / share) + " left";
    }
    line += "\x1b[K";
    std::cerr << line << std::flush;
    drawn_ = true;
  }

  void Clear() {
    if (drawn_) std::cerr << "\r\x1b[K" << std::flush;
    drawn_ = false;
  }

 private:
  using Clock = std::chrono::steady_clock;

  static std::string Duration(double seconds) {
    const auto s = static_cast<long>(std::ceil(seconds));
    if (s < 60) return std::to_string(s) + " s";
    if (s < 3600) return std::to_string(s / 60) + " min " + std::to_string(s % 60) + " s";
    return std::to_string(s / 3600) + " h " + std::to_string(s % 3600 / 60) + " min";
  }

  bool shown_;
  bool drawn_ = false;
  Clock::time_point start_;
  Clock::time_point last_{};
};

// Everything but the final flush: the exit status.
int Run(int argc, char** argv) {
  const CliParse parse = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  switch (parse.status) {
    case CliParse::Status::Help:
      Print(parse.text);
      return kExitDone;
    case CliParse::Status::UsageError:
      std::cerr << "tarnwick-cli: " << parse.text << "\nRun tarnwick-cli --help for the options.\n";
      return kExitUsage;
    case CliParse::Status::FileError:
      std::cerr << "tarnwick-cli: " << parse.text << "\n";
      return kExitFailed;
    case CliParse::Status::Run:
      break;
  }
  for (const std::string& n : parse.notices) std::cerr << n << "\n";
  const CliOptions& o = parse.options;
  const RegionalFormat regional = Get_Regional_Settings();

  RunRequest request;
  request.kind = o.kind;
  request.settings = o.settings;
  request.regional = regional;
  request.save = o.save;
  request.events = o.events;
  request.chart = o.chart;
  request.options.threads = o.threads > 0 ? o.threads : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  request.options.cache = request.options.skip = !o.plain;
  const std::filesystem::path program_folder = ProgramFolder();
  const ProgramFiles files =
      LocateProgramFiles(program_folder, IsWritableFolder(program_folder), ProcessEnvironment());
  request.data_folder = o.data_dir ? std::filesystem::path(*o.data_dir) : files.data_folder;

  if (o.natal_table) {
    SwissEphemeris eph(files.ephemeris_path);
    const CastChart cast = CastNatalChart(*o.chart, eph);
    if (!cast.positions) {
      for (const std::string& p : cast.problems) std::cerr << p << "\n";
      return kExitFailed;
    }
    Print(NatalTableText(*o.chart, *cast.positions, Notation::Text));
    return AfterFlushingOutput(kExitDone);
  }
  if (o.bodies_table) {
    const PreparedRun prepared = PrepareRunInputs(o.settings, regional);
    if (!prepared.inputs) {
      for (const std::string& p : prepared.problems) std::cerr << p << "\n";
      return kExitFailed;
    }
    return PrintBodyTable(prepared.inputs->start_jd, files.ephemeris_path);
  }

  // The plain report on standard output goes out as the rows come, in time order; the other
  // formats and --output are written once the run is done, from the rows or the report kept.
  const bool streamed = o.format == "txt" && !o.output;
  request.keep_pane_text = !streamed;
  request.keep_rows = o.csv_file.has_value() || o.graph_file.has_value() || o.format == "csv" || o.format == "ics";
  size_t notices_shown = 0;
  request.on_start = [&](const std::vector<std::string>& notices, const RunSize& size,
                         std::vector<std::string>& problems) {
    for (const std::string& n : notices) std::cerr << n << "\n";
    notices_shown = notices.size();
    const std::string too_large = o.force ? std::string() : RunSizeProblem(size, request.data_folder);
    if (too_large.empty()) return true;
    problems.push_back("Size: " + too_large +
                       " Choose a shorter span or fewer bodies, or give --force to run it anyway.");
    return false;
  };
  ProgressLine progress;
  request.progress = [&](std::int64_t done, std::int64_t total) { progress.Update(done, total); };
  if (streamed) {
    request.on_pane_text = [&](std::string_view piece) {
      progress.Clear();
      if (!std::cout.good()) return;  // said once the run is done
      Print(piece);
      std::cout.flush();
      if (!std::cout.good() && first_output_error == 0) first_output_error = errno;
    };
  }

  const std::string& search_path = files.ephemeris_path;
  const RunOutcome out = RunAspectarian(request, [&] {
    return std::make_unique<SwissEphemeris>(search_path);
  });
  progress.Clear();
  if (out.status == RunOutcome::Status::Refused) {
    std::cerr << "The run cannot start:\n";
    for (const std::string& p : out.problems) std::cerr << "  " << p << "\n";
    return kExitFailed;
  }
  for (size_t i = notices_shown; i < out.notices.size(); ++i) std::cerr << out.notices[i] << "\n";
  int status = kExitDone;
  if (!streamed && !WriteOutput(o, out, request, regional, std::time(nullptr))) status = kExitFailed;
  if (out.rows_found == 0 && out.found_count > 0) {
    std::cerr << "None of the " << out.found_count
              << " exact aspects in the span is in the aspect set \""
              << EscapeControls(request.settings.txtAspectSet) << "\".\n";
  } else if (out.rows_found == 0 && !o.events.only) {
    std::cerr << "No exact aspect lies in the span for these settings.\n";
  }
  if (out.events.empty() && o.events.any()) std::cerr << "No event of the kinds chosen lies in the span.\n";
  if (o.csv_file) {
    const FileStatus written =
        SaveRunCsvWithEvents(*o.csv_file, out.rows, out.events, request.kind, request.settings, regional,
                             out.chart_name);
    if (!written) {
      std::cerr << written.message << "\n";
      status = kExitFailed;
    } else {
      std::cerr << "Saved " << EscapeControls(o.csv_file->string()) << "\n";
    }
  }
  if (o.graph_file && !WriteGraph(o, out, search_path)) status = kExitFailed;
  if (o.summary_file) {
    const FileStatus written = WriteFileAtomically(
        *o.summary_file, RunSummaryText(RunSummary(request.kind, request.settings, regional, out), "\r\n"), LinkPolicy::FollowLink);
    if (!written) {
      std::cerr << written.message << "\n";
      status = kExitFailed;
    } else {
      std::cerr << "Saved " << EscapeControls(o.summary_file->string()) << "\n";
    }
  }
  if (!out.save_error.empty()) {
    std::cerr << out.save_error << "\n";
    return kExitFailed;
  }
  if (!out.file_path.empty()) std::cerr << "Saved " << EscapeControls(out.file_path.string()) << "\n";
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  RemoveTemporaryFilesOnSignals();  // Ctrl+C or a shutdown while the report is being saved
  return AfterFlushingOutput(Run(argc, argv));
}
