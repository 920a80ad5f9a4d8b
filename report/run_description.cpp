#include "report/run_description.h"

#include "core/bodies.h"
#include "engine/run_settings.h"

namespace tarnwick {

namespace {

std::string BodyList(const BodySelection& selection) {
  std::string list;
  for (int i = 0; i < BodyCount; ++i) {
    if (!selection[static_cast<size_t>(i)]) continue;
    list += (list.empty() ? "" : ", ") + std::string(BodyName(i));
  }
  return list.empty() ? "none" : list;
}

std::string CentreWord(const RunSettings& s, Centre c) {
  if (s.chkAutoCalc) return "geocentric and heliocentric in turn";
  return c == Centre::Helio ? "heliocentric" : "geocentric";
}

}  // namespace

std::vector<std::string> RunDescription(ScanKind kind, const RunSettings& s) {
  std::vector<std::string> lines;
  const std::string grid = s.chkInclude15DegAspects ? "15-degree grid" : "30-degree grid";
  if (kind == ScanKind::Longitude) {
    lines.push_back(std::string(s.chkUse_RA ? "Right ascension" : "Longitude") + " aspects, " + grid);
  } else {
    lines.push_back(std::string(s.chkUseGeoLat ? "Geocentric latitude" : "Declination") +
                    " parallels and contra-parallels");
  }
  const bool fixed = TimeZoneHours(s.txtTZ, '.') || TimeZoneHours(s.txtTZ, ',');
  lines.push_back("Span: " + s.txtStartDate + " to " + s.txtEndDate + ", local days; time zone " +
                  s.txtTZ +
                  (fixed ? " (hours west of Greenwich)" : " (local civil time, summer time included)"));
  for (const RoleField& role : kRoleFields) {
    if (role.header == "P3" && !s.chkUseP3) continue;
    lines.push_back(std::string(role.header) + ": " + BodyList(s.*role.selection) + " (" +
                    CentreWord(s, s.*role.centre) + ")");
  }
  if (s.chkUseP3) {
    lines.push_back(s.chkUseMidpoints ? "Triple aspects: P1 to the midpoint of P2 and P3"
                                      : std::string("Triple aspects: P1 to the ") +
                                            (s.chkUseNear_and_Far ? "near " : "") +
                                            "mid-degree of P2 and P3");
  }
  if (kind == ScanKind::Longitude) {
    lines.push_back("Orbs: " + s.txtAspectOrb1 + " and " + s.txtAspectOrb2 + " degrees");
  }
  if (s.chkEnableTimePeriod && s.txtStartDate == s.txtEndDate) {
    lines.push_back("Daily time window: " + s.txtStartTime + " to " + s.txtEndTime + " local time");
  }
  return lines;
}

}  // namespace tarnwick
