// Pieces that tests of every layer share: body selections and the report lines of a pane,
// a report file or the runner's output. Plain helpers over store/, no ephemeris.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <vector>

#include "engine/run_settings.h"
#include "store/atomic_file.h"

namespace tarnwick {

// Bodies `first` to `last` by index, both included; or the bodies listed.
inline BodySelection BodyRange(int first, int last) {
  BodySelection b{};
  for (int i = first; i <= last; ++i) b[static_cast<std::size_t>(i)] = true;
  return b;
}
inline BodySelection BodyList(std::initializer_list<int> list) {
  BodySelection b{};
  for (const int i : list) b[static_cast<std::size_t>(i)] = true;
  return b;
}
inline BodySelection BodyList(const std::vector<int>& list) {
  BodySelection b{};
  for (const int i : list) b[static_cast<std::size_t>(i)] = true;
  return b;
}

// The report lines of a pane or a report file: its lines without the blank ones and the rule.
inline std::vector<std::string> ReportLinesOf(const std::string& text) {
  std::vector<std::string> lines = SplitLines(text);
  std::erase_if(lines, [](const std::string& l) { return l.empty() || l == std::string(50, '-'); });
  return lines;
}

}  // namespace tarnwick
