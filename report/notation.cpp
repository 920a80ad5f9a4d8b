#include "report/notation.h"

#include <cmath>

#include "core/number_text.h"

namespace tarnwick {

// Placeholder forms until the notation is written out: degrees with one decimal.
std::string ZodiacPositionText(double longitude_deg, Notation) {
  return FormatFixed(std::fmod(std::fmod(longitude_deg, 360.0) + 360.0, 360.0), 1, 1);
}

std::string DeclinationText(double degrees, Notation) { return FormatFixed(degrees, 1, 2); }

std::string RetrogradeMark(double daily_motion_deg, Notation notation) {
  if (!(daily_motion_deg < 0.0) || notation == Notation::ReportNumbers) return {};
  return notation == Notation::Glyphs ? "\u211E" : "R";
}

std::string AspectName(int angle_deg, Notation) { return std::to_string(angle_deg); }

}  // namespace tarnwick
