#include "report/run_command.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <limits>
#include <map>
#include <optional>
#include <system_error>

#include "core/message_text.h"
#include "engine/aspect_set.h"
#include "report/event_lines.h"
#include "report/report_lines.h"
#include "report/report_names.h"
#include "store/atomic_file.h"

namespace tarnwick {

namespace {

void AddOnce(std::vector<std::string>& list, std::string text) {
  if (std::find(list.begin(), list.end(), text) == list.end()) list.push_back(std::move(text));
}

std::string RoleText(int body, Centre centre) {
  return std::string(BodyName(body)) + (centre == Centre::Helio   ? " (heliocentric)"
                                        : centre == Centre::Natal ? " (natal)"
                                                                  : " (geocentric)");
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

// Why the bodies that cannot be computed were left out, one line each.
std::vector<std::string> LeftOutLines(const RunPlan& plan) {
  std::vector<std::string> lines;
  for (const JudgedBody& j : plan.judged) {
    if (!j.availability.available()) {
      lines.push_back(RoleText(j.body, j.centre) + ": " + Reason(j.body, j.availability.message));
    }
  }
  return lines;
}

// Bodies the library computes with a note, which outside the years of its files (1800 to
// 2400) means its analytic Moshier ephemeris: usable, less exact. One line per note.
std::vector<std::string> LibraryNotes(const RunPlan& plan) {
  std::map<std::string, std::vector<std::string>> bodies_by_note;
  for (const JudgedBody& j : plan.judged) {
    const BodyAvailability& a = j.availability;
    if (a.source != BodyAvailability::Source::Library || a.message.empty()) continue;
    std::vector<std::string>& names = bodies_by_note[OneLine(a.message)];
    const std::string name(BodyName(j.body));
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
std::vector<BodySource> SourcesOf(const RunPlan& plan) {
  std::vector<BodySource> out;
  for (const JudgedBody& j : plan.judged) {
    const BodyAvailability& a = j.availability;
    BodySource s{j.body, j.centre, BodySource::Kind::Files, {}};
    if (a.source == BodyAvailability::Source::Unavailable) {
      s.kind = BodySource::Kind::LeftOut;
      s.detail = Reason(j.body, a.message);
    } else if (a.source == BodyAvailability::Source::OrbitalElements) {
      s.kind = BodySource::Kind::OrbitalElements;
      s.detail = OneLine(a.message);
    } else if (!a.message.empty()) {
      s.detail = OneLine(a.message);
      if (s.detail.find("Moshier") != std::string::npos) s.kind = BodySource::Kind::Analytic;
    }
    out.push_back(std::move(s));
  }
  std::sort(out.begin(), out.end(), [](const BodySource& a, const BodySource& b) {
    return std::pair{a.body, a.centre} < std::pair{b.body, b.centre};
  });
  return out;
}

// The set of aspects a longitude run lists, or why it lists none (a declination report names
// no aspect: every set is all of them).
std::optional<AspectSet> AspectSetOf(const RunRequest& request, std::string& problem) {
  const RunSettings& s = request.settings;
  if (request.kind != ScanKind::Longitude) return AspectSet::All();
  std::optional<AspectSet> set = ReadAspectSet(s.txtAspectSet, &problem);
  if (!set) {
    problem = "Aspects: " + problem + ".";
  } else if (set->OnGrid(s.chkInclude15DegAspects).empty()) {
    problem = "Aspects: the set \"" + set->Text() + "\" holds no aspect of the " +
              (s.chkInclude15DegAspects ? "grid" : "30-degree grid") +
              ", so nothing could be listed; tick other aspects" +
              (s.chkInclude15DegAspects ? "" : " or include the 15-degree aspects") + ".";
    set.reset();
  }
  return set;
}

// The notices of a plan: library notes, bodies left out, bodies from orbital elements.
std::vector<std::string> PlanNotices(const RunPlan& plan) {
  std::vector<std::string> notices;
  for (std::string& note : LibraryNotes(plan)) AddOnce(notices, std::move(note));
  for (const JudgedBody& j : plan.judged) {
    const BodyAvailability& a = j.availability;
    if (!a.available()) {
      AddOnce(notices, RoleText(j.body, j.centre) + " was left out: " + Reason(j.body, a.message));
    }
  }
  for (const JudgedBody& j : plan.judged) {
    if (j.availability.source == BodyAvailability::Source::OrbitalElements) {
      AddOnce(notices, std::string(BodyName(j.body)) + ": positions computed " + j.availability.message +
                           " (the Swiss Ephemeris has no file for it)");
    }
  }
  return notices;
}

// A two-body run tries a pair of bodies on one centre once, with the body first in the list
// as P1. A pair checked only the other way round (Moon for P1, the Sun for P2) is therefore
// never searched: said here, so that its missing aspects are not taken for none.
std::optional<std::string> UnpairedNotice(const RunSettings& s, const RunPlan& plan) {
  if (s.chkUseP3) return std::nullopt;
  std::vector<std::pair<int, int>> pairs;  // (P1, P2) as checked, P2 earlier in the list
  for (const auto& centres : plan.series) {
    const Centre c = centres[0];
    if (centres[1] != c) continue;
    for (int p1 = 0; p1 <= LastBodyIndex; ++p1) {
      if (!s.chkP1Planets[p1] || !TakesRole(p1, c)) continue;
      for (int p2 = 0; p2 < p1; ++p2) {
        if (!s.chkP2Planets[p2] || !TakesRole(p2, c)) continue;
        if (s.chkP1Planets[p2] && s.chkP2Planets[p1]) continue;  // searched as p2 with p1
        if (std::find(pairs.begin(), pairs.end(), std::pair{p1, p2}) == pairs.end()) pairs.emplace_back(p1, p2);
      }
    }
  }
  if (pairs.empty()) return std::nullopt;
  constexpr size_t kNamed = 4;
  std::string list;
  for (size_t i = 0; i < std::min(pairs.size(), kNamed); ++i) {
    list += std::string(i ? ", " : "") + std::string(BodyName(pairs[i].first)) + " with " +
            std::string(BodyName(pairs[i].second));
  }
  if (pairs.size() > kNamed) list += " and " + std::to_string(pairs.size() - kNamed) + " more";
  const std::string later(BodyName(pairs[0].first)), earlier(BodyName(pairs[0].second));
  return "Not searched: " + list +
         ". A pair of bodies on one centre is searched once, with the body earlier in the list as "
         "P1; to search " + later + " with " + earlier + ", check " + earlier + " for P1 and " + later +
         " for P2.";
}

// Bytes of one report line of the plan's kind, for the size estimate.
std::uint64_t LineBytes(const RunPlan& plan) {
  FoundAspect row;
  row.jd_ut = plan.times.start_jd;
  return ReportLine(row, ReportLayoutOf(plan)).size();
}

// Free bytes the system reports for new data in memory: MemAvailable, else the free pages.
std::uint64_t AvailableMemory() {
  std::ifstream meminfo("/proc/meminfo");
  std::string key;
  std::uint64_t kib = 0;
  std::string unit;
  while (meminfo >> key >> kib >> unit) {
    if (key == "MemAvailable:") return kib * 1024u;
  }
  const long pages = ::sysconf(_SC_AVPHYS_PAGES), page = ::sysconf(_SC_PAGESIZE);
  return pages > 0 && page > 0 ? static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(page)
                               : std::numeric_limits<std::uint64_t>::max();
}

std::string Mebibytes(std::uint64_t bytes) {
  return std::to_string((bytes + (1u << 20) - 1) >> 20) + " MiB";
}

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

std::string RunSizeProblem(const RunSize& size, const std::filesystem::path& folder) {
  std::error_code ec;
  std::filesystem::path existing = folder.empty() ? std::filesystem::path(".") : folder;
  // The folder may not exist yet: the report goes where its nearest existing parent is.
  while (!std::filesystem::exists(existing, ec) && existing.has_parent_path() &&
         existing.parent_path() != existing) {
    existing = existing.parent_path();
  }
  const std::filesystem::space_info disk = std::filesystem::space(existing, ec);
  const std::string rows = "about " + std::to_string(size.rows) + " rows";
  if (!ec && size.report_bytes > disk.available) {
    return "the report would take about " + Mebibytes(size.report_bytes) + " (" + rows +
           "), more than the " + Mebibytes(disk.available) + " free on the disk of " +
           Quoted(existing.string()) + ".";
  }
  const std::uint64_t memory = AvailableMemory();
  if (size.kept_bytes > memory) {
    return "the run would keep about " + Mebibytes(size.kept_bytes) + " in memory (" + rows +
           "), more than the " + Mebibytes(memory) + " the system has available.";
  }
  return {};
}

namespace {

// Why a plan gives nothing to search, one sentence per line; none when it can run. A run that
// could search nothing says so instead of showing an empty report.
std::vector<std::string> NothingToSearch(const RunPlan& plan, const RunSettings& s) {
  if (plan.admitted == 0) {
    return {std::string("Bodies: the checked bodies give no combination to search. P1 and P2") +
            (s.chkUseP3 ? ", and P3 for triple aspects," : "") +
            " each need a checked body that can take the role (a heliocentric role takes no "
            "Sun, Moon, node or Lilith; a geocentric role takes no Earth), other than the body "
            "of another role."};
  }
  if (!plan.combinations.empty()) return {};
  std::vector<std::string> problems{"Bodies: no combination of the checked bodies can be computed from " +
                                    s.txtStartDate + " to " + s.txtEndDate +
                                    ", so nothing was searched. The Swiss Ephemeris says:"};
  for (std::string& line : LeftOutLines(plan)) problems.push_back(std::move(line));
  return problems;
}

// The size of a run as its caller is told before it searches.
RunSize SizeOf(const RunPlan& plan, PositionProvider& eph, const RunRequest& request) {
  RunSize size;
  size.windows = plan.windows;
  size.rows = static_cast<std::int64_t>(std::ceil(EstimateRows(plan, eph)));
  const auto rows = static_cast<std::uint64_t>(size.rows);
  size.line_bytes = LineBytes(plan);
  size.report_bytes = request.save ? rows * size.line_bytes : 0;
  size.kept_bytes = (request.keep_rows ? rows * sizeof(FoundAspect) : 0) +
                    (request.keep_pane_text ? rows * size.line_bytes : 0);
  return size;
}

// Where the report text of a run goes as it comes: the pane text when kept, the report file
// (a temporary file until Commit, so a cancelled or interrupted run leaves no file and the
// previous one as it was), and the caller's own hand-out.
class ReportOutput {
 public:
  ReportOutput(const RunRequest& request, RunOutcome& out)
      : request_(request), out_(out), path_(request.data_folder / out.file_name) {
    if (!request.save) return;
    FileStatus opened = MakeFolderFor(path_);
    if (opened) {
      file_.emplace(path_);
      opened = file_->Open();
    }
    if (!opened) Failed(opened);
  }

  // Sky events to merge in by moment: each goes before the first row later than it, so at
  // the same moment the aspect comes first.
  void MergeEvents(const SkyEvents& events, std::shared_ptr<const TimeZone> zone, DateOrder order) {
    events_ = &events;
    zone_ = std::move(zone);
    order_ = order;
  }

  // The rows of a batch as report lines, after the pane's opening before the first line.
  // One writer for the run's lines, so that what they share is worked out once.
  void Rows(const FoundAspects& batch, const ReportLayout& layout) {
    if (!writer_) writer_.emplace(layout);
    lines_.clear();
    lines_.reserve(batch.size() * kLineBytesGuess);
    for (const FoundAspect& row : batch) {
      EventsBefore(row.jd_ut);
      Opening();
      writer_->Append(lines_, row);
    }
    Piece(lines_);
  }

  // The events after the last row, the pane's closing after the last line, and the file
  // renamed over the report.
  void Finish() {
    lines_.clear();
    EventsBefore(std::numeric_limits<double>::infinity());
    Piece(lines_);
    if (any_line_) Piece(PaneClosing());
    if (!file_) return;
    if (const FileStatus saved = file_->Commit(); saved) {
      out_.file_path = path_;
    } else {
      Failed(saved);
    }
  }

 private:
  void Opening() {
    if (!any_line_) lines_ += PaneOpening();
    any_line_ = true;
  }

  void EventsBefore(double jd_ut) {
    if (events_ == nullptr) return;
    for (; next_event_ < events_->size() && (*events_)[next_event_].jd_ut < jd_ut; ++next_event_) {
      Opening();
      lines_ += EventLine((*events_)[next_event_], *zone_, order_);
    }
  }

  void Piece(std::string_view piece) {
    if (request_.keep_pane_text) out_.pane_text += piece;
    if (file_) {
      if (const FileStatus added = file_->Append(piece); !added) Failed(added);
    }
    if (request_.on_pane_text) request_.on_pane_text(piece);
  }

  void Failed(const FileStatus& status) {
    out_.save_error = status.message;
    file_.reset();
  }

  const RunRequest& request_;
  RunOutcome& out_;
  std::filesystem::path path_;
  std::optional<AtomicFileWriter> file_;
  static constexpr size_t kLineBytesGuess = 96;  // a triple line with midpoint columns is 85
  std::optional<ReportLineWriter> writer_;
  std::string lines_;
  bool any_line_ = false;
  const SkyEvents* events_ = nullptr;
  std::shared_ptr<const TimeZone> zone_;
  DateOrder order_ = DateOrder::MonthDayYear;
  size_t next_event_ = 0;
};

// The outcome of a run that stops here, moved out for its caller to return.
RunOutcome Refused(RunOutcome& out) {
  out.status = RunOutcome::Status::Refused;
  return std::move(out);
}

// A cancelled run leaves no report, no rows and no events behind; the report's temporary
// file goes with its ReportOutput.
RunOutcome Cancelled(RunOutcome& out) {
  out.status = RunOutcome::Status::Cancelled;
  out.rows.clear();
  out.rows_found = 0;
  out.found_count = 0;
  out.events.clear();
  out.pane_text.clear();
  return std::move(out);
}

// What a run searches once its inputs are read.
struct SearchPlan {
  RunPlan plan;
  AspectSet aspects;
};

// The natal chart's points handed to the provider, when the request brings a chart; false
// with out.problems saying why it cannot be cast.
bool CastChartInto(const RunRequest& request, PositionProvider& eph, RunOutcome& out) {
  if (!request.chart) return true;
  const CastChart cast = CastNatalChart(*request.chart, eph);
  if (!cast.positions) {
    out.problems = cast.problems;
    return false;
  }
  eph.SetNatalPoints(NatalPointsOf(cast.positions));
  out.chart_name = request.chart->name.empty() ? "unnamed" : request.chart->name;
  return true;
}

// The plan and the aspect set of a request, or nothing with out.problems naming every field
// at fault.
std::optional<SearchPlan> PlanSearch(const RunRequest& request, PositionProvider& eph, RunOutcome& out) {
  const RunSettings& s = request.settings;
  const bool events_only = request.events.only;
  if (!CastChartInto(request, eph, out)) return std::nullopt;
  PlannedRun planned = MakeRunPlan(request.kind, s, request.regional, eph);
  std::string aspect_problem;
  std::optional<AspectSet> aspect_set = AspectSetOf(request, aspect_problem);
  // A calendar of events alone searches no aspects, so bodies without combinations are fine.
  if (planned.plan && aspect_set && !events_only) out.problems = NothingToSearch(*planned.plan, s);
  if (!planned.plan) out.problems = planned.problems;
  if (!aspect_problem.empty()) out.problems.push_back(aspect_problem);
  if (!out.problems.empty()) return std::nullopt;
  return SearchPlan{std::move(*planned.plan), std::move(*aspect_set)};
}

// What the outcome says of a plan before it is searched: notices, sources, the centre
// choices it leaves behind and the report's name.
void DescribeRun(const RunRequest& request, const RunPlan& plan, RunOutcome& out) {
  const RunSettings& s = request.settings;
  // The chart takes part only where a role is on its centre; a g/h run made while a chart is
  // loaded exports as one without.
  if (std::none_of(plan.series.begin(), plan.series.end(), [](const std::array<Centre, 3>& c) {
        return c[1] == Centre::Natal || c[2] == Centre::Natal;
      })) {
    out.chart_name.clear();
  }
  out.notices = PlanNotices(plan);
  if (std::optional<std::string> unpaired = UnpairedNotice(s, plan); unpaired && !request.events.only) {
    AddOnce(out.notices, std::move(*unpaired));
  }
  out.sources = SourcesOf(plan);
  out.plan = std::make_shared<const RunPlan>(plan);
  out.opt1_ghd = plan.centres_after[0];
  out.opt2_ghd = plan.centres_after[1];
  out.opt3_ghd = plan.centres_after[2];
  // The name follows the settings as the run leaves them ("_all_3" after the series).
  RunSettings final_settings = s;
  final_settings.opt1_ghd = out.opt1_ghd;
  final_settings.opt2_ghd = out.opt2_ghd;
  final_settings.opt3_ghd = out.opt3_ghd;
  if (request.events.only) {
    out.file_name = EventsReportName(s, request.regional);  // the centre the events were searched on
    return;
  }
  out.file_name = request.kind == ScanKind::Longitude ? LongitudeReportName(final_settings, request.regional)
                                                      : DeclinationReportName(final_settings, request.regional);
  if (request.events.any()) out.file_name = WithEventsName(out.file_name);
}

// Windows done against windows in all, over the event search and the scan together.
ScanControl ProgressControl(const RunRequest& request, const RunPlan& plan, std::int64_t& done,
                            std::int64_t& total) {
  ScanControl control;
  control.cancel = request.cancel;
  const RunInputs& in = plan.times;
  total = request.events.only ? 0 : plan.windows;
  if (request.events.any()) {
    total += EventWindowCount(request.events, request.settings.chkP1Planets, request.settings.opt1_ghd,
                              in.start_jd, in.SpanEndJd());
  }
  if (request.progress) {
    control.advance = [&request, &done, &total](std::int64_t windows) {
      done += windows;
      request.progress(done, total);
    };
  }
  return control;
}

// Events of the span's days, for P1's bodies on P1's centre as the run started: found before
// the scan, so that the report can take them in among the rows as the rows come. False when
// cancelled.
bool FindRunEvents(const RunRequest& request, const RunPlan& plan, PositionProvider& eph,
                   const ScanControl& control, RunOutcome& out) {
  if (!request.events.any()) return true;
  const RunSettings& s = request.settings;
  const RunInputs& in = plan.times;
  EventSearch found = FindSkyEvents(eph, request.events, s.chkP1Planets, s.opt1_ghd, in.start_jd,
                                    in.SpanEndJd(), request.cancel, control.advance);
  if (found.cancelled) return false;
  for (const std::string& n : found.notices) AddOnce(out.notices, n);
  for (SkyEvent& e : found.events) {
    if (in.Shows(e.jd_ut)) out.events.push_back(std::move(e));
  }
  return true;
}

// The aspect search into the report, batch by batch in time order. False when cancelled.
bool ScanIntoReport(const RunRequest& request, const ProviderFactory& make_provider, const SearchPlan& run,
                    PositionProvider& eph, const ScanControl& control, ReportOutput& report, RunOutcome& out) {
  const RunSettings& s = request.settings;
  ScanOptions options = request.options;
  if (options.threads > 1 && !options.worker_provider) options.worker_provider = make_provider;
  const ReportLayout layout = ReportLayoutOf(run.plan);
  const bool filter = run.aspects.FiltersGrid(s.chkInclude15DegAspects);
  const ScanOutcome scanned = ScanPlan(run.plan, eph, [&](FoundAspects& batch) {
    out.found_count += batch.size();
    if (filter) KeepAspectSet(batch, run.aspects, s, layout.orbs);
    report.Rows(batch, layout);
    out.rows_found += static_cast<std::int64_t>(batch.size());
    if (request.on_rows) {
      request.on_rows(batch);
    } else if (request.keep_rows) {
      out.rows.insert(out.rows.end(), batch.begin(), batch.end());
    }
  }, options, control);
  if (scanned.cancelled) return false;
  for (const Combination& c : scanned.always_exact) {
    AddOnce(out.notices, CombinationText(c, s) +
                             " were left out: they stand at an exact aspect all the time (within "
                             "0.000001 degrees), so no moment of it can be told.");
  }
  return true;
}

}  // namespace

RunOutcome RunAspectarian(const RunRequest& request, const ProviderFactory& make_provider) {
  RunOutcome out;
  if (request.events.only && !request.events.any()) {
    out.problems.push_back("Events: a calendar of events alone needs at least one kind of event "
                           "(stations, ingresses, lunations, eclipses, oob or voc).");
    return Refused(out);
  }
  const std::unique_ptr<PositionProvider> eph = make_provider();
  const std::optional<SearchPlan> run = PlanSearch(request, *eph, out);
  if (!run) return Refused(out);
  DescribeRun(request, run->plan, out);
  if (request.on_start && !request.on_start(out.notices, SizeOf(run->plan, *eph, request), out.problems)) {
    return Refused(out);
  }
  std::int64_t done = 0, total = 0;
  const ScanControl control = ProgressControl(request, run->plan, done, total);
  if (!FindRunEvents(request, run->plan, *eph, control, out)) return Cancelled(out);
  ReportOutput report(request, out);
  if (!out.events.empty()) report.MergeEvents(out.events, run->plan.times.ZoneInForce(), run->plan.times.order);
  if (!request.events.only && !ScanIntoReport(request, make_provider, *run, *eph, control, report, out)) {
    return Cancelled(out);
  }
  report.Finish();
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
