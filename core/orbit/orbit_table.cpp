#include "orbit_table.h"

#include <swephexp.h>

#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

#include "core/bodies.h"
#include "core/program_folder.h"

namespace tarnwick {

namespace {

// Integration step: Gauss-Radau 15 stays below 1e-4 arcsecond over two centuries at 64 days
// for bodies beyond Jupiter; main-belt asteroids (perihelion inside 5 au) take 32 days so the
// inner planets' pull is sampled finely.
double StepFor(const OrbitalElements& el) {
  const double q = el.a_au * (1.0 - el.e);
  return q < 5.0 ? 32.0 : 64.0;
}

// Blocks integrated at least per extension: about 1.4 years, so a run walking through time
// pays for a few threads a decade, not one per block.
constexpr int kChunkBlocks = 8;

}  // namespace

OrbitTable::OrbitTable(const OrbitalElements& elements, int own_body_number,
                       std::string ephemeris_path)
    : elements_(elements),
      own_body_number_(own_body_number),
      ephemeris_path_(std::move(ephemeris_path)),
      step_days_(StepFor(elements)),
      pieces_per_block_(static_cast<int>(std::lround(kBlockDays / step_days_))) {
  const double e = elements_.epoch_jd_tdb;
  first_block_ = static_cast<int>(std::floor((kOrbitFirstJd - 1.0 - e) / kBlockDays));
  const int last = static_cast<int>(std::floor((kOrbitLastJd + 1.0 - e) / kBlockDays));
  block_count_ = last - first_block_ + 1;
  // block_count_ is positive: the table covers 1800-2400 whatever the elements' epoch.
  const auto count = static_cast<std::size_t>(block_count_);
  blocks_ = std::make_unique<std::atomic<const Block*>[]>(count);
  for (std::size_t i = 0; i < count; ++i) blocks_[i].store(nullptr, std::memory_order_relaxed);
  next_forward_ = -first_block_;
  next_backward_ = -first_block_ - 1;
}

OrbitTable::~OrbitTable() = default;

bool OrbitTable::State(double jd_tdb, StateVector& out) {
  const double u = (jd_tdb - elements_.epoch_jd_tdb) / kBlockDays;
  const double block_floor = std::floor(u);
  const int index = static_cast<int>(block_floor) - first_block_;
  if (!(index >= 0 && index < block_count_)) return false;
  const Block* block = blocks_[static_cast<std::size_t>(index)].load(std::memory_order_acquire);
  if (!block) block = Extend(index);
  if (!block) return false;
  const double f = (u - block_floor) * pieces_per_block_;
  const int j = std::min(static_cast<int>(f), pieces_per_block_ - 1);
  const PolynomialPiece& piece = block->pieces[static_cast<std::size_t>(j)];
  const double s = (jd_tdb - piece.t0) / piece.h;
  out.pos = piece.Position(s);
  out.vel = piece.Velocity(s);
  return true;
}

const OrbitTable::Block* OrbitTable::Extend(int index) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (const Block* b = blocks_[static_cast<std::size_t>(index)].load(std::memory_order_acquire)) return b;
  const auto start = std::chrono::steady_clock::now();
  std::thread worker([this, index] { IntegrateInThisThread(index); });
  worker.join();
  stats_.seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  ++stats_.extensions;
  return blocks_[static_cast<std::size_t>(index)].load(std::memory_order_acquire);
}

void OrbitTable::IntegrateInThisThread(int index) {
  std::vector<char> path(ephemeris_path_.begin(), ephemeris_path_.end());
  path.push_back('\0');
  swe_set_ephe_path(path.data());

  if (!started_) {
    started_ = true;
    // Heliocentric J2000-ecliptic state from the elements, moved to the barycentre with the
    // Sun's barycentric state at the epoch.
    const double t0 = elements_.epoch_jd_tdb;
    const StateVector helio = KeplerStateEcliptic(elements_, t0);
    double x[6] = {0};
    char serr[AS_MAXCH] = {0};
    swe_calc(t0, SE_SUN, BarycentricIcrfFlags() | SEFLG_SPEED, x, serr);
    const Vec3 pos = EclipticJ2000ToIcrf(helio.pos) + Vec3{x[0], x[1], x[2]};
    const Vec3 vel = EclipticJ2000ToIcrf(helio.vel) + Vec3{x[3], x[4], x[5]};
    forward_force_ = std::make_unique<SolarSystemForce>(PerturbersFor(own_body_number_));
    backward_force_ = std::make_unique<SolarSystemForce>(PerturbersFor(own_body_number_));
    forward_ = std::make_unique<RadauIntegrator>(*forward_force_, t0, pos, vel);
    backward_ = std::make_unique<RadauIntegrator>(*backward_force_, t0, pos, vel);
  }

  const bool forward = index >= -first_block_;
  if (forward) {
    const int target = std::min(std::max(index, next_forward_ + kChunkBlocks - 1), block_count_ - 1);
    while (next_forward_ <= target) IntegrateBlock(next_forward_++, true);
  } else {
    const int target = std::max(std::min(index, next_backward_ - kChunkBlocks + 1), 0);
    while (next_backward_ >= target) IntegrateBlock(next_backward_--, false);
  }
  left_out_ = forward_force_->left_out().empty() ? backward_force_->left_out()
                                                 : forward_force_->left_out();
  swe_close();
}

void OrbitTable::IntegrateBlock(int index, bool forward) {
  Block& block = storage_.emplace_back();
  RadauIntegrator& integrator = forward ? *forward_ : *backward_;
  for (int n = 0; n < pieces_per_block_; ++n) {
    const int j = forward ? n : pieces_per_block_ - 1 - n;
    block.pieces[static_cast<std::size_t>(j)] = integrator.Step(forward ? step_days_ : -step_days_);
  }
  stats_.integrated_days += kBlockDays;
  blocks_[static_cast<std::size_t>(index)].store(&block, std::memory_order_release);
}

OrbitTableStats OrbitTable::stats() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return stats_;
}

std::string OrbitTable::left_out() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return left_out_;
}

OrbitTable* SharedOrbitTable(int body) {
  struct Registry {
    std::once_flag once[BodyCount];
    std::unique_ptr<OrbitTable> tables[BodyCount];
  };
  static Registry registry;
  if (!IsBodyIndex(body)) return nullptr;
  std::call_once(registry.once[body], [body] {
    if (const auto el = ElementsForBody(body)) {
      registry.tables[body] = std::make_unique<OrbitTable>(
          *el, BodyCatalogue[BodySlot(body)].body_number, DebianEphemerisFolder());
    }
  });
  return registry.tables[body].get();
}

}  // namespace tarnwick
