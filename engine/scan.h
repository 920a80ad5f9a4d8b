// The scans: every admissible combination of bodies, every window of the span, one solver
// call per window, and one row per exact moment kept. The longitude and the declination scan
// share this frame and differ in their solver, their window step and the values they record.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/position_provider.h"
#include "engine/found_aspects.h"
#include "engine/run_inputs.h"
#include "engine/run_settings.h"
#include "engine/secant_solver.h"
#include "engine/window_search.h"

namespace tarnwick {
// The window step, in days, when the Moon takes part in a longitude scan: a third of a day
// held in single precision as the value just below 1/3, so that three steps fall a hair
// short of a whole day and the window starting on the end date is visited.
inline constexpr double kMoonStep = 0.3333333134651184;
// The Moon's windows start until this long before the end of the span: the windows of that
// step drift by 2e-8 day each against whole days, so the last one may start anywhere in the
// last third of the last day. Days (about a tenth of a second).
inline constexpr double kLastMoonWindowMarginDays = 1e-6;
// A span in a named zone: day windows start up to this much before the span's end, so the
// last one covers a last day of 23 or 25 hours (a window starting exactly at the end would
// search only the next day). Days.
inline constexpr double kZoneLastStartMarginDays = 1e-6;

// One combination of bodies and centres, and its windows.
struct Combination {
  std::array<int, 3> body{};  // P1, P2, P3; P3 = P2 in a two-body run
  std::array<Centre, 3> centre{};
  double step = 1.0;          // window length, days
  double end_jd = 0.0;        // last window start bound, Julian day (UT)
  double span_end_jd = 0.0;   // end of the span's last day, Julian day (UT): no moment after it

  bool Involves(int index) const { return body[0] == index || body[1] == index || body[2] == index; }
};

// Whether a body may take a role on a centre: never the Earth geocentrically, never the Sun,
// the Moon, the nodes or the Liliths heliocentrically.
bool TakesRole(int body, Centre centre);

// Every combination the body loops admit, in scan order, for the centre choices as they
// stand. p3_centre receives the centre choice of P3 the loops leave behind: in a two-body run
// it becomes that of P2 as soon as a P2 body passes its tests.
std::vector<Combination> EnumerateCombinations(ScanKind kind, const RunSettings& s,
                                               const RunInputs& in, Centre* p3_centre);

// Number of windows the window loop visits for a combination starting at start_jd.
std::int64_t WindowCount(const Combination& c, double start_jd);

// Makes a position provider for the calling thread (the Swiss Ephemeris keeps its state per
// thread, so each thread that calculates needs its own).
using ProviderFactory = std::function<std::unique_ptr<PositionProvider>()>;

// What to do beyond the plain secant search, and how to spread the work.
struct ScanOptions {
  // Repairs of the plain search: drop a moment found twice for one combination within two
  // minutes (a root on a window boundary); find by bisection a root the secant missed although
  // the target changes sign across the window; drop a convergence onto a jump of the target
  // (the mid-degree jumps by 15 degrees when a body changes sign), which is no aspect.
  bool repair = true;
  // Worker threads, each scanning its own stretches of the span for every combination with a
  // provider of its own from `worker_provider`. Without a factory, or with one thread, the
  // scan runs on the calling thread. The rows are the same in either case, in scan order.
  int threads = 1;
  ProviderFactory worker_provider;
  // Remember positions within a stretch of the span: the ends of the windows serve every
  // combination that uses the body, and the secant asks each of its points twice.
  bool cache = true;
  // Pass over a window without searching it when the bodies' largest accelerations prove
  // that it holds no exact moment (only together with the repairs, whose rows it leaves
  // unchanged).
  bool skip = true;
};

// Progress and cancellation, both optional. `advance` receives the windows done since its
// last call; `cancel`, once set, ends the scan after the current window.
struct ScanControl {
  std::function<void(std::int64_t windows_done)> advance;
  const std::atomic<bool>* cancel = nullptr;
};

// A body a scan could not use.
struct LeftOutBody {
  int body = 0;
  Centre centre = Centre::Geo;
  std::string reason;  // the library's words: which file is missing and where it looked
};

struct ScanResult {
  std::vector<LeftOutBody> left_out;
  // Combinations whose target stayed at an exact aspect over a whole window (geocentric Sun
  // and heliocentric Earth): left out, since no moment of them means anything.
  std::vector<Combination> always_exact;
  std::vector<std::string> notes;   // bodies computed from orbital elements, and similar
  Centre p3_centre = Centre::Geo;   // opt3_ghd as the scan leaves it
  bool cancelled = false;
};

// Rows of one combination over the whole span, in window order, on the calling thread.
FoundAspects ScanCombination(ScanKind kind, PositionProvider& eph, const SolverProblem& problem,
                             const Combination& c, const RunInputs& in,
                             const ScanOptions& options = {}, const ScanControl& control = {});

// The scan for the centre choices in s: appends its rows to `table` in scan order
// (combination by combination, each in window order). `eph` judges which bodies can be used
// and, on one thread, computes everything.
ScanResult Start_Calcs(ScanKind kind, const RunSettings& s, const RunInputs& in,
                       PositionProvider& eph, FoundAspects& table, const ScanOptions& options = {},
                       const ScanControl& control = {});

inline ScanResult Start_Calcs_longitude(const RunSettings& s, const RunInputs& in,
                                        PositionProvider& eph, FoundAspects& table,
                                        const ScanOptions& options = {},
                                        const ScanControl& control = {}) {
  return Start_Calcs(ScanKind::Longitude, s, in, eph, table, options, control);
}

inline ScanResult Start_Calcs_declination(const RunSettings& s, const RunInputs& in,
                                          PositionProvider& eph, FoundAspects& table,
                                          const ScanOptions& options = {},
                                          const ScanControl& control = {}) {
  return Start_Calcs(ScanKind::Declination, s, in, eph, table, options, control);
}

// The solver's view of a combination under the run's switches.
SolverProblem ProblemFor(const Combination& c, const RunSettings& s);

}  // namespace tarnwick
