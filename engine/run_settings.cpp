#include "engine/run_settings.h"

#include <algorithm>
#include <string>

#include "core/number_text.h"

namespace tarnwick {

BodySelection InitialBodySelection() {
  BodySelection s{};
  for (const int i : {5, 6, 7, 8, 9, 15, int{idxSedna}}) s[i] = true;
  return s;
}

bool RoleTakesPoint(const RunSettings& s, const RoleField& role, int index, Centre centre) {
  if (IsBodyIndex(index)) return (s.*role.selection)[index];
  return IsNatalAngle(index) && centre == Centre::Natal && role.angles && (s.*role.angles)[AngleSlot(index)];
}

bool AnyAngleChecked(const RunSettings& s, const RoleField& role) {
  return role.angles && std::any_of((s.*role.angles).begin(), (s.*role.angles).end(), [](bool b) { return b; });
}

double OrbDegrees(std::string_view text, char decimal_separator) {
  return LeadingNumber(text, decimal_separator).value_or(0.0);
}

std::optional<double> TimeZoneHours(std::string_view text, char decimal_separator) {
  return WholeDecimal(text, decimal_separator);
}

std::optional<double> DailyTimeValue(std::string_view text, char decimal_separator) {
  // The found times are compared as "HH.MM" numbers; a colon is read like the point, so the
  // window's own default texts "10:00" and "10:59" mean what they say.
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  const size_t point = text.find_first_of(std::string{'.', ':', decimal_separator});
  const std::string_view hours = text.substr(0, point);
  const std::string_view minutes = point == std::string_view::npos ? "" : text.substr(point + 1);
  const auto all_digits = [](std::string_view s) {
    return std::all_of(s.begin(), s.end(), IsAsciiDigit);
  };
  if (hours.empty() || !all_digits(hours) || minutes.size() > 2 || !all_digits(minutes)) {
    return std::nullopt;
  }
  // Minutes as the number compares them: "5" after the point is 50.
  const int minute_value = minutes.empty() ? 0 : (minutes[0] - '0') * 10 + (minutes.size() > 1 ? minutes[1] - '0' : 0);
  const auto hour_value = WholeDecimal(hours);
  if (!hour_value || minute_value >= 60 || *hour_value > 24.0 || (*hour_value == 24.0 && minute_value > 0)) {
    return std::nullopt;
  }
  // Read as the same decimal text a found time becomes, so equal times compare equal.
  return WholeDecimal(std::string(hours) + "." + std::string(minutes) + "0");
}

}  // namespace tarnwick
