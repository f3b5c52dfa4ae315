// Differential backscatter factors by reciprocity: a pencil of photons
// enters a flat, laterally unbounded soft-tissue phantom at one point, tilted
// from the normal, and the backscattered photons' crossings of the entrance
// plane are scored by their distance from the entry point.
//
// The phantom is invariant under lateral translation, so the dose at the
// centre of the entrance surface from photons that entered through a ring of
// radius r equals the density of crossings at distance r from a single entry
// point, taken in the direction opposite to the tilt (the photons of a
// diverging beam that enter at radius r run outward, away from the centre).
#pragma once

#include <array>
#include <cstdint>

#include "data_files.h"
#include "geometry.h"
#include "physics.h"
#include "rng.h"

namespace bsf::dbsf {

inline constexpr int kRings = 300;          // rings of 0.1 cm, out to 30 cm
inline constexpr float kRingWidth = 0.1f;   // cm
inline constexpr float kSlabThickness = 30.0f;  // cm

// A flat soft-tissue slab, 30 cm thick, without lateral bounds. As on the
// racetrack's flat front, a flight ending on the entrance plane has left.
struct FlatSlab {
  Region classify(float, float, float z) const
  {
    if (z >= kSlabThickness) return Region::Lost;
    if (z <= 0.0f) return Region::Out;
    return Region::Inside;
  }
};

// The builder's own random numbers: xoshiro256** (Blackman and Vigna), 24
// bits per draw, behind the interface the engine's transport draws through.
class BuilderRng {
 public:
  explicit BuilderRng(std::uint64_t seed);
  std::int32_t step()
  {
    const std::uint64_t result = rotl(s_[1] * 5, 7) * 9;
    const std::uint64_t t = s_[1] << 17;
    s_[2] ^= s_[0];
    s_[3] ^= s_[1];
    s_[1] ^= s_[2];
    s_[0] ^= s_[3];
    s_[2] ^= t;
    s_[3] = rotl(s_[3], 45);
    return static_cast<std::int32_t>(result >> 40);  // 0 ... 2^24 - 1
  }
  float uniform(std::int32_t v) const { return static_cast<float>(v) * 0x1p-24f; }
  float draw() { return uniform(step()); }
  float neg_log_uniform(std::int32_t v) const { return -std::log(uniform(v)); }
  LaggedFibonacci::Azimuth azimuth(std::int32_t v) const
  {
    const float psi = 2.0f * kPi * uniform(v);
    return {std::sin(psi), std::cos(psi)};
  }

 private:
  static std::uint64_t rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
  std::uint64_t s_[4];
};

// Seed of one independent batch: splitmix64 of the base seed mixed with the
// batch's energy, tilt node and index, so that every batch's numbers are
// fixed whatever thread runs it.
std::uint64_t batch_seed(std::uint64_t base, int energy_index, int node, int batch);

// Sums of one pencil run per ring and medium (air, soft tissue, skin):
// the crossings' E * mu_en(E) / |cos theta|, times the harmonic kernel
// K(psi) = 1 + 2 cos psi + 2 cos 2 psi for a tilted pencil (psi from the
// direction opposite to the tilt), divided by N * E0 * mu_en(E0), the
// primary dose per unit fluence.
struct PencilResult {
  std::array<std::array<double, 3>, kRings> ring{};
};

struct PhysicsTables {
  SoftTissueData tissue;
  AbsorptionTable absorption;
};

PencilResult run_pencil(const PhysicsTables& data, float energy_kev, double tilt_rad, std::int64_t histories,
                        std::uint64_t seed);

}  // namespace bsf::dbsf
