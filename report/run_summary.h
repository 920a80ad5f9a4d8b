// What a run searched, in a few labelled lines: for the window above its results, the PDF
// header, calendar metadata and a text file beside a CSV. The plain report file never holds it.
#pragma once

#include <string>
#include <vector>

#include "report/run_command.h"

namespace tarnwick {

struct SummaryField {
  std::string label;  // "Span", "Time zone", ...
  std::string value;  // one line, no line break
};

// The summary of a finished run, in this order:
//   Run         "longitude aspectarian, triple aspects" (right ascension, declination, geo
//               latitude; two bodies or triple aspects)
//   Span        "12/01/2007 to 12/31/2007", the date texts the run read
//   Time zone   "5 (UTC-05:00)", the text and the offset it gives
//   P1, P2, P3  "geocentric: Jupiter, Saturn, ..." (P3 with triple aspects only; "every
//               combination of geocentric and heliocentric" after chkAutoCalc)
//   Grid        "15 degrees" or "30 degrees"
//   Aspects     "all", "major (0, 60, 90, 120, 180)", "0, 90, 180"; declination runs:
//               "parallels and contra-parallels"
//   Orbs        "orb 1 3.0, orb 2 15.0 degrees" as the report reads them
//   Partners    "midpoints of P2 and P3", "near mid-degrees ...", "mid-degrees ...", or "P2"
//   Time window "whole days" or "10:00 to 10:59 local time"
//   Ephemeris   "Swiss Ephemeris files: Sun, Moon; orbital elements: Sedna; left out: Chiron
//               (geocentric)"; one group per source, bodies in catalogue order
//   Rows        "41" or "12 of 41 found, the others outside the aspect set"
// kind, settings and regional are the run's own (the settings as it started); outcome is
// the finished run's.
std::vector<SummaryField> RunSummary(ScanKind kind, const RunSettings& settings,
                                     const RegionalFormat& regional, const RunOutcome& outcome);

// The fields as lines "Label: value", each ended by `line_end` ("\n"; "\r\n" for a file).
std::string RunSummaryText(const std::vector<SummaryField>& fields, std::string_view line_end = "\n");

}  // namespace tarnwick
