// What a run searched, in a few lines a reader of a printed report or a PDF needs to know:
// span and time zone, bodies and centres, kind and grid, orbs, midpoints or mid-degrees,
// the daily time window.
#pragma once

#include <string>
#include <vector>

#include "engine/run_settings.h"
#include "engine/scan.h"

namespace tarnwick {

// The header lines of a run's report (no line ends), from the settings the run used.
//   "Longitude aspects, 30-degree grid" | "Declination parallels and contra-parallels"
//   "Span: 12/01/2007 to 12/31/2007, local days; time zone 5 (hours west of Greenwich)"
//        or "...; time zone Europe/Berlin (local civil time, summer time included)"
//   "P1: Sun, Moon (geocentric)"  and P2, P3 alike
//   "Triple aspects: P1 to the midpoint of P2 and P3" | "... the near mid-degree ..." | none
//   "Orbs: 3.0 and 15.0 degrees"  (longitude runs)
//   "Daily time window: 10:00 to 10:59 local time"  (when active)
std::vector<std::string> RunDescription(ScanKind kind, const RunSettings& settings);

}  // namespace tarnwick
