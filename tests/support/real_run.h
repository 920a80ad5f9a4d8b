// Runs on the library's own ephemeris files as the program finds them (its folder, then
// Debian's swe-basic-data, 1800 to 2400), and the pieces the tests of such runs share: body
// ranges and the report lines of a pane or report text.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <vector>

#include "core/program_folder.h"
#include "core/swiss_ephemeris.h"
#include "report/run_command.h"
#include "store/atomic_file.h"

namespace tarnwick {

// One Swiss Ephemeris provider per worker thread, on the program's search path.
inline ProviderFactory LibraryProviders() {
  return [path = EphemerisSearchPath(ProgramFolder())] { return std::make_unique<SwissEphemeris>(path); };
}

inline RunOutcome RunOnLibrary(const RunRequest& request) { return RunAspectarian(request, LibraryProviders()); }

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

// The report lines of a pane or a report file: its lines without the blank ones and the rule.
inline std::vector<std::string> ReportLinesOf(const std::string& text) {
  std::vector<std::string> lines = SplitLines(text);
  std::erase_if(lines, [](const std::string& l) { return l.empty() || l == std::string(50, '-'); });
  return lines;
}

}  // namespace tarnwick
