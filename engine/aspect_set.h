// A chosen set of aspects: which multiples of 15 degrees, 0 to 180, a longitude run lists.
// The search still finds every crossing of the grid; the set only filters the rows listed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

inline constexpr int kAspectStepDeg = 15;                         // the finest grid, degrees
inline constexpr int kAspectSteps = 180 / kAspectStepDeg + 1;     // 0, 15, .., 180: 13 angles

class AspectSet {
 public:
  // Every angle of the 15-degree grid: no set in force.
  static AspectSet All();
  static AspectSet Major();  // 0, 60, 90, 120, 180
  static AspectSet Hard();   // 0, 45, 90, 135, 180
  static AspectSet Of(const std::vector<int>& angles_deg);  // multiples of 15 in 0..180

  bool Contains(int angle_deg) const;
  std::vector<int> Angles() const;  // ascending
  // Whether the set leaves out an aspect of the run's grid (every 30 degrees, or every 15
  // with 15-degree aspects): only then does it change what is listed.
  bool FiltersGrid(bool fifteen_degree_grid) const;
  // The angles of the set that lie on the grid.
  AspectSet OnGrid(bool fifteen_degree_grid) const;
  bool empty() const { return bits_ == 0; }

  // "all", "major", "hard", "none" (the empty set), or the angles joined by `separator`
  // ("0,90,180"). ReadAspectSet reads every one of them back.
  std::string Text(char separator = ',') const;

  friend bool operator==(const AspectSet&, const AspectSet&) = default;

 private:
  std::uint16_t bits_ = 0;  // bit k: the angle 15 k degrees
};

// The aspect set of a text as typed in tarnwick-cli --aspects, a settings file or the window:
// "" or "all" (no set), "major", "hard", "none" (any case), or a list of angles in degrees separated
// by commas or blanks ("0,90,180", "0 45 90"). On a text that is none of these, nothing and
// `problem` says why, naming the part at fault.
std::optional<AspectSet> ReadAspectSet(std::string_view text, std::string* problem = nullptr);

}  // namespace tarnwick
