#include "report/run_command.h"

#include <algorithm>
#include <system_error>

#include "report/report_lines.h"
#include "report/report_names.h"
#include "store/atomic_file.h"

namespace tarnwick {

namespace {

void AddOnce(std::vector<std::string>& list, std::string text) {
  if (std::find(list.begin(), list.end(), text) == list.end()) list.push_back(std::move(text));
}

RunSettings WithCentres(RunSettings s, const std::array<Centre, 3>& c) {
  s.opt1_ghd = c[0];
  s.opt2_ghd = c[1];
  s.opt3_ghd = c[2];
  return s;
}

}  // namespace

std::vector<std::array<Centre, 3>> CentreSeries(const RunSettings& s) {
  if (!s.chkAutoCalc) return {{s.opt1_ghd, s.opt2_ghd, s.opt3_ghd}};
  std::vector<std::array<Centre, 3>> series;
  const Centre c[2] = {Centre::Geo, Centre::Helio};
  for (int a = 0; a <= 1; ++a) {
    if (s.chkUseP3) {
      // P2 is never heliocentric while P3 is geocentric: {P2, P3} is an unordered pair.
      for (int b = 0; b <= 1; ++b) {
        for (int k = b; k <= 1; ++k) series.push_back({c[a], c[b], c[k]});
      }
    } else {
      for (int b = a; b <= 1; ++b) series.push_back({c[a], c[b], s.opt3_ghd});
    }
  }
  return series;
}

RunOutcome RunAspectarian(const RunRequest& request, const ProviderFactory& make_provider) {
  RunOutcome out;
  const RunSettings& s = request.settings;
  const PreparedRun prepared = PrepareRunInputs(s, request.regional);
  if (!prepared.inputs) {
    out.status = RunOutcome::Status::Refused;
    out.problems = prepared.problems;
    return out;
  }
  const RunInputs& in = *prepared.inputs;
  const std::vector<std::array<Centre, 3>> series = CentreSeries(s);

  // Windows of all scans, for the progress bar.
  std::int64_t total = 0, done = 0;
  for (const auto& centres : series) {
    for (const Combination& c : EnumerateCombinations(request.kind, WithCentres(s, centres), in, nullptr)) {
      total += WindowCount(c, in.start_jd);
    }
  }
  ScanControl control;
  control.cancel = request.cancel;
  if (request.progress) {
    control.advance = [&](std::int64_t windows) {
      done += windows;
      request.progress(done, total);
    };
  }

  const std::unique_ptr<PositionProvider> eph = make_provider();
  ScanOptions options = request.options;
  if (options.threads > 1 && !options.worker_provider) options.worker_provider = make_provider;
  RunSettings final_settings = s;
  for (const auto& centres : series) {
    const RunSettings scan_settings = WithCentres(s, centres);
    const ScanResult r = Start_Calcs(request.kind, scan_settings, in, *eph, out.rows, options, control);
    if (r.cancelled) {
      out.status = RunOutcome::Status::Cancelled;
      out.rows.clear();
      return out;
    }
    final_settings.opt3_ghd = r.p3_centre;
    for (const LeftOutBody& b : r.left_out) {
      AddOnce(out.notices, std::string(BodyName(b.body)) +
                               (b.centre == Centre::Helio ? " (heliocentric)" : " (geocentric)") +
                               " was left out: " + b.reason);
    }
    for (const std::string& note : r.notes) AddOnce(out.notices, note);
  }
  if (s.chkAutoCalc) final_settings = WithCentres(final_settings, {Centre::Geo, Centre::Geo, Centre::Geo});
  out.opt1_ghd = final_settings.opt1_ghd;
  out.opt2_ghd = final_settings.opt2_ghd;
  out.opt3_ghd = final_settings.opt3_ghd;

  Sort_Aspects_by_Date(out.rows);
  out.report_text = request.kind == ScanKind::Longitude
                        ? Display_Aspects_longitude(out.rows, s, request.regional)
                        : Display_Aspects_declination(out.rows, s, request.regional);
  out.pane_text = PaneText(out.report_text);
  // The name follows the settings as the run leaves them ("_all_3" after the series).
  out.file_name = request.kind == ScanKind::Longitude
                      ? LongitudeReportName(final_settings, request.regional)
                      : DeclinationReportName(final_settings, request.regional);
  if (request.save) {
    std::error_code ec;
    std::filesystem::create_directories(request.data_folder, ec);
    const std::filesystem::path path = request.data_folder / out.file_name;
    const FileStatus saved = WriteFileAtomically(path, out.pane_text);
    if (saved) {
      out.file_path = path;
    } else {
      out.save_error = saved.message;
    }
  }
  return out;
}

}  // namespace tarnwick
