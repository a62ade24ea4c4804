#pragma once
// A small seeded number generator (SplitMix64). The media must come out the
// same on every run and machine, so nothing here uses the standard library's
// distributions, whose results differ between implementations.

#include <cstdint>

namespace cog {

namespace mediagen {

class Rng {
 public:
  explicit Rng(uint64_t seed) : state_(seed) {}

  // The next 64 random bits.
  uint64_t next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // A whole number from 0 to n - 1 (n > 0).
  int below(int n) { return static_cast<int>(next() % static_cast<uint64_t>(n)); }
  // A number in [0, 1).
  double unit() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
  // A number in [-1, 1).
  double signedUnit() { return unit() * 2.0 - 1.0; }

 private:
  uint64_t state_;
};

}  // namespace mediagen

}  // namespace cog
