// How positions, motion and aspects read in the results table, the graph's hover texts and
// the exports: the trade's glyphs (26°♐06′), plain text (26 Sag 06), or the report's own
// numbers. The report file keeps its own layout whatever is chosen here.
#pragma once

#include <string>

namespace tarnwick {

enum class Notation {
  Glyphs,         // zodiac and aspect glyphs, ℞, degree and minute signs (UTF-8)
  Text,           // the same in ASCII words and abbreviations, for fonts without the glyphs
  ReportNumbers,  // the report line's numbers
};

// A longitude (degrees, any value; reduced into [0, 360)) as degree, sign and minute.
std::string ZodiacPositionText(double longitude_deg, Notation notation);

// A declination or latitude (degrees, signed; north positive) as degree and minute N/S.
std::string DeclinationText(double degrees, Notation notation);

// The mark of a body moving backwards (daily motion below zero, degrees per day), or "".
std::string RetrogradeMark(double daily_motion_deg, Notation notation);

// An aspect of `angle_deg` (a multiple of 15 from 0 to 180) by glyph or name where it has
// one, else by its degrees.
std::string AspectName(int angle_deg, Notation notation);

}  // namespace tarnwick
