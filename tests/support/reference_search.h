// A brute-force reference for the scans: samples a combination's target function densely,
// keeps every genuine sign change and refines it by bisection. Slow and simple on purpose,
// so it can judge the fast search.
#pragma once

#include <vector>

#include "core/position_provider.h"
#include "engine/scan.h"

namespace tarnwick {

// Positions of one body on one centre sampled every `step` days from `start`.
struct SampledBody {
  double start = 0.0;
  double step = 0.0;
  std::vector<double> value;  // longitude (or declination) in degrees
};

SampledBody SampleBody(ScanKind kind, PositionProvider& eph, int body, Centre centre,
                       double start, double end, double step);

// Roots of the target of `problem` between the samples' start and `end` (Julian days, UT),
// from sign changes between samples `stride` apart that are no jumps of the target.
std::vector<double> ReferenceRoots(ScanKind kind, PositionProvider& eph, const SolverProblem& problem,
                                   const SampledBody& p1, const SampledBody& p2,
                                   const SampledBody& p3, std::size_t stride, double end);

// How a scan's moments compare with the reference roots of the same combination.
struct Comparison {
  int expected = 0;    // reference roots
  int found = 0;       // scan moments
  int missed = 0;      // reference roots without a scan moment within the match distance
  int duplicated = 0;  // scan moments beyond the first one for the same reference root
  int unmatched = 0;    // scan moments at no reference root
  double worst_residual_deg = 0.0;  // largest |target| at a matched scan moment
};

inline constexpr double kMatchWithinDays = 2.0 / 1440.0;  // two minutes

Comparison Compare(const std::vector<double>& reference, const std::vector<double>& found);

Comparison& operator+=(Comparison& a, const Comparison& b);

}  // namespace tarnwick
