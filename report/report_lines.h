// The report text of a run: one line per found moment for the longitude and the declination
// aspectarian, the sort by moment, and the text the results pane and the report file hold.
#pragma once

#include <optional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/date_text.h"
#include "core/time_zone.h"
#include "engine/aspect_set.h"
#include "engine/aspects.h"
#include "engine/found_aspects.h"
#include "engine/run_plan.h"
#include "engine/run_settings.h"

namespace tarnwick {

inline constexpr std::string_view kLineEnd = "\r\n";  // every line of a report ends so
inline constexpr int kReportRuleLength = 50;          // hyphens under a report in the pane

// Orders the rows by their exact moment (jd_ut). Stable, so rows of one minute come out by
// exact moment and rows of the very same moment keep their scan order: the same settings
// always give the same report. A row whose moment is not a number goes to the end.
void Sort_Aspects_by_Date(FoundAspects& rows);

// A position as the result table stores it: the value written with 15 significant digits
// and read back. Lines are built from this value, so a longitude a hair below a sign
// boundary (119.99999999999999) reads as the boundary (120) as it always has.
double AsTableValue(double value);

// A declination or latitude for the declination report: pattern "00.000" (at least two
// integer digits, three decimals, rounded half away from zero) with "." whatever the locale,
// one blank before a value that is 0 or more: 5.25 gives " 05.250", -0.5 "-00.500",
// 0 " 00.000". Values of magnitude below 100 take 7 characters.
std::string DeclinationValueText(double degrees);

// Orbs 1 and 2 of a report, degrees: txtAspectOrb1/2 read by the leading-number rule in
// single precision, the regional decimal sign of `format` read as the point too.
struct ReportOrbs {
  float orb1 = 0.0f;
  float orb2 = 0.0f;
};
ReportOrbs ReportOrbsOf(const RunSettings& settings, const RegionalFormat& format);

// The aspect part of a longitude report line (the text after the positions) and the codes it
// shows, in the order shown:
//   two bodies:    P1-P2                      text " 090"
//   three bodies:  P1-P2, P1-P3, P2-P3        text " 045 135 090"
//   with chkDisplayP1_P2P3_mp_aspects:
//                  P1-midpoint, P2-P3 major   text "   090 (060)"
// A code is kNoAspect when no aspect lies within the orb.
struct AspectColumns {
  std::vector<AspectCode> codes;
  std::string text;
};
AspectColumns LongitudeAspectColumns(const FoundAspect& row, const RunSettings& settings,
                                     const ReportOrbs& orbs);

// The aspect a longitude row is listed by when a set of aspects is chosen, in degrees: the
// code the report line shows for P1 to P2, or in a triple row for P1 to the midpoint of P2
// and P3 (orb 1, as LongitudeAspectColumns); nothing when no aspect lies within the orb.
std::optional<int> ListedAspectDeg(const FoundAspect& row, const RunSettings& settings,
                                   const ReportOrbs& orbs);

// Keeps the rows whose ListedAspectDeg is in `set`, in their order; a row without one goes.
void KeepAspectSet(FoundAspects& rows, const AspectSet& set, const RunSettings& settings,
                   const ReportOrbs& orbs);


// What a report line takes from its run, as numbers.
struct ReportLayout {
  ScanKind kind = ScanKind::Longitude;
  bool use_p3 = true;             // the line shows P3
  bool midpoint_columns = true;   // longitude: P1 to the midpoint and the P2-P3 major aspect
  ReportOrbs orbs;
  // The zone the moments are written in: a fixed offset, or a named zone whose offset at each
  // moment applies (summer time included).
  std::shared_ptr<const TimeZone> zone = FixedOffsetZone(0.0);
  DateOrder order = DateOrder::MonthDayYear;
};

ReportLayout ReportLayoutOf(const RunPlan& plan);

// The same from the settings' texts: the orbs as ReportOrbsOf reads them, the time zone as
// TimeZoneOf does (Universal Time when it cannot be read).
ReportLayout ReportLayoutOf(ScanKind kind, const RunSettings& settings, const RegionalFormat& format);

// Field 3 of a report line: the local date, one blank, the local time "HH:MM" of the row's
// moment (ConvertJDtoDateandTime, with the zone's offset at that moment).
std::string MomentText(const FoundAspect& row, const TimeZone& zone, DateOrder order);

// Writes the lines of one run's report, keeping what they share from line to line: the layout
// and the span over which the zone's offset last read holds. Not for sharing between threads.
class ReportLineWriter {
 public:
  explicit ReportLineWriter(ReportLayout layout);
  // Appends ReportLine(row, layout) to out.
  void Append(std::string& out, const FoundAspect& row);

 private:
  ReportLayout layout_;
  MinuteOffsets offsets_;  // of *layout_.zone, which layout_ keeps alive
};

// One line of the report, ended by CR LF.
//   longitude: centre label and caption of P1, a blank; the same for P2; with P3 the same for
//   P3 and two blanks; the moment and two blanks; each position as degree in sign
//   ("09.4 (09)") and a blank (P3 only with P3); then the aspect part:
//     two bodies:       " " + code(p1, p2, orb1)
//     three bodies:     " " + code(p1, p2) + " " + code(p1, p3) + " " + code(p2, p3), all orb1
//     midpoint columns: "   " + code(p1, midpoint(p2, p3), orb1) + " (" + major(p2, p3, orb2) + ")"
//   p1..p3 being the absolute values of the positions.
//   declination: centre labels and captions as above, the moment and two blanks, then the
//   value texts of P1 and P2 each followed by two blanks and, with P3, that of P3 followed by
//   one blank. No aspect is named: every row is an exact parallel or contra-parallel, told
//   apart by the signs.
std::string ReportLine(const FoundAspect& row, const ReportLayout& layout);

// The report, one ReportLine per row in table order; "" for no rows.
std::string ReportLines(const FoundAspects& rows, const ReportLayout& layout);

// The longitude and the declination report of rows from the settings' texts
// (ReportLayoutOf(kind, settings, format), then ReportLines).
std::string Display_Aspects_longitude(const FoundAspects& rows, const RunSettings& settings,
                                      const RegionalFormat& format);
std::string Display_Aspects_declination(const FoundAspects& rows, const RunSettings& settings,
                                        const RegionalFormat& format);

// What the results pane and the report file hold: "" when the report is empty, else
// CR LF, the report, CR LF, 50 hyphens, CR LF.
std::string PaneText(std::string_view report);

// The same in parts, for a report written as its lines come: PaneOpening before the first
// line, PaneClosing after the last one (nothing at all when there is no line).
std::string_view PaneOpening();
std::string PaneClosing();

}  // namespace tarnwick
