// The tabulated barycentric orbit of a minor body: integrated from its osculating elements
// in blocks of days, lazily, as positions are asked for, and shared by every provider.
#pragma once

#include <array>
#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <string>

#include "core/orbit/apparent_place.h"
#include "core/orbit/orbit_elements.h"
#include "core/orbit/orbit_forces.h"
#include "core/orbit/radau_integrator.h"

namespace tarnwick {

// Span served by the orbit tables, TDB Julian days: 1800-01-01 0h to 2400-01-01 0h, the
// years of Debian's planetary and asteroid files that the perturbers come from.
inline constexpr double kOrbitFirstJd = 2378496.5;
inline constexpr double kOrbitLastJd = 2597641.5;

// What integrating has cost so far, for tools and benchmarks.
struct OrbitTableStats {
  double integrated_days = 0.0;  // days covered by integration, both directions
  double seconds = 0.0;          // wall-clock time spent integrating
  int extensions = 0;            // times the table was extended
};

// Thread-safe: State() may be called from any number of threads. Positions already
// tabulated are read without locking; a missing block is integrated under the table's
// lock, by a short-lived thread of its own that sets its own ephemeris path (the library
// keeps its state per thread, so the caller's settings and caches are untouched).
class OrbitTable final : public BarycentricOrbit {
 public:
  // `own_body_number` is the Swiss Ephemeris number of the body itself (to leave it out of
  // the perturbers); `ephemeris_path` is where the integrating thread finds the planets.
  OrbitTable(const OrbitalElements& elements, int own_body_number, std::string ephemeris_path);
  ~OrbitTable() override;
  OrbitTable(const OrbitTable&) = delete;
  OrbitTable& operator=(const OrbitTable&) = delete;

  // Barycentric position (au) and velocity (au/day) in the ICRF at jd_tdb, integrating what
  // is missing first. False outside [kOrbitFirstJd - 1, kOrbitLastJd + 1].
  bool State(double jd_tdb, StateVector& out) override;

  const OrbitalElements& elements() const { return elements_; }
  double step_days() const { return step_days_; }
  OrbitTableStats stats() const;
  // Perturbers the library could not compute (left out of the integration), if any.
  std::string left_out() const;

  // Days per block: the unit in which the table grows. Blocks start at the elements' epoch
  // plus a multiple of this.
  static constexpr double kBlockDays = 64.0;

 private:
  static constexpr int kMaxPieces = 2;
  struct Block {
    std::array<PolynomialPiece, kMaxPieces> pieces;  // in time order
  };

  const Block* Extend(int index);
  void IntegrateInThisThread(int index);
  void IntegrateBlock(int index, bool forward);

  OrbitalElements elements_;
  int own_body_number_;
  std::string ephemeris_path_;
  double step_days_;
  int pieces_per_block_;
  int first_block_;   // block number (0 starts at the epoch) of index 0
  int block_count_;

  std::unique_ptr<std::atomic<const Block*>[]> blocks_;

  mutable std::mutex mutex_;  // guards everything below
  std::deque<Block> storage_;
  bool started_ = false;
  std::unique_ptr<SolarSystemForce> forward_force_, backward_force_;
  std::unique_ptr<RadauIntegrator> forward_, backward_;
  int next_forward_ = 0;   // index of the next block forward of the epoch to integrate
  int next_backward_ = 0;  // index of the next block before the epoch to integrate
  OrbitTableStats stats_;
  std::string left_out_;
};

// The process-wide table of catalogue body `body` (15..25), created on first use; nullptr
// for bodies without elements. Its integrations take the planets from Debian's ephemeris
// folder, so every table is the same whatever path a provider was given.
OrbitTable* SharedOrbitTable(int body);

}  // namespace tarnwick
