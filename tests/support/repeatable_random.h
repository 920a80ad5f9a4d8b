// Numbers that look random but are the same on every run, for tests that sweep many values.
#pragma once

#include <cstdint>

namespace tarnwick {

// Xorshift: doubles in [0, 1) from a non-zero seed.
class RepeatableRandom {
 public:
  explicit RepeatableRandom(std::uint64_t seed) : state_(seed) {}
  double Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return static_cast<double>(state_ >> 11) / 0x1p53;
  }

 private:
  std::uint64_t state_;
};

}  // namespace tarnwick
