// The rows of a whole run's plan, scanned on one provider (and workers from `options`), in
// the order the scan hands them on.
#pragma once

#include <gtest/gtest.h>

#include "engine/run_plan.h"
#include "engine/scan.h"

namespace tarnwick {

inline FoundAspects ScanRows(const RunPlan& plan, PositionProvider& eph, const ScanOptions& options = {}) {
  FoundAspects rows;
  ScanPlan(plan, eph, [&](FoundAspects& batch) { rows.insert(rows.end(), batch.begin(), batch.end()); }, options);
  return rows;
}

// Plans the run of `s` on `eph` and scans it; no rows (and a failure) when it is refused.
inline FoundAspects PlannedRows(ScanKind kind, const RunSettings& s, PositionProvider& eph) {
  const PlannedRun planned = MakeRunPlan(kind, s, RegionalFormat{}, eph);
  EXPECT_TRUE(planned.plan) << (planned.problems.empty() ? "" : planned.problems.front());
  return planned.plan ? ScanRows(*planned.plan, eph) : FoundAspects{};
}

}  // namespace tarnwick
