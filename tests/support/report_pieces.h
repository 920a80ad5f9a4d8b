// Pieces that tests of every layer share: body selections and the report lines of a pane,
// a report file or the runner's output. Plain helpers over store/, no ephemeris.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <tuple>
#include <vector>

#include "engine/found_aspects.h"
#include "engine/run_settings.h"
#include "store/atomic_file.h"

namespace tarnwick {

// Catalogue indices of the bodies tests name, and the centres spelt as the runner's options.
inline constexpr int kSun = 0, kMoon = 1, kMercury = 2, kVenus = 3, kMars = 4, kJupiter = 5, kSaturn = 6,
                     kUranus = 7, kPluto = 9, kEarth = 14, kChiron = 15;
inline constexpr Centre g = Centre::Geo, h = Centre::Helio;

// Bodies `first` to `last` by index, both included; or the bodies listed.
inline BodySelection BodyRange(int first, int last) {
  BodySelection b{};
  for (int i = first; i <= last; ++i) b[static_cast<std::size_t>(i)] = true;
  return b;
}
inline BodySelection BodyList(const std::vector<int>& list) {
  BodySelection b{};
  for (const int i : list) b[static_cast<std::size_t>(i)] = true;
  return b;
}

// Settings of a two-body run of the bodies `p1` against `p2`, from `start` to `end`.
inline RunSettings TwoBodySettings(const std::vector<int>& p1, const std::vector<int>& p2,
                                   const char* start = "12/01/2007", const char* end = "12/31/2007") {
  RunSettings s;
  s.txtStartDate = start;
  s.txtEndDate = end;
  s.chkUseP3 = false;
  s.chkP1Planets = BodyList(p1);
  s.chkP2Planets = BodyList(p2);
  s.chkP3Planets = BodyList({});
  return s;
}

// Each row's moment, bodies and centres, to compare two lists of rows whole.
using RowKey = std::tuple<double, std::array<int, 3>, std::array<Centre, 3>>;
inline std::vector<RowKey> RowKeys(const FoundAspects& rows) {
  std::vector<RowKey> keys;
  for (const FoundAspect& r : rows) keys.emplace_back(r.jd_ut, r.body, r.centre);
  return keys;
}

// The report lines of a pane or a report file: its lines without the blank ones and the rule.
inline std::vector<std::string> ReportLinesOf(const std::string& text) {
  std::vector<std::string> lines = SplitLines(text);
  std::erase_if(lines, [](const std::string& l) { return l.empty() || l == std::string(50, '-'); });
  return lines;
}

}  // namespace tarnwick
