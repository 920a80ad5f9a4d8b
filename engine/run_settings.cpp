#include "engine/run_settings.h"

#include <string>

#include "core/number_text.h"

namespace tarnwick {

BodySelection InitialBodySelection() {
  BodySelection s{};
  for (const int i : {5, 6, 7, 8, 9, 15, idxSedna}) s[i] = true;
  return s;
}

double OrbDegrees(std::string_view text, char decimal_separator) {
  return LeadingNumber(text, decimal_separator).value_or(0.0);
}

std::optional<double> TimeZoneHours(std::string_view text, char decimal_separator) {
  return WholeDecimal(text, decimal_separator);
}

std::optional<double> DailyTimeValue(std::string_view text) {
  // The found times are compared as "HH.MM" numbers; a colon is read like the point, so the
  // window's own default texts "10:00" and "10:59" mean what they say.
  std::string s(text);
  if (const auto colon = s.find(':'); colon != std::string::npos) s[colon] = '.';
  const auto value = WholeDecimal(s, '.');
  if (!value || *value < 0.0) return std::nullopt;
  return value;
}

}  // namespace tarnwick
