#include "engine/scan.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <utility>

#include "core/angles.h"
#include "core/calendar.h"
#include "core/midpoints.h"
#include "core/number_text.h"
#include "engine/exact_positions.h"
#include "engine/replace_string.h"

namespace tarnwick {

namespace {

constexpr double kDuplicateWithinDays = 2.0 / 1440.0;  // two minutes
// A secant that ends with the target this far from zero has settled on a jump of the target,
// not on a root: genuine roots end within a few thousandths of a degree (the fastest relative
// motion, about 15 degrees a day, times the tolerance of 0.00007 day).
constexpr double kMaxResidualDeg = 0.01;
// A sign change across a window with a larger change of the target is a jump (a wrap of the
// grid or of the mid-degree), not a crossing: no pair of bodies moves apart by this much in
// one window.
constexpr double kMaxCrossingChangeDeg = 7.5;
constexpr double kBisectionLimitDays = 1e-7;  // about 0.01 seconds
// Halvings of a window that holds a jump of the target: 2^-6 of a day is about 22 minutes.
constexpr int kMaxHalvings = 6;
// A declination component whose values at both ends of a window lie within this band may
// turn inside it and cross zero twice. The Moon's declination curves by up to 1.5 degrees a
// day per day, so within one day it strays at most about 0.2 degrees from its chord.
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

void BracketDeclination(PositionProvider& eph, const SolverProblem& p, double a, double b,
                        const WindowEnds& ends, bool secant_found, std::vector<double>& roots) {
  for (const int sign : {-1, 1}) {
    const auto h = [&](double x) { return DeclinationComponent(p, RoleDeclinations(eph, p, x), sign); };
    const auto bisect = [&](double lo, double hi) {
      AddRoot(roots, Bisect([&](double x, double ref) { return std::pair{h(x), h(ref)}; }, lo, hi));
    };
    const double ha = DeclinationComponent(p, ends.at_x0, sign);
    const double hb = DeclinationComponent(p, ends.at_x1, sign);
    if (SignChange(ha, hb)) {
      // The secant's root, when it found one, is usually this crossing; bisect only when the
      // other component crosses too, so that the secant's root may be that one.
      const bool other_crosses = SignChange(DeclinationComponent(p, ends.at_x0, -sign),
                                            DeclinationComponent(p, ends.at_x1, -sign));
      if (!secant_found || other_crosses) {
        if (ha == 0.0) AddRoot(roots, a); else bisect(a, b);
      }
      continue;
    }
    // No crossing between the ends, yet both close to zero: the component may turn inside the
    // window (the Moon at its greatest declination near the partner's) and cross twice.
    if (std::fabs(ha) > kTurnBandDeg || std::fabs(hb) > kTurnBandDeg) continue;
    const double mid = (a + b) / 2.0;
    const double hm = h(mid);
    // Vertex of the parabola through the three values, where the component turns.
    const double denom = ha - 2.0 * hm + hb;
    double turn = mid;
    if (denom != 0.0) turn = mid + (b - a) / 4.0 * (ha - hb) / denom;
    turn = std::clamp(turn, a, b);
    for (const double x : {turn, mid}) {
      if (x > a && x < b && SignChange(ha, h(x))) {
        bisect(a, x);
        bisect(x, b);
        break;
      }
    }
  }
}

// The moments to keep from the window [t, t_end], in the order found.
std::vector<double> SolveWindow(ScanKind kind, PositionProvider& eph, const SolverProblem& p,
                                double t, double t_end, const ScanOptions& options) {
  std::vector<double> roots;
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
  const bool secant_found = inside && TargetResidual(kind, p, out.residual) <= kMaxResidualDeg;
  if (secant_found) roots.push_back(out.polished);
  if (kind == ScanKind::Longitude) {
    const auto [f1, f0] = LongitudeTargetsFrom(p, ends.at_x1, ends.at_x0);
    if (!secant_found || std::fabs(f1 - f0) >= kMaxCrossingChangeDeg ||
        PartnerMayJump(p, ends.at_x0, ends.at_x1)) {
      BracketLongitude(eph, p, t, t_end, ends.at_x0, ends.at_x1, 0, roots);
    }
  } else {
    BracketDeclination(eph, p, t, t_end, ends, secant_found, roots);
  }
  std::sort(roots.begin(), roots.end());
  return roots;
}

// One row: the moment and the three roles' values at it.
FoundAspect MakeRow(ScanKind kind, PositionProvider& eph, const Combination& c, double e,
                  const DateAndTimeText& when) {
  const ExactPositions at = Get_Planet_Positions_at_Exact(eph, c.body, c.centre, e);
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

FoundAspects ScanCombination(ScanKind kind, PositionProvider& eph, const SolverProblem& problem,
                             const Combination& c, const RunInputs& in,
                             const ScanOptions& options, const ScanControl& control) {
  FoundAspects rows;
  std::optional<double> last_kept;
  for (double t = in.start_jd; t <= c.end_jd; t += c.step) {
    if (control.cancel && control.cancel->load(std::memory_order_relaxed)) break;
    if (control.advance) control.advance(1);
    for (const double e : SolveWindow(kind, eph, problem, t, t + c.step, options)) {
      if (options.repair && last_kept && std::fabs(e - *last_kept) < kDuplicateWithinDays) continue;
      last_kept = e;
      const DateAndTimeText when = ConvertJDtoDateandTime(e, in.tz_hours, in.order);
      if (in.time_window) {
        // The found time as an hours.minutes number: 10:23 reads 10.23.
        const double v = LeadingNumber(Replace_String(when.time, ":", ".", 1, -1, 0)).value_or(0.0);
        if (in.window_start > v || in.window_end < v) continue;
      }
      rows.push_back(MakeRow(kind, eph, c, e, when));
    }
  }
  return rows;
}



ScanResult Start_Calcs(ScanKind kind, const RunSettings& s, const RunInputs& in,
                       PositionProvider& eph, FoundAspects& table, const ScanOptions& options,
                       const ScanControl& control) {
  ScanResult result;
  eph.SetSwitches(s.switches());
  const std::vector<Combination> combos = EnumerateCombinations(kind, s, in, &result.p3_centre);

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

  for (const Combination& c : combos) {
    if (control.cancel && control.cancel->load(std::memory_order_relaxed)) {
      result.cancelled = true;
      break;
    }
    bool ok = true;
    for (int r = 0; r < 3; ++r) ok = Usable(c.body[r], c.centre[r]) && ok;
    if (!ok) {
      if (control.advance) control.advance(WindowCount(c, in.start_jd));
      continue;
    }
    FoundAspects rows = ScanCombination(kind, eph, ProblemFor(c, s), c, in, options, control);
    table.insert(table.end(), std::make_move_iterator(rows.begin()),
                 std::make_move_iterator(rows.end()));
  }
  if (control.cancel && control.cancel->load(std::memory_order_relaxed)) result.cancelled = true;
  return result;
}

}  // namespace tarnwick
