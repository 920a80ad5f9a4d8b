#include "engine/scan.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <limits>
#include <map>
#include <mutex>
#include <thread>
#include <tuple>
#include <utility>

#include "core/position_cache.h"
#include "engine/exact_positions.h"
#include "engine/window_ends.h"

namespace tarnwick {

namespace {

// A moment found in a stretch is final once every stretch before it is done, except near the
// stretch's start: a refined moment may lie a few seconds before the window it was found in.
// Rows this close to the next stretch wait for it. Days (an hour).
constexpr double kFinalMarginDays = 1.0 / 24.0;

// Stretches scanned ahead of the one handed on next, per worker: enough to keep every worker
// busy behind a slow stretch, few enough that memory stays a handful of stretches.
constexpr size_t kStretchesAheadPerWorker = 4;

// The bodies' bounds serve the repaired search only.
IntervalBound BoundOf(ScanKind kind, const Combination& c, const SolverProblem& p,
                    const PositionSwitches& switches, const ScanOptions& options) {
  if (!options.repair) return {};
  return BoundFor(kind, p, c.step, switches);
}

// One row: the moment and the three roles' values at it.
FoundAspect MakeRow(ScanKind kind, PositionProvider& eph, const Combination& c, double e) {
  const bool lon = kind == ScanKind::Longitude;
  const ExactPositions at = Get_Planet_Positions_at_Exact(
      eph, c.body, c.centre, e, lon ? ExactValues::Positions : ExactValues::Declinations);
  FoundAspect row;
  row.body = c.body;
  row.jd_ut = e;
  for (std::size_t r = 0; r < 3; ++r) {
    row.position[r] = lon ? at[r].Position : at[r].DeclOrLat;
    row.motion[r] = lon ? at[r].PositionMotion : at[r].DeclOrLatMotion;
  }
  row.centre = c.centre;
  return row;
}

// How each window is searched, chosen once for a scan from its options.
class IntervalSearcher {
 public:
  IntervalSearcher(ScanKind kind, const ScanOptions& options)
      : kind_(kind), plain_(!options.repair), skip_(options.repair && options.skip) {}

  IntervalRoots operator()(PositionProvider& eph, const SolverProblem& p, const IntervalBound& bound,
                         double t, double t_end) const {
    if (plain_) return SecantIntervalRoots(kind_, eph, p, t, t_end);
    if (skip_ && IntervalHoldsNoMoment(kind_, eph, p, bound, t, t_end)) return {};
    return SearchInterval(kind_, eph, p, bound, t, t_end);
  }

 private:
  ScanKind kind_;
  bool plain_;
  bool skip_;
};

// A moment found in one window, before the rule against a moment found twice is applied
// across windows (that rule needs the windows in order, which stretches scanned apart on
// different threads only have once they are put together).
struct Candidate {
  Crossing at;
  bool shown;  // inside the daily time window, when that is active
  FoundAspect row;
};

// Days of span from which the polish of a longitude search takes quick longitudes.
constexpr double kQuickSpanDays = 60.0;

// Asks the library for the roles at the window end x after all where an interpolated
// position might mislead the search (see kExactEndBandDeg): near an exact aspect; in a
// combination without bounds, whose windows are searched by the secant from their ends; in a
// declination search with mid-degrees, whose look for close crossings widens wherever P2 or
// P3 nears zero. The choice is made from the values both windows of the end read, so it is
// the same for both.
void MakeEndExactWhereNeeded(ScanKind kind, PositionCache& cache, const SolverProblem& p,
                             const IntervalBound& bound, double step, double x) {
  bool approximate = false;
  for (size_t r = 0; r < 3; ++r) approximate = approximate || cache.IsApproximate(MethodOf(kind, p.centre[r]), x, p.body[r]);
  if (!approximate) return;
  const double band = kExactEndBandDeg + bound.curvature * step * step / 8.0;
  // A combination refined the bracketed way starts from the library's ends, as it always has.
  const bool always = !bound.usable || !bound.polish || (kind == ScanKind::Declination && !p.use_midpoints);
  if (!always && !NearExactAspect(kind, cache, p, x, band)) return;
  for (size_t r = 0; r < 3; ++r) cache.MakeExact(MethodOf(kind, p.centre[r]), x, p.body[r]);
}

// Windows [lo, hi) of a combination; `starts` are the window starts of its step.
// `interpolated`, when given, is the cache that holds interpolated window ends.
void ScanWindows(ScanKind kind, PositionProvider& eph, const IntervalSearcher& search,
                 const SolverProblem& problem, const IntervalBound& bound, const Combination& c,
                 const std::vector<double>& starts, size_t lo, size_t hi, const RunInputs& in,
                 const std::atomic<bool>* cancel, std::atomic<std::int64_t>& windows_done,
                 std::vector<Candidate>& out, bool& always_exact, PositionCache* interpolated = nullptr) {
  // Counted once per call: the counter is shared by the worker threads.
  struct Count {
    std::atomic<std::int64_t>& total;
    std::int64_t n = 0;
    ~Count() { total.fetch_add(n, std::memory_order_relaxed); }
  } count{windows_done};
  for (size_t k = lo; k < hi; ++k, ++count.n) {
    if (cancel && cancel->load(std::memory_order_relaxed)) return;
    if (always_exact) continue;  // the combination is left out; its windows still count
    const double t = starts[k];
    if (interpolated) {
      MakeEndExactWhereNeeded(kind, *interpolated, problem, bound, c.step, t);
      MakeEndExactWhereNeeded(kind, *interpolated, problem, bound, c.step, t + c.step);
    }
    const IntervalRoots found = search(eph, problem, bound, t, t + c.step);
    if (found.always_exact) {
      always_exact = true;
      continue;
    }
    for (const Crossing& at : found.crossings) {
      const double e = at.jd_ut;
      if (e > c.span_end_jd) continue;  // the last window may reach into the next day
      const bool shown = in.Shows(e);
      out.push_back({at, shown, shown ? MakeRow(kind, eph, c, e) : FoundAspect{}});
    }
  }
}

// Window starts of one step, t = start, start + step, ... while t <= last (added up one step
// at a time, exactly as a single pass over the span would).
std::vector<double> WindowStarts(double start, double last, double step) {
  std::vector<double> starts;
  for (double t = start; t <= last; t += step) starts.push_back(t);
  return starts;
}

// What one stretch of the span gives: the moments with their combination, in combination
// order (memory in proportion to the moments, not to combinations), and the combinations
// found exact all the time.
struct StretchFound {
  std::vector<std::pair<size_t, Candidate>> moments;
  std::vector<size_t> always_exact;
};

// The window starts of one step and what the combinations on it need at them.
struct WindowGrid {
  const std::vector<double>* starts;
  double step;
  std::vector<size_t> combos;                 // the combinations on this grid
  std::vector<std::pair<int, Centre>> roles;  // every body and centre they use
  // By role: days between the library positions that serve its window ends, interpolated in
  // between; 0 where every end is asked (see engine/window_ends.h).
  std::vector<double> base_days;
};

// The span cut into stretches of whole days, each combination's windows in each stretch, and
// what each combination's search needs. Made once per scan.
struct StretchPlan {
  std::vector<double> day_starts, moon_starts;
  std::vector<const std::vector<double>*> starts_of;  // by combination
  std::vector<size_t> windows_of;                     // windows in all, by combination
  std::vector<SolverProblem> problems;
  std::vector<IntervalBound> bounds;
  std::vector<WindowGrid> grids;
  bool interpolate = false;   // window ends of smooth bodies between library positions
  double start_jd = 0.0;      // Julian day (UT) of the first window start
  double stretch_days = 1.0;  // whole days
  size_t stretches = 0;
  int threads = 1;

  // Start of a stretch, Julian day (UT): no window of it or of a later one starts before.
  double Begin(size_t stretch) const { return start_jd + static_cast<double>(stretch) * stretch_days; }

  // The combination's windows [First, End) that start in the stretch.
  size_t First(size_t combo, size_t stretch) const {
    const std::vector<double>& st = *starts_of[combo];
    const auto k = static_cast<size_t>(std::lower_bound(st.begin(), st.end(), Begin(stretch)) - st.begin());
    return std::min(k, windows_of[combo]);
  }
  size_t End(size_t combo, size_t stretch) const {
    return stretch + 1 < stretches ? First(combo, stretch + 1) : windows_of[combo];
  }
};

bool Uses(const Combination& c, int body, Centre centre) {
  for (size_t r = 0; r < 3; ++r) {
    if (c.body[r] == body && c.centre[r] == centre) return true;
  }
  return false;
}

// A search in geocentric latitude, where both nodes stand at zero: each moment of a body with
// one node is its moment with the other too, and the order of the two rows follows the
// library's last digits, which depend even on the order in which positions of one moment are
// asked. Such a search asks and refines as it always has.
bool TiesEverywhere(const RunPlan& plan) {
  return plan.kind == ScanKind::Declination && plan.switches.use_geo_lat;
}

// The geocentric Sun and the heliocentric Earth stand 180 degrees apart, so when both take
// part each of their combinations has a twin with the same moments but for the library's last
// digits: both keep the search they always had (see IntervalBound::polish), as does every
// combination of a search with ties everywhere.
void KeepTwinsRefinedTheBracketedWay(const RunPlan& plan, std::vector<IntervalBound>& bounds) {
  const std::vector<Combination>& combos = plan.combinations;
  if (TiesEverywhere(plan)) {
    for (IntervalBound& b : bounds) b.polish = false;
    return;
  }
  const auto sun = [](const Combination& c) { return Uses(c, idxSun, Centre::Geo); };
  const auto earth = [](const Combination& c) { return Uses(c, idxEarth, Centre::Helio); };
  if (std::none_of(combos.begin(), combos.end(), sun) || std::none_of(combos.begin(), combos.end(), earth)) return;
  for (size_t c = 0; c < combos.size(); ++c) {
    if (sun(combos[c]) || earth(combos[c])) bounds[c].polish = false;
  }
}

StretchPlan PlanStretches(const RunPlan& plan, const ScanOptions& options) {
  StretchPlan sp;
  const std::vector<Combination>& combos = plan.combinations;
  const RunInputs& in = plan.times;
  sp.start_jd = in.start_jd;
  // Interpolated ends serve the repaired search, which asks the library where they could
  // mislead it; the plain secant reads every end as it is.
  sp.interpolate = options.cache && options.repair && !TiesEverywhere(plan);

  // Window starts of both steps and each combination's share of them.
  double last_day = in.start_jd - 1, last_moon = in.start_jd - 1;
  for (const Combination& c : combos) {
    double& last = c.step == 1.0 ? last_day : last_moon;
    last = std::max(last, c.end_jd);
  }
  sp.day_starts = WindowStarts(in.start_jd, last_day, 1.0);
  sp.moon_starts = WindowStarts(in.start_jd, last_moon, kMoonStep);
  for (const Combination& c : combos) {
    const std::vector<double>& st = c.step == 1.0 ? sp.day_starts : sp.moon_starts;
    sp.starts_of.push_back(&st);
    sp.windows_of.push_back(static_cast<size_t>(std::upper_bound(st.begin(), st.end(), c.end_jd) - st.begin()));
    sp.problems.push_back(plan.ProblemOf(c));
    sp.bounds.push_back(BoundOf(plan.kind, c, sp.problems.back(), plan.switches, options));
  }
  // The polish of a longitude search takes quick longitudes, except in right ascension and
  // over a short span: the nutation curve they are made with costs a library call a day,
  // which a short span, searched in a fraction of a second anyway, would not win back.
  const bool quick = sp.interpolate && plan.kind == ScanKind::Longitude && !plan.switches.use_ra &&
                     in.SpanEndJd() - in.start_jd >= kQuickSpanDays;
  for (IntervalBound& b : sp.bounds) b.quick = quick;
  KeepTwinsRefinedTheBracketedWay(plan, sp.bounds);
  // A combination with a natal point keeps the bracketed refinement: the polish carries every
  // role to its moment and offers it to the cache under its body's geocentric position.
  for (size_t c = 0; c < combos.size(); ++c) {
    const std::array<Centre, 3>& centres = combos[c].centre;
    if (std::find(centres.begin(), centres.end(), Centre::Natal) != centres.end()) sp.bounds[c].polish = false;
  }

  // Enough stretches to keep every thread busy, short enough that the positions remembered
  // for one stretch stay few and the first rows come soon.
  sp.threads = options.worker_provider ? std::max(1, options.threads) : 1;
  const double span_days = std::max(last_day, last_moon) - in.start_jd + 1.0;
  sp.stretch_days = std::clamp(std::ceil(span_days / (16.0 * sp.threads)), 1.0, 16.0);
  sp.stretches = static_cast<size_t>(std::ceil(span_days / sp.stretch_days));
  sp.threads = std::min(sp.threads, static_cast<int>(sp.stretches));

  for (size_t c = 0; c < combos.size(); ++c) {
    auto g = std::find_if(sp.grids.begin(), sp.grids.end(),
                          [&](const WindowGrid& x) { return x.starts == sp.starts_of[c]; });
    if (g == sp.grids.end()) {
      g = sp.grids.insert(sp.grids.end(), WindowGrid{sp.starts_of[c], combos[c].step, {}, {}, {}});
    }
    g->combos.push_back(c);
    for (std::size_t r = 0; r < 3; ++r) {
      const std::pair<int, Centre> role{combos[c].body[r], combos[c].centre[r]};
      if (std::find(g->roles.begin(), g->roles.end(), role) == g->roles.end()) {
        g->roles.push_back(role);
        // A natal point is fixed: never interpolated, never asked of the library.
        g->base_days.push_back(sp.interpolate && role.second != Centre::Natal ? BaseStepDays(plan.kind == ScanKind::Longitude, role.first,
                                                             role.second, plan.switches, g->step)
                                              : 0.0);
      }
    }
  }
  return sp;
}

// One role's value at t, asked of the provider by the scan's method.
double AskRole(ScanKind kind, PositionProvider& eph, const std::pair<int, Centre>& role, double t) {
  const bool helio = role.second == Centre::Helio;
  if (kind == ScanKind::Longitude) {
    return helio ? eph.Get_1_Planet_helio(t, role.first) : eph.Get_1_Planet_geo(t, role.first);
  }
  return helio ? eph.Get_1_Planet_latitude(t, role.first) : eph.Get_1_Planet_decl(t, role.first);
}

// Base points are whole days from the span's start: m (>= 0) rounded down to a multiple of `base`.
std::int64_t BasePointAtOrBefore(std::int64_t m, std::int64_t base) { return m / base * base; }

// The last window end of a grid over the whole span, Julian day (UT).
double LastEnd(const WindowGrid& g) { return g.starts->back() + g.step; }

// The window ends [lo, hi] of a grid in one stretch.
struct EndRange {
  const WindowGrid& g;
  size_t lo, hi;
  // The last end is the last window's start plus the step, as the window loop adds it.
  double At(size_t k) const { return k < hi ? (*g.starts)[k] : (*g.starts)[hi - 1] + g.step; }
};

// Library positions at the base points of a worker's last stretch, kept for its next one: a
// stretch shorter than a base step shares its base points with its neighbours. Only the
// library's own answers are kept, so a stretch sees the same values whichever worker scans
// it and whatever it scanned before.
class KeptBasePoints {
 public:
  // The position kept for role `role` of grid `grid` at base point m (whole days from the
  // span's start), if any.
  const RoleSample* Find(size_t grid, size_t role, std::int64_t m) const {
    const auto it = kept_.find(Key{grid, role, m});
    return it == kept_.end() ? nullptr : &it->second;
  }
  void Keep(size_t grid, size_t role, std::int64_t m, const RoleSample& at) { kept_.emplace(Key{grid, role, m}, at); }
  // Forgets the base points before m: stretches are scanned forward.
  void ForgetBefore(std::int64_t m) {
    std::erase_if(kept_, [m](const auto& entry) { return std::get<2>(entry.first) < m; });
  }

 private:
  using Key = std::tuple<size_t, size_t, std::int64_t>;
  std::map<Key, RoleSample> kept_;
};

// The library positions of the roles with a base step at every base point from the one at or
// before the first end to the one at or after the last, moment by moment.
void AskBasePoints(ScanKind kind, PositionProvider& eph, const StretchPlan& sp, size_t grid, const EndRange& ends,
                   KeptBasePoints& kept) {
  const WindowGrid& g = ends.g;
  const auto first = static_cast<std::int64_t>(std::floor(ends.At(ends.lo) - sp.start_jd));
  const auto last = static_cast<std::int64_t>(std::ceil(ends.At(ends.hi) - sp.start_jd));
  std::int64_t from = first, to = last;
  for (const double b : g.base_days) {
    if (b == 0.0) continue;
    const auto base = static_cast<std::int64_t>(b);
    from = std::min(from, BasePointAtOrBefore(first, base));
    to = std::max(to, BasePointAtOrBefore(last + base - 1, base));
  }
  // Never past the grid's last end: the bodies are known to be computable up to there only.
  to = std::min(to, static_cast<std::int64_t>(std::floor(LastEnd(g) - sp.start_jd)));
  kept.ForgetBefore(from);
  for (std::int64_t m = from; m <= to; ++m) {
    const double t = sp.start_jd + static_cast<double>(m);
    for (size_t r = 0; r < g.roles.size(); ++r) {
      const auto base = static_cast<std::int64_t>(g.base_days[r]);
      if (base == 0 || m % base != 0) continue;
      if (const RoleSample* at = kept.Find(grid, r, m)) {
        eph.Remember(MethodOf(kind, g.roles[r].second), t, g.roles[r].first, at->value, at->motion);
      } else {
        const double v = AskRole(kind, eph, g.roles[r], t);
        kept.Keep(grid, r, m, RoleSample{v, eph.LastDailyMotion()});
      }
    }
  }
}

// The window ends of the roles with a base step, from the cubic through the base points on
// either side.
void InterpolateEnds(ScanKind kind, PositionCache& eph, const StretchPlan& sp, const EndRange& ends) {
  const WindowGrid& g = ends.g;
  for (size_t r = 0; r < g.roles.size(); ++r) {
    const auto base = static_cast<std::int64_t>(g.base_days[r]);
    if (base == 0) continue;
    const auto sample = [&](double t) {
      const double v = AskRole(kind, eph, g.roles[r], t);
      return RoleSample{v, eph.LastDailyMotion()};
    };
    for (size_t k = ends.lo; k <= ends.hi; ++k) {
      const double t = ends.At(k);
      const std::int64_t m = BasePointAtOrBefore(static_cast<std::int64_t>(std::floor(t - sp.start_jd)), base);
      const double t_a = sp.start_jd + static_cast<double>(m), t_b = sp.start_jd + static_cast<double>(m + base);
      // An end on a base point keeps the library's value; an end whose next base point lies past
      // the grid's last end is asked of the library when the search reads it.
      if (t == t_a || t_b > LastEnd(g)) continue;
      const RoleSample v = InterpolateRole(t_a, sample(t_a), t_b, sample(t_b), t, kind == ScanKind::Longitude);
      eph.RememberApproximate(MethodOf(kind, g.roles[r].second), t, g.roles[r].first, v.value, v.motion);
    }
  }
}

// Positions at the window ends of a stretch, asked moment by moment for every body that a
// combination of the stretch needs: the library then works out the Earth and the nutation of
// a moment once for all bodies, about two and a half times faster than body by body. A body
// with a base step is asked at its base points only, and its ends in between interpolated.
void Prefetch(ScanKind kind, PositionCache& eph, const StretchPlan& sp, size_t grid, size_t stretch,
              KeptBasePoints& kept) {
  const WindowGrid& g = sp.grids[grid];
  size_t lo = SIZE_MAX, hi = 0;
  for (const size_t c : g.combos) {
    lo = std::min(lo, sp.First(c, stretch));
    hi = std::max(hi, sp.End(c, stretch));
  }
  if (lo >= hi) return;
  const EndRange ends{g, lo, hi};
  for (size_t k = lo; k <= hi; ++k) {
    for (size_t r = 0; r < g.roles.size(); ++r) {
      // A natal point is fixed: nothing to ask the library.
      if (g.base_days[r] == 0.0 && g.roles[r].second != Centre::Natal) AskRole(kind, eph, g.roles[r], ends.At(k));
    }
  }
  if (std::all_of(g.base_days.begin(), g.base_days.end(), [](double b) { return b == 0.0; })) return;
  AskBasePoints(kind, eph, sp, grid, ends, kept);
  InterpolateEnds(kind, eph, sp, ends);
}

// Every combination over one stretch, on the calling thread.
StretchFound ScanStretch(const RunPlan& plan, const StretchPlan& sp, const IntervalSearcher& search,
                         PositionProvider& provider, PositionCache& cache, KeptBasePoints& kept, size_t stretch,
                         const ScanOptions& options, const std::atomic<bool>* cancel,
                         std::atomic<std::int64_t>& windows_done) {
  cache.Clear();
  PositionProvider& eph = options.cache ? static_cast<PositionProvider&>(cache) : provider;
  if (options.cache) {
    for (size_t g = 0; g < sp.grids.size(); ++g) Prefetch(plan.kind, cache, sp, g, stretch, kept);
  }
  PositionCache* interpolated = options.cache && sp.interpolate ? &cache : nullptr;
  StretchFound found;
  std::vector<Candidate> moments;
  for (size_t c = 0; c < plan.combinations.size(); ++c) {
    moments.clear();
    bool exact = false;
    ScanWindows(plan.kind, eph, search, sp.problems[c], sp.bounds[c], plan.combinations[c],
                *sp.starts_of[c], sp.First(c, stretch), sp.End(c, stretch), plan.times, cancel,
                windows_done, moments, exact, interpolated);
    if (exact) found.always_exact.push_back(c);
    for (Candidate& m : moments) found.moments.emplace_back(c, std::move(m));
  }
  return found;
}

// Puts the stretches' moments together, stretch after stretch: drops a moment found twice
// (the same crossing from the next window) and the combinations exact all the time, and hands
// on rows in the order a stable sort by moment of the whole scan would give them (combination
// by combination, each in window order, then by moment).
class OrderedMerge {
 public:
  OrderedMerge(size_t combinations, bool repair)
      : recent_(combinations), left_out_(combinations, false), count_(combinations, 0), repair_(repair) {}

  // Takes the next stretch. Rows before `final_before` (Julian day, UT) can no longer be
  // preceded by a later stretch's: they go to `out`, in order. `newly_exact` receives the
  // combinations found exact all the time in this stretch.
  void Take(StretchFound& found, double final_before, FoundAspects& out,
            std::vector<size_t>& newly_exact) {
    for (const size_t c : found.always_exact) {
      if (left_out_[c]) continue;
      left_out_[c] = true;
      newly_exact.push_back(c);
      std::erase_if(held_, [c](const Held& h) { return h.combination == c; });
    }
    for (auto& [c, m] : found.moments) {
      if (left_out_[c]) continue;
      if (repair_) {
        std::vector<Crossing>& recent = recent_[c];
        const Crossing at = m.at;  // a copy for the lambdas: clang 14 captures no bindings
        std::erase_if(recent, [&at](const Crossing& r) { return at.jd_ut - r.jd_ut >= kSameCrossingDays; });
        if (std::any_of(recent.begin(), recent.end(), [&at](const Crossing& r) { return r.SameAs(at); })) continue;
        recent.push_back(at);
      }
      if (m.shown) held_.push_back({std::move(m.row), c, count_[c]++});
    }
    Release(final_before, out);
  }

  // Every row still held, after the last stretch.
  void Finish(FoundAspects& out) { Release(std::numeric_limits<double>::quiet_NaN(), out); }

 private:
  struct Held {
    FoundAspect row;
    size_t combination;
    std::uint64_t nth;  // of the combination's rows
  };

  // A moment that is not a number sorts after every other.
  static double Key(const Held& h) {
    return std::isnan(h.row.jd_ut) ? std::numeric_limits<double>::infinity() : h.row.jd_ut;
  }

  // Hands on the held rows before `before`; all of them when `before` is not a number.
  void Release(double before, FoundAspects& out) {
    std::sort(held_.begin(), held_.end(), [](const Held& a, const Held& b) {
      const double ka = Key(a), kb = Key(b);
      if (ka != kb) return ka < kb;
      return a.combination != b.combination ? a.combination < b.combination : a.nth < b.nth;
    });
    const bool all = std::isnan(before);
    size_t n = 0;
    while (n < held_.size() && (all || Key(held_[n]) < before)) out.push_back(std::move(held_[n++].row));
    held_.erase(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(n));
  }

  std::vector<std::vector<Crossing>> recent_;  // crossings kept lately, by combination
  std::vector<bool> left_out_;
  std::vector<std::uint64_t> count_;
  std::vector<Held> held_;
  bool repair_;
};

// Scans the stretches on sp.threads workers, each with a provider of its own, and calls
// `hand_on` on the calling thread for each stretch in order as soon as it and every earlier
// one are done; `report` every fifth of a second. Workers stay at most a few stretches ahead.
void ScanInParallel(const RunPlan& plan, const StretchPlan& sp, const IntervalSearcher& search,
                    const ScanOptions& options, const std::atomic<bool>* cancel,
                    std::atomic<std::int64_t>& windows_done,
                    const std::function<void(StretchFound&, size_t)>& hand_on,
                    const std::function<void()>& report) {
  std::mutex lock;
  std::condition_variable changed;
  std::map<size_t, StretchFound> ready;
  size_t next_taken = 0, next_handed = 0;
  int running = sp.threads;
  bool stop = false;
  std::exception_ptr failure;
  const size_t ahead = kStretchesAheadPerWorker * static_cast<size_t>(sp.threads);
  const auto cancelled = [&] { return cancel && cancel->load(); };

  std::vector<std::thread> workers;
  const auto stop_and_join = [&] {
    {
      const std::lock_guard guard(lock);
      stop = true;
    }
    changed.notify_all();
    for (std::thread& t : workers) {
      if (t.joinable()) t.join();
    }
  };
  for (int w = 0; w < sp.threads; ++w) {
    workers.emplace_back([&] {
      try {
        const std::unique_ptr<PositionProvider> provider = options.worker_provider();
        provider->SetSwitches(plan.switches);
        provider->SetNatalPoints(plan.natal);
        PositionCache cache(*provider);
        KeptBasePoints kept;
        for (;;) {
          size_t j = 0;
          {
            std::unique_lock guard(lock);
            changed.wait(guard, [&] {
              return stop || cancelled() || next_taken >= sp.stretches || next_taken < next_handed + ahead;
            });
            if (stop || cancelled() || next_taken >= sp.stretches) break;
            j = next_taken++;
          }
          StretchFound found = ScanStretch(plan, sp, search, *provider, cache, kept, j, options, cancel, windows_done);
          {
            const std::lock_guard guard(lock);
            ready.emplace(j, std::move(found));
          }
          changed.notify_all();
        }
      } catch (...) {
        const std::lock_guard guard(lock);
        if (!failure) failure = std::current_exception();
        stop = true;  // the others stop after their stretch
      }
      {
        const std::lock_guard guard(lock);
        --running;
      }
      changed.notify_all();
    });
  }

  try {
    std::unique_lock guard(lock);
    for (;;) {
      changed.wait_for(guard, std::chrono::milliseconds(200),
                       [&] { return ready.contains(next_handed) || running == 0; });
      for (auto it = ready.find(next_handed); it != ready.end(); it = ready.find(next_handed)) {
        StretchFound found = std::move(it->second);
        ready.erase(it);
        const size_t j = next_handed++;
        guard.unlock();
        changed.notify_all();  // a worker may take another stretch
        hand_on(found, j);
        guard.lock();
      }
      if (cancelled() && !stop) {
        stop = true;
        changed.notify_all();
      }
      if (running == 0 && !ready.contains(next_handed)) break;
      guard.unlock();
      report();
      guard.lock();
    }
  } catch (...) {
    stop_and_join();
    throw;
  }
  stop_and_join();
  if (failure) std::rethrow_exception(failure);
}

}  // namespace

FoundAspects ScanCombination(ScanKind kind, PositionProvider& eph, const SolverProblem& problem,
                             const Combination& c, const RunInputs& in,
                             const ScanOptions& options, const ScanControl& control) {
  const std::vector<double> starts = WindowStarts(in.start_jd, c.end_jd, c.step);
  std::atomic<std::int64_t> done{0};
  StretchFound found;
  std::vector<Candidate> candidates;
  const IntervalBound bound = BoundOf(kind, c, problem, eph.switches(), options);
  bool always_exact = false;
  ScanWindows(kind, eph, IntervalSearcher(kind, options), problem, bound, c, starts, 0, starts.size(),
              in, control.cancel, done, candidates, always_exact);
  if (control.advance) control.advance(done.load());
  FoundAspects rows;
  if (always_exact) return rows;
  for (Candidate& m : candidates) found.moments.emplace_back(0, std::move(m));
  OrderedMerge merge(1, options.repair);
  std::vector<size_t> exact;
  merge.Take(found, std::numeric_limits<double>::quiet_NaN(), rows, exact);
  return rows;
}

ScanOutcome ScanPlan(const RunPlan& plan, PositionProvider& eph, const RowSink& sink,
                     const ScanOptions& options, const ScanControl& control) {
  ScanOutcome outcome;
  eph.SetSwitches(plan.switches);
  eph.SetNatalPoints(plan.natal);
  if (plan.combinations.empty()) return outcome;
  const StretchPlan sp = PlanStretches(plan, options);
  const IntervalSearcher search(plan.kind, options);
  const auto cancelled = [&] { return control.cancel && control.cancel->load(); };

  std::atomic<std::int64_t> done{0};
  std::int64_t reported = 0;
  const auto report = [&] {  // on the calling thread only
    const std::int64_t now = done.load();
    if (control.advance && now > reported) control.advance(now - reported);
    reported = now;
  };

  OrderedMerge merge(plan.combinations.size(), options.repair);
  FoundAspects batch;
  const auto hand_on = [&](StretchFound& found, size_t j) {
    if (cancelled()) return;
    std::vector<size_t> exact;
    const double final_before = j + 1 < sp.stretches ? sp.Begin(j + 1) - kFinalMarginDays
                                                     : std::numeric_limits<double>::infinity();
    merge.Take(found, final_before, batch, exact);
    for (const size_t c : exact) outcome.always_exact.push_back(plan.combinations[c]);
    if (!batch.empty()) sink(batch);
    batch.clear();
  };

  if (sp.threads == 1) {
    PositionCache cache(eph);
    KeptBasePoints kept;
    for (size_t j = 0; j < sp.stretches && !cancelled(); ++j) {
      StretchFound found = ScanStretch(plan, sp, search, eph, cache, kept, j, options, control.cancel, done);
      report();
      hand_on(found, j);
    }
  } else {
    ScanInParallel(plan, sp, search, options, control.cancel, done, hand_on, report);
  }
  report();
  if (cancelled()) {
    outcome.cancelled = true;
    return outcome;
  }
  merge.Finish(batch);
  if (!batch.empty()) sink(batch);
  return outcome;
}

}  // namespace tarnwick
