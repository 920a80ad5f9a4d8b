// A run's plan, made once from the settings before anything is searched: the span and the
// daily time window as numbers, the orbs and the grid, the centre choices, the bodies that can
// be computed over the span (with the reasons for those that cannot), and every combination
// to search, in scan order. The scans and the report take the plan, never the settings texts.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/position_provider.h"
#include "engine/run_inputs.h"
#include "engine/run_settings.h"
#include "engine/secant_solver.h"
#include "engine/interval_search.h"

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

// The solver's view of a combination under the run's switches.
SolverProblem ProblemFor(const Combination& c, const RunSettings& s);

// Number of windows the window loop visits for a combination starting at start_jd.
std::int64_t WindowCount(const Combination& c, double start_jd);

// The centre choices of each scan of a run: one entry, the choices as they stand, or the
// series ggg, ggh, ghh, hgg, hgh, hhh (with P3) or gg, gh, hh (without) with chkAutoCalc.
// with_natal (a chart is loaded) adds n for P2 and P3: ggg ggh ggn ghh ghn gnn hgg ... hnn
// with P3, gg gh gn hh hn without.
std::vector<std::array<Centre, 3>> CentreSeries(const RunSettings& s, bool with_natal = false);

// A body on a centre as judged over the span: at the first day and just after the last one.
struct JudgedBody {
  int body = 0;
  Centre centre = Centre::Geo;
  BodyAvailability availability;  // the end's verdict when that one says more
};

struct RunPlan {
  ScanKind kind = ScanKind::Longitude;
  RunInputs times;                 // span, time zone, date order, daily time window (minutes)
  PositionSwitches switches;       // right ascension, geocentric latitude
  bool use_midpoints = true;       // midpoints, else mid-degrees
  bool near_rule = true;           // the near mid-degree
  bool grid15 = true;              // 15-degree grid, else 30-degree grid
  // Orbs 1 and 2, degrees, in single precision as the report has always compared them.
  float orb1_deg = 0.0f;
  float orb2_deg = 0.0f;
  bool use_p3 = false;             // triple aspects: the report shows P3
  bool midpoint_columns = false;   // longitude report: P1 to the midpoint and the P2-P3 major

  // The chart's fixed points for the natal centre "n"; null when no chart takes part.
  std::shared_ptr<const NatalPoints> natal;
  std::vector<std::array<Centre, 3>> series;  // the centre choices scanned, in order
  // Combinations whose bodies can all be computed, every series in turn, each in scan order.
  std::vector<Combination> combinations;
  std::int64_t admitted = 0;       // combinations the body loops admit, before judging bodies
  std::vector<JudgedBody> judged;  // each body and centre a combination needs, first use first
  std::int64_t windows = 0;        // windows of the combinations searched
  // Centre choices the run leaves behind: all geocentric after the series; in a two-body run
  // P3 takes P2's choice.
  std::array<Centre, 3> centres_after{};

  SolverProblem ProblemOf(const Combination& c) const {
    return {c.body, c.centre, use_midpoints, near_rule, grid15};
  }
};

// The plan for inputs read already and a centre series. `judge` (its switches set to the
// run's) tells which bodies can be computed; each body and centre is asked once. The natal
// centre takes the judge's natal points (none: no natal point is usable). The orbs are
// read with the regional decimal sign of `regional` as the point too.
RunPlan PlanRun(ScanKind kind, const RunSettings& s, const RegionalFormat& regional,
                const RunInputs& in, const std::vector<std::array<Centre, 3>>& series,
                PositionProvider& judge);

// Rows a plan will find, estimated from the roles' daily motions at a few moments spread over
// the span: a longitude target crosses one grid step per step of relative motion; a
// declination parallel or contra-parallel comes about once per kDeclinationSwingDeg of
// relative motion. Good to a factor of about two; for warning of runs too large to keep.
double EstimateRows(const RunPlan& plan, PositionProvider& eph);

// Declination travelled between two parallels (or contra-parallels) of a pair, on average:
// about twice the ecliptic's obliquity. Degrees.
inline constexpr double kDeclinationSwingDeg = 47.0;

struct PlannedRun {
  std::optional<RunPlan> plan;
  std::vector<std::string> problems;  // why the texts cannot be read, one sentence per field
};

// Reads the settings' texts (PrepareRunInputs) and plans the run over CentreSeries(s).
PlannedRun MakeRunPlan(ScanKind kind, const RunSettings& s, const RegionalFormat& regional,
                       PositionProvider& judge);

}  // namespace tarnwick
