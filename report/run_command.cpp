#include "report/run_command.h"

#include <algorithm>
#include <map>
#include <optional>
#include <system_error>

#include "core/number_text.h"
#include "engine/aspect_set.h"
#include "engine/replace_string.h"
#include "report/event_lines.h"
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

std::string RoleText(int body, Centre centre) {
  return std::string(BodyName(body)) + (centre == Centre::Helio ? " (heliocentric)" : " (geocentric)");
}

// The bodies of a combination as a notice names them.
std::string CombinationText(const Combination& c, const RunSettings& s) {
  std::string text = RoleText(c.body[0], c.centre[0]) + " and ";
  if (c.body[1] == c.body[2] && c.centre[1] == c.centre[2]) return text + RoleText(c.body[1], c.centre[1]);
  return text + (s.chkUseMidpoints ? "the midpoint of " : "the mid-degree of ") +
         RoleText(c.body[1], c.centre[1]) + " and " + RoleText(c.body[2], c.centre[2]);
}

// Why a body cannot be computed, for a line that names it already: the orbit tables begin
// their message with the body's name, which need not come twice.
std::string Reason(int body, std::string_view message) {
  const std::string named = std::string(BodyName(body)) + ": ";
  if (message.starts_with(named)) message.remove_prefix(named.size());
  return OneLine(message);
}

// Whether each body of a run can be computed over the whole span, judged before any scan as
// the scans judge it: at the first day and just after the last one.
class SpanJudge {
 public:
  SpanJudge(PositionProvider& eph, const RunInputs& in) : eph_(eph), in_(in) {}

  bool Usable(int body, Centre centre) { return Judge(body, centre).available(); }

  // Why the bodies that cannot be computed were left out, one line each.
  std::vector<std::string> LeftOut() const {
    std::vector<std::string> lines;
    for (const auto& [key, a] : judged_) {
      if (!a.available()) lines.push_back(RoleText(key.first, key.second) + ": " + Reason(key.first, a.message));
    }
    return lines;
  }

  // Bodies the library computes with a note, which outside the years of its files (1800 to
  // 2400) means its analytic Moshier ephemeris: usable, less exact. One line per note.
  std::vector<std::string> LibraryNotes() const {
    std::map<std::string, std::vector<std::string>> bodies_by_note;
    for (const auto& [key, a] : judged_) {
      if (a.source != BodyAvailability::Source::Library || a.message.empty()) continue;
      std::vector<std::string>& names = bodies_by_note[OneLine(a.message)];
      const std::string name(BodyName(key.first));
      if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
    }
    std::vector<std::string> lines;
    for (const auto& [note, names] : bodies_by_note) {
      std::string list;
      for (const std::string& n : names) list += (list.empty() ? "" : ", ") + n;
      const bool moshier = note.find("Moshier") != std::string::npos;
      lines.push_back(list + (moshier ? ": computed with the Swiss Ephemeris' analytic Moshier "
                                        "ephemeris, less exact than its files, which cover 1800 "
                                        "to 2400 (" + note + ")"
                                      : ": the Swiss Ephemeris notes: " + note));
    }
    return lines;
  }

  // Where each judged body's positions come from, by body index and centre.
  std::vector<BodySource> Sources() const {
    std::vector<BodySource> out;
    for (const auto& [key, a] : judged_) {
      BodySource s{key.first, key.second, BodySource::Kind::Files, {}};
      if (a.source == BodyAvailability::Source::Unavailable) {
        s.kind = BodySource::Kind::LeftOut;
        s.detail = Reason(key.first, a.message);
      } else if (a.source == BodyAvailability::Source::OrbitalElements) {
        s.kind = BodySource::Kind::OrbitalElements;
        s.detail = OneLine(a.message);
      } else if (!a.message.empty()) {
        s.detail = OneLine(a.message);
        if (s.detail.find("Moshier") != std::string::npos) s.kind = BodySource::Kind::Analytic;
      }
      out.push_back(std::move(s));
    }
    return out;
  }

 private:
  const BodyAvailability& Judge(int body, Centre centre) {
    const auto key = std::pair{body, centre};
    if (const auto it = judged_.find(key); it != judged_.end()) return it->second;
    BodyAvailability a = eph_.Availability(body, centre, in_.start_jd);
    if (a.available()) {
      BodyAvailability at_end = eph_.Availability(body, centre, in_.SpanEndJd());
      if (!at_end.available() || a.message.empty()) a = std::move(at_end);
    }
    return judged_[key] = std::move(a);
  }

  PositionProvider& eph_;
  const RunInputs& in_;
  std::map<std::pair<int, Centre>, BodyAvailability> judged_;
};

// Whether a moment lies inside the run's daily time window (when active), read as the scans
// read it: the local time text as an hours.minutes number, both bounds inclusive.
bool InTimeWindow(const RunInputs& in, double jd_ut) {
  if (!in.time_window) return true;
  const DateAndTimeText when = ConvertJDtoDateandTime(jd_ut, in.tz_hours, in.order);
  const double v = LeadingNumber(Replace_String(when.time, ":", ".", 1, -1, 0)).value_or(0.0);
  return !(in.window_start > v || in.window_end < v);
}

// An events-only run's refusal when nothing could be searched.
bool EventsNeedNothing(const EventChoice& e) { return !e.any(); }

}  // namespace

std::string OneLine(std::string_view text) {
  std::string out;
  for (const char c : text) {
    const bool blank = c == ' ' || c == '\n' || c == '\r';
    if (blank && (out.empty() || out.back() == ' ')) continue;
    out += blank ? ' ' : c;
  }
  while (!out.empty() && (out.back() == ' ' || out.back() == ';')) out.pop_back();
  return out;
}

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
  // The set of aspects filters longitude rows only: a declination report names no aspect.
  std::optional<AspectSet> aspect_set = AspectSet::All();
  std::string aspect_problem;
  if (request.kind == ScanKind::Longitude) {
    aspect_set = ReadAspectSet(s.txtAspectSet, &aspect_problem);
    if (!aspect_set) {
      aspect_problem = "Aspects: " + aspect_problem + ".";
    } else if (aspect_set->OnGrid(s.chkInclude15DegAspects).empty()) {
      aspect_problem = "Aspects: the set \"" + aspect_set->Text() + "\" holds no aspect of the " +
                       (s.chkInclude15DegAspects ? "grid" : "30-degree grid") +
                       ", so nothing could be listed; tick other aspects" +
                       (s.chkInclude15DegAspects ? "" : " or include the 15-degree aspects") + ".";
      aspect_set.reset();
    }
  }
  if (!prepared.inputs || !aspect_set) {
    out.status = RunOutcome::Status::Refused;
    out.problems = prepared.problems;
    if (!aspect_problem.empty()) out.problems.push_back(aspect_problem);
    return out;
  }
  const RunInputs& in = *prepared.inputs;
  const std::vector<std::array<Centre, 3>> series = CentreSeries(s);
  const std::unique_ptr<PositionProvider> eph = make_provider();
  eph->SetSwitches(s.switches());

  // Windows of all scans, for the progress bar; and whether there is anything to search at
  // all, so that a run that could search nothing says why instead of showing an empty report.
  std::int64_t total = 0, done = 0;
  std::int64_t combinations = 0, computable = 0;
  SpanJudge judge(*eph, in);
  for (const auto& centres : series) {
    for (const Combination& c : EnumerateCombinations(request.kind, WithCentres(s, centres), in, nullptr)) {
      total += WindowCount(c, in.start_jd);
      ++combinations;
      bool usable = true;
      for (int r = 0; r < 3; ++r) usable = judge.Usable(c.body[r], c.centre[r]) && usable;
      computable += usable;
    }
  }
  const bool events_only = request.events.only;
  if (events_only && EventsNeedNothing(request.events)) {
    out.status = RunOutcome::Status::Refused;
    out.problems.push_back("Events: a calendar of events alone needs at least one kind of event "
                           "(stations, ingresses, lunations, eclipses, oob or voc).");
    return out;
  }
  if (events_only) total = 0;
  if (request.events.any()) {
    total += EventWindowCount(request.events, s.chkP1Planets, s.opt1_ghd, in.start_jd, in.SpanEndJd());
  }
  if (combinations == 0 && !events_only) {
    out.status = RunOutcome::Status::Refused;
    out.problems.push_back(
        std::string("Bodies: the checked bodies give no combination to search. P1 and P2") +
        (s.chkUseP3 ? ", and P3 for triple aspects," : "") +
        " each need a checked body that can take the role (a heliocentric role takes no Sun, "
        "Moon, node or Lilith; a geocentric role takes no Earth), other than the body of "
        "another role.");
    return out;
  }
  if (computable == 0 && !events_only) {
    out.status = RunOutcome::Status::Refused;
    out.problems.push_back("Bodies: no combination of the checked bodies can be computed from " +
                           s.txtStartDate + " to " + s.txtEndDate +
                           ", so nothing was searched. The Swiss Ephemeris says:");
    for (const std::string& line : judge.LeftOut()) out.problems.push_back(line);
    return out;
  }
  for (const std::string& note : judge.LibraryNotes()) AddOnce(out.notices, note);
  out.sources = judge.Sources();

  ScanControl control;
  control.cancel = request.cancel;
  if (request.progress) {
    control.advance = [&](std::int64_t windows) {
      done += windows;
      request.progress(done, total);
    };
  }

  ScanOptions options = request.options;
  if (options.threads > 1 && !options.worker_provider) options.worker_provider = make_provider;
  RunSettings final_settings = s;
  for (const auto& centres : series) {
    if (events_only) break;
    const RunSettings scan_settings = WithCentres(s, centres);
    const ScanResult r = Start_Calcs(request.kind, scan_settings, in, *eph, out.rows, options, control);
    if (r.cancelled) {
      out.status = RunOutcome::Status::Cancelled;
      out.rows.clear();
      return out;
    }
    final_settings.opt3_ghd = r.p3_centre;
    for (const LeftOutBody& b : r.left_out) {
      AddOnce(out.notices, RoleText(b.body, b.centre) + " was left out: " + Reason(b.body, b.reason));
    }
    for (const std::string& note : r.notes) AddOnce(out.notices, note);
    for (const Combination& c : r.always_exact) {
      AddOnce(out.notices, CombinationText(c, s) +
                               " were left out: they stand at an exact aspect all the time (within "
                               "0.000001 degrees), so no moment of it can be told.");
    }
  }
  if (s.chkAutoCalc) final_settings = WithCentres(final_settings, {Centre::Geo, Centre::Geo, Centre::Geo});
  out.opt1_ghd = final_settings.opt1_ghd;
  out.opt2_ghd = final_settings.opt2_ghd;
  out.opt3_ghd = final_settings.opt3_ghd;

  Sort_Aspects_by_Date(out.rows);
  out.found_count = out.rows.size();
  if (aspect_set->FiltersGrid(s.chkInclude15DegAspects)) {
    KeepAspectSet(out.rows, *aspect_set, s, ReportOrbsOf(s, request.regional));
  }
  const bool with_events = request.events.any();
  if (with_events) {
    // Events of the span's days, for P1's bodies on P1's centre as the run started.
    EventSearch found = FindSkyEvents(*eph, request.events, s.chkP1Planets, s.opt1_ghd, in.start_jd,
                                      in.SpanEndJd(), request.cancel, control.advance);
    if (found.cancelled) {
      out.status = RunOutcome::Status::Cancelled;
      out.rows.clear();
      return out;
    }
    for (const std::string& n : found.notices) AddOnce(out.notices, n);
    for (SkyEvent& e : found.events) {
      if (InTimeWindow(in, e.jd_ut)) out.events.push_back(std::move(e));
    }
  }
  // The pane text holds the report lines (ReportText) whole; a long run's report is large,
  // so it is kept once.
  std::string report = request.kind == ScanKind::Longitude
                           ? Display_Aspects_longitude(out.rows, s, request.regional)
                           : Display_Aspects_declination(out.rows, s);
  if (with_events) report = MergeEventLines(report, out.rows, out.events, *in.ZoneInForce(), in.order);
  out.pane_text = PaneText(report);
  // The name follows the settings as the run leaves them ("_all_3" after the series).
  out.file_name = request.kind == ScanKind::Longitude
                      ? LongitudeReportName(final_settings, request.regional)
                      : DeclinationReportName(final_settings, request.regional);
  if (events_only) {
    out.file_name = EventsReportName(s, request.regional);  // the centre the events were searched on
  } else if (with_events) {
    out.file_name = WithEventsName(out.file_name);
  }
  if (request.save) SaveRunReport(request.data_folder, out);
  return out;
}

void SaveRunReport(const std::filesystem::path& data_folder, RunOutcome& outcome) {
  const std::filesystem::path path = data_folder / outcome.file_name;
  FileStatus saved = MakeFolderFor(path);
  if (saved) saved = WriteFileAtomically(path, outcome.pane_text);
  if (saved) {
    outcome.file_path = path;
  } else {
    outcome.save_error = saved.message;
  }
}

}  // namespace tarnwick
