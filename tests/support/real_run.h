// Runs on the library's own ephemeris files as the program finds them (its folder, then
// Debian's swe-basic-data, 1800 to 2400).
#pragma once

#include "core/program_folder.h"
#include "core/swiss_ephemeris.h"
#include "report/run_command.h"
#include "tests/support/report_pieces.h"

namespace tarnwick {

// One Swiss Ephemeris provider per worker thread, on the program's search path.
inline ProviderFactory LibraryProviders() {
  return [path = EphemerisSearchPath(ProgramFolder())] { return std::make_unique<SwissEphemeris>(path); };
}

inline RunOutcome RunOnLibrary(const RunRequest& request) { return RunAspectarian(request, LibraryProviders()); }

}  // namespace tarnwick
