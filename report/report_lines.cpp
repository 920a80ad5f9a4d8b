#include "report/report_lines.h"

#include <algorithm>
#include <array>
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

// The local date, a blank and the clock "HH:MM" of jd_ut, tz_hours being the zone's offset
// at that minute.
void AppendMoment(std::string& out, double jd_ut, double tz_hours, DateOrder order) {
  const LocalClock clock = LocalClockAt(jd_ut, tz_hours);
  AppendDateText(out, clock.date, order);
  out += ' ';
  AppendClockText(out, clock.hour, clock.minute);
}

// Segments 1 to 4, shared by both reports: the roles with their centre labels and the moment.
void AppendRolesAndMoment(std::string& line, const FoundAspect& row, const ReportLayout& layout,
                          double tz_hours) {
  const bool use_p3 = layout.use_p3;
  for (int role = 0; role < (use_p3 ? 3 : 2); ++role) {
    const auto r = static_cast<size_t>(role);
    line += CentreLabel(row.centre[r]);
    line += Caption(row.body[r]);
    line += role == 2 ? "  " : " ";
  }
  AppendMoment(line, row.jd_ut, tz_hours, layout.order);
  line += "  ";
}

// A declination value text (DeclinationValueText) appended to out.
void AppendDeclinationValue(std::string& out, double degrees) {
  const size_t start = out.size();
  AppendFixed(out, degrees, 2, 3);
  // AppendFixed writes no "-0.000", so the sign of the text is the sign of what it shows.
  if (out[start] != '-') out.insert(start, 1, ' ');
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

namespace {

// AsTableValue the slow way: the text with 15 significant digits, read back.
double ThroughText(double value) {
  // to_chars and from_chars ignore the locale, so a decimal comma never creeps in.
  char text[64];
  const auto written = std::to_chars(text, text + sizeof text, value,
                                     std::chars_format::general, 15);
  double out = value;
  std::from_chars(text, written.ptr, out);
  return out;
}

// 10^0 to 10^15, each exact as a double.
constexpr std::array<double, 16> kPowersOfTen = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

}  // namespace

double AsTableValue(double value) {
  if (!std::isfinite(value)) return value;
  const double a = std::fabs(value);
  if (!(a >= 1.0 && a < 1e15)) return ThroughText(value);
  // The 15 digits as a whole number: a * 10^k rounded, k = 14 - (digits before the point - 1).
  // The product is formed exactly as p + e (fma), so the rounding sees the exact decimal
  // value, as to_chars does. A product within a hair of a half goes the slow way (to_chars
  // rounds an exact half to even).
  size_t x = 0;
  while (x + 1 < kPowersOfTen.size() && a >= kPowersOfTen[x + 1]) ++x;
  const double scale = kPowersOfTen[14 - x];
  const double p = a * scale;
  const double e = std::fma(a, scale, -p);
  double whole = std::round(p);
  const double d = (p - whole) + e;
  if (std::fabs(std::fabs(d) - 0.5) < 1e-6) return ThroughText(value);
  if (d > 0.5) whole += 1.0;
  if (d < -0.5) whole -= 1.0;
  // Both exact, so the quotient is the double nearest the 15-digit decimal: what from_chars
  // reads from its text.
  const double out = whole / scale;
  return value < 0 ? -out : out;
}

std::string DeclinationValueText(double degrees) {
  std::string text;
  AppendDeclinationValue(text, degrees);
  return text;
}

ReportOrbs ReportOrbsOf(const RunSettings& settings, const RegionalFormat& format) {
  return {static_cast<float>(OrbDegrees(settings.txtAspectOrb1, format.decimal_separator)),
          static_cast<float>(OrbDegrees(settings.txtAspectOrb2, format.decimal_separator))};
}

namespace {

// The positions as the table stores them (AsTableValue); P3's only with P3, 0 otherwise.
std::array<double, 3> TableValues(const FoundAspect& row, bool use_p3) {
  return {AsTableValue(row.position[0]), AsTableValue(row.position[1]),
          use_p3 ? AsTableValue(row.position[2]) : 0.0};
}

// The codes of a longitude line's aspect part, in the order shown, as views of constant
// texts, from the table values of the positions (value[2] read only with P3).
struct AspectCodeViews {
  std::array<std::string_view, 3> code;
  size_t count = 0;
};

AspectCodeViews AspectCodesOf(const std::array<double, 3>& value, bool use_p3, bool midpoint_columns,
                              const ReportOrbs& orbs) {
  const std::array<double, 3> p = {std::fabs(value[0]), std::fabs(value[1]), std::fabs(value[2])};
  if (!use_p3) return {{AspectCodeOf(p[0], p[1], orbs.orb1)}, 1};
  if (!midpoint_columns) {
    return {{AspectCodeOf(p[0], p[1], orbs.orb1), AspectCodeOf(p[0], p[2], orbs.orb1),
             AspectCodeOf(p[1], p[2], orbs.orb1)},
            3};
  }
  // Always the midpoint, also after a search with mid-degrees: the code relates P1 to the
  // point between the partners on the circle.
  return {{AspectCodeOf(p[0], Find_Midpoint(p[1], p[2]), orbs.orb1),
           MajorAspectCodeOf(p[1], p[2], orbs.orb2)},
          2};
}

void AppendAspectText(std::string& out, const AspectCodeViews& codes, bool use_p3, bool midpoint_columns) {
  if (!use_p3 || !midpoint_columns) {
    for (size_t i = 0; i < codes.count; ++i) {
      out += ' ';
      out += codes.code[i];
    }
    return;
  }
  out += "   ";
  out += codes.code[0];
  out += " (";
  out += codes.code[1];
  out += ')';
}

AspectColumns AspectColumnsOf(const FoundAspect& row, bool use_p3, bool midpoint_columns,
                              const ReportOrbs& orbs) {
  const AspectCodeViews codes =
      AspectCodesOf(TableValues(row, use_p3), use_p3, midpoint_columns, orbs);
  AspectColumns out;
  for (size_t i = 0; i < codes.count; ++i) out.codes.emplace_back(codes.code[i]);
  AppendAspectText(out.text, codes, use_p3, midpoint_columns);
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
  std::string text;
  AppendMoment(text, row.jd_ut, HoursAtMinute(zone, row.jd_ut), order);
  return text;
}

ReportLineWriter::ReportLineWriter(ReportLayout layout)
    : layout_(std::move(layout)), offsets_(*layout_.zone) {}

void ReportLineWriter::Append(std::string& out, const FoundAspect& row) {
  const ReportLayout& layout = layout_;
  AppendRolesAndMoment(out, row, layout, offsets_.HoursAtMinute(row.jd_ut));
  const int shown = layout.use_p3 ? 3 : 2;
  // Each position read once as the table stores it; the aspect codes classify the same values.
  const std::array<double, 3> value = TableValues(row, layout.use_p3);
  if (layout.kind == ScanKind::Longitude) {
    for (int i = 0; i < shown; ++i) {
      AppendDegreeInSign(out, value[static_cast<size_t>(i)]);
      out += ' ';
    }
    AppendAspectText(out, AspectCodesOf(value, layout.use_p3, layout.midpoint_columns, layout.orbs),
                     layout.use_p3, layout.midpoint_columns);
  } else {
    AppendDeclinationValue(out, value[0]);
    out += "  ";
    AppendDeclinationValue(out, value[1]);
    out += "  ";
    if (layout.use_p3) {
      AppendDeclinationValue(out, value[2]);
      out += ' ';
    }
  }
  out += kLineEnd;
}

std::string ReportLine(const FoundAspect& row, const ReportLayout& layout) {
  std::string line;
  ReportLineWriter(layout).Append(line, row);
  return line;
}

std::string ReportLines(const FoundAspects& rows, const ReportLayout& layout) {
  std::string report;
  ReportLineWriter writer(layout);
  for (const FoundAspect& row : rows) writer.Append(report, row);
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
