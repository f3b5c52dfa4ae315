// Additive lagged-Fibonacci generator, lags 24 and 55, modulus 2^14:
//   x(n) = (x(n-24) + x(n-55)) mod 16384,
// held as a ring of 55 values IX(1..55) with two positions J and K (J is
// always K - 31 around the ring). Seeded from constants, so every run of the
// engine draws the same sequence.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>

#include "constants.h"

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

  float uniform(std::int32_t v) const { return to_uniform(v); }

  // -ln(u) for the draw v > 0, the free-path factor of an exponential flight.
  float neg_log_uniform(std::int32_t v) const { return -std::log(to_uniform(v)); }

  // Sine and cosine of the azimuth psi = 2 pi u of the draw v.
  struct Azimuth {
    float sin_psi;
    float cos_psi;
  };
  static Azimuth azimuth(std::int32_t v)
  {
    const float psi = 2.0f * kPi * to_uniform(v);
    return {std::sin(psi), std::cos(psi)};
  }

  // State access for tests.
  std::int32_t ix(int i) const { return ix_[static_cast<std::size_t>(i)]; }
  int j() const { return j_; }
  int k() const { return k_; }

  // The last 55 integers drawn, oldest first: the whole state. The next
  // draw is window[31] + window[0] (mod 16384).
  using Window = std::array<std::int32_t, 55>;
  Window window() const;
  // A generator whose last 55 draws were `w` (oldest first).
  static LaggedFibonacci from_window(const Window& w);

 private:
  std::array<std::int32_t, 56> ix_{};  // 1-based: ix_[1] ... ix_[55]
  int j_ = 24;
  int k_ = 55;
};

// The same generator, the same sequence and the same numbers, made faster:
// the integers are produced a block at a time straight from the recurrence
// x(n) = (x(n-24) + x(n-55)) mod 16384 over a linear buffer (no ring
// positions to move per draw, and a loop the compiler can vectorise), and the
// conversion of the 16384 possible integers to u and to -ln(u) is tabulated
// once, so a draw is a table read and a free path needs no logarithm.
class TabulatedLaggedFibonacci {
 public:
  static constexpr int kBlock = 4096;

  // Starts where the literal generator stands after its seeding and warm-up.
  TabulatedLaggedFibonacci() : TabulatedLaggedFibonacci(LaggedFibonacci{}) {}

  // Starts where `ring` stands: its next draw is this generator's next.
  explicit TabulatedLaggedFibonacci(const LaggedFibonacci& ring) : tables_(tables())
  {
    const LaggedFibonacci::Window w = ring.window();
    for (int i = 0; i < kLag; ++i) x_[static_cast<std::size_t>(i)] = w[static_cast<std::size_t>(i)];
    pos_ = end_ = kLag;
  }

  std::int32_t step()
  {
    if (pos_ == end_) refill();
    return x_[static_cast<std::size_t>(pos_++)];
  }
  float draw() { return tables_.u[static_cast<std::size_t>(step())]; }
  float uniform(std::int32_t v) const { return tables_.u[static_cast<std::size_t>(v)]; }
  float neg_log_uniform(std::int32_t v) const { return tables_.neg_log_u[static_cast<std::size_t>(v)]; }
  LaggedFibonacci::Azimuth azimuth(std::int32_t v) const { return tables_.azimuth[static_cast<std::size_t>(v)]; }

 private:
  static constexpr int kLag = 55;
  static constexpr int kShortLag = 24;

  void refill()
  {
    // Keep the last 55 values as the history of the next block.
    for (int i = 0; i < kLag; ++i)
      x_[static_cast<std::size_t>(i)] = x_[static_cast<std::size_t>(end_ - kLag + i)];
    std::int32_t* x = x_.data();
    for (int i = kLag; i < kLag + kBlock; ++i)
      x[i] = (x[i - kShortLag] + x[i - kLag]) & (LaggedFibonacci::kModulus - 1);
    pos_ = kLag;
    end_ = kLag + kBlock;
  }

  struct Tables {
    std::array<float, LaggedFibonacci::kModulus> u;
    std::array<float, LaggedFibonacci::kModulus> neg_log_u;  // entry 0 unused: never a flight's draw
    std::array<LaggedFibonacci::Azimuth, LaggedFibonacci::kModulus> azimuth;
  };
  static const Tables& tables()
  {
    static const Tables t = [] {
      Tables x{};
      for (std::int32_t v = 0; v < LaggedFibonacci::kModulus; ++v) {
        const float u = LaggedFibonacci::to_uniform(v);
        x.u[static_cast<std::size_t>(v)] = u;
        x.neg_log_u[static_cast<std::size_t>(v)] = v > 0 ? -std::log(u) : 0.0f;
        x.azimuth[static_cast<std::size_t>(v)] = LaggedFibonacci::azimuth(v);
      }
      return x;
    }();
    return t;
  }

  const Tables& tables_;
  std::array<std::int32_t, kLag + kBlock> x_{};
  int pos_ = 0;
  int end_ = 0;
};

// Jumping ahead. The integers obey x(t+55) = x(t+31) + x(t) (mod 2^14), a
// linear recurrence with the characteristic polynomial P(z) = z^55 - z^31 -
// 1. With z^M = sum c_i z^i (mod P), over the integers mod 2^14, every draw
// M steps ahead is the same combination of the draws that stand now:
// x(t+M) = sum c_i x(t+i). Squaring and multiplying gives z^M for any M in
// some 60 products of polynomials of degree 54, so a stream far ahead of
// another (a work unit of a parallel run) is reached without drawing.
class JumpAhead {
 public:
  explicit JumpAhead(std::uint64_t steps);

  // The generator `steps` draws after `g`.
  LaggedFibonacci apply(const LaggedFibonacci& g) const;

 private:
  using Poly = std::array<std::uint32_t, 55>;
  static Poly multiply(const Poly& a, const Poly& b);
  Poly c_{};  // z^steps mod P
};

}  // namespace bsf
