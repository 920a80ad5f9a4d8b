#include "report/notation.h"

#include <array>
#include <charconv>
#include <cmath>

#include "core/angles.h"
#include "core/number_text.h"
#include "engine/aspects.h"
#include "report/report_lines.h"

namespace tarnwick {

namespace {

constexpr long kMinutesPerSign = 30 * 60;
constexpr long kMinutesPerCircle = 360 * 60;

// Aries to Pisces, U+2648 to U+2653.
constexpr std::array<std::string_view, 12> kSignGlyphs = {
    "\u2648", "\u2649", "\u264A", "\u264B", "\u264C", "\u264D",
    "\u264E", "\u264F", "\u2650", "\u2651", "\u2652", "\u2653"};
constexpr std::array<std::string_view, 12> kSignAbbreviations = {
    "Ari", "Tau", "Gem", "Can", "Leo", "Vir", "Lib", "Sco", "Sag", "Cap", "Aqu", "Pis"};

constexpr std::string_view kDegreeSign = "\u00B0";
constexpr std::string_view kMinuteSign = "\u2032";  // prime

struct NamedAspect {
  int angle_deg;
  std::string_view glyph;
  std::string_view name;
};
constexpr std::array<NamedAspect, 9> kNamedAspects = {{
    {0, "\u260C", "conjunction"},
    {30, "\u26BA", "semi-sextile"},
    {45, "\u2220", "semi-square"},
    {60, "\u26B9", "sextile"},
    {90, "\u25A1", "square"},
    {120, "\u25B3", "trine"},
    {135, "\u26BC", "sesquisquare"},
    {150, "\u26BB", "quincunx"},
    {180, "\u260D", "opposition"},
}};

std::string TwoDigits(long n) { return FormatFixed(static_cast<double>(n), 2, 0); }

}  // namespace

ZodiacMinute ZodiacMinuteOf(double longitude_deg) {
  // Whole minutes first, then sign and degree.
  const long minutes = std::lround(Reduce_to_under_360(longitude_deg) * 60.0) % kMinutesPerCircle;
  const long in_sign = minutes % kMinutesPerSign;
  return {static_cast<int>(minutes / kMinutesPerSign), static_cast<int>(in_sign / 60),
          static_cast<int>(in_sign % 60)};
}

std::string ZodiacPositionText(double longitude_deg, Notation notation) {
  if (!std::isfinite(longitude_deg)) return "?";
  double reduced = Reduce_to_under_360(longitude_deg);
  if (reduced >= 360.0) reduced = 0.0;  // a tiny negative angle reduces to 360.0 in doubles
  if (notation == Notation::ReportNumbers) {
    return Reduce_to_under_30_with_sign(AsTableValue(reduced));
  }
  const ZodiacMinute at = ZodiacMinuteOf(reduced);
  const auto sign = static_cast<size_t>(at.sign);
  const std::string degree = std::to_string(at.degree);
  const std::string minute = TwoDigits(at.minute);
  if (notation == Notation::Glyphs) {
    return degree + std::string(kDegreeSign) + std::string(kSignGlyphs[sign]) + minute +
           std::string(kMinuteSign);
  }
  return degree + " " + std::string(kSignAbbreviations[sign]) + " " + minute;
}

std::string DeclinationText(double degrees, Notation notation) {
  if (!std::isfinite(degrees)) return "?";
  if (notation == Notation::ReportNumbers) {
    const std::string text = DeclinationValueText(AsTableValue(degrees));
    return text.front() == ' ' ? text.substr(1) : text;
  }
  const long minutes = std::lround(std::fabs(degrees) * 60.0);
  const char* hemisphere = std::signbit(degrees) && degrees != 0.0 ? "S" : "N";
  const std::string degree = std::to_string(minutes / 60);
  const std::string minute = TwoDigits(minutes % 60);
  if (notation == Notation::Glyphs) {
    return degree + std::string(kDegreeSign) + minute + std::string(kMinuteSign) + " " +
           hemisphere;
  }
  return degree + " " + hemisphere + " " + minute;
}

std::string RetrogradeMark(double daily_motion_deg, Notation notation) {
  if (!(daily_motion_deg < 0.0) || notation == Notation::ReportNumbers) return {};
  return notation == Notation::Glyphs ? "\u211E" : "R";
}

std::string AspectName(int angle_deg, Notation notation) {
  const bool on_grid = angle_deg >= 0 && angle_deg <= 180;
  if (notation == Notation::ReportNumbers) {
    return on_grid ? FormatFixed(angle_deg, 3, 0) : std::to_string(angle_deg);
  }
  if (on_grid) {
    for (const NamedAspect& a : kNamedAspects) {
      if (a.angle_deg == angle_deg) {
        return std::string(notation == Notation::Glyphs ? a.glyph : a.name);
      }
    }
  }
  return std::to_string(angle_deg) + (notation == Notation::Glyphs ? std::string(kDegreeSign) : "");
}

std::optional<int> AspectCodeDegrees(std::string_view code) {
  int degrees = 0;
  const auto [end, error] = std::from_chars(code.data(), code.data() + code.size(), degrees);
  if (code.empty() || error != std::errc() || end != code.data() + code.size()) return std::nullopt;
  return degrees;
}

}  // namespace tarnwick
