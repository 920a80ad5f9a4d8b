#include "engine/scan.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <exception>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

#include "core/angles.h"
#include "core/calendar.h"
#include "core/midpoints.h"
#include "core/number_text.h"
#include "core/position_cache.h"
#include "engine/exact_positions.h"
#include "engine/motion_bounds.h"
#include "engine/replace_string.h"

namespace tarnwick {

namespace {

constexpr double kDuplicateWithinDays = 2.0 / 1440.0;  // two minutes
// A secant that ends with the target this far from zero has settled on a jump of the target,
// not on a root: genuine roots end within a few thousandths of a degree (the fastest relative
// motion, about 15 degrees a day, times the tolerance of 0.00007 day).
constexpr double kMaxResidualDeg = 0.01;
// A refined moment is exact to this: the target moves at most about 17 degrees a day, and
// the refinement stops within 1e-8 day.
constexpr double kExactDeg = 1e-5;
// A sign change across a window with a larger change of the target is a jump (a wrap of the
// grid or of the mid-degree), not a crossing: no pair of bodies moves apart by this much in
// one window.
constexpr double kMaxCrossingChangeDeg = 7.5;
constexpr double kBisectionLimitDays = 1e-7;  // about 0.01 seconds
// Halvings of a window that holds a jump of the target: 2^-6 of a day is about 22 minutes.
constexpr int kMaxHalvings = 6;
// Without bounds on the bodies' accelerations, a component nearer zero than this at an end of
// a window is looked at inside for two crossings. The Moon's declination curves by up to
// 2.2 degrees a day per day, so within one day it strays at most 0.28 degrees from its chord.
constexpr double kTurnBandDeg = 0.5;

bool MoonTakesPart(const std::array<int, 3>& body) {
  return body[0] == idxMoon || body[1] == idxMoon || body[2] == idxMoon;
}

// Root of h between lo and hi, where h(lo) and h(hi) differ in sign, by bisection.
// h(x, reference) gives the value at x, unwrapped against the value at `reference`.
template <class H>
double Bisect(H&& h, double lo, double hi) {
  while (hi - lo > kBisectionLimitDays) {
    const double mid = (lo + hi) / 2.0;
    const auto [f_mid, f_lo] = h(mid, lo);
    if (f_mid == 0.0) return mid;
    if ((f_mid < 0.0) == (f_lo < 0.0)) {
      lo = mid;
    } else {
      hi = mid;
    }
  }
  return (lo + hi) / 2.0;
}

bool SignChange(double fa, double fb) { return fa == 0.0 || (fa < 0.0) != (fb < 0.0); }

// Adds `e` unless a root within two minutes is known already.
void AddRoot(std::vector<double>& roots, double e) {
  for (const double r : roots) {
    if (std::fabs(r - e) < kDuplicateWithinDays) return;
  }
  roots.push_back(e);
}

// Where a mid-degree partner may jump: the cell of a position among the sign boundaries and,
// for the near rule, the 7.5 and 22.5 degrees within each sign.
int MidDegreeCell(double lon) {
  const double in_sign = Reduce_to_under_30(lon);
  return static_cast<int>(std::floor(lon / 30.0)) * 3 + (in_sign < 7.5 ? 0 : in_sign <= 22.5 ? 1 : 2);
}

bool PartnerMayJump(const SolverProblem& p, const std::array<double, 3>& va,
                    const std::array<double, 3>& vb) {
  if (p.use_midpoints) return false;  // a midpoint's jumps are half-turns, multiples of the grid
  return MidDegreeCell(va[1]) != MidDegreeCell(vb[1]) || MidDegreeCell(va[2]) != MidDegreeCell(vb[2]);
}

// Longitude: every crossing of the grid in [a, b] that the target's sign changes reveal. An
// interval holding a jump of the target (a wrap the unwrapping cannot see, a mid-degree that
// steps by 15 degrees) is halved until the pieces between the jumps are smooth.
void BracketLongitude(PositionProvider& eph, const SolverProblem& p, double a, double b,
                      const std::array<double, 3>& va, const std::array<double, 3>& vb, int depth,
                      std::vector<double>& roots) {
  const auto [fb, fa] = LongitudeTargetsFrom(p, vb, va);
  if (std::fabs(fb - fa) >= kMaxCrossingChangeDeg || PartnerMayJump(p, va, vb)) {
    if (depth >= kMaxHalvings) return;
    const double mid = (a + b) / 2.0;
    const std::array<double, 3> vm = RoleLongitudes(eph, p, mid);
    BracketLongitude(eph, p, a, mid, va, vm, depth + 1, roots);
    BracketLongitude(eph, p, mid, b, vm, vb, depth + 1, roots);
    return;
  }
  if (!SignChange(fa, fb)) return;
  const double e = fa == 0.0 ? a : Bisect([&](double x, double ref) {
    return LongitudeTargets(eph, p, x, ref);
  }, a, b);
  // A sign change that is a jump in disguise leaves the target far from zero.
  if (TargetResidual(ScanKind::Longitude, p, LongitudeTargets(eph, p, e, a).first) <= kMaxResidualDeg) {
    AddRoot(roots, e);
  }
}

// Declination: |partner| = |P1| exactly when partner − P1 = 0 (a parallel) or partner + P1 = 0
// (a contra-parallel). Each of these is smooth where the magnitudes have kinks, so a window
// holding a parallel and a contra-parallel shows both as sign changes.
double DeclinationComponent(const SolverProblem& p, const std::array<double, 3>& v, int sign) {
  const double m = p.use_midpoints ? Find_Midpoint_declination(v[1], v[2])
                                   : Find_Midpoint_declination(std::fabs(v[1]), std::fabs(v[2]));
  return m + sign * v[0];
}

// A component with the same sign at both ends of [a, b] may still dip to zero between them
// when a body turns near the aspect (a planet at its station, the Moon at its greatest
// declination): it is sampled at the middle and at the vertex of the parabola through the
// three values, and each crossing found is bisected. h(x) gives the component at x.
template <class H>
void FindTurn(H&& h, double a, double b, double ha, double hb, std::vector<double>& roots) {
  const double mid = (a + b) / 2.0;
  const double hm = h(mid);
  const double denom = ha - 2.0 * hm + hb;
  double turn = mid;
  if (denom != 0.0) turn = std::clamp(mid + (b - a) / 4.0 * (ha - hb) / denom, a, b);
  for (const double x : {turn, mid}) {
    if (x > a && x < b && SignChange(ha, h(x))) {
      const auto pair = [&](double u, double ref) { return std::pair{h(u), h(ref)}; };
      AddRoot(roots, Bisect(pair, a, x));
      AddRoot(roots, Bisect(pair, x, b));
      return;
    }
  }
}

void BracketDeclination(PositionProvider& eph, const SolverProblem& p, double a, double b,
                        const WindowEnds& ends, bool secant_found, double turn_band,
                        std::vector<double>& roots) {
  for (const int sign : {-1, 1}) {
    const auto h = [&](double x) { return DeclinationComponent(p, RoleDeclinations(eph, p, x), sign); };
    const double ha = DeclinationComponent(p, ends.at_x0, sign);
    const double hb = DeclinationComponent(p, ends.at_x1, sign);
    if (SignChange(ha, hb)) {
      // The secant's root, when it found one, is usually this crossing; bisect only when the
      // other component crosses too, so that the secant's root may be that one.
      const bool other_crosses = SignChange(DeclinationComponent(p, ends.at_x0, -sign),
                                            DeclinationComponent(p, ends.at_x1, -sign));
      if (!secant_found || other_crosses) {
        AddRoot(roots, ha == 0.0 ? a : Bisect([&](double x, double ref) { return std::pair{h(x), h(ref)}; }, a, b));
      }
    } else if (std::min(std::fabs(ha), std::fabs(hb)) <= turn_band) {
      FindTurn(h, a, b, ha, hb, roots);
    }
  }
}

// What a combination's bodies can do within a window: the bound behind passing over windows
// that provably hold no exact moment.
struct WindowBound {
  bool usable = false;
  double curvature = 0.0;          // largest |second derivative| of the target, deg/day^2
  std::array<double, 3> speed{};   // largest |daily motion| of each role, deg/day
};

WindowBound BoundFor(ScanKind kind, const Combination& c, const SolverProblem& p,
                     const PositionSwitches& switches, const ScanOptions& options) {
  WindowBound b;
  if (!options.repair || !options.skip) return b;
  std::array<double, 3> accel{};
  for (int r = 0; r < 3; ++r) {
    const MotionBound m = MaxMotion(c.body[r], CoordinateOf(kind == ScanKind::Longitude, c.centre[r], switches));
    if (m.speed == 0.0) return b;
    b.speed[r] = m.speed;
    accel[r] = m.accel;
  }
  // The target is P1 less the mean of P2 and P3 (or ± those): its curvature is bounded by
  // P1's and the mean of the other two.
  b.curvature = accel[0] + (accel[1] + accel[2]) / 2.0;
  if (kind == ScanKind::Longitude) {
    // Within a window each body must move less than the unwrapping threshold, so that the
    // target of the two ends is one continuous function.
    const double threshold = p.grid15 ? 8.0 : 22.0;
    const double step = c.step;
    if (b.speed[0] * step >= threshold || (b.speed[1] + b.speed[2]) / 2.0 * step >= threshold) return b;
  }
  b.usable = true;
  return b;
}

// Distance of a longitude from the nearest place where a mid-degree steps: a sign boundary,
// or 7.5 or 22.5 degrees into the sign (the near rule). Degrees.
double DistanceToMidDegreeStep(double lon) {
  const double x = Reduce_to_under_30(lon);
  return std::min({x, std::fabs(x - 7.5), std::fabs(x - 22.5), 30.0 - x});
}

// True when the window [t, t + s] provably holds no point where the target comes within
// kMaxResidualDeg of an exact aspect: then neither the secant nor the bracketing can find a
// moment in it. With |h''| <= K, h stays within K s^2 / 8 of the chord between its ends.
bool ProvablyEmpty(ScanKind kind, PositionProvider& eph, const SolverProblem& p, const WindowBound& b,
                   double t, double t_end) {
  const double s = t_end - t;
  const double bulge = b.curvature * s * s / 8.0;
  const auto clear = [&](double h0, double h1) {  // no zero within the margin between the ends
    return (h0 > 0.0) == (h1 > 0.0) && std::min(std::fabs(h0), std::fabs(h1)) > kMaxResidualDeg + bulge;
  };
  if (kind == ScanKind::Longitude) {
    const std::array<double, 3> v0 = RoleLongitudes(eph, p, t), v1 = RoleLongitudes(eph, p, t_end);
    if (!p.use_midpoints) {
      // A mid-degree steps by 15 degrees when P2 or P3 passes one of its step places.
      for (int r = 1; r <= 2; ++r) {
        if (DistanceToMidDegreeStep(v0[r]) <= b.speed[r] * s) return false;
      }
    }
    const auto [f1, f0] = LongitudeTargetsFrom(p, v1, v0);
    const double grid = p.grid15 ? 15.0 : 30.0;
    const double n = std::round(f0 / grid);
    const double h0 = f0 - n * grid, h1 = f1 - n * grid;
    // Away from the multiple n·grid, and never near the next one either.
    return clear(h0, h1) && std::max(std::fabs(h0), std::fabs(h1)) + bulge < grid - kMaxResidualDeg;
  }
  const std::array<double, 3> v0 = RoleDeclinations(eph, p, t), v1 = RoleDeclinations(eph, p, t_end);
  if (!p.use_midpoints) {
    // The mean of magnitudes is smooth only while P2 and P3 keep their signs.
    for (int r = 1; r <= 2; ++r) {
      if (std::fabs(v0[r]) <= b.speed[r] * s) return false;
    }
  }
  return clear(DeclinationComponent(p, v0, -1), DeclinationComponent(p, v1, -1)) &&
         clear(DeclinationComponent(p, v0, 1), DeclinationComponent(p, v1, 1));
}

// The secant stops once its step falls below 0.00007 day, up to six seconds from the root
// (and across a jump of the target its last step means nothing). Going on from where it
// stopped, with the step it left unapplied, brings the moment to within a millisecond in a
// pass or two. A moment that does not refine to an exact aspect was a convergence onto a
// jump: nothing.
std::optional<double> Refine(ScanKind kind, PositionProvider& eph, const SolverProblem& p,
                             const SecantOutcome& found) {
  constexpr double kToleranceDays = 1e-8, kMaxShiftDays = 1e-3;
  if (std::fabs(found.last_step) < kToleranceDays) {
    if (TargetResidual(kind, p, found.residual) > kExactDeg) return std::nullopt;
    return found.jd;
  }
  const double x0 = found.jd, x1 = found.jd - found.last_step;
  const SecantOutcome out =
      kind == ScanKind::Longitude ? SecantMethod(eph, p, x0, x1, kToleranceDays, 10)
                                  : SecantMethod_DECL(eph, p, x0, x1, kToleranceDays, 10);
  if (out.jd == 0.0 || std::fabs(out.jd - found.jd) > kMaxShiftDays) return std::nullopt;
  if (TargetResidual(kind, p, out.residual) > kExactDeg) return std::nullopt;
  return out.jd;
}

// The moments to keep from the window [t, t_end], in the order found.
std::vector<double> SolveWindow(ScanKind kind, PositionProvider& eph, const SolverProblem& p,
                                const WindowBound& bound, double t, double t_end,
                                const ScanOptions& options) {
  std::vector<double> roots;
  if (bound.usable && ProvablyEmpty(kind, eph, p, bound, t, t_end)) return roots;
  WindowEnds ends;
  const SecantOutcome out =
      kind == ScanKind::Longitude
          ? SecantMethod(eph, p, t, t_end, kSolverTolerance, kSolverPassLimit, &ends)
          : SecantMethod_DECL(eph, p, t, t_end, kSolverTolerance, kSolverPassLimit, &ends);
  const bool inside = t <= out.jd && out.jd <= t_end;
  if (!options.repair) {
    if (inside) roots.push_back(out.jd);
    return roots;
  }
  // A convergence onto a jump of the target leaves it far from zero: no aspect there.
  std::optional<double> refined;
  if (inside && TargetResidual(kind, p, out.residual) <= kMaxResidualDeg) refined = Refine(kind, eph, p, out);
  const bool secant_found = refined.has_value();
  if (secant_found) roots.push_back(*refined);
  // Within the band a component may dip to zero and back inside the window: no more than
  // the bulge that the bodies' accelerations allow, or a fixed band without those bounds.
  const double s = t_end - t;
  double turn_band = bound.usable ? bound.curvature * s * s / 8.0 + kMaxResidualDeg : kTurnBandDeg;
  if (kind == ScanKind::Declination && !p.use_midpoints) {
    // The mean of magnitudes bends without bound where P2 or P3 changes sign.
    for (int r = 1; r <= 2; ++r) {
      if (!bound.usable || std::fabs(ends.at_x0[r]) <= bound.speed[r] * s) turn_band = kTurnBandDeg;
    }
  }
  if (kind == ScanKind::Longitude) {
    const auto [f1, f0] = LongitudeTargetsFrom(p, ends.at_x1, ends.at_x0);
    const bool smooth = std::fabs(f1 - f0) < kMaxCrossingChangeDeg && !PartnerMayJump(p, ends.at_x0, ends.at_x1);
    if (!secant_found || !smooth) BracketLongitude(eph, p, t, t_end, ends.at_x0, ends.at_x1, 0, roots);
    const double grid = p.grid15 ? 15.0 : 30.0;
    const double n = std::round(f0 / grid);
    const double h0 = f0 - n * grid, h1 = f1 - n * grid;
    if (smooth && !SignChange(h0, h1) && std::min(std::fabs(h0), std::fabs(h1)) <= turn_band) {
      // The target at x as a change from its value at t: any shift by the grid that the pair
      // (x, t) takes applies to both values and cancels.
      FindTurn([&](double x) {
        const auto [fx, ft] = LongitudeTargets(eph, p, x, t);
        return h0 + (fx - ft);
      }, t, t_end, h0, h1, roots);
    }
  } else {
    BracketDeclination(eph, p, t, t_end, ends, secant_found, turn_band, roots);
  }
  std::sort(roots.begin(), roots.end());
  return roots;
}

// One row: the moment and the three roles' values at it.
FoundAspect MakeRow(ScanKind kind, PositionProvider& eph, const Combination& c, double e,
                  const DateAndTimeText& when) {
  const ExactPositions at = Get_Planet_Positions_at_Exact(
      eph, c.body, c.centre, e,
      kind == ScanKind::Longitude ? ExactValues::Positions : ExactValues::Declinations);
  FoundAspect row;
  row.body = c.body;
  row.jd_ut = e;
  row.date_text = when.date;
  row.time_text = when.time;
  for (int r = 0; r < 3; ++r) {
    const bool lon = kind == ScanKind::Longitude;
    row.position[r] = lon ? at[r].Position : at[r].DeclOrLat;
    row.motion[r] = lon ? at[r].PositionMotion : at[r].DeclOrLatMotion;
  }
  row.centre = c.centre;
  return row;
}

}  // namespace

double TargetResidual(ScanKind kind, const SolverProblem& p, double f) {
  if (kind == ScanKind::Declination) return std::fabs(f);
  const double grid = p.grid15 ? 15.0 : 30.0;
  return std::fabs(f - grid * std::round(f / grid));
}

bool TakesRole(int body, Centre centre) {
  if (centre == Centre::Geo) return body != idxEarth;
  switch (body) {
    case idxSun: case idxMoon: case idxMeanNode: case idxTrueNode:
    case idxMeanLilith: case idxTrueLilith:
      return false;
    default:
      return true;
  }
}

std::vector<Combination> EnumerateCombinations(ScanKind kind, const RunSettings& s,
                                               const RunInputs& in, Centre* p3_centre) {
  std::vector<Combination> out;
  const Centre c1 = s.opt1_ghd, c2 = s.opt2_ghd;
  Centre p3c = s.opt3_ghd;
  for (int p1 = 0; p1 <= LastBodyIndex; ++p1) {
    if (!s.chkP1Planets[p1] || !TakesRole(p1, c1)) continue;
    for (int p2 = 0; p2 <= LastBodyIndex; ++p2) {
      if (!s.chkP2Planets[p2]) continue;
      if (c1 == c2 && (p2 == p1 || (!s.chkUseP3 && p2 < p1))) continue;
      if (!TakesRole(p2, c2)) continue;
      if (!s.chkUseP3) p3c = c2;  // without P3, the partner is P2 itself, on P2's centre
      const Centre c3 = p3c;
      const int first = s.chkUseP3 ? 0 : p2;
      const int last = s.chkUseP3 ? LastBodyIndex : p2;
      for (int p3 = first; p3 <= last; ++p3) {
        if (s.chkUseP3 && !s.chkP3Planets[p3]) continue;
        if (c1 == c3 && p3 == p1) continue;
        if (s.chkUseP3 && c3 == c2 && p3 <= p2) continue;
        if (!TakesRole(p3, c3)) continue;
        if (p1 == p2 && p2 == p3) continue;
        Combination c{{p1, p2, p3}, {c1, c2, c3}, 1.0, in.end_jd};
        if (kind == ScanKind::Longitude && MoonTakesPart(c.body)) {
          c.step = kMoonStep;
          if (in.start_jd == in.end_jd) c.end_jd += 0.99;  // three windows on a one-day span
        }
        out.push_back(c);
      }
    }
  }
  if (p3_centre) *p3_centre = p3c;
  return out;
}

std::int64_t WindowCount(const Combination& c, double start_jd) {
  std::int64_t n = 0;
  for (double t = start_jd; t <= c.end_jd; t += c.step) ++n;
  return n;
}

SolverProblem ProblemFor(const Combination& c, const RunSettings& s) {
  return {c.body, c.centre, s.chkUseMidpoints, s.chkUseNear_and_Far, s.chkInclude15DegAspects};
}

namespace {

// A moment found in one window, before the rule against a moment found twice is applied
// across windows (that rule needs the windows in order, which stretches scanned apart on
// different threads only have once they are put together).
struct Candidate {
  double e;
  bool shown;  // inside the daily time window, when that is active
  FoundAspect row;
};

// Windows [lo, hi) of a combination; `starts` are the window starts of its step.
void ScanWindows(ScanKind kind, PositionProvider& eph, const SolverProblem& problem,
                 const WindowBound& bound, const Combination& c,
                 const std::vector<double>& starts, size_t lo, size_t hi,
                 const RunInputs& in, const ScanOptions& options, const std::atomic<bool>* cancel,
                 std::atomic<std::int64_t>& windows_done, std::vector<Candidate>& out) {
  // Counted once per call: the counter is shared by the worker threads.
  struct Count {
    std::atomic<std::int64_t>& total;
    std::int64_t n = 0;
    ~Count() { total.fetch_add(n, std::memory_order_relaxed); }
  } count{windows_done};
  for (size_t k = lo; k < hi; ++k, ++count.n) {
    if (cancel && cancel->load(std::memory_order_relaxed)) return;
    const double t = starts[k];
    for (const double e : SolveWindow(kind, eph, problem, bound, t, t + c.step, options)) {
      const DateAndTimeText when = ConvertJDtoDateandTime(e, in.tz_hours, in.order);
      bool shown = true;
      if (in.time_window) {
        // The found time as an hours.minutes number: 10:23 reads 10.23.
        const double v = LeadingNumber(Replace_String(when.time, ":", ".", 1, -1, 0)).value_or(0.0);
        shown = !(in.window_start > v || in.window_end < v);
      }
      out.push_back({e, shown, shown ? MakeRow(kind, eph, c, e, when) : FoundAspect{}});
    }
  }
}

// The rows of a combination from its candidates in window order: a moment within two
// minutes of the one kept before it is the same moment found from the next window.
void AppendRows(std::vector<Candidate>& candidates, const ScanOptions& options,
                std::optional<double>& last_kept, FoundAspects& rows) {
  for (Candidate& c : candidates) {
    if (options.repair && last_kept && std::fabs(c.e - *last_kept) < kDuplicateWithinDays) continue;
    last_kept = c.e;
    if (c.shown) rows.push_back(std::move(c.row));
  }
}

// Window starts of one step, t = start, start + step, ... while t <= last (added up one step
// at a time, exactly as a single pass over the span would).
std::vector<double> WindowStarts(double start, double last, double step) {
  std::vector<double> starts;
  for (double t = start; t <= last; t += step) starts.push_back(t);
  return starts;
}

}  // namespace

FoundAspects ScanCombination(ScanKind kind, PositionProvider& eph, const SolverProblem& problem,
                             const Combination& c, const RunInputs& in,
                             const ScanOptions& options, const ScanControl& control) {
  const std::vector<double> starts = WindowStarts(in.start_jd, c.end_jd, c.step);
  std::atomic<std::int64_t> done{0};
  std::vector<Candidate> candidates;
  const WindowBound bound = BoundFor(kind, c, problem, eph.switches(), options);
  ScanWindows(kind, eph, problem, bound, c, starts, 0, starts.size(), in, options, control.cancel,
              done, candidates);
  if (control.advance) control.advance(done.load());
  FoundAspects rows;
  std::optional<double> last_kept;
  AppendRows(candidates, options, last_kept, rows);
  return rows;
}

ScanResult Start_Calcs(ScanKind kind, const RunSettings& s, const RunInputs& in,
                       PositionProvider& eph, FoundAspects& table, const ScanOptions& options,
                       const ScanControl& control) {
  ScanResult result;
  eph.SetSwitches(s.switches());
  const std::vector<Combination> all = EnumerateCombinations(kind, s, in, &result.p3_centre);

  // Which bodies can be computed over the span, each judged once per centre.
  std::map<std::pair<int, Centre>, bool> usable;
  const auto Usable = [&](int body, Centre centre) {
    const auto key = std::pair{body, centre};
    if (const auto it = usable.find(key); it != usable.end()) return it->second;
    BodyAvailability a = eph.Availability(body, centre, in.start_jd);
    if (a.available()) {
      BodyAvailability at_end = eph.Availability(body, centre, in.end_jd + 1.0);
      if (!at_end.available()) a = std::move(at_end);
    }
    if (!a.available()) {
      result.left_out.push_back({body, centre, a.message});
    } else if (a.source == BodyAvailability::Source::OrbitalElements) {
      result.notes.push_back(std::string(BodyName(body)) + ": positions computed " + a.message +
                             " (the Swiss Ephemeris has no file for it)");
    }
    return usable[key] = a.available();
  };
  std::vector<Combination> combos;
  std::int64_t skipped_windows = 0;
  for (const Combination& c : all) {
    bool ok = true;
    for (int r = 0; r < 3; ++r) ok = Usable(c.body[r], c.centre[r]) && ok;
    if (ok) {
      combos.push_back(c);
    } else {
      skipped_windows += WindowCount(c, in.start_jd);
    }
  }
  if (control.advance && skipped_windows) control.advance(skipped_windows);
  if (combos.empty()) return result;

  // Window starts of both steps and each combination's share of them.
  double last_day = in.start_jd - 1, last_moon = in.start_jd - 1;
  for (const Combination& c : combos) {
    double& last = c.step == 1.0 ? last_day : last_moon;
    last = std::max(last, c.end_jd);
  }
  const std::vector<double> day_starts = WindowStarts(in.start_jd, last_day, 1.0);
  const std::vector<double> moon_starts = WindowStarts(in.start_jd, last_moon, kMoonStep);
  std::vector<const std::vector<double>*> starts_of;
  std::vector<size_t> windows_of;
  std::vector<SolverProblem> problems;
  std::vector<WindowBound> bounds;
  for (const Combination& c : combos) {
    const std::vector<double>& st = c.step == 1.0 ? day_starts : moon_starts;
    starts_of.push_back(&st);
    windows_of.push_back(static_cast<size_t>(std::upper_bound(st.begin(), st.end(), c.end_jd) - st.begin()));
    problems.push_back(ProblemFor(c, s));
    bounds.push_back(BoundFor(kind, c, problems.back(), s.switches(), options));
  }

  // The span in stretches of whole days: enough stretches to keep every thread busy, short
  // enough that the positions remembered for one stretch stay few.
  const int threads = options.worker_provider ? std::max(1, options.threads) : 1;
  const double span_days = std::max(last_day, last_moon) - in.start_jd + 1.0;
  const double stretch_days = std::clamp(std::ceil(span_days / (4.0 * threads)), 1.0, 32.0);
  const auto stretches = static_cast<size_t>(std::ceil(span_days / stretch_days));
  const auto first_window = [&](size_t combo, size_t stretch) {
    const std::vector<double>& st = *starts_of[combo];
    const double from = in.start_jd + static_cast<double>(stretch) * stretch_days;
    const auto k = static_cast<size_t>(std::lower_bound(st.begin(), st.end(), from) - st.begin());
    return std::min(k, windows_of[combo]);
  };

  // candidates[stretch][combination]
  std::vector<std::vector<std::vector<Candidate>>> candidates(
      stretches, std::vector<std::vector<Candidate>>(combos.size()));
  std::atomic<std::int64_t> done{0};
  std::int64_t reported = 0;
  const auto report = [&] {  // on the calling thread only
    const std::int64_t now = done.load();
    if (control.advance && now > reported) control.advance(now - reported);
    reported = now;
  };
  const auto scan_stretch = [&](PositionProvider& provider, PositionCache& cache, size_t j) {
    cache.Clear();
    PositionProvider& p = options.cache ? static_cast<PositionProvider&>(cache) : provider;
    for (size_t c = 0; c < combos.size(); ++c) {
      ScanWindows(kind, p, problems[c], bounds[c], combos[c], *starts_of[c], first_window(c, j),
                  j + 1 < stretches ? first_window(c, j + 1) : windows_of[c], in, options,
                  control.cancel, done, candidates[j][c]);
    }
  };

  if (threads == 1) {
    PositionCache cache(eph);
    for (size_t j = 0; j < stretches; ++j) {
      scan_stretch(eph, cache, j);
      report();
    }
  } else {
    // Each worker takes the next stretch not yet taken until none is left.
    std::atomic<size_t> next_stretch{0};
    std::atomic<int> running{threads};
    std::exception_ptr failure;
    std::mutex failure_lock;
    std::vector<std::thread> workers;
    for (int w = 0; w < threads; ++w) {
      workers.emplace_back([&] {
        try {
          const std::unique_ptr<PositionProvider> provider = options.worker_provider();
          provider->SetSwitches(s.switches());
          PositionCache cache(*provider);
          for (size_t j; (j = next_stretch.fetch_add(1)) < stretches;) scan_stretch(*provider, cache, j);
        } catch (...) {
          const std::lock_guard lock(failure_lock);
          if (!failure) failure = std::current_exception();
          next_stretch = stretches;  // the others stop after their stretch
        }
        --running;
      });
    }
    while (running.load() > 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      report();
    }
    for (std::thread& t : workers) t.join();
    if (failure) std::rethrow_exception(failure);
  }
  report();
  if (control.cancel && control.cancel->load()) {
    result.cancelled = true;
    return result;
  }

  for (size_t c = 0; c < combos.size(); ++c) {
    std::optional<double> last_kept;
    for (size_t j = 0; j < stretches; ++j) AppendRows(candidates[j][c], options, last_kept, table);
  }
  return result;
}

}  // namespace tarnwick
