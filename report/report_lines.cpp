#include "report/report_lines.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "core/bodies.h"
#include "core/calendar.h"
#include "core/midpoints.h"
#include "core/number_text.h"
#include "engine/aspects.h"

namespace tarnwick {

namespace {

// Caption of a body or a chart angle in a report line: 8 characters. Any other index cannot
// come from a scan; it is shown as question marks rather than read out of bounds.
std::string_view Caption(int index) { return PointCaption(index); }

// Segments 1 to 4, shared by both reports: the roles with their centre labels and the moment.
void AppendRolesAndMoment(std::string& line, const FoundAspect& row, const ReportLayout& layout) {
  const bool use_p3 = layout.use_p3;
  for (int role = 0; role < (use_p3 ? 3 : 2); ++role) {
    const auto r = static_cast<size_t>(role);
    line += CentreLabel(row.centre[r]);
    line += Caption(row.body[r]);
    line += role == 2 ? "  " : " ";
  }
  line += MomentText(row, *layout.zone, layout.order);
  line += "  ";
}

}  // namespace

void Sort_Aspects_by_Date(FoundAspects& rows) {
  const auto key = [](const FoundAspect& row) {
    return std::isnan(row.jd_ut) ? std::numeric_limits<double>::infinity() : row.jd_ut;
  };
  std::stable_sort(rows.begin(), rows.end(), [&key](const FoundAspect& a, const FoundAspect& b) {
    return key(a) < key(b);
  });
}

double AsTableValue(double value) {
  if (!std::isfinite(value)) return value;
  // to_chars and from_chars ignore the locale, so a decimal comma never creeps in.
  char text[64];
  const auto written = std::to_chars(text, text + sizeof text, value,
                                     std::chars_format::general, 15);
  double out = value;
  std::from_chars(text, written.ptr, out);
  return out;
}

std::string DeclinationValueText(double degrees) {
  const std::string s = FormatFixed(degrees, 2, 3);
  // FormatFixed writes no "-0.000", so the sign of the text is the sign of what it shows.
  return s.front() == '-' ? s : " " + s;
}

ReportOrbs ReportOrbsOf(const RunSettings& settings, const RegionalFormat& format) {
  return {static_cast<float>(OrbDegrees(settings.txtAspectOrb1, format.decimal_separator)),
          static_cast<float>(OrbDegrees(settings.txtAspectOrb2, format.decimal_separator))};
}

namespace {

AspectColumns AspectColumnsOf(const FoundAspect& row, bool use_p3, bool midpoint_columns,
                              const ReportOrbs& orbs) {
  const double p1 = std::fabs(AsTableValue(row.position[0]));
  const double p2 = std::fabs(AsTableValue(row.position[1]));
  const double p3 = std::fabs(AsTableValue(row.position[2]));
  AspectColumns out;
  if (!use_p3) {
    out.codes = {Find_this_aspect(p1, p2, orbs.orb1)};
    out.text = " " + out.codes[0];
  } else if (!midpoint_columns) {
    out.codes = {Find_this_aspect(p1, p2, orbs.orb1), Find_this_aspect(p1, p3, orbs.orb1),
                 Find_this_aspect(p2, p3, orbs.orb1)};
    out.text = " " + out.codes[0] + " " + out.codes[1] + " " + out.codes[2];
  } else {
    // Always the midpoint, also after a search with mid-degrees: the code relates P1 to the
    // point between the partners on the circle.
    out.codes = {Find_this_aspect(p1, Find_Midpoint(p2, p3), orbs.orb1),
                 Find_this_major_aspect(p2, p3, orbs.orb2)};
    out.text = "   " + out.codes[0] + " (" + out.codes[1] + ")";
  }
  return out;
}

}  // namespace

std::optional<int> ListedAspectDeg(const FoundAspect& row, const RunSettings& settings,
                                   const ReportOrbs& orbs) {
  const double p1 = std::fabs(AsTableValue(row.position[0]));
  const double p2 = std::fabs(AsTableValue(row.position[1]));
  const double p3 = std::fabs(AsTableValue(row.position[2]));
  const AspectCode code = settings.chkUseP3 ? Find_this_aspect(p1, Find_Midpoint(p2, p3), orbs.orb1)
                                            : Find_this_aspect(p1, p2, orbs.orb1);
  int degrees = 0;
  const auto [end, error] = std::from_chars(code.data(), code.data() + code.size(), degrees);
  if (error != std::errc() || end != code.data() + code.size()) return std::nullopt;
  return degrees;
}

void KeepAspectSet(FoundAspects& rows, const AspectSet& set, const RunSettings& settings,
                   const ReportOrbs& orbs) {
  std::erase_if(rows, [&](const FoundAspect& row) {
    const std::optional<int> angle = ListedAspectDeg(row, settings, orbs);
    return !angle || !set.Contains(*angle);
  });
}

AspectColumns LongitudeAspectColumns(const FoundAspect& row, const RunSettings& settings,
                                     const ReportOrbs& orbs) {
  return AspectColumnsOf(row, settings.chkUseP3, settings.chkDisplayP1_P2P3_mp_aspects, orbs);
}

ReportLayout ReportLayoutOf(const RunPlan& plan) {
  return {plan.kind, plan.use_p3, plan.midpoint_columns, {plan.orb1_deg, plan.orb2_deg},
          plan.times.ZoneInForce(), plan.times.order};
}

namespace {

std::shared_ptr<const TimeZone> ZoneOrUniversal(const std::string& text, char decimal_separator) {
  std::shared_ptr<const TimeZone> zone = TimeZoneOf(text, decimal_separator);
  return zone ? zone : FixedOffsetZone(0.0);
}

}  // namespace

ReportLayout ReportLayoutOf(ScanKind kind, const RunSettings& settings, const RegionalFormat& format) {
  return {kind, settings.chkUseP3, settings.chkDisplayP1_P2P3_mp_aspects,
          ReportOrbsOf(settings, format),
          ZoneOrUniversal(settings.txtTZ, format.decimal_separator), format.order};
}

std::string MomentText(const FoundAspect& row, const TimeZone& zone, DateOrder order) {
  const DateAndTimeText when = ConvertJDtoDateandTime(row.jd_ut, HoursAtMinute(zone, row.jd_ut), order);
  return when.date + " " + when.time;
}

std::string ReportLine(const FoundAspect& row, const ReportLayout& layout) {
  std::string line;
  AppendRolesAndMoment(line, row, layout);
  if (layout.kind == ScanKind::Longitude) {
    line += Reduce_to_under_30_with_sign(AsTableValue(row.position[0])) + " ";
    line += Reduce_to_under_30_with_sign(AsTableValue(row.position[1])) + " ";
    if (layout.use_p3) line += Reduce_to_under_30_with_sign(AsTableValue(row.position[2])) + " ";
    line += AspectColumnsOf(row, layout.use_p3, layout.midpoint_columns, layout.orbs).text;
  } else {
    line += DeclinationValueText(AsTableValue(row.position[0])) + "  ";
    line += DeclinationValueText(AsTableValue(row.position[1])) + "  ";
    if (layout.use_p3) line += DeclinationValueText(AsTableValue(row.position[2])) + " ";
  }
  line += kLineEnd;
  return line;
}

std::string ReportLines(const FoundAspects& rows, const ReportLayout& layout) {
  std::string report;
  for (const FoundAspect& row : rows) report += ReportLine(row, layout);
  return report;
}

std::string Display_Aspects_longitude(const FoundAspects& rows, const RunSettings& settings,
                                      const RegionalFormat& format) {
  return ReportLines(rows, ReportLayoutOf(ScanKind::Longitude, settings, format));
}

std::string Display_Aspects_declination(const FoundAspects& rows, const RunSettings& settings,
                                        const RegionalFormat& format) {
  return ReportLines(rows, ReportLayoutOf(ScanKind::Declination, settings, format));
}

std::string_view PaneOpening() { return kLineEnd; }

std::string PaneClosing() {
  std::string closing(kLineEnd);
  closing += std::string(kReportRuleLength, '-');
  closing += kLineEnd;
  return closing;
}

std::string PaneText(std::string_view report) {
  if (report.empty()) return {};
  std::string pane(PaneOpening());
  pane += report;
  pane += PaneClosing();
  return pane;
}

}  // namespace tarnwick
