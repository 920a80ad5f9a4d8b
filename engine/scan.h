// The scans: every combination of a plan, every window of the span, one search per window,
// and one row per exact moment kept, handed on in time order. The longitude and the
// declination scan share this frame and differ in their search, their window step and the
// values they record.
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
#include "engine/run_plan.h"
#include "engine/run_settings.h"
#include "engine/secant_solver.h"
#include "engine/interval_search.h"

namespace tarnwick {
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

// What a scan of a plan ends with, besides its rows.
struct ScanOutcome {
  // Combinations whose target stayed at an exact aspect over a whole window (geocentric Sun
  // and heliocentric Earth): left out from that window on, since no moment of them means
  // anything. Such a target is exact in every window, so in practice from the first one.
  std::vector<Combination> always_exact;
  bool cancelled = false;
};

// Receives the rows of a scan in batches: each batch in time order and wholly after every
// earlier batch (rows of one moment in scan order: combination by combination, every series
// of centre choices in turn). Called on the thread that called ScanPlan.
using RowSink = std::function<void(FoundAspects& batch)>;

// Rows of one combination over the whole span, in window order, on the calling thread.
FoundAspects ScanCombination(ScanKind kind, PositionProvider& eph, const SolverProblem& problem,
                             const Combination& c, const RunInputs& in,
                             const ScanOptions& options = {}, const ScanControl& control = {});

// Scans every combination of the plan over the span in stretches of days, on the calling
// thread or on options.threads workers, and hands the rows to `sink` in time order as soon as
// every earlier stretch is done. Memory follows the stretches in flight, not the span. `eph`
// computes everything on one thread; its switches are set to the plan's.
ScanOutcome ScanPlan(const RunPlan& plan, PositionProvider& eph, const RowSink& sink,
                     const ScanOptions& options = {}, const ScanControl& control = {});

}  // namespace tarnwick
