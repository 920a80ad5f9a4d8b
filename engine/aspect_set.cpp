#include "engine/aspect_set.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "core/message_text.h"

namespace tarnwick {

namespace {

std::string Lowered(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace

AspectSet AspectSet::All() {
  AspectSet s;
  s.bits_ = static_cast<std::uint16_t>((1u << kAspectSteps) - 1);
  return s;
}
AspectSet AspectSet::Major() { return Of({0, 60, 90, 120, 180}); }
AspectSet AspectSet::Hard() { return Of({0, 45, 90, 135, 180}); }

AspectSet AspectSet::Of(const std::vector<int>& angles_deg) {
  AspectSet s;
  for (const int a : angles_deg) {
    if (a >= 0 && a <= 180 && a % kAspectStepDeg == 0) s.bits_ |= static_cast<std::uint16_t>(1u << (a / kAspectStepDeg));
  }
  return s;
}

bool AspectSet::Contains(int angle_deg) const {
  if (angle_deg < 0 || angle_deg > 180 || angle_deg % kAspectStepDeg != 0) return false;
  return (bits_ >> (angle_deg / kAspectStepDeg)) & 1u;
}

std::vector<int> AspectSet::Angles() const {
  std::vector<int> out;
  for (int k = 0; k < kAspectSteps; ++k) {
    if ((bits_ >> k) & 1u) out.push_back(k * kAspectStepDeg);
  }
  return out;
}

AspectSet AspectSet::OnGrid(bool fifteen_degree_grid) const {
  AspectSet s;
  for (const int a : Angles()) {
    if (fifteen_degree_grid || a % 30 == 0) s.bits_ |= static_cast<std::uint16_t>(1u << (a / kAspectStepDeg));
  }
  return s;
}

bool AspectSet::FiltersGrid(bool fifteen_degree_grid) const {
  return OnGrid(fifteen_degree_grid) != All().OnGrid(fifteen_degree_grid);
}

std::string AspectSet::Text(char separator) const {
  if (empty()) return "none";
  if (*this == All()) return "all";
  if (*this == Major()) return "major";
  if (*this == Hard()) return "hard";
  std::string out;
  for (const int a : Angles()) out += (out.empty() ? "" : std::string(1, separator)) + std::to_string(a);
  return out;
}

std::optional<AspectSet> ReadAspectSet(std::string_view text, std::string* problem) {
  const std::string word = Lowered(TrimmedBlanks(text));
  if (word.empty() || word == "all") return AspectSet::All();
  if (word == "major") return AspectSet::Major();
  if (word == "hard") return AspectSet::Hard();
  if (word == "none") return AspectSet();
  std::vector<int> angles;
  size_t pos = 0;
  while (pos <= word.size()) {
    const size_t end = std::min(word.find_first_of(", ", pos), word.size());
    const std::string_view part = std::string_view(word).substr(pos, end - pos);
    pos = end + 1;
    if (part.empty()) continue;  // "0, 90" and "0,,90" separate as "0,90"
    int angle = -1;
    const auto [stop, error] = std::from_chars(part.data(), part.data() + part.size(), angle);
    if (error != std::errc() || stop != part.data() + part.size() || angle < 0 || angle > 180 ||
        angle % kAspectStepDeg != 0) {
      if (problem) {
        *problem = "\"" + std::string(part) +
                   "\" is no aspect of the grid: give \"all\", \"major\", \"hard\" or angles "
                   "in degrees that are multiples of 15 from 0 to 180, as 0,90,180";
      }
      return std::nullopt;
    }
    angles.push_back(angle);
  }
  if (angles.empty()) {
    if (problem) {
      *problem = "no angle given: give \"all\", \"major\", \"hard\" or angles in degrees that "
                 "are multiples of 15 from 0 to 180, as 0,90,180";
    }
    return std::nullopt;
  }
  return AspectSet::Of(angles);
}

}  // namespace tarnwick
