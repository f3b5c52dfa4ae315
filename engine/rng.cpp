#include "rng.h"

namespace bsf {

namespace {

constexpr std::uint32_t kMask = LaggedFibonacci::kModulus - 1;
constexpr std::size_t kLags = 55;
constexpr std::size_t kShortTap = 31;  // z^55 = z^31 + 1

}  // namespace

LaggedFibonacci::Window LaggedFibonacci::window() const
{
  // The value drawn m steps ago sits m places above the next write
  // position K, counted around the ring; the oldest (m = 55) is at K.
  Window w{};
  for (int m = 1; m <= 55; ++m) w[static_cast<std::size_t>(55 - m)] = ix((k_ - 1 + m) % 55 + 1);
  return w;
}

LaggedFibonacci LaggedFibonacci::from_window(const Window& w)
{
  LaggedFibonacci g;
  g.k_ = 55;
  g.j_ = 24;
  for (int m = 1; m <= 55; ++m) g.ix_[static_cast<std::size_t>(m)] = w[static_cast<std::size_t>(55 - m)];
  return g;
}

JumpAhead::Poly JumpAhead::multiply(const Poly& a, const Poly& b)
{
  std::array<std::uint64_t, 2 * kLags - 1> r{};
  for (std::size_t i = 0; i < kLags; ++i) {
    if (a[i] == 0) continue;
    for (std::size_t j = 0; j < kLags; ++j) r[i + j] += static_cast<std::uint64_t>(a[i]) * b[j];
  }
  // z^d = z^(d-55) * (z^31 + 1), from the top down.
  for (std::size_t d = 2 * kLags - 2; d >= kLags; --d) {
    const std::uint64_t t = r[d] & kMask;
    r[d] = 0;
    r[d - kLags] += t;
    r[d - kLags + kShortTap] += t;
  }
  Poly out{};
  for (std::size_t i = 0; i < kLags; ++i) out[i] = static_cast<std::uint32_t>(r[i] & kMask);
  return out;
}

JumpAhead::JumpAhead(std::uint64_t steps)
{
  Poly result{};
  result[0] = 1;  // z^0
  Poly base{};
  base[1] = 1;  // z
  for (; steps > 0; steps >>= 1) {
    if (steps & 1) result = multiply(result, base);
    base = multiply(base, base);
  }
  c_ = result;
}

LaggedFibonacci JumpAhead::apply(const LaggedFibonacci& g) const
{
  const LaggedFibonacci::Window w = g.window();
  LaggedFibonacci::Window out{};
  Poly c = c_;  // z^(M + j), j = 0 ... 54
  for (std::size_t j = 0; j < kLags; ++j) {
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < kLags; ++i) v += static_cast<std::uint64_t>(c[i]) * static_cast<std::uint32_t>(w[i]);
    out[j] = static_cast<std::int32_t>(v & kMask);
    // c * z: shift up, and z^55 = z^31 + 1.
    const std::uint32_t top = c[kLags - 1];
    for (std::size_t i = kLags - 1; i > 0; --i) c[i] = c[i - 1];
    c[0] = top;
    c[kShortTap] = (c[kShortTap] + top) & kMask;
  }
  return LaggedFibonacci::from_window(out);
}

}  // namespace bsf
