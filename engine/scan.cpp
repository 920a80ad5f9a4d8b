#include "engine/scan.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cmath>
#include <condition_variable>
#include <exception>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

#include "core/calendar.h"
#include "core/number_text.h"
#include "core/position_cache.h"
#include "engine/exact_positions.h"
#include "engine/replace_string.h"

namespace tarnwick {

namespace {

bool MoonTakesPart(const std::array<int, 3>& body) {
  return body[0] == idxMoon || body[1] == idxMoon || body[2] == idxMoon;
}

// The bodies' bounds serve the repaired search only.
WindowBound BoundOf(ScanKind kind, const Combination& c, const SolverProblem& p,
                    const PositionSwitches& switches, const ScanOptions& options) {
  if (!options.repair) return {};
  return BoundFor(kind, p, c.step, switches);
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
        // Day windows start at start_jd; in a zone with summer time the span's local days are
        // not all 24 hours long, so the last window starts where it still reaches the end.
        const double last_start = in.zone ? in.SpanEndJd() - kZoneLastStartMarginDays : in.end_jd;
        Combination c{{p1, p2, p3}, {c1, c2, c3}, 1.0, last_start, in.SpanEndJd()};
        if (kind == ScanKind::Longitude && MoonTakesPart(c.body)) {
          // Windows of a third of a day until the end of the last day, however long the span.
          c.step = kMoonStep;
          c.end_jd = c.span_end_jd - kLastMoonWindowMarginDays;
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
  Crossing at;
  bool shown;  // inside the daily time window, when that is active
  FoundAspect row;
};

// Windows [lo, hi) of a combination; `starts` are the window starts of its step.
void ScanWindows(ScanKind kind, PositionProvider& eph, const SolverProblem& problem,
                 const WindowBound& bound, const Combination& c,
                 const std::vector<double>& starts, size_t lo, size_t hi,
                 const RunInputs& in, const ScanOptions& options, const std::atomic<bool>* cancel,
                 std::atomic<std::int64_t>& windows_done, std::vector<Candidate>& out,
                 bool& always_exact) {
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
    const WindowRoots found = SolveWindow(kind, eph, problem, bound, t, t + c.step, options.repair, options.skip);
    if (found.always_exact) {
      always_exact = true;
      continue;
    }
    for (const Crossing& at : found.crossings) {
      const double e = at.jd_ut;
      if (e > c.span_end_jd) continue;  // the last window may reach into the next day
      const DateAndTimeText when = ConvertJDtoDateandTime(e, in.HoursAt(e), in.order);
      bool shown = true;
      if (in.time_window) {
        // The found time as an hours.minutes number: 10:23 reads 10.23.
        const double v = LeadingNumber(Replace_String(when.time, ":", ".", 1, -1, 0)).value_or(0.0);
        shown = !(in.window_start > v || in.window_end < v);
      }
      out.push_back({at, shown, shown ? MakeRow(kind, eph, c, e, when) : FoundAspect{}});
    }
  }
}

// A combination's next moment, taken in window order; `recent` holds the crossings kept
// lately. A crossing kept already, found again from the next window, is left out.
void AppendRow(Candidate& c, const ScanOptions& options, std::vector<Crossing>& recent,
               FoundAspects& rows) {
  if (options.repair) {
    std::erase_if(recent, [&](const Crossing& r) { return c.at.jd_ut - r.jd_ut >= kSameCrossingDays; });
    if (std::any_of(recent.begin(), recent.end(), [&](const Crossing& r) { return r.SameAs(c.at); })) return;
    recent.push_back(c.at);
  }
  if (c.shown) rows.push_back(std::move(c.row));
}

// Window starts of one step, t = start, start + step, ... while t <= last (added up one step
// at a time, exactly as a single pass over the span would).
std::vector<double> WindowStarts(double start, double last, double step) {
  std::vector<double> starts;
  for (double t = start; t <= last; t += step) starts.push_back(t);
  return starts;
}

// The window starts of one step and what the combinations on it need at them.
struct WindowGrid {
  const std::vector<double>* starts;
  double step;
  std::vector<size_t> combos;                 // the combinations on this grid
  std::vector<std::pair<int, Centre>> roles;  // every body and centre they use

  // Asks the provider for every role at every window end of stretch j, moment by moment.
  template <class FirstWindow>
  void Prefetch(ScanKind kind, PositionProvider& eph, size_t j, const FirstWindow& first_window,
                size_t stretches, const std::vector<size_t>& windows_of) const {
    size_t lo = SIZE_MAX, hi = 0;
    for (const size_t c : combos) {
      lo = std::min(lo, first_window(c, j));
      hi = std::max(hi, j + 1 < stretches ? first_window(c, j + 1) : windows_of[c]);
    }
    for (size_t k = lo; k <= hi && lo < hi; ++k) {
      // The last end is the last window's start plus the step, as the window loop adds it.
      const double t = k < hi ? (*starts)[k] : (*starts)[hi - 1] + step;
      for (const auto& [body, centre] : roles) {
        const bool helio = centre == Centre::Helio;
        if (kind == ScanKind::Longitude) {
          helio ? eph.Get_1_Planet_helio(t, body) : eph.Get_1_Planet_geo(t, body);
        } else {
          helio ? eph.Get_1_Planet_latitude(t, body) : eph.Get_1_Planet_decl(t, body);
        }
      }
    }
  }
};

}  // namespace

FoundAspects ScanCombination(ScanKind kind, PositionProvider& eph, const SolverProblem& problem,
                             const Combination& c, const RunInputs& in,
                             const ScanOptions& options, const ScanControl& control) {
  const std::vector<double> starts = WindowStarts(in.start_jd, c.end_jd, c.step);
  std::atomic<std::int64_t> done{0};
  std::vector<Candidate> candidates;
  const WindowBound bound = BoundOf(kind, c, problem, eph.switches(), options);
  bool always_exact = false;
  ScanWindows(kind, eph, problem, bound, c, starts, 0, starts.size(), in, options, control.cancel,
              done, candidates, always_exact);
  if (control.advance) control.advance(done.load());
  FoundAspects rows;
  if (always_exact) return rows;
  std::vector<Crossing> recent;
  for (Candidate& m : candidates) AppendRow(m, options, recent, rows);
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
      BodyAvailability at_end = eph.Availability(body, centre, in.SpanEndJd());
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
    bounds.push_back(BoundOf(kind, c, problems.back(), s.switches(), options));
  }

  // The span in stretches of whole days: enough stretches to keep every thread busy, short
  // enough that the positions remembered for one stretch stay few.
  int threads = options.worker_provider ? std::max(1, options.threads) : 1;
  const double span_days = std::max(last_day, last_moon) - in.start_jd + 1.0;
  const double stretch_days = std::clamp(std::ceil(span_days / (16.0 * threads)), 1.0, 16.0);
  const auto stretches = static_cast<size_t>(std::ceil(span_days / stretch_days));
  threads = std::min(threads, static_cast<int>(stretches));
  const auto first_window = [&](size_t combo, size_t stretch) {
    const std::vector<double>& st = *starts_of[combo];
    const double from = in.start_jd + static_cast<double>(stretch) * stretch_days;
    const auto k = static_cast<size_t>(std::lower_bound(st.begin(), st.end(), from) - st.begin());
    return std::min(k, windows_of[combo]);
  };

  // Positions at the window ends of a stretch, asked moment by moment for every body that a
  // combination of the stretch needs: the library then works out the Earth and the nutation
  // of a moment once for all bodies, about two and a half times faster than body by body.
  std::vector<WindowGrid> grids;
  for (size_t c = 0; c < combos.size(); ++c) {
    auto g = std::find_if(grids.begin(), grids.end(),
                          [&](const WindowGrid& x) { return x.starts == starts_of[c]; });
    if (g == grids.end()) {
      g = grids.insert(grids.end(), WindowGrid{starts_of[c], combos[c].step, {}, {}});
    }
    g->combos.push_back(c);
    for (int r = 0; r < 3; ++r) {
      const std::pair<int, Centre> role{combos[c].body[r], combos[c].centre[r]};
      if (std::find(g->roles.begin(), g->roles.end(), role) == g->roles.end()) {
        g->roles.push_back(role);
      }
    }
  }

  // The moments found in each stretch with their combination, in combination order: memory in
  // proportion to the moments, not to stretches times combinations.
  std::vector<std::vector<std::pair<size_t, Candidate>>> found(stretches);
  std::vector<std::vector<size_t>> always_exact(stretches);  // combinations, by stretch
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
    if (options.cache) {
      for (const WindowGrid& g : grids) {
        g.Prefetch(kind, cache, j, first_window, stretches, windows_of);
      }
    }
    std::vector<Candidate> moments;
    for (size_t c = 0; c < combos.size(); ++c) {
      moments.clear();
      bool exact = false;
      ScanWindows(kind, p, problems[c], bounds[c], combos[c], *starts_of[c], first_window(c, j),
                  j + 1 < stretches ? first_window(c, j + 1) : windows_of[c], in, options,
                  control.cancel, done, moments, exact);
      if (exact) always_exact[j].push_back(c);
      for (Candidate& m : moments) found[j].emplace_back(c, std::move(m));
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
    std::mutex lock;
    std::condition_variable finished;
    int running = threads;
    std::exception_ptr failure;
    std::vector<std::thread> workers;
    for (int w = 0; w < threads; ++w) {
      workers.emplace_back([&] {
        try {
          const std::unique_ptr<PositionProvider> provider = options.worker_provider();
          provider->SetSwitches(s.switches());
          PositionCache cache(*provider);
          for (size_t j; (j = next_stretch.fetch_add(1)) < stretches;) scan_stretch(*provider, cache, j);
        } catch (...) {
          const std::lock_guard guard(lock);
          if (!failure) failure = std::current_exception();
          next_stretch = stretches;  // the others stop after their stretch
        }
        const std::lock_guard guard(lock);
        --running;
        finished.notify_one();
      });
    }
    // Progress five times a second until the last worker is done.
    for (std::unique_lock guard(lock);
         !finished.wait_for(guard, std::chrono::milliseconds(200), [&] { return running == 0; });) {
      guard.unlock();
      report();
      guard.lock();
    }
    for (std::thread& t : workers) t.join();
    if (failure) std::rethrow_exception(failure);
  }
  report();
  if (control.cancel && control.cancel->load()) {
    result.cancelled = true;
    return result;
  }

  // Combination by combination, each stretch's share in turn.
  std::vector<bool> left_out(combos.size(), false);
  for (const std::vector<size_t>& list : always_exact) {
    for (const size_t c : list) left_out[c] = true;
  }
  std::vector<size_t> next(stretches, 0);
  for (size_t c = 0; c < combos.size(); ++c) {
    if (left_out[c]) result.always_exact.push_back(combos[c]);
    std::vector<Crossing> recent;
    for (size_t j = 0; j < stretches; ++j) {
      for (; next[j] < found[j].size() && found[j][next[j]].first == c; ++next[j]) {
        if (!left_out[c]) AppendRow(found[j][next[j]].second, options, recent, table);
      }
    }
  }
  return result;
}

}  // namespace tarnwick
