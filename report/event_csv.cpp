#include "report/event_csv.h"

#include "core/number_text.h"
#include "engine/run_inputs.h"
#include "report/csv_export.h"
#include "report/event_lines.h"
#include "report/notation.h"
#include "report/report_lines.h"

namespace tarnwick {

std::string EventCsvRecord(const SkyEvent& e, const TimeZone& zone, DateOrder order) {
  std::vector<std::string> f;
  f.push_back("event: " + std::string(EventWord(e.kind)));
  f.emplace_back(BodyName(e.body));
  f.push_back(e.centre == Centre::Helio ? "heliocentric" : "geocentric");
  for (int i = 0; i < 4; ++i) f.emplace_back();
  f.push_back(IsoLocalMinute(e.jd_ut, HoursAtMinute(zone, e.jd_ut)));
  f.push_back(IsoUtcSecond(e.jd_ut));
  f.push_back(EventDescription(e, zone, order));
  std::string angle;
  if (e.kind == EventKind::Lunation) angle = std::to_string(90 * e.detail);
  if (e.kind == EventKind::VoidOfCourse && e.aspect_angle >= 0) angle = std::to_string(e.aspect_angle);
  f.push_back(angle);
  f.emplace_back();
  f.emplace_back();
  f.push_back(FormatFixed(e.position, 1, 6));
  f.emplace_back();
  f.emplace_back();
  f.push_back(e.kind == EventKind::OutOfBounds ? "" : SignDegreeText(e.position));
  f.emplace_back();
  f.emplace_back();
  // p1_position .. p3_position and aspect1_name .. aspect3_name, as the aspect records have them.
  f.push_back(e.kind == EventKind::OutOfBounds ? DeclinationText(e.position, Notation::Glyphs)
                                               : ZodiacPositionText(e.position, Notation::Glyphs));
  for (int i = 0; i < 5; ++i) f.emplace_back();
  return CsvRecord(f);
}

std::string MergeEventRecords(std::string_view csv, const FoundAspects& rows, const SkyEvents& events,
                              const TimeZone& zone, DateOrder order) {
  // The header, then one record per row: no field of an aspect record holds a line end.
  size_t pos = csv.find(kLineEnd);
  if (pos == std::string_view::npos) return std::string(csv);
  // A run with a natal chart has a last column more, which an event leaves empty.
  const bool chart_column = csv.substr(0, pos).ends_with(",chart");
  const auto record = [&](const SkyEvent& e) {
    std::string text = EventCsvRecord(e, zone, order);
    if (chart_column) text.insert(text.size() - kLineEnd.size(), ",");
    return text;
  };
  pos += kLineEnd.size();
  std::string out(csv.substr(0, pos));
  size_t next = 0;
  for (const FoundAspect& row : rows) {
    while (next < events.size() && events[next].jd_ut < row.jd_ut) out += record(events[next++]);
    const size_t end = csv.find(kLineEnd, pos);
    if (end == std::string_view::npos) break;
    out += csv.substr(pos, end + kLineEnd.size() - pos);
    pos = end + kLineEnd.size();
  }
  out += csv.substr(pos);
  for (; next < events.size(); ++next) out += record(events[next]);
  return out;
}

FileStatus SaveRunCsvWithEvents(const std::filesystem::path& path, const FoundAspects& rows,
                                const SkyEvents& events, ScanKind kind, const RunSettings& settings,
                                const RegionalFormat& format, std::string_view chart_name) {
  if (events.empty()) return SaveRunCsv(path, rows, kind, settings, format, chart_name);
  const PreparedRun prepared = PrepareRunInputs(settings, format);
  if (!prepared.inputs) {
    return {false, "Could not save \"" + path.string() + "\": the time zone of the run cannot be read"};
  }
  const std::shared_ptr<const TimeZone> zone = prepared.inputs->ZoneInForce();
  return SaveCsv(path, MergeEventRecords(RunCsv(rows, kind, settings, *zone, format, chart_name), rows, events, *zone,
                                         prepared.inputs->order));
}

}  // namespace tarnwick
