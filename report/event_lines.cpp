#include "report/event_lines.h"

#include <cmath>

#include "engine/aspects.h"
#include "report/report_lines.h"

namespace tarnwick {

namespace {

constexpr std::string_view kPhases[4] = {"new moon", "first quarter", "full moon", "last quarter"};

std::string LocalTime(double jd_ut, const TimeZone& zone, DateOrder order) {
  return ConvertJDtoDateandTime(jd_ut, HoursAtMinute(zone, jd_ut), order).time;
}

std::string LocalMoment(double jd_ut, const TimeZone& zone, DateOrder order) {
  const DateAndTimeText t = ConvertJDtoDateandTime(jd_ut, HoursAtMinute(zone, jd_ut), order);
  return t.date + " " + t.time;
}

// An aspect angle by its name: conjunction, sextile, square, trine, opposition, else degrees.
std::string AngleName(int angle) {
  switch (angle) {
    case 0: return "conjunction";
    case 60: return "sextile";
    case 90: return "square";
    case 120: return "trine";
    case 180: return "opposition";
    default: return std::to_string(angle) + " degrees";
  }
}

}  // namespace

std::string_view EventWord(EventKind kind) {
  switch (kind) {
    case EventKind::Station: return "station";
    case EventKind::Ingress: return "ingress";
    case EventKind::Lunation: return "lunation";
    case EventKind::Eclipse: return "eclipse";
    case EventKind::OutOfBounds: return "bounds";
    case EventKind::VoidOfCourse: return "void";
  }
  return "event";
}

std::string EventDescription(const SkyEvent& e, const TimeZone& zone, DateOrder order) {
  switch (e.kind) {
    case EventKind::Station:
      return e.detail > 0 ? "turns direct" : "turns retrograde";
    case EventKind::Ingress:
      return "enters " + std::string(SignName(e.detail)) + (e.direction < 0 ? " (retrograde)" : "");
    case EventKind::Lunation: {
      std::string text(kPhases[static_cast<size_t>(((e.detail % 4) + 4) % 4)]);
      if (e.eclipse) {
        text += ", " + std::string(EclipseName(*e.eclipse)) + " greatest " +
                LocalTime(e.eclipse_jd_ut, zone, order);
      }
      return text;
    }
    case EventKind::Eclipse:
      return std::string(EclipseName(e.eclipse.value_or(EclipseKind::SolarTotal))) + ", greatest";
    case EventKind::OutOfBounds: {
      const char* side = e.direction > 0 ? "north" : "south";
      return e.detail > 0 ? std::string("out of bounds ") + side : std::string("back in bounds from ") + side;
    }
    case EventKind::VoidOfCourse: {
      std::string text = "void of course until " + LocalMoment(e.end_jd_ut, zone, order) + " (enters " +
                         std::string(SignName(e.detail)) + ")";
      if (e.aspect_body < 0) return text + ", no aspect in the sign";
      return text + ", after " + AngleName(e.aspect_angle) + " " + std::string(BodyName(e.aspect_body));
    }
  }
  return {};
}

std::string EventLine(const SkyEvent& e, const TimeZone& zone, DateOrder order) {
  std::string line = CentreLabel(e.centre);
  line += IsBodyIndex(e.body) ? BodyCatalogue[static_cast<size_t>(e.body)].caption : "????????";
  line += " ";
  std::string word(EventWord(e.kind));
  word.resize(11, ' ');
  line += word + " ";
  line += LocalMoment(e.jd_ut, zone, order) + "  ";
  line += e.kind == EventKind::OutOfBounds ? DeclinationValueText(AsTableValue(e.position))
                                           : Reduce_to_under_30_with_sign(AsTableValue(e.position));
  line += "  " + EventDescription(e, zone, order);
  line += kLineEnd;
  return line;
}

std::string MergeEventLines(std::string_view aspect_report, const FoundAspects& rows, const SkyEvents& events,
                            const TimeZone& zone, DateOrder order) {
  std::string out;
  size_t pos = 0, next_event = 0;
  for (const FoundAspect& row : rows) {
    while (next_event < events.size() && events[next_event].jd_ut < row.jd_ut) {
      out += EventLine(events[next_event++], zone, order);
    }
    const size_t end = aspect_report.find(kLineEnd, pos);
    if (end == std::string_view::npos) break;  // fewer lines than rows: cannot come from a run
    out += aspect_report.substr(pos, end + kLineEnd.size() - pos);
    pos = end + kLineEnd.size();
  }
  out += aspect_report.substr(pos);
  for (; next_event < events.size(); ++next_event) out += EventLine(events[next_event], zone, order);
  return out;
}

}  // namespace tarnwick
