// RunSettings: every input of a run, one field per control of the main window, named after
// the control. Text fields hold the text as typed; each reader converts it where it is used.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "core/bodies.h"
#include "core/position_provider.h"

namespace tarnwick {

// Which bodies may take a role: index i is body i of the catalogue.
using BodySelection = PerBody<bool>;

// Jupiter to Pluto, Chiron and Sedna: the bodies checked in every role at start.
BodySelection InitialBodySelection();

// Which chart angles may take a role: slot AngleSlot(i) for idxAscendant and idxMidheaven.
using AngleSelection = std::array<bool, NatalAngleCount>;

struct RunSettings {
  std::string txtStartDate = "12/01/2007";  // first day of the span, regional date order
  std::string txtEndDate = "12/31/2007";    // last day of the span
  std::string txtTZ = "5";                  // hours added to local time to give Universal Time
  std::string txtAspectOrb1 = "3.0";        // degrees
  std::string txtAspectOrb2 = "15.0";       // degrees
  std::string txtStartTime = "10:00";       // daily time window, hours.minutes, local time
  std::string txtEndTime = "10:59";

  BodySelection chkP1Planets = InitialBodySelection();
  BodySelection chkP2Planets = InitialBodySelection();
  BodySelection chkP3Planets = InitialBodySelection();

  bool chkUseP3 = true;                 // triple aspects: P1 to the midpoint of P2 and P3
  bool chkAutoCalc = false;             // repeat the run over the series of centre choices
  bool chkUseMidpoints = true;          // midpoints instead of mid-degrees
  bool chkUseNear_and_Far = true;       // near mid-degree
  bool chkInclude15DegAspects = true;   // 15-degree grid instead of 30-degree grid
  bool chkUse_RA = false;               // right ascension instead of longitude
  bool chkUseGeoLat = false;            // geocentric latitude instead of declination
  bool chkEnableTimePeriod = false;     // daily time window, on one-day spans only

  Centre opt1_ghd = Centre::Geo;
  Centre opt2_ghd = Centre::Geo;
  Centre opt3_ghd = Centre::Geo;

  bool chkDisplayP1_P2P3_mp_aspects = true;  // longitude report: P1 to the midpoint only

  // The aspects a longitude run lists (ReadAspectSet): "" or "all" lists every aspect of the
  // grid; "major", "hard" or angles "0,90,180" list only those. Not one of kTextFields: the
  // settings file stores it on a line of its own after the 93, and only when a set is chosen.
  std::string txtAspectSet;

  // The chart angles P2 and P3 take on the natal centre, when the chart has a birth place.
  // Not among the 93 lines either: the settings file stores them on a line of their own
  // after those, and only when one is checked. None at start.
  AngleSelection chkP2Angles{};
  AngleSelection chkP3Angles{};

  PositionSwitches switches() const { return {chkUse_RA, chkUseGeoLat}; }
  friend bool operator==(const RunSettings&, const RunSettings&) = default;
};

// A text field: control name, the label the window shows beside it, and the member.
struct TextField {
  std::string_view name;
  std::string_view label;
  std::string RunSettings::*member;
};

// The seven text fields, in the order the settings file stores them.
inline constexpr std::array<TextField, 7> kTextFields = {{
    {"txtStartDate", "Start Date:", &RunSettings::txtStartDate},
    {"txtEndDate", "End Date:", &RunSettings::txtEndDate},
    {"txtTZ", "Time Zone:", &RunSettings::txtTZ},
    {"txtAspectOrb1", "Orb 1:", &RunSettings::txtAspectOrb1},
    {"txtAspectOrb2", "Orb 2:", &RunSettings::txtAspectOrb2},
    {"txtStartTime", "Start Time: ", &RunSettings::txtStartTime},
    {"txtEndTime", "End Time: ", &RunSettings::txtEndTime},
}};

// A switch: control name, the check box's caption, and the member.
struct CheckField {
  std::string_view name;
  std::string_view caption;
  bool RunSettings::*member;
};

// The eight switches the settings file stores, in its order, then the one it does not.
inline constexpr std::array<CheckField, 9> kCheckFields = {{
    {"chkUseP3", "Do 3-planet aspects (triple aspects)?", &RunSettings::chkUseP3},
    {"chkAutoCalc", "Calculate every possible combination of g-h?", &RunSettings::chkAutoCalc},
    {"chkUseMidpoints", "Use midpoints instead of mid-degrees?", &RunSettings::chkUseMidpoints},
    {"chkUseNear_and_Far", "When using mid-degrees, always use near mid-degree?",
     &RunSettings::chkUseNear_and_Far},
    {"chkInclude15DegAspects", "Include 15-degree aspects as well as 30-degree aspects?",
     &RunSettings::chkInclude15DegAspects},
    {"chkUse_RA", "Calculate right ascension instead of longitude?", &RunSettings::chkUse_RA},
    {"chkUseGeoLat", "Calculate geo latitude instead of geo declination?",
     &RunSettings::chkUseGeoLat},
    {"chkEnableTimePeriod", "Only show aspects within given time period above?",
     &RunSettings::chkEnableTimePeriod},
    {"chkDisplayP1_P2P3_mp_aspects", "Only display aspects between p1 and p2/p3?",
     &RunSettings::chkDisplayP1_P2P3_mp_aspects},
}};
inline constexpr size_t kStoredCheckFields = 8;  // the first eight are in the settings file

// A role's body selection and centre choice, and its chart angles (P2 and P3 only).
struct RoleField {
  std::string_view selection_name;  // "chkP1Planets"
  std::string_view centre_name;     // "opt1_ghd"
  std::string_view header;          // "P1"
  BodySelection RunSettings::*selection;
  Centre RunSettings::*centre;
  AngleSelection RunSettings::*angles;  // null for P1, which moves
};

inline constexpr std::array<RoleField, 3> kRoleFields = {{
    {"chkP1Planets", "opt1_ghd", "P1", &RunSettings::chkP1Planets, &RunSettings::opt1_ghd, nullptr},
    {"chkP2Planets", "opt2_ghd", "P2", &RunSettings::chkP2Planets, &RunSettings::opt2_ghd,
     &RunSettings::chkP2Angles},
    {"chkP3Planets", "opt3_ghd", "P3", &RunSettings::chkP3Planets, &RunSettings::opt3_ghd,
     &RunSettings::chkP3Angles},
}};

// Whether a role takes the point `index` (a body or a chart angle) on `centre`: a body when
// its box is checked; an angle when its box is checked and the centre is natal.
bool RoleTakesPoint(const RunSettings& s, const RoleField& role, int index, Centre centre);

// Whether any chart angle is checked for the role.
bool AnyAngleChecked(const RunSettings& s, const RoleField& role);

// Caption of a centre option: "g", "h" or "n" (natal).
inline std::string_view CentreCaption(Centre c) {
  return c == Centre::Helio ? "h" : c == Centre::Natal ? "n" : "g";
}

// ---- Conversions of the text fields, applied by the readers -------------------------------

// Orbs: the leading-number rule, 0 when the text has no leading number ("" gives 0,
// "2.5x" gives 2.5). The regional decimal sign reads as the point too: a user of a
// decimal-comma locale types "0,9".
double OrbDegrees(std::string_view text, char decimal_separator = '.');

// Time zone in hours: the whole text is the number, in the regional decimal format ("."
// always accepted). Nothing when it is not a number ("", "-", "1.2.3", "5h"). The same value
// places the span and prints the local times, so the two always agree.
std::optional<double> TimeZoneHours(std::string_view text, char decimal_separator);

// A daily-window time as an hours.minutes number: "10.30" and "10:30" give 10.30, "10" gives
// 10.00, "10.5" 10.50 (the number a found time 10:50 is compared as). The regional decimal
// sign reads as the point too. Nothing for a text that is not a time of day: hours, then
// optionally a point or colon and one or two digits of minutes, from 0:00 to 24:00 with
// minutes below 60 ("1130", "25.00", "10.75", "24.30" and "10.305" give nothing).
std::optional<double> DailyTimeValue(std::string_view text, char decimal_separator = '.');

}  // namespace tarnwick
