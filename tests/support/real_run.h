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

// A run of P1 against P2, two bodies, from `start` to `end` in zone 5, that saves no report.
inline RunRequest TwoBodyRequest(const char* start, const char* end, const BodySelection& p1,
                                 const BodySelection& p2, ScanKind kind = ScanKind::Longitude) {
  RunRequest request;
  request.kind = kind;
  request.save = false;
  RunSettings& s = request.settings;
  s.txtStartDate = start;
  s.txtEndDate = end;
  s.chkUseP3 = false;
  s.chkP1Planets = p1;
  s.chkP2Planets = p2;
  return request;
}

}  // namespace tarnwick
