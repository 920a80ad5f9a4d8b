// How positions, motion and aspects read in the results table, the graph's hover texts and
// the exports: the trade's glyphs (26°♐06′), plain text (26 Sag 06), or the report's own
// numbers. The report file keeps its own layout whatever is chosen here.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

enum class Notation {
  Glyphs,         // zodiac and aspect glyphs, ℞, degree and minute signs (UTF-8)
  Text,           // the same in ASCII words and abbreviations, for fonts without the glyphs
  ReportNumbers,  // the report line's numbers
};

// A longitude rounded to the whole minute, then split, so that the carry of a rounded minute
// reaches the degree and the sign. longitude_deg: degrees, any finite value.
struct ZodiacMinute {
  int sign = 0;    // 0 Aries .. 11 Pisces
  int degree = 0;  // 0 .. 29 within the sign
  int minute = 0;  // 0 .. 59
};
ZodiacMinute ZodiacMinuteOf(double longitude_deg);

// A longitude (degrees, any value; reduced into [0, 360)) as degree, sign and minute:
//   Glyphs         "26°♐06′"   (degree without leading zero, sign glyph U+2648..U+2653)
//   Text           "26 Sag 06" (three-letter sign abbreviation)
//   ReportNumbers  "26.1 (09)" (the report line's position field, Reduce_to_under_30_with_sign)
// Rounded to the nearest minute after the whole value is taken in minutes, so a minute that
// rounds up carries into the degree and the sign: 29°59′59″ Aries reads 0°♉00′, never 29°♈60′
// nor 30°♈00′; 359°59′40″ reads 0°♈00′.
std::string ZodiacPositionText(double longitude_deg, Notation notation);

// A declination or latitude (degrees, signed; north positive) as degree and minute N/S:
//   Glyphs "23°26′ S", Text "23 S 26", ReportNumbers "-23.433" (the declination report's
//   value text without its leading blank for values of 0 or more).
// Rounded to the minute with the carry into the degree (23°59′40″ reads 24°00′); the letter
// follows the value's own sign, so -0.004 reads 0°00′ S.
std::string DeclinationText(double degrees, Notation notation);

// The mark of a body moving backwards (daily motion below zero, degrees per day): "℞"
// (Glyphs), "R" (Text), "" (ReportNumbers, as the report shows none). "" for a motion of 0,
// -0 or NaN: a body at its station stands still and is not marked.
std::string RetrogradeMark(double daily_motion_deg, Notation notation);

// An aspect of `angle_deg` (a multiple of 15 from 0 to 180) by glyph or name where it has
// one, else by its degrees:
//   angle  Glyphs  Text
//     0     ☌      conjunction
//    30     ⚺      semi-sextile
//    45     ∠      semi-square
//    60     ⚹      sextile
//    90     □      square
//   120     △      trine
//   135     ⚼      sesquisquare
//   150     ⚻      quincunx
//   180     ☍      opposition
//   other   "105°" "105"
// ReportNumbers gives the report's three-digit code ("090"). An angle outside 0..180 (no
// aspect of the grid) is written as its degrees in every notation.
std::string AspectName(int angle_deg, Notation notation);

// The degrees of a report aspect code ("090" gives 90); nothing for the blank code of "no
// aspect within the orb" or any other text.
std::optional<int> AspectCodeDegrees(std::string_view code);

}  // namespace tarnwick
