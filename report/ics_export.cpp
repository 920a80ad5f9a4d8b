#include "report/ics_export.h"

#include <libical/ical.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "core/bodies.h"
#include "core/midpoints.h"
#include "engine/aspects.h"
#include "engine/run_inputs.h"
#include "report/csv_export.h"
#include "report/event_lines.h"
#include "report/report_lines.h"

namespace tarnwick {

namespace {

constexpr double kUnixEpochJd = 2440587.5;  // 1970-01-01 0h UT
constexpr double kMinutesPerDay = 1440.0;
// A row is an exact aspect, so its separation lies within solver precision of a multiple of
// 15 degrees; this orb only names which multiple. Degrees.
constexpr float kNamingOrbDeg = 0.5f;

// "Mars", "Mars (h)", "Sun (natal)", or "Sun (natal, Anna)" when the chart has a name.
std::string RoleName(const FoundAspect& row, int role, std::string_view chart_name) {
  const auto r = static_cast<size_t>(role);
  std::string name(BodyName(row.body[r]));
  if (row.centre[r] == Centre::Helio) return name + " (h)";
  if (row.centre[r] != Centre::Natal) return name;
  return name + (chart_name.empty() ? " (natal)" : " (natal, " + std::string(chart_name) + ")");
}

// The moment rounded to the minute, as seconds since 1970 (UTC).
std::time_t MinuteSeconds(double jd_ut) {
  return static_cast<std::time_t>(std::llround((jd_ut - kUnixEpochJd) * kMinutesPerDay)) * 60;
}

std::string CompactUtcMinute(double jd_ut) {
  const std::string iso = IsoUtcSecond(std::round(jd_ut * kMinutesPerDay) / kMinutesPerDay);
  std::string out;  // "2024-03-31T01:00:00Z" -> "20240331T0100Z"
  for (const char c : iso.substr(0, 16)) {
    if (c != '-' && c != ':') out += c;
  }
  return out + "Z";
}

struct ComponentFree {
  void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};

void AddText(icalcomponent* c, icalproperty* p) { icalcomponent_add_property(c, p); }

void AddX(icalcomponent* c, const char* name, const std::string& value) {
  icalproperty* p = icalproperty_new_x(value.c_str());
  icalproperty_set_x_name(p, name);
  icalcomponent_add_property(c, p);
}

}  // namespace

namespace {

// The aspect of a row as a word or a number of degrees, and the partner it relates P1 to.
struct RowAspect {
  std::string how;      // "90", "parallel", "contra-parallel", "at" (a mid-degree)
  std::string partner;  // "Mars" or "Mars/Saturn midpoint"
};

RowAspect AspectOf(const FoundAspect& row, ScanKind kind, const RunSettings& settings,
                   std::string_view chart_name = {}) {
  const bool triple = settings.chkUseP3;
  RowAspect out;
  out.partner = triple ? RoleName(row, 1, chart_name) + "/" + RoleName(row, 2, chart_name)
                       : RoleName(row, 1, chart_name);
  if (kind == ScanKind::Longitude) {
    if (triple && !settings.chkUseMidpoints) {
      out.how = "at";
      out.partner += " mid-degree";
      return out;
    }
    const double a = std::fabs(AsTableValue(row.position[0]));
    const double b = std::fabs(AsTableValue(row.position[1]));
    const double c = std::fabs(AsTableValue(row.position[2]));
    const AspectCode code = Find_this_aspect(a, triple ? Find_Midpoint(b, c) : b, kNamingOrbDeg);
    out.how = code == kNoAspect ? "?" : std::to_string(std::atoi(code.c_str()));
  } else {
    const double a = AsTableValue(row.position[0]);
    const double other = triple ? Find_Midpoint_declination(AsTableValue(row.position[1]),
                                                            AsTableValue(row.position[2]))
                                : AsTableValue(row.position[1]);
    out.how = (a < 0) == (other < 0) ? "parallel" : "contra-parallel";
  }
  if (triple) out.partner += " midpoint";
  return out;
}

}  // namespace

std::string EventSummary(const FoundAspect& row, ScanKind kind, const RunSettings& settings,
                         std::string_view chart_name) {
  const RowAspect aspect = AspectOf(row, kind, settings, chart_name);
  const bool degrees = !aspect.how.empty() && (std::isdigit(static_cast<unsigned char>(aspect.how[0])) || aspect.how == "?");
  std::string text = RoleName(row, 0, chart_name) + " " + aspect.how + (degrees ? "\u00B0 " : (aspect.how == "at" ? " the " : " ")) + aspect.partner;
  if (kind == ScanKind::Longitude && settings.chkUse_RA) text += " in right ascension";
  if (kind != ScanKind::Longitude && settings.chkUseGeoLat) text += " in latitude";
  return text;
}

std::string EventUid(const FoundAspect& row, ScanKind kind, const RunSettings& settings) {
  std::string uid = CompactUtcMinute(row.jd_ut) + "-";
  uid += kind == ScanKind::Longitude ? (settings.chkUse_RA ? "ra" : "lon")
                                     : (settings.chkUseGeoLat ? "lat" : "decl");
  for (int r = 0; r < (settings.chkUseP3 ? 3 : 2); ++r) {
    const auto i = static_cast<size_t>(r);
    uid += "-" + std::to_string(row.body[i]) + std::string(CentreCaption(row.centre[i]));
  }
  if (settings.chkUseP3) uid += settings.chkUseMidpoints ? "-mp" : "-md";
  return uid + "-" + AspectOf(row, kind, settings).how + "@tarnwick";
}

namespace {

std::string BodyOf(const SkyEvent& e) {
  return std::string(BodyName(e.body)) + (e.centre == Centre::Helio ? " (h)" : "");
}

std::string Capitalized(std::string text) {
  if (!text.empty()) text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
  return text;
}

}  // namespace

std::string SkyEventSummary(const SkyEvent& e) {
  switch (e.kind) {
    case EventKind::Station:
      return BodyOf(e) + (e.direction < 0 ? " turns retrograde" : " turns direct");
    case EventKind::Ingress:
      return BodyOf(e) + " enters " + std::string(SignName(e.detail)) + (e.direction < 0 ? " (retrograde)" : "");
    case EventKind::Lunation: {
      static const char* const kPhases[4] = {"New moon", "First quarter", "Full moon", "Last quarter"};
      std::string text = kPhases[((e.detail % 4) + 4) % 4];
      if (e.eclipse) text += ", " + std::string(EclipseName(*e.eclipse));
      return text;
    }
    case EventKind::Eclipse:
      return Capitalized(std::string(EclipseName(e.eclipse.value_or(EclipseKind::SolarTotal))));
    case EventKind::OutOfBounds: {
      const char* side = e.direction > 0 ? "north" : "south";
      return BodyOf(e) + (e.detail > 0 ? " out of bounds " : " back in bounds from ") + side;
    }
    case EventKind::VoidOfCourse:
      return BodyOf(e) + " void of course";
  }
  return BodyOf(e);
}

std::string SkyEventUid(const SkyEvent& e) {
  std::string uid = CompactUtcMinute(e.jd_ut) + "-" + std::string(EventWord(e.kind)) + "-" +
                    std::to_string(e.body) + (e.centre == Centre::Helio ? "h" : "g");
  // The detail tells apart what can share a minute: a body's ingress and station, the phases.
  uid += "-" + std::to_string(e.detail) + (e.direction < 0 ? "r" : "d");
  return uid + "@tarnwick";
}

std::string RunIcs(const FoundAspects& rows, ScanKind kind, const RunSettings& settings,
                   const TimeZone& zone, const RegionalFormat& format, std::time_t stamp,
                   const SkyEvents& events, std::string_view chart_name) {
  icaltimezone* utc = icaltimezone_get_utc_timezone();
  std::unique_ptr<icalcomponent, ComponentFree> calendar(icalcomponent_new_vcalendar());
  icalcomponent* cal = calendar.get();
  AddText(cal, icalproperty_new_version("2.0"));
  AddText(cal, icalproperty_new_prodid("-//Tarnwick//Aspectarian//EN"));
  AddText(cal, icalproperty_new_calscale("GREGORIAN"));
  const std::string zone_text = zone.Name().empty() ? "time zone " + settings.txtTZ : zone.Name();
  AddX(cal, "X-WR-CALNAME", "Tarnwick " + std::string(RunKindName(kind, settings)) + " " +
                                settings.txtStartDate + " to " + settings.txtEndDate + ", " + zone_text +
                                (chart_name.empty() ? "" : ", chart " + std::string(chart_name)));

  const icaltimetype dtstamp = icaltime_from_timet_with_zone(stamp, 0, utc);
  // Both lists are sorted by moment; an event goes in before the first row later than it.
  size_t next_event = 0;
  const auto add_events_until = [&](double jd_ut) {
    for (; next_event < events.size() && !(events[next_event].jd_ut > jd_ut); ++next_event) {
      const SkyEvent& e = events[next_event];
      if (e.jd_ut == jd_ut) break;  // the aspect first at the same moment
      std::string line = EventLine(e, zone, format.order);
      while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
      icalcomponent* event = icalcomponent_new_vevent();
      AddText(event, icalproperty_new_uid(SkyEventUid(e).c_str()));
      AddText(event, icalproperty_new_dtstamp(dtstamp));
      const std::time_t start = MinuteSeconds(e.jd_ut);
      const std::time_t end = e.kind == EventKind::VoidOfCourse && e.end_jd_ut > e.jd_ut
                                  ? std::max(MinuteSeconds(e.end_jd_ut), start + 60)
                                  : start + 60;
      AddText(event, icalproperty_new_dtstart(icaltime_from_timet_with_zone(start, 0, utc)));
      AddText(event, icalproperty_new_dtend(icaltime_from_timet_with_zone(end, 0, utc)));
      AddText(event, icalproperty_new_summary(SkyEventSummary(e).c_str()));
      const std::string local = IsoLocalMinute(e.jd_ut, HoursAtMinute(zone, e.jd_ut));
      AddText(event, icalproperty_new_description((line + "\nLocal time " + local).c_str()));
      AddText(event, icalproperty_new_transp(ICAL_TRANSP_TRANSPARENT));
      icalcomponent_add_component(cal, event);
    }
  };
  for (const FoundAspect& row : rows) {
    add_events_until(row.jd_ut);
    const FoundAspects one{row};
    std::string line = kind == ScanKind::Longitude ? Display_Aspects_longitude(one, settings, format)
                                                   : Display_Aspects_declination(one, settings, format);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    const std::string local = IsoLocalMinute(row.jd_ut, HoursAtMinute(zone, row.jd_ut));

    icalcomponent* event = icalcomponent_new_vevent();
    AddText(event, icalproperty_new_uid(EventUid(row, kind, settings).c_str()));
    AddText(event, icalproperty_new_dtstamp(dtstamp));
    const std::time_t start = MinuteSeconds(row.jd_ut);
    AddText(event, icalproperty_new_dtstart(icaltime_from_timet_with_zone(start, 0, utc)));
    AddText(event, icalproperty_new_dtend(icaltime_from_timet_with_zone(start + 60, 0, utc)));
    AddText(event, icalproperty_new_summary(EventSummary(row, kind, settings, chart_name).c_str()));
    AddText(event, icalproperty_new_description((line + "\nLocal time " + local).c_str()));
    AddText(event, icalproperty_new_transp(ICAL_TRANSP_TRANSPARENT));
    icalcomponent_add_component(cal, event);
  }
  add_events_until(HUGE_VAL);
  char* text = icalcomponent_as_ical_string_r(cal);
  std::string out = text ? text : "";
  std::free(text);
  return out;
}

FileStatus SaveRunIcs(const std::filesystem::path& path, const FoundAspects& rows, ScanKind kind,
                      const RunSettings& settings, const RegionalFormat& format, std::time_t stamp,
                      const SkyEvents& events, std::string_view chart_name) {
  const PreparedRun prepared = PrepareRunInputs(settings, format);
  if (!prepared.inputs) {
    return {false, "Could not save \"" + path.string() + "\": the time zone of the run cannot be read"};
  }
  const RunInputs& in = *prepared.inputs;
  const std::string ics =
      RunIcs(rows, kind, settings, in.zone ? *in.zone : *FixedOffsetZone(in.tz_hours), format, stamp, events, chart_name);
  return WriteFileAtomically(path, ics, LinkPolicy::FollowLink);
}

}  // namespace tarnwick
