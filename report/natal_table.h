// The positions of a natal chart as a table a person checks against their own chart: one
// line per body (and the Ascendant and Midheaven when the chart has a place).
#pragma once

#include <string>

#include "engine/natal_chart.h"
#include "report/notation.h"

namespace tarnwick {

// One row of the table, as texts.
struct NatalTableRow {
  std::string body;         // "Sun", "Ascendant"
  std::string sign;         // "Gemini"; "" for a body that could not be computed
  int degree = 0;           // 0..29 within the sign, rounded to the minute with the carry
  int minute = 0;           // 0..59
  std::string position;     // the longitude in `notation`, with ℞/R when moving backwards
  std::string declination;  // in `notation`; "" for the angles
  std::string note;         // why a body is missing
};

std::vector<NatalTableRow> NatalTableRows(const NatalPositions& cast, Notation notation);

// The table as plain text for the runner: a header line with the chart's name, birth moment
// (UT) and place, then a line per row in fixed columns (LF line ends, for a terminal).
std::string NatalTableText(const NatalChart& chart, const NatalPositions& cast, Notation notation);

}  // namespace tarnwick
