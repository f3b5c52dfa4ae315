// Additive lagged-Fibonacci generator, lags 24 and 55, modulus 2^14:
//   x(n) = (x(n-24) + x(n-55)) mod 16384,
// held as a ring of 55 values IX(1..55) with two positions J and K (J is
// always K - 31 around the ring). Seeded from constants, so every run of the
// engine draws the same sequence.
#pragma once

#include <array>
#include <cstdint>

namespace bsf {

class LaggedFibonacci {
 public:
  static constexpr std::int32_t kModulus = 16384;
  // The divisor is the single-precision number nearest to 16384.1, which is
  // 16384.099609375, not 16384: a draw is therefore always below 1.
  static constexpr float kDivisor = 16384.1f;

  // Seeds the ring and runs the 1000 warm-up steps.
  LaggedFibonacci() { seed(); }

  void seed()
  {
    ix_[1] = 3783;
    for (std::int32_t i = 2; i <= 55; ++i) ix_[i] = (2 * ix_[i - 1] + i) % kModulus;
    j_ = 24;
    k_ = 55;
    for (int n = 0; n < 1000; ++n) step();
  }

  // Advances the ring by one step and returns the integer just written,
  // 0 ... 16383.
  std::int32_t step()
  {
    std::int32_t v = ix_[k_] + ix_[j_];  // below 32768, so one subtraction is the remainder
    if (v >= kModulus) v -= kModulus;
    ix_[k_] = v;
    if (--j_ == 0) j_ = 55;
    if (--k_ == 0) k_ = 55;
    return v;
  }

  // A uniform number u = v / 16384.099609375 in [0, 1), rounded to single
  // precision. u = 0 occurs (v = 0); u = 1 never does.
  float draw() { return to_uniform(step()); }

  static float to_uniform(std::int32_t v)
  {
    return static_cast<float>(static_cast<double>(v) / static_cast<double>(kDivisor));
  }

  // State access for tests.
  std::int32_t ix(int i) const { return ix_[static_cast<std::size_t>(i)]; }
  int j() const { return j_; }
  int k() const { return k_; }

 private:
  std::array<std::int32_t, 56> ix_{};  // 1-based: ix_[1] ... ix_[55]
  int j_ = 24;
  int k_ = 55;
};

}  // namespace bsf
