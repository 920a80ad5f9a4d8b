#include "tests/support/reference_search.h"

#include <algorithm>
#include <cmath>

namespace tarnwick {

namespace {

constexpr double kMaxCrossingChangeDeg = 7.5;  // a larger change between samples is a jump
constexpr double kBisectionLimitDays = 1e-8;

double Value(ScanKind kind, PositionProvider& eph, int body, Centre c, double t) {
  return kind == ScanKind::Longitude ? RoleLongitude(eph, t, body, c) : RoleDeclination(eph, t, body, c);
}

std::pair<double, double> PairTarget(ScanKind kind, const SolverProblem& p, const std::array<double, 3>& v1,
                                     const std::array<double, 3>& v0) {
  if (kind == ScanKind::Longitude) return LongitudeTargetsFrom(p, v1, v0);
  return {DeclinationTargetFrom(p, v1), DeclinationTargetFrom(p, v0)};
}

std::array<double, 3> At(ScanKind kind, PositionProvider& eph, const SolverProblem& p, double t) {
  return kind == ScanKind::Longitude ? RoleLongitudes(eph, p, t) : RoleDeclinations(eph, p, t);
}

}  // namespace

SampledBody SampleBody(ScanKind kind, PositionProvider& eph, int body, Centre centre,
                       double start, double end, double step) {
  SampledBody s{start, step, {}};
  const auto n = static_cast<size_t>(std::ceil((end - start) / step)) + 1;
  s.value.reserve(n);
  for (size_t i = 0; i < n; ++i) s.value.push_back(Value(kind, eph, body, centre, start + static_cast<double>(i) * step));
  return s;
}

std::vector<double> ReferenceRoots(ScanKind kind, PositionProvider& eph, const SolverProblem& p,
                                   const SampledBody& b1, const SampledBody& b2,
                                   const SampledBody& b3, std::size_t stride, double end) {
  std::vector<double> roots;
  const size_t n = b1.value.size();
  const auto values = [&](size_t i) { return std::array<double, 3>{b1.value[i], b2.value[i], b3.value[i]}; };
  for (size_t i = 0; i + stride < n; i += stride) {
    const double t0 = b1.start + static_cast<double>(i) * b1.step;
    if (t0 > end) break;
    const auto [f1, f0] = PairTarget(kind, p, values(i + stride), values(i));
    if (std::fabs(f1 - f0) >= kMaxCrossingChangeDeg) continue;
    if (f0 == 0.0) roots.push_back(t0);
    if (f0 == 0.0 || f1 == 0.0 || (f0 < 0.0) == (f1 < 0.0)) continue;
    double lo = t0, hi = b1.start + static_cast<double>(i + stride) * b1.step;
    while (hi - lo > kBisectionLimitDays) {
      const double mid = (lo + hi) / 2.0;
      const auto [fm, fl] = PairTarget(kind, p, At(kind, eph, p, mid), At(kind, eph, p, lo));
      if ((fm < 0.0) == (fl < 0.0)) lo = mid; else hi = mid;
    }
    roots.push_back((lo + hi) / 2.0);
  }
  return roots;
}

Comparison Compare(const std::vector<double>& reference, const std::vector<double>& found) {
  Comparison c;
  c.expected = static_cast<int>(reference.size());
  c.found = static_cast<int>(found.size());
  std::vector<int> hits(reference.size(), 0);
  for (const double e : found) {
    const auto it = std::lower_bound(reference.begin(), reference.end(), e - kMatchWithinDays);
    if (it != reference.end() && *it <= e + kMatchWithinDays) ++hits[static_cast<size_t>(it - reference.begin())];
    else ++c.unmatched;
  }
  for (const int h : hits) {
    if (h == 0) ++c.missed;
    if (h > 1) c.duplicated += h - 1;
  }
  return c;
}

Comparison& operator+=(Comparison& a, const Comparison& b) {
  a.expected += b.expected;
  a.found += b.found;
  a.missed += b.missed;
  a.duplicated += b.duplicated;
  a.unmatched += b.unmatched;
  a.worst_residual_deg = std::max(a.worst_residual_deg, b.worst_residual_deg);
  return a;
}

}  // namespace tarnwick
