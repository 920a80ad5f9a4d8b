#include "report/run_summary.h"

#include <charconv>

#include "core/bodies.h"
#include "engine/aspect_set.h"
#include "report/csv_export.h"
#include "report/report_lines.h"

namespace tarnwick {

namespace {

std::string Joined(const std::vector<std::string>& parts, std::string_view separator) {
  std::string out;
  for (const std::string& p : parts) out += (out.empty() ? "" : std::string(separator)) + p;
  return out;
}

std::string CentreWord(Centre c) {
  return c == Centre::Helio ? "heliocentric" : c == Centre::Natal ? "natal" : "geocentric";
}

std::string RoleBodies(const RunSettings& s, const RoleField& role, bool series, const std::string& chart) {
  std::vector<std::string> names;
  for (const Body& b : BodyCatalogue) {
    if ((s.*role.selection)[static_cast<size_t>(b.index)]) names.emplace_back(BodyName(b.index));
  }
  std::string centre = series ? "every combination of geocentric and heliocentric"
                              : CentreWord(s.*role.centre);
  // The chart the natal points are those of, by its name.
  if (!chart.empty() && (series ? &role != &kRoleFields[0] : s.*role.centre == Centre::Natal)) {
    centre += (series ? " and natal" : "") + std::string(" (chart ") + chart + ")";
    // The chart angles the role takes on the natal centre.
    for (const int a : {int{idxAscendant}, int{idxMidheaven}}) {
      if (role.angles && (s.*role.angles)[AngleSlot(a)]) names.emplace_back(kAngleLongNames[AngleSlot(a)]);
    }
  }
  return centre + ": " + (names.empty() ? std::string("no body checked") : Joined(names, ", "));
}

// An orb as the report reads it (single precision), shortest, with one decimal at least:
// "3.0", "0.25". to_chars ignores the locale, so a decimal comma never creeps in.
std::string OrbText(float orb) {
  char buffer[32];
  const auto written = std::to_chars(buffer, buffer + sizeof buffer, orb);
  std::string text(buffer, written.ptr);
  if (text.find_first_of(".e") == std::string::npos) text += ".0";
  return text;
}

std::string SourcesText(const std::vector<BodySource>& sources) {
  static const std::pair<BodySource::Kind, const char*> kGroups[] = {
      {BodySource::Kind::Files, "Swiss Ephemeris files"},
      {BodySource::Kind::Analytic, "analytic Moshier ephemeris"},
      {BodySource::Kind::OrbitalElements, "orbital elements"},
      {BodySource::Kind::LeftOut, "left out"},
  };
  std::vector<std::string> groups;
  for (const auto& [kind, label] : kGroups) {
    std::vector<std::string> names;
    for (const BodySource& s : sources) {
      if (s.kind != kind) continue;
      // A body is named once when every centre it was judged in has this source, else with
      // the centre that has it (Earth from files heliocentric, while geocentric it is none).
      bool all_centres_alike = true, named_before = false;
      for (const BodySource& t : sources) {
        if (t.body != s.body) continue;
        all_centres_alike = all_centres_alike && t.kind == kind;
        named_before = named_before || (&t < &s && t.kind == kind);
      }
      if (all_centres_alike && named_before) continue;
      std::string name(BodyName(s.body));
      if (!all_centres_alike) name += " (" + CentreWord(s.centre) + ")";
      names.push_back(name);
    }
    if (!names.empty()) groups.push_back(std::string(label) + ": " + Joined(names, ", "));
  }
  return groups.empty() ? "no body computed" : Joined(groups, "; ");
}

}  // namespace

std::vector<SummaryField> RunSummary(ScanKind kind, const RunSettings& s,
                                     const RegionalFormat& regional, const RunOutcome& outcome) {
  const bool longitude = kind == ScanKind::Longitude;
  std::vector<SummaryField> f;

  f.push_back({"Run", std::string(RunKindName(kind, s)) + " aspectarian, " +
                          (s.chkUseP3 ? "triple aspects" : "two bodies")});
  f.push_back({"Span", s.txtStartDate + " to " + s.txtEndDate});
  const std::optional<double> tz = TimeZoneHours(s.txtTZ, regional.decimal_separator);
  f.push_back({"Time zone", s.txtTZ + (tz ? " (UTC" + IsoUtcOffset(*tz) + ")" : "")});
  for (size_t r = 0; r < (s.chkUseP3 ? 3u : 2u); ++r) {
    f.push_back({std::string(kRoleFields[r].header), RoleBodies(s, kRoleFields[r], s.chkAutoCalc, outcome.chart_name)});
  }
  f.push_back({"Grid", s.chkInclude15DegAspects ? "15 degrees" : "30 degrees"});
  if (longitude) {
    const std::optional<AspectSet> set = ReadAspectSet(s.txtAspectSet);
    std::string text = set ? set->Text() : s.txtAspectSet;
    if (set && (*set == AspectSet::Major() || *set == AspectSet::Hard())) {
      std::vector<std::string> angles;
      for (const int a : set->Angles()) angles.push_back(std::to_string(a));
      text += " (" + Joined(angles, ", ") + ")";
    } else if (set && *set != AspectSet::All()) {
      text = set->Text(',');
      std::string spaced;
      for (const char c : text) spaced += c == ',' ? std::string(", ") : std::string(1, c);
      text = spaced;
    }
    f.push_back({"Aspects", text});
    const ReportOrbs orbs = ReportOrbsOf(s, regional);
    f.push_back({"Orbs", "orb 1 " + OrbText(orbs.orb1) + ", orb 2 " + OrbText(orbs.orb2) + " degrees"});
  } else {
    f.push_back({"Aspects", "parallels and contra-parallels"});
  }
  std::string partners = "P2";
  if (s.chkUseP3) {
    partners = s.chkUseMidpoints ? "midpoints of P2 and P3"
                                 : (longitude && s.chkUseNear_and_Far ? "near mid-degrees of P2 and P3"
                                                                      : "mid-degrees of P2 and P3");
  }
  f.push_back({"Partners", partners});
  f.push_back({"Time window", s.chkEnableTimePeriod
                                  ? s.txtStartTime + " to " + s.txtEndTime + " local time"
                                  : "whole days"});
  f.push_back({"Ephemeris", SourcesText(outcome.sources)});
  const auto listed = static_cast<size_t>(outcome.rows_found);  // kept or only streamed out
  f.push_back({"Rows", listed == outcome.found_count
                           ? std::to_string(listed)
                           : std::to_string(listed) + " of " + std::to_string(outcome.found_count) +
                                 " found, the others outside the aspect set"});
  return f;
}

std::string RunSummaryText(const std::vector<SummaryField>& fields, std::string_view line_end) {
  std::string out;
  for (const SummaryField& f : fields) out += f.label + ": " + f.value + std::string(line_end);
  return out;
}

}  // namespace tarnwick
